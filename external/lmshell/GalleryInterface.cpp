#include "GalleryInterface.h"

#include "DispatchArguments.h"
#include "LMShell.h"

namespace lmshell {

using olecontrol::CVariant;

namespace {

struct Member {
    const wchar_t* name;
    DISPID dispid;
};

const Member kMembers[] = {
    {L"CurrentGallery", DISPID_LMSHELL_CURRENTGALLERY},
    {L"OpenGallery", DISPID_LMSHELL_OPENGALLERY},
    {L"AddFile", DISPID_LMSHELL_ADDFILE},
};

// Argument position (0: the first the caller wrote) as type; an argument that does not
// convert is a type mismatch, as automation clients expect.
HRESULT ArgumentAs(const DISPPARAMS& params, UINT position, VARTYPE type, CVariant* value,
                   UINT* badArgument) {
    return FAILED(olecontrol::CoerceArgument(params, position, type, value, badArgument))
               ? DISP_E_TYPEMISMATCH
               : S_OK;
}

} // namespace

STDMETHODIMP CGalleryInterface::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CGalleryInterface::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&m_references));
}

STDMETHODIMP_(ULONG) CGalleryInterface::Release() {
    LONG left = ::InterlockedDecrement(&m_references);
    if (left == 0) {
        delete this;
    }
    return static_cast<ULONG>(left);
}

STDMETHODIMP CGalleryInterface::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 0;
    return S_OK;
}

STDMETHODIMP CGalleryInterface::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) {
        *info = nullptr;
    }
    return DISP_E_BADINDEX;
}

STDMETHODIMP CGalleryInterface::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                              DISPID* dispids) {
    if (iid != IID_NULL) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    if (names == nullptr || dispids == nullptr || count == 0) {
        return E_INVALIDARG;
    }
    // The members take no named arguments, so every name after the first is unknown.
    for (UINT i = 0; i < count; ++i) {
        dispids[i] = DISPID_UNKNOWN;
    }
    for (const Member& member : kMembers) {
        if (names[0] != nullptr && ::lstrcmpiW(names[0], member.name) == 0) {
            dispids[0] = member.dispid;
        }
    }
    return dispids[0] != DISPID_UNKNOWN && count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

STDMETHODIMP CGalleryInterface::Invoke(DISPID dispid, REFIID iid, LCID, WORD flags,
                                       DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                       UINT* badArgument) {
    if (iid != IID_NULL) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    if (params == nullptr) {
        return E_INVALIDARG;
    }
    if (params->cNamedArgs != 0) {
        return DISP_E_NONAMEDARGS;
    }
    switch (dispid) {
    case DISPID_LMSHELL_CURRENTGALLERY:
        if ((flags & DISPATCH_PROPERTYGET) == 0) {
            return DISP_E_MEMBERNOTFOUND;
        }
        if (params->cArgs != 0) {
            return DISP_E_BADPARAMCOUNT;
        }
        return olecontrol::SetResultText(result, m_session->CurrentGallery());
    case DISPID_LMSHELL_OPENGALLERY:
    case DISPID_LMSHELL_ADDFILE: {
        if ((flags & DISPATCH_METHOD) == 0) {
            return DISP_E_MEMBERNOTFOUND;
        }
        const UINT expected = dispid == DISPID_LMSHELL_OPENGALLERY ? 2 : 4;
        if (params->cArgs != expected) {
            return DISP_E_BADPARAMCOUNT;
        }
        return dispid == DISPID_LMSHELL_OPENGALLERY ? OpenGallery(*params, result, badArgument)
                                                    : AddFile(*params, result, badArgument);
    }
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT CGalleryInterface::OpenGallery(const DISPPARAMS& params, VARIANT* result,
                                       UINT* badArgument) {
    CVariant gallery;
    CVariant mode;
    HRESULT hr = ArgumentAs(params, 0, VT_BSTR, &gallery, badArgument);
    if (SUCCEEDED(hr)) {
        hr = ArgumentAs(params, 1, VT_I4, &mode, badArgument);
    }
    if (FAILED(hr)) {
        return hr;
    }
    // The second argument is always 1 from the camera manager; the shell has one way to open.
    bool opened = m_session->OpenGallery(olecontrol::AnsiText(V_BSTR(&gallery.Value())));
    return olecontrol::SetResultLong(result, opened ? 1 : 0);
}

HRESULT CGalleryInterface::AddFile(const DISPPARAMS& params, VARIANT* result, UINT* badArgument) {
    CVariant gallery;
    CVariant mode;
    CVariant path;
    CVariant show;
    HRESULT hr = ArgumentAs(params, 0, VT_BSTR, &gallery, badArgument);
    if (SUCCEEDED(hr)) {
        hr = ArgumentAs(params, 1, VT_I4, &mode, badArgument);
    }
    if (SUCCEEDED(hr)) {
        hr = ArgumentAs(params, 2, VT_BSTR, &path, badArgument);
    }
    if (SUCCEEDED(hr)) {
        hr = ArgumentAs(params, 3, VT_BOOL, &show, badArgument);
    }
    if (FAILED(hr)) {
        return hr;
    }
    // The mode (1) and the flag (TRUE) are taken as given: every file is listed alike.
    bool accepted = m_session->AddFile(olecontrol::AnsiText(V_BSTR(&gallery.Value())),
                                       olecontrol::AnsiText(V_BSTR(&path.Value())));
    return olecontrol::SetResultLong(result, accepted ? 1 : 0);
}

} // namespace lmshell
