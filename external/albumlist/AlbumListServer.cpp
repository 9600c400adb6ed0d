// The DLL's side of COM: its entry point, class factory, and self-registration.
#include <windows.h>
#include <ole2.h>

#include <new>

#include "AlbumListObject.h"
#include "ComServer.h"

// The GUIDs are defined (not only declared) in this file.
#include <initguid.h>

#include "AlbumListControl.h"

namespace {

IUnknown* CreateAlbumList() {
    return static_cast<IOleObject*>(new (std::nothrow) albumlist::CAlbumListObject);
}

olecontrol::CClassFactory g_factory(CLSID_AlbumList, CreateAlbumList);

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        olecontrol::SetModuleInstance(instance);
        ::DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // Unloaded while the process goes on: a later load must not find a class whose
        // procedure pointed into this copy.
        ::UnregisterClassW(L"AlbumListControlWindow", instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object) {
    return g_factory.GetClassObject(clsid, riid, object);
}

STDAPI DllCanUnloadNow() {
    return olecontrol::CanUnloadModule();
}

// The machine's classes first; a user without the right to write them gets a registration
// of their own (which Wine's COM does not read, see WINE-NOTES.md).
STDAPI DllRegisterServer() {
    return olecontrol::RegisterServer(CLSID_AlbumList, L"Album List Control", L"Apartment");
}

STDAPI DllUnregisterServer() {
    return olecontrol::UnregisterServer(CLSID_AlbumList);
}
