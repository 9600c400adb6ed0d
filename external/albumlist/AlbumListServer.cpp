// The DLL's side of COM: its entry point, class factory, and self-registration.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <new>
#include <string>

#include "AlbumListModule.h"
#include "AlbumListObject.h"

// The GUIDs are defined (not only declared) in this file.
#include <initguid.h>

#include "AlbumListControl.h"

namespace albumlist {

namespace {

HINSTANCE g_instance = nullptr;
LONG g_locks = 0;

const wchar_t kClassesKey[] = L"Software\\Classes\\CLSID\\";
const wchar_t kClassName[] = L"Album List Control";

// Creates album list objects; one static instance that COM may hold while the DLL is loaded.
class CAlbumListFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // References to the factory keep the DLL loaded as objects do.
    STDMETHODIMP_(ULONG) AddRef() override {
        LockModule();
        return 2;
    }
    STDMETHODIMP_(ULONG) Release() override {
        UnlockModule();
        return 1;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = nullptr;
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        CAlbumListObject* control = new (std::nothrow) CAlbumListObject;
        if (control == nullptr) {
            return E_OUTOFMEMORY;
        }
        HRESULT hr = control->QueryInterface(riid, object);
        control->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) {
            LockModule();
        } else {
            UnlockModule();
        }
        return S_OK;
    }
};

CAlbumListFactory g_factory;

// "Software\Classes\CLSID\{...}"
std::wstring ClassKeyPath() {
    wchar_t clsid[64] = L"";
    ::StringFromGUID2(CLSID_AlbumList, clsid, 64);
    return std::wstring(kClassesKey) + clsid;
}

bool SetStringValue(HKEY root, const std::wstring& keyPath, const wchar_t* name,
                    const std::wstring& value) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(root, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                          nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LONG result =
        ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool RegisterUnder(HKEY root, const std::wstring& dllPath) {
    std::wstring classKey = ClassKeyPath();
    std::wstring serverKey = classKey + L"\\InprocServer32";
    return SetStringValue(root, classKey, nullptr, kClassName) &&
           SetStringValue(root, serverKey, nullptr, dllPath) &&
           SetStringValue(root, serverKey, L"ThreadingModel", L"Apartment");
}

// True when the key is gone (or was never there).
bool UnregisterUnder(HKEY root) {
    LONG result = ::RegDeleteTreeW(root, ClassKeyPath().c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

} // namespace

HINSTANCE ModuleInstance() {
    return g_instance;
}

void LockModule() {
    ::InterlockedIncrement(&g_locks);
}

void UnlockModule() {
    ::InterlockedDecrement(&g_locks);
}

} // namespace albumlist

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        albumlist::g_instance = instance;
        ::DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // Unloaded while the process goes on: a later load must not find a class whose
        // procedure pointed into this copy.
        ::UnregisterClassW(L"AlbumListControlWindow", instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (clsid != CLSID_AlbumList) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return albumlist::g_factory.QueryInterface(riid, object);
}

STDAPI DllCanUnloadNow() {
    return albumlist::g_locks == 0 ? S_OK : S_FALSE;
}

// The machine's classes first; a user without the right to write them gets a registration
// of their own (which Wine's COM does not read, see WINE-NOTES.md).
STDAPI DllRegisterServer() {
    wchar_t path[MAX_PATH];
    DWORD length = ::GetModuleFileNameW(albumlist::g_instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return SELFREG_E_CLASS;
    }
    if (albumlist::RegisterUnder(HKEY_LOCAL_MACHINE, path) ||
        albumlist::RegisterUnder(HKEY_CURRENT_USER, path)) {
        return S_OK;
    }
    return SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer() {
    bool machine = albumlist::UnregisterUnder(HKEY_LOCAL_MACHINE);
    bool user = albumlist::UnregisterUnder(HKEY_CURRENT_USER);
    return machine && user ? S_OK : SELFREG_E_CLASS;
}
