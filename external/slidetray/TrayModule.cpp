// SlideTray.dll's entry points: the in-process COM server's four exports and DllMain.
#include "TrayModule.h"

#include "TrayClassFactory.h"
#include "TrayView.h"

#include <windows.h>
#include <objbase.h>
#include <olectl.h>

#include <atomic>
#include <string>

#include <initguid.h>

#include "SlideTrayControl.h"

namespace {

HINSTANCE g_module = nullptr;
std::atomic<long> g_locks{0};
CTrayClassFactory g_factory;

const char kClassDescription[] = "SlideTray Control";

// "Software\Classes\CLSID\{...}" of the control.
std::string ClassKeyName() {
    wchar_t wide[64] = {};
    char narrow[64] = {};
    if (!::StringFromGUID2(CLSID_SlideTray, wide, 64) ||
        !::WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr)) {
        return std::string();
    }
    return std::string("Software\\Classes\\CLSID\\") + narrow;
}

LONG SetString(HKEY key, const char* name, const std::string& value) {
    return ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1));
}

// Writes the class's keys under `root`; an error code of the registry on failure.
LONG WriteClassKeys(HKEY root, const std::string& classKey, const std::string& modulePath) {
    HKEY key = nullptr;
    LONG status =
        ::RegCreateKeyExA(root, classKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    status = SetString(key, nullptr, kClassDescription);
    HKEY server = nullptr;
    if (status == ERROR_SUCCESS) {
        status = ::RegCreateKeyExA(key, "InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr,
                                   &server, nullptr);
    }
    if (status == ERROR_SUCCESS) {
        status = SetString(server, nullptr, modulePath);
        if (status == ERROR_SUCCESS) {
            status = SetString(server, "ThreadingModel", "Apartment");
        }
        ::RegCloseKey(server);
    }
    ::RegCloseKey(key);
    return status;
}

LONG DeleteClassKeys(HKEY root, const std::string& classKey) {
    LONG status = ::RegDeleteTreeA(root, classKey.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

} // namespace

void TrayModuleLock() {
    ++g_locks;
}

void TrayModuleUnlock() {
    --g_locks;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = module;
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        // Freed while the process goes on: no window of the class is left (DllCanUnloadNow
        // said so). At process exit nothing is tidied: other threads are gone already.
        CTrayView::UnregisterWindowClass(module);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    if (clsid != CLSID_SlideTray) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return g_factory.QueryInterface(iid, object);
}

STDAPI DllCanUnloadNow() {
    return g_locks.load() == 0 ? S_OK : S_FALSE;
}

// Registers under HKLM\Software\Classes, where every COM (Wine's too) finds it; without the
// rights for that, under HKCU\Software\Classes, as a per-user install on Windows does.
STDAPI DllRegisterServer() {
    char path[MAX_PATH];
    DWORD length = ::GetModuleFileNameA(g_module, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        return SELFREG_E_CLASS;
    }
    std::string classKey = ClassKeyName();
    if (classKey.empty()) {
        return SELFREG_E_CLASS;
    }
    LONG status = WriteClassKeys(HKEY_LOCAL_MACHINE, classKey, path);
    if (status == ERROR_ACCESS_DENIED) {
        status = WriteClassKeys(HKEY_CURRENT_USER, classKey, path);
    }
    return status == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer() {
    std::string classKey = ClassKeyName();
    if (classKey.empty()) {
        return SELFREG_E_CLASS;
    }
    LONG machine = DeleteClassKeys(HKEY_LOCAL_MACHINE, classKey);
    LONG user = DeleteClassKeys(HKEY_CURRENT_USER, classKey);
    // A machine key that cannot be touched without rights is not ours to report.
    if (user != ERROR_SUCCESS || (machine != ERROR_SUCCESS && machine != ERROR_ACCESS_DENIED)) {
        return SELFREG_E_CLASS;
    }
    return S_OK;
}
