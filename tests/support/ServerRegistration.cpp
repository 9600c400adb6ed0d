#include "tests/support/ServerRegistration.h"

namespace scratch {

std::string ClassKeyName(REFCLSID clsid) {
    wchar_t wide[64] = {};
    char narrow[64] = {};
    ::StringFromGUID2(clsid, wide, 64);
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
    return std::string("Software\\Classes\\CLSID\\") + narrow;
}

HRESULT RegisterServerDll(const std::string& path) {
    HMODULE module = ::LoadLibraryA(path.c_str());
    if (module == nullptr) {
        return HRESULT_FROM_WIN32(::GetLastError());
    }
    auto registerServer = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(::GetProcAddress(module, "DllRegisterServer")));
    HRESULT hr = registerServer != nullptr ? registerServer() : E_NOINTERFACE;
    ::FreeLibrary(module);
    return hr;
}

ServerRegistration::ServerRegistration(REFCLSID clsid, const std::string& dllPath)
    : m_classKey(HKEY_LOCAL_MACHINE, ClassKeyName(clsid)),
      m_serverKey(HKEY_LOCAL_MACHINE, ClassKeyName(clsid) + "\\InprocServer32") {
    m_result =
        m_classKey.IsReady() && m_serverKey.IsReady() ? RegisterServerDll(dllPath) : E_ACCESSDENIED;
}

} // namespace scratch
