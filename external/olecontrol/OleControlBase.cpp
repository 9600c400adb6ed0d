#include "OleControlBase.h"

#include <olectl.h>

#include "ComServer.h"

namespace olecontrol {

COleControlBase::COleControlBase(const CLSID& clsid, const IID& events)
    : m_clsid(clsid), m_events(events), m_eventPoint(this, events) {
    LockModule();
}

COleControlBase::~COleControlBase() {
    if (m_site != nullptr) {
        m_site->Release();
    }
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
    if (site != nullptr) {
        site->AddRef();
    }
    if (m_site != nullptr) {
        m_site->Release();
    }
    m_site = site;
    return S_OK;
}

STDMETHODIMP COleControlBase::GetClientSite(IOleClientSite** site) {
    if (site == nullptr) {
        return E_POINTER;
    }
    *site = m_site;
    if (m_site != nullptr) {
        m_site->AddRef();
    }
    return S_OK;
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

// --- in-place activation helpers ----------------------------------------------------------

IOleInPlaceSite* InPlaceSiteOf(IOleClientSite* site) {
    IOleInPlaceSite* inPlaceSite = nullptr;
    if (site == nullptr ||
        FAILED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlaceSite)))) {
        return nullptr;
    }
    return inPlaceSite;
}

bool SitePosition(IOleInPlaceSite* site, RECT* position) {
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* document = nullptr;
    RECT clip = {};
    OLEINPLACEFRAMEINFO frameInfo = {};
    frameInfo.cb = sizeof frameInfo;
    bool placed = SUCCEEDED(site->GetWindowContext(&frame, &document, position, &clip, &frameInfo));
    if (frame != nullptr) {
        frame->Release();
    }
    if (document != nullptr) {
        document->Release();
    }
    return placed;
}

} // namespace olecontrol
