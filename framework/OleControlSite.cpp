#include "framework/OleControlSite.h"

#include <new>
#include <utility>

#include "framework/CmdTarget.h"
#include "framework/OleException.h"

// Receives a control's events and hands each to the control's parent window as the event
// message, which that window's table dispatches inside its exception guard.
class CControlEventSink final : public IDispatch {
public:
    CControlEventSink(HWND parent, UINT controlId, REFIID events)
        : m_parent(parent), m_controlId(controlId), m_events(events) {}

    // After this, events that still come are dropped.
    void Disconnect() { m_parent = nullptr; }

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == m_events) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ::InterlockedIncrement(&m_refs); }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG refs = ::InterlockedDecrement(&m_refs);
        if (refs == 0) {
            delete this;
        }
        return refs;
    }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) {
            return E_POINTER;
        }
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info != nullptr) {
            *info = nullptr;
        }
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        HWND parent = m_parent;
        if (parent == nullptr || !::IsWindow(parent)) {
            return S_OK;
        }
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        CControlEvent event = {m_controlId, dispid, params != nullptr ? params : &none};
        ::SendMessageA(parent, AfxGetControlEventMessage(), 0, reinterpret_cast<LPARAM>(&event));
        return S_OK;
    }

private:
    ~CControlEventSink() = default;

    LONG m_refs = 1;
    HWND m_parent;
    UINT m_controlId;
    IID m_events;
};

UINT AfxGetControlEventMessage() {
    static const UINT message = ::RegisterWindowMessageA("FotoloftControlEvent");
    return message;
}

long fw_detail::EventArgumentAsLong(const DISPPARAMS* params) {
    if (params == nullptr || params->cArgs == 0 || params->rgvarg == nullptr) {
        AfxThrowOleException(DISP_E_BADPARAMCOUNT);
    }
    VARIANT value;
    ::VariantInit(&value);
    HRESULT hr = ::VariantChangeType(&value, &params->rgvarg[params->cArgs - 1], 0, VT_I4);
    if (FAILED(hr)) {
        AfxThrowOleException(hr);
    }
    return V_I4(&value);
}

COleControlSite* COleControlSite::Create(HWND parent, UINT controlId, const RECT& rect) {
    return new (std::nothrow) COleControlSite(parent, controlId, rect);
}

COleControlSite::COleControlSite(HWND parent, UINT controlId, const RECT& rect)
    : m_parent(parent), m_controlId(controlId), m_rect(rect) {}

COleControlSite::~COleControlSite() = default;

HRESULT COleControlSite::CreateControl(REFCLSID clsid, HWND* controlWnd) {
    *controlWnd = nullptr;
    HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&m_object));
    if (FAILED(hr) || !m_object) {
        m_object.Reset();
        return FAILED(hr) ? hr : E_NOINTERFACE;
    }
    hr = m_object->SetClientSite(this);
    if (FAILED(hr)) {
        return hr;
    }
    m_siteSet = true;
    RECT position = m_rect;
    hr = m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, m_parent, &position);
    if (FAILED(hr)) {
        return hr;
    }
    hr = m_object.As(&m_inPlace);
    if (FAILED(hr) || !m_inPlace) {
        return FAILED(hr) ? hr : E_NOINTERFACE;
    }
    HWND window = nullptr;
    hr = m_inPlace->GetWindow(&window);
    if (FAILED(hr)) {
        return hr;
    }
    // Only a child of the parent counts as the control's window; nothing else is ever
    // destroyed on the control's behalf.
    if (window == nullptr || !::IsWindow(window) || ::GetParent(window) != m_parent) {
        return E_UNEXPECTED;
    }
    m_controlWnd = window;
    m_object.As(&m_dispatch); // a control without IDispatch answers no member calls
    ConnectEvents();
    *controlWnd = window;
    return S_OK;
}

void COleControlSite::ConnectEvents() {
    Microsoft::WRL::ComPtr<IProvideClassInfo2> classInfo;
    IID events;
    if (FAILED(m_object.As(&classInfo)) || !classInfo ||
        FAILED(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events))) {
        return;
    }
    Microsoft::WRL::ComPtr<IConnectionPointContainer> container;
    Microsoft::WRL::ComPtr<IConnectionPoint> point;
    if (FAILED(m_object.As(&container)) || !container ||
        FAILED(container->FindConnectionPoint(events, &point)) || !point) {
        return;
    }
    Microsoft::WRL::ComPtr<CControlEventSink> sink;
    sink.Attach(new (std::nothrow) CControlEventSink(m_parent, m_controlId, events));
    DWORD cookie = 0;
    if (!sink || FAILED(point->Advise(sink.Get(), &cookie))) {
        return;
    }
    m_eventPoint = std::move(point);
    m_eventCookie = cookie;
    m_sink = std::move(sink);
}

void COleControlSite::Close() {
    if (m_eventPoint) {
        m_eventPoint->Unadvise(m_eventCookie);
        m_eventPoint.Reset();
    }
    if (m_sink) {
        m_sink->Disconnect();
        m_sink.Reset();
    }
    m_dispatch.Reset();
    if (m_inPlace) {
        m_inPlace->InPlaceDeactivate();
        m_inPlace.Reset();
    }
    if (m_object) {
        // Taken out first: the control's last release may call back into this site.
        Microsoft::WRL::ComPtr<IOleObject> object = std::move(m_object);
        object->Close(OLECLOSE_NOSAVE);
        if (m_siteSet) {
            object->SetClientSite(nullptr);
            m_siteSet = false;
        }
    }
    if (m_controlWnd != nullptr && ::IsWindow(m_controlWnd)) {
        ::DestroyWindow(m_controlWnd);
    }
    m_controlWnd = nullptr;
}

STDMETHODIMP COleControlSite::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (riid == IID_IUnknown || riid == IID_IOleClientSite) {
        *object = static_cast<IOleClientSite*>(this);
    } else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite) {
        *object = static_cast<IOleInPlaceSite*>(this);
    } else if (riid == IID_IDispatch) {
        *object = static_cast<IDispatch*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) COleControlSite::AddRef() {
    return ::InterlockedIncrement(&m_refs);
}

STDMETHODIMP_(ULONG) COleControlSite::Release() {
    ULONG refs = ::InterlockedDecrement(&m_refs);
    if (refs == 0) {
        delete this;
    }
    return refs;
}

STDMETHODIMP COleControlSite::SaveObject() {
    return E_NOTIMPL;
}

STDMETHODIMP COleControlSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker != nullptr) {
        *moniker = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP COleControlSite::GetContainer(IOleContainer** container) {
    if (container != nullptr) {
        *container = nullptr;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP COleControlSite::ShowObject() {
    return S_OK;
}

STDMETHODIMP COleControlSite::OnShowWindow(BOOL) {
    return S_OK;
}

STDMETHODIMP COleControlSite::RequestNewObjectLayout() {
    return E_NOTIMPL;
}

STDMETHODIMP COleControlSite::GetWindow(HWND* window) {
    if (window == nullptr) {
        return E_POINTER;
    }
    *window = m_parent;
    return S_OK;
}

STDMETHODIMP COleControlSite::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

STDMETHODIMP COleControlSite::CanInPlaceActivate() {
    return S_OK;
}

STDMETHODIMP COleControlSite::OnInPlaceActivate() {
    return S_OK;
}

STDMETHODIMP COleControlSite::OnUIActivate() {
    return S_OK;
}

STDMETHODIMP COleControlSite::GetWindowContext(IOleInPlaceFrame** frame,
                                               IOleInPlaceUIWindow** document, LPRECT position,
                                               LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) {
    if (frame == nullptr || document == nullptr || position == nullptr || clip == nullptr) {
        return E_POINTER;
    }
    // No frame or document window: the controls hosted here never merge menus or toolbars.
    *frame = nullptr;
    *document = nullptr;
    *position = m_rect;
    *clip = m_rect;
    if (frameInfo != nullptr) {
        frameInfo->fMDIApp = FALSE;
        frameInfo->hwndFrame = ::GetAncestor(m_parent, GA_ROOT);
        frameInfo->haccel = nullptr;
        frameInfo->cAccelEntries = 0;
    }
    return S_OK;
}

STDMETHODIMP COleControlSite::Scroll(SIZE) {
    return E_NOTIMPL;
}

STDMETHODIMP COleControlSite::OnUIDeactivate(BOOL) {
    return S_OK;
}

STDMETHODIMP COleControlSite::OnInPlaceDeactivate() {
    return S_OK;
}

STDMETHODIMP COleControlSite::DiscardUndoState() {
    return E_NOTIMPL;
}

STDMETHODIMP COleControlSite::DeactivateAndUndo() {
    return E_NOTIMPL;
}

STDMETHODIMP COleControlSite::OnPosRectChange(LPCRECT position) {
    if (position == nullptr) {
        return E_POINTER;
    }
    m_rect = *position;
    if (m_inPlace != nullptr) {
        m_inPlace->SetObjectRects(&m_rect, &m_rect);
    }
    return S_OK;
}

STDMETHODIMP COleControlSite::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 0;
    return S_OK;
}

STDMETHODIMP COleControlSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) {
        *info = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP COleControlSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP COleControlSite::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) {
    return DISP_E_MEMBERNOTFOUND;
}
