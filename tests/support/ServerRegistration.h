// In-process COM servers registered from their DLLs, as their installers would, for a test or
// benchmark run; the class's registration found before is put back afterwards.
#pragma once

#include <windows.h>

#include <string>

#include "tests/support/ScratchRegistry.h"

namespace scratch {

// The class's key under HKEY_LOCAL_MACHINE (where Wine looks): Software\Classes\CLSID\{...}.
std::string ClassKeyName(REFCLSID clsid);

// Calls the DLL's DllRegisterServer: its result, or why it could not be called (the load
// error as an HRESULT, or E_NOINTERFACE without the entry).
HRESULT RegisterServerDll(const std::string& path);

// Sets the class's keys aside and registers the DLL; the keys are put back at scope end.
class ServerRegistration {
public:
    ServerRegistration(REFCLSID clsid, const std::string& dllPath);
    ServerRegistration(const ServerRegistration&) = delete;
    ServerRegistration& operator=(const ServerRegistration&) = delete;

    // S_OK once registered; E_ACCESSDENIED when the keys could not be set aside; else what
    // RegisterServerDll said.
    HRESULT Result() const { return m_result; }

private:
    RegistryKey m_classKey;
    RegistryKey m_serverKey;
    HRESULT m_result = E_FAIL;
};

} // namespace scratch
