#include "tests/framework/TestControl.h"

#include <ocidl.h>
#include <olectl.h>

namespace test_control {

namespace {

const char kWindowClass[] = "FotoloftTestControlWindow";

std::string Narrow(BSTR text) {
    std::string result;
    for (UINT i = 0; i < ::SysStringLen(text); ++i) {
        result += static_cast<char>(text[i]);
    }
    return result;
}

BSTR Wide(const std::string& text) {
    BSTR result = ::SysAllocStringLen(nullptr, static_cast<UINT>(text.size()));
    for (size_t i = 0; i < text.size(); ++i) {
        result[i] = static_cast<unsigned char>(text[i]);
    }
    return result;
}

// "I2:7", "BSTR|BYREF:old": what an argument was, as the tests expect to read it.
std::string Describe(const VARIANT& value) {
    switch (V_VT(&value)) {
    case VT_I2:
        return "I2:" + std::to_string(V_I2(&value));
    case VT_I4:
        return "I4:" + std::to_string(V_I4(&value));
    case VT_BOOL:
        return "BOOL:" + std::to_string(V_BOOL(&value));
    case VT_BSTR:
        return "BSTR:" + Narrow(V_BSTR(&value));
    case VT_I2 | VT_BYREF:
        return "I2|BYREF:" + std::to_string(*V_I2REF(&value));
    case VT_I4 | VT_BYREF:
        return "I4|BYREF:" + std::to_string(*V_I4REF(&value));
    case VT_BOOL | VT_BYREF:
        return "BOOL|BYREF:" + std::to_string(*V_BOOLREF(&value));
    case VT_BSTR | VT_BYREF:
        return "BSTR|BYREF:" + Narrow(*V_BSTRREF(&value));
    default:
        return "VT" + std::to_string(V_VT(&value));
    }
}

LRESULT CALLBACK ControlWindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCDESTROY && TheJournal().window == hWnd) {
        TheJournal().window = nullptr;
    }
    return ::DefWindowProcA(hWnd, msg, wParam, lParam);
}

bool RegisterWindowClass() {
    WNDCLASSEXA existing = {sizeof(existing)};
    if (::GetClassInfoExA(::GetModuleHandleA(nullptr), kWindowClass, &existing)) {
        return true;
    }
    WNDCLASSEXA wc = {sizeof(wc)};
    wc.lpfnWndProc = ControlWindowProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kWindowClass;
    return ::RegisterClassExA(&wc) != 0;
}

class Control;

// The control's one connection point, for its event interface; lives inside the control.
class EventPoint final : public IConnectionPoint {
public:
    explicit EventPoint(Control& owner) : m_owner(owner) {}
    ~EventPoint() {
        if (m_sink != nullptr) {
            m_sink->Release();
        }
    }

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
            *object = static_cast<IConnectionPoint*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetConnectionInterface(IID* iid) override {
        *iid = kEventsIid;
        return S_OK;
    }
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override {
        if (m_sink != nullptr) {
            return CONNECT_E_ADVISELIMIT;
        }
        if (FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&m_sink)))) {
            return CONNECT_E_CANNOTCONNECT;
        }
        TheJournal().calls.push_back("Advise");
        *cookie = 1;
        return S_OK;
    }
    STDMETHODIMP Unadvise(DWORD cookie) override {
        if (cookie != 1 || m_sink == nullptr) {
            return CONNECT_E_NOCONNECTION;
        }
        TheJournal().calls.push_back("Unadvise");
        m_sink->Release();
        m_sink = nullptr;
        return S_OK;
    }
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override {
        *connections = nullptr;
        return E_NOTIMPL;
    }

    void Fire(DISPID dispid, DISPPARAMS* params) {
        if (m_sink != nullptr) {
            m_sink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, params, nullptr,
                           nullptr, nullptr);
        }
    }

private:
    Control& m_owner;
    IDispatch* m_sink = nullptr;
};

class Control final : public IOleObject,
                      public IOleInPlaceObject,
                      public IDispatch,
                      public IConnectionPointContainer,
                      public IProvideClassInfo2 {
public:
    Control() : m_point(*this) {
        ::VariantInit(&m_value);
        ++TheJournal().alive;
    }
    ~Control() {
        ::VariantClear(&m_value);
        if (m_site != nullptr) {
            m_site->Release();
        }
        --TheJournal().alive;
    }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown || riid == IID_IOleObject) {
            *object = static_cast<IOleObject*>(this);
        } else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceObject) {
            *object = static_cast<IOleInPlaceObject*>(this);
        } else if (riid == IID_IDispatch) {
            *object = static_cast<IDispatch*>(this);
        } else if (riid == IID_IConnectionPointContainer) {
            *object = static_cast<IConnectionPointContainer*>(this);
        } else if (riid == IID_IProvideClassInfo || riid == IID_IProvideClassInfo2) {
            *object = static_cast<IProvideClassInfo2*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG refs = --m_refs;
        if (refs == 0) {
            TheJournal().calls.push_back("Release(last)");
            delete this;
        }
        return refs;
    }

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override {
        TheJournal().calls.push_back(site != nullptr ? "SetClientSite(site)"
                                                     : "SetClientSite(null)");
        if (site != nullptr) {
            site->AddRef();
        }
        if (m_site != nullptr) {
            m_site->Release();
        }
        m_site = site;
        return S_OK;
    }
    STDMETHODIMP GetClientSite(IOleClientSite** site) override {
        *site = m_site;
        if (m_site != nullptr) {
            m_site->AddRef();
        }
        return S_OK;
    }
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD) override {
        TheJournal().calls.push_back("Close");
        DestroyOwnWindow();
        return S_OK;
    }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP DoVerb(LONG, LPMSG, IOleClientSite* activeSite, LONG, HWND parent,
                        LPCRECT position) override {
        Journal& journal = TheJournal();
        journal.calls.push_back("DoVerb");
        if (journal.failDoVerb) {
            return E_FAIL;
        }
        IOleInPlaceSite* site = nullptr;
        if (activeSite == nullptr || FAILED(activeSite->QueryInterface(
                                         IID_IOleInPlaceSite, reinterpret_cast<void**>(&site)))) {
            return E_NOINTERFACE;
        }
        site->GetWindow(&journal.siteWindow);
        IOleInPlaceFrame* frame = nullptr;
        IOleInPlaceUIWindow* document = nullptr;
        RECT clip;
        OLEINPLACEFRAMEINFO frameInfo = {sizeof(frameInfo)};
        if (SUCCEEDED(site->GetWindowContext(&frame, &document, &journal.contextRect, &clip,
                                             &frameInfo))) {
            if (frame != nullptr) {
                frame->Release();
            }
            if (document != nullptr) {
                document->Release();
            }
        }
        if (m_window == nullptr) {
            if (!RegisterWindowClass()) {
                site->Release();
                return E_FAIL;
            }
            m_window = ::CreateWindowExA(0, kWindowClass, "", WS_CHILD | WS_VISIBLE, position->left,
                                         position->top, position->right - position->left,
                                         position->bottom - position->top, parent, nullptr,
                                         ::GetModuleHandleA(nullptr), nullptr);
            if (m_window == nullptr) {
                site->Release();
                return E_FAIL;
            }
            // The container must leave this slot to the control.
            ::SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            journal.userData = this;
            journal.window = m_window;
        }
        site->OnInPlaceActivate();
        site->Release();
        return S_OK;
    }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* clsid) override {
        *clsid = kClsid;
        return S_OK;
    }
    STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override {
        *status = OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INSIDEOUT;
        return S_OK;
    }
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleInPlaceObject
    STDMETHODIMP GetWindow(HWND* window) override {
        *window = m_window;
        return m_window != nullptr ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override {
        TheJournal().calls.push_back("InPlaceDeactivate");
        DestroyOwnWindow();
        IOleInPlaceSite* site = nullptr;
        if (m_site != nullptr && SUCCEEDED(m_site->QueryInterface(
                                     IID_IOleInPlaceSite, reinterpret_cast<void**>(&site)))) {
            site->OnInPlaceDeactivate();
            site->Release();
        }
        return S_OK;
    }
    STDMETHODIMP UIDeactivate() override { return S_OK; }
    STDMETHODIMP SetObjectRects(LPCRECT, LPCRECT) override { return S_OK; }
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* error, UINT*) override {
        switch (dispid) {
        case kEcho:
            return Echo(params);
        case kReturn:
            return Return(params, result);
        case kFail:
            if (error == nullptr) {
                return E_ACCESSDENIED;
            }
            *error = EXCEPINFO{};
            error->bstrSource = Wide("TestControl");
            error->bstrDescription = Wide("The album is locked.");
            error->scode = E_ACCESSDENIED;
            return DISP_E_EXCEPTION;
        case kTwoArguments:
            return params->cArgs == 2 ? S_OK : DISP_E_BADPARAMCOUNT;
        case kFire:
            return Fire(params);
        case kValue:
            return Value(flags, params, result);
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override {
        *points = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override {
        if (riid != kEventsIid) {
            *point = nullptr;
            return CONNECT_E_NOCONNECTION;
        }
        *point = &m_point;
        m_point.AddRef();
        return S_OK;
    }

    // IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override {
        *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override {
        if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
            return E_INVALIDARG;
        }
        *guid = kEventsIid;
        return S_OK;
    }

private:
    void DestroyOwnWindow() {
        // The window may be gone already, destroyed with its parent.
        if (m_window != nullptr && TheJournal().window == m_window) {
            ::DestroyWindow(m_window);
        }
        m_window = nullptr;
    }

    HRESULT Echo(DISPPARAMS* params) {
        std::vector<std::string>& echoed = TheJournal().echoed;
        echoed.clear();
        for (UINT i = params->cArgs; i-- > 0;) {
            VARIANT& argument = params->rgvarg[i];
            echoed.push_back(Describe(argument));
            if (V_VT(&argument) == (VT_I4 | VT_BYREF)) {
                *V_I4REF(&argument) *= 2;
            } else if (V_VT(&argument) == (VT_BSTR | VT_BYREF)) {
                BSTR replaced = Wide("was " + Narrow(*V_BSTRREF(&argument)));
                ::SysFreeString(*V_BSTRREF(&argument));
                *V_BSTRREF(&argument) = replaced;
            }
        }
        return S_OK;
    }

    HRESULT Return(DISPPARAMS* params, VARIANT* result) {
        if (params->cArgs != 1) {
            return DISP_E_BADPARAMCOUNT;
        }
        VARIANT kind;
        ::VariantInit(&kind);
        if (FAILED(::VariantChangeType(&kind, &params->rgvarg[0], 0, VT_I4))) {
            return DISP_E_TYPEMISMATCH;
        }
        if (result == nullptr) {
            return S_OK;
        }
        switch (V_I4(&kind)) {
        case VT_I2:
            V_VT(result) = VT_I2;
            V_I2(result) = -12;
            break;
        case VT_I4:
            V_VT(result) = VT_I4;
            V_I4(result) = 123456;
            break;
        case VT_BOOL:
            V_VT(result) = VT_BOOL;
            V_BOOL(result) = VARIANT_TRUE;
            break;
        case VT_I8:  // a handle above 4 GiB, as a 64-bit heap hands out
            V_VT(result) = VT_I8;
            V_I8(result) = 0x123456789ALL;
            break;
        case VT_BSTR:
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = Wide("Summer 2001");
            break;
        case kTextNumber:
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = Wide("42");
            break;
        default:
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = Wide("not a number");
            break;
        }
        return S_OK;
    }

    HRESULT Fire(DISPPARAMS* params) {
        if (params->cArgs < 1) {
            return DISP_E_BADPARAMCOUNT;
        }
        VARIANT dispid;
        ::VariantInit(&dispid);
        if (FAILED(::VariantChangeType(&dispid, &params->rgvarg[params->cArgs - 1], 0, VT_I4))) {
            return DISP_E_TYPEMISMATCH;
        }
        // The remaining arguments, still last first, are the event's.
        DISPPARAMS event = {params->cArgs > 1 ? params->rgvarg : nullptr, nullptr,
                            params->cArgs - 1, 0};
        m_point.Fire(V_I4(&dispid), &event);
        return S_OK;
    }

    HRESULT Value(WORD flags, DISPPARAMS* params, VARIANT* result) {
        if (flags & DISPATCH_PROPERTYPUT) {
            if (params->cArgs != 1) {
                return DISP_E_BADPARAMCOUNT;
            }
            if (params->cNamedArgs != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
                return DISP_E_PARAMNOTFOUND;
            }
            return ::VariantCopyInd(&m_value, &params->rgvarg[0]);
        }
        if (params->cArgs != 0) {
            return DISP_E_BADPARAMCOUNT;
        }
        return result != nullptr ? ::VariantCopy(result, &m_value) : S_OK;
    }

    ULONG m_refs = 0;
    IOleClientSite* m_site = nullptr;
    HWND m_window = nullptr;
    VARIANT m_value;
    EventPoint m_point;
};

STDMETHODIMP_(ULONG) EventPoint::AddRef() {
    return m_owner.AddRef();
}

STDMETHODIMP_(ULONG) EventPoint::Release() {
    return m_owner.Release();
}

STDMETHODIMP EventPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    *container = &m_owner;
    m_owner.AddRef();
    return S_OK;
}

class Factory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // A static object: its count does not matter.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        *object = nullptr;
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        Control* control = new Control;
        control->AddRef();
        HRESULT hr = control->QueryInterface(riid, object);
        control->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

} // namespace

Journal& TheJournal() {
    static Journal journal;
    return journal;
}

Registration::Registration() {
    if (FAILED(::CoRegisterClassObject(kClsid, &g_factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                       &m_cookie))) {
        m_cookie = 0;
    }
}

Registration::~Registration() {
    if (m_cookie != 0) {
        ::CoRevokeClassObject(m_cookie);
    }
}

} // namespace test_control
