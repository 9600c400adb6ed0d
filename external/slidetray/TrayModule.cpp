// SlideTray.dll's entry points: the in-process COM server's four exports and DllMain.
#include "TrayControl.h"
#include "TrayView.h"

#include <windows.h>
#include <objbase.h>

#include "ComServer.h"

#include <initguid.h>

#include "SlideTrayControl.h"

namespace {

IUnknown* CreateTray() {
    return static_cast<IOleObject*>(CTrayControl::Create());
}

olecontrol::CClassFactory g_factory(CLSID_SlideTray, CreateTray);

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        olecontrol::SetModuleInstance(module);
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        // Freed while the process goes on: no window of the class is left (DllCanUnloadNow
        // said so). At process exit nothing is tidied: other threads are gone already.
        CTrayView::UnregisterWindowClass(module);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    return g_factory.GetClassObject(clsid, iid, object);
}

STDAPI DllCanUnloadNow() {
    return olecontrol::CanUnloadModule();
}

STDAPI DllRegisterServer() {
    return olecontrol::RegisterServer(CLSID_SlideTray, L"SlideTray Control", L"Both");
}

STDAPI DllUnregisterServer() {
    return olecontrol::UnregisterServer(CLSID_SlideTray);
}
