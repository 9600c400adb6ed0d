#include "OleControlBase.h"

#include <olectl.h>

#include <utility>

#include "ComServer.h"

namespace olecontrol {

COleControlBase::COleControlBase(const CLSID& clsid, const IID& events)
    : m_clsid(clsid), m_events(events), m_eventPoint(this, events) {
    LockModule();
}

COleControlBase::~COleControlBase() {
    UnlockModule();
}

STDMETHODIMP COleControlBase::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (iid == IID_IUnknown || iid == IID_IOleObject) {
        *object = static_cast<IOleObject*>(this);
    } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject) {
        *object = static_cast<IOleInPlaceObject*>(this);
    } else if (iid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
    } else if (iid == IID_IConnectionPointContainer) {
        *object = static_cast<IConnectionPointContainer*>(this);
    } else if (iid == IID_IProvideClassInfo || iid == IID_IProvideClassInfo2) {
        *object = static_cast<IProvideClassInfo2*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) COleControlBase::AddRef() {
    return ++m_refs;
}

STDMETHODIMP_(ULONG) COleControlBase::Release() {
    ULONG refs = --m_refs;
    if (refs == 0) {
        delete this;
    }
    return refs;
}

// --- IOleObject ---------------------------------------------------------------------------

STDMETHODIMP COleControlBase::SetClientSite(IOleClientSite* site) {
    m_site = site;
    return S_OK;
}

STDMETHODIMP COleControlBase::GetClientSite(IOleClientSite** site) {
    if (site == nullptr) {
        return E_POINTER;
    }
    *site = nullptr;
    return m_site.CopyTo(site);
}

STDMETHODIMP COleControlBase::SetHostNames(LPCOLESTR, LPCOLESTR) {
    return S_OK;
}

STDMETHODIMP COleControlBase::SetMoniker(DWORD, IMoniker*) {
    return E_NOTIMPL;
}

STDMETHODIMP COleControlBase::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker != nullptr) {
        *moniker = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP COleControlBase::InitFromData(IDataObject*, BOOL, DWORD) {
    return E_NOTIMPL;
}

STDMETHODIMP COleControlBase::GetClipboardData(DWORD, IDataObject** data) {
    if (data != nullptr) {
        *data = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP COleControlBase::EnumVerbs(IEnumOLEVERB** verbs) {
    if (verbs != nullptr) {
        *verbs = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP COleControlBase::Update() {
    return S_OK;
}

STDMETHODIMP COleControlBase::IsUpToDate() {
    return S_OK;
}

STDMETHODIMP COleControlBase::GetUserClassID(CLSID* clsid) {
    if (clsid == nullptr) {
        return E_POINTER;
    }
    *clsid = m_clsid;
    return S_OK;
}

STDMETHODIMP COleControlBase::GetUserType(DWORD, LPOLESTR* userType) {
    if (userType != nullptr) {
        *userType = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP COleControlBase::SetExtent(DWORD, SIZEL*) {
    return E_NOTIMPL;
}

STDMETHODIMP COleControlBase::GetExtent(DWORD, SIZEL*) {
    return E_NOTIMPL;
}

STDMETHODIMP COleControlBase::Advise(IAdviseSink*, DWORD* connection) {
    if (connection != nullptr) {
        *connection = 0;
    }
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP COleControlBase::Unadvise(DWORD) {
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP COleControlBase::EnumAdvise(IEnumSTATDATA** advise) {
    if (advise != nullptr) {
        *advise = nullptr;
    }
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP COleControlBase::GetMiscStatus(DWORD, DWORD* status) {
    if (status == nullptr) {
        return E_POINTER;
    }
    *status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT |
              OLEMISC_SETCLIENTSITEFIRST | OLEMISC_CANTLINKINSIDE;
    return S_OK;
}

STDMETHODIMP COleControlBase::SetColorScheme(LOGPALETTE*) {
    return E_NOTIMPL;
}

STDMETHODIMP COleControlBase::DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG,
                                     HWND parent, LPCRECT position) {
    switch (verb) {
    case OLEIVERB_SHOW: {
        const HRESULT hr = ActivateInPlace(activeSite, parent, position);
        if (SUCCEEDED(hr)) {
            ::ShowWindow(ControlWindow(), SW_SHOW);
        }
        return hr;
    }
    case OLEIVERB_PRIMARY:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
        return ActivateInPlace(activeSite, parent, position);
    case OLEIVERB_HIDE:
        if (HWND window = ControlWindow()) {
            ::ShowWindow(window, SW_HIDE);
        }
        return S_OK;
    default:
        return OLEOBJ_S_INVALIDVERB;
    }
}

STDMETHODIMP COleControlBase::Close(DWORD) {
    return InPlaceDeactivate();
}

// --- IOleWindow, IOleInPlaceObject --------------------------------------------------------

STDMETHODIMP COleControlBase::GetWindow(HWND* window) {
    if (window == nullptr) {
        return E_POINTER;
    }
    *window = ControlWindow();
    return *window != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP COleControlBase::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

STDMETHODIMP COleControlBase::UIDeactivate() {
    return S_OK;
}

STDMETHODIMP COleControlBase::SetObjectRects(LPCRECT position, LPCRECT) {
    if (position == nullptr) {
        return E_POINTER;
    }
    MoveControlWindow(*position);
    return S_OK;
}

STDMETHODIMP COleControlBase::ReactivateAndUndo() {
    return E_NOTIMPL;
}

STDMETHODIMP COleControlBase::InPlaceDeactivate() {
    DestroyControlWindow();
    // Taken out first: the site may call back into this control while it hears of it.
    Microsoft::WRL::ComPtr<IOleInPlaceSite> site = std::move(m_inPlaceSite);
    if (site) {
        site->OnInPlaceDeactivate();
    }
    return S_OK;
}

// --- IDispatch ----------------------------------------------------------------------------

STDMETHODIMP COleControlBase::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 0;
    return S_OK;
}

STDMETHODIMP COleControlBase::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) {
        *info = nullptr;
    }
    return DISP_E_BADINDEX;
}

// --- IConnectionPointContainer, IProvideClassInfo2 ----------------------------------------

STDMETHODIMP COleControlBase::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points != nullptr) {
        *points = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP COleControlBase::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (point == nullptr) {
        return E_POINTER;
    }
    if (iid != m_events) {
        *point = nullptr;
        return CONNECT_E_NOCONNECTION;
    }
    *point = &m_eventPoint;
    m_eventPoint.AddRef();
    return S_OK;
}

STDMETHODIMP COleControlBase::GetClassInfo(ITypeInfo** info) {
    if (info != nullptr) {
        *info = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP COleControlBase::GetGUID(DWORD kind, GUID* guid) {
    if (guid == nullptr) {
        return E_POINTER;
    }
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = m_events;
    return S_OK;
}

// --- in-place activation -----------------------------------------------------------------

HRESULT COleControlBase::ActivateInPlace(IOleClientSite* activeSite, HWND parent,
                                         LPCRECT position) {
    if (ControlWindow() != nullptr) {
        if (position != nullptr) {
            MoveControlWindow(*position);
        }
        return S_OK;
    }
    Microsoft::WRL::ComPtr<IOleInPlaceSite> site;
    if (IOleClientSite* from = activeSite != nullptr ? activeSite : m_site.Get()) {
        from->QueryInterface(IID_PPV_ARGS(&site)); // a site without it places nothing
    }
    if (site && site->CanInPlaceActivate() != S_OK) {
        return E_FAIL;
    }
    if (parent == nullptr && site && FAILED(site->GetWindow(&parent))) {
        parent = nullptr;
    }
    RECT rect = {0, 0, 0, 0};
    if (position != nullptr) {
        rect = *position;
    } else if (site) {
        Microsoft::WRL::ComPtr<IOleInPlaceFrame> frame;
        Microsoft::WRL::ComPtr<IOleInPlaceUIWindow> document;
        RECT clip = {};
        OLEINPLACEFRAMEINFO frameInfo = {};
        frameInfo.cb = sizeof frameInfo;
        if (FAILED(site->GetWindowContext(&frame, &document, &rect, &clip, &frameInfo))) {
            rect = RECT{0, 0, 0, 0};
        }
    }
    if (parent == nullptr) {
        return E_INVALIDARG;
    }
    if (site) {
        site->OnInPlaceActivate();
    }
    if (!CreateControlWindow(parent, rect)) {
        if (site) {
            site->OnInPlaceDeactivate();
        }
        return E_FAIL;
    }
    m_inPlaceSite = std::move(site);
    return S_OK;
}

} // namespace olecontrol
