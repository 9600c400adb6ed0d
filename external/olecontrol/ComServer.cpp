#include "ComServer.h"

#include <ole2.h>
#include <olectl.h>

#include <string>

namespace olecontrol {

namespace {

HINSTANCE g_instance = nullptr;
LONG g_locks = 0;

// "Software\Classes\CLSID\{...}"; empty when the id cannot be written out.
std::wstring ClassKeyPath(const CLSID& clsid) {
    wchar_t text[64] = L"";
    if (::StringFromGUID2(clsid, text, 64) == 0) {
        return std::wstring();
    }
    return std::wstring(L"Software\\Classes\\CLSID\\") + text;
}

LONG SetString(HKEY root, const std::wstring& keyPath, const wchar_t* name,
               const std::wstring& value) {
    HKEY key = nullptr;
    LONG status = ::RegCreateKeyExW(root, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    status = ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
    return status;
}

// Writes the class's keys under root; the registry's error code on failure.
LONG WriteClassKeys(HKEY root, const std::wstring& classKey, const wchar_t* description,
                    const std::wstring& modulePath, const wchar_t* threadingModel) {
    const std::wstring serverKey = classKey + L"\\InprocServer32";
    LONG status = SetString(root, classKey, nullptr, description);
    if (status == ERROR_SUCCESS) {
        status = SetString(root, serverKey, nullptr, modulePath);
    }
    if (status == ERROR_SUCCESS) {
        status = SetString(root, serverKey, L"ThreadingModel", threadingModel);
    }
    return status;
}

// ERROR_SUCCESS when the key is gone, or was never there.
LONG DeleteClassKeys(HKEY root, const std::wstring& classKey) {
    LONG status = ::RegDeleteTreeW(root, classKey.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

} // namespace

void SetModuleInstance(HINSTANCE instance) {
    g_instance = instance;
}

HINSTANCE ModuleInstance() {
    return g_instance;
}

void LockModule() {
    ::InterlockedIncrement(&g_locks);
}

void UnlockModule() {
    ::InterlockedDecrement(&g_locks);
}

HRESULT CanUnloadModule() {
    return ::InterlockedCompareExchange(&g_locks, 0, 0) == 0 ? S_OK : S_FALSE;
}

// --- CClassFactory ----------------------------------------------------------------------

CClassFactory::CClassFactory(const CLSID& clsid, CreateFunction create)
    : m_clsid(clsid), m_create(create) {}

HRESULT CClassFactory::GetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (clsid != m_clsid) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return QueryInterface(iid, object);
}

STDMETHODIMP CClassFactory::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CClassFactory::AddRef() {
    LockModule();
    return 2;
}

STDMETHODIMP_(ULONG) CClassFactory::Release() {
    UnlockModule();
    return 1;
}

STDMETHODIMP CClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    IUnknown* created = m_create();
    if (created == nullptr) {
        return E_OUTOFMEMORY;
    }
    HRESULT hr = created->QueryInterface(iid, object);
    created->Release();
    return hr;
}

STDMETHODIMP CClassFactory::LockServer(BOOL lock) {
    if (lock) {
        LockModule();
    } else {
        UnlockModule();
    }
    return S_OK;
}

// --- registration -----------------------------------------------------------------------

HRESULT RegisterServer(const CLSID& clsid, const wchar_t* description,
                       const wchar_t* threadingModel) {
    wchar_t path[MAX_PATH];
    DWORD length = ::GetModuleFileNameW(g_instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return SELFREG_E_CLASS;
    }
    const std::wstring classKey = ClassKeyPath(clsid);
    if (classKey.empty()) {
        return SELFREG_E_CLASS;
    }
    if (WriteClassKeys(HKEY_LOCAL_MACHINE, classKey, description, path, threadingModel) ==
            ERROR_SUCCESS ||
        WriteClassKeys(HKEY_CURRENT_USER, classKey, description, path, threadingModel) ==
            ERROR_SUCCESS) {
        return S_OK;
    }
    return SELFREG_E_CLASS;
}

HRESULT UnregisterServer(const CLSID& clsid) {
    const std::wstring classKey = ClassKeyPath(clsid);
    if (classKey.empty()) {
        return SELFREG_E_CLASS;
    }
    LONG machine = DeleteClassKeys(HKEY_LOCAL_MACHINE, classKey);
    LONG user = DeleteClassKeys(HKEY_CURRENT_USER, classKey);
    if (user != ERROR_SUCCESS || (machine != ERROR_SUCCESS && machine != ERROR_ACCESS_DENIED)) {
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

} // namespace olecontrol
