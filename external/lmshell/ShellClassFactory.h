// The class object LMShell.exe registers while it runs: it makes the gallery interface
// objects for the run's session. It lives as long as the program's main function, so its
// references are not counted; the program ends when its window closes, not when the last
// object or lock goes.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "ShellSession.h"

namespace lmshell {

class CShellClassFactory final : public IClassFactory {
public:
    explicit CShellClassFactory(CShellSession* session) : m_session(session) {}
    CShellClassFactory(const CShellClassFactory&) = delete;
    CShellClassFactory& operator=(const CShellClassFactory&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    // IClassFactory
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    CShellSession* m_session;
};

} // namespace lmshell
