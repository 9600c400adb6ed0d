// The automation object the shell serves ("LMShell.ExGalleryInterface"): IDispatch only, its
// members turned into calls on the shell's session. Every object of a run shares the session,
// so one client sees the gallery another opened.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "ShellSession.h"

namespace lmshell {

class CGalleryInterface final : public IDispatch {
public:
    // With one reference. Lives on the shell's UI thread (COM delivers calls there), and the
    // session outlives it: the program drops every object when it leaves its apartment.
    explicit CGalleryInterface(CShellSession* session) : m_session(session) {}
    CGalleryInterface(const CGalleryInterface&) = delete;
    CGalleryInterface& operator=(const CGalleryInterface&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IDispatch: no type information; the three member names are known.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                               DISPID* dispids) override;
    STDMETHODIMP Invoke(DISPID dispid, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* badArgument) override;

private:
    ~CGalleryInterface() = default;
    HRESULT OpenGallery(const DISPPARAMS& params, VARIANT* result, UINT* badArgument);
    HRESULT AddFile(const DISPPARAMS& params, VARIANT* result, UINT* badArgument);

    LONG m_references = 1;
    CShellSession* m_session;
};

} // namespace lmshell
