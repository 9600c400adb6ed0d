#include "AlbumListObject.h"

#include <olectl.h>

#include "AlbumListControl.h"
#include "AlbumListModule.h"
#include "GalleryFolders.h"

namespace albumlist {

namespace {

const wchar_t kWindowClass[] = L"AlbumListControlWindow";
// Posted by a thread other than the window's when the data changed.
const UINT kSyncMessage = WM_APP + 1;
const int kComboId = 1;
// Height of the open list below the combo box's field.
const int kDroppedListHeight = 200;
// Positions of GetFirst/GetNextGalleryPosition: far above any index, so that GetGalleryName
// tells one from the other.
const long kPositionBase = 0x10000;

// Exclusive hold of an SRW lock for a scope.
class Lock {
public:
    explicit Lock(SRWLOCK& lock) : m_lock(lock) { ::AcquireSRWLockExclusive(&m_lock); }
    ~Lock() { ::ReleaseSRWLockExclusive(&m_lock); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    SRWLOCK& m_lock;
};

// A VARIANT cleared at scope end.
class Variant {
public:
    Variant() { ::VariantInit(&m_value); }
    ~Variant() { ::VariantClear(&m_value); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT* Get() { return &m_value; }
    VARIANT* operator->() { return &m_value; }

private:
    VARIANT m_value;
};

// Argument `position` (0: the first the caller wrote) converted to type; the arguments
// arrive last first.
HRESULT ArgumentAs(DISPPARAMS* params, UINT position, VARTYPE type, VARIANT* value,
                   UINT* badArgument) {
    UINT index = params->cArgs - 1 - position;
    if (FAILED(::VariantChangeType(value, &params->rgvarg[index], 0, type))) {
        if (badArgument != nullptr) {
            *badArgument = index;
        }
        return DISP_E_TYPEMISMATCH;
    }
    return S_OK;
}

std::wstring BstrText(BSTR text) {
    return std::wstring(text != nullptr ? text : L"", ::SysStringLen(text));
}

HRESULT ReturnLong(VARIANT* result, long value) {
    if (result != nullptr) {
        V_VT(result) = VT_I4;
        V_I4(result) = value;
    }
    return S_OK;
}

HRESULT ReturnBool(VARIANT* result, BOOL value) {
    if (result != nullptr) {
        V_VT(result) = VT_BOOL;
        V_BOOL(result) = value ? VARIANT_TRUE : VARIANT_FALSE;
    }
    return S_OK;
}

HRESULT ReturnText(VARIANT* result, const std::wstring& text) {
    if (result == nullptr) {
        return S_OK;
    }
    BSTR copy = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (copy == nullptr) {
        return E_OUTOFMEMORY;
    }
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = copy;
    return S_OK;
}

// The control window's class, registered once per load of the DLL (which unregisters it).
bool RegisterWindowClass(WNDPROC windowProc) {
    WNDCLASSEXW existing = {sizeof(existing)};
    if (::GetClassInfoExW(ModuleInstance(), kWindowClass, &existing)) {
        return true;
    }
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.lpfnWndProc = windowProc;
    wc.cbWndExtra = sizeof(LONG_PTR);  // the object; the user-data slot stays the host's
    wc.hInstance = ModuleInstance();
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

// --- CEventPoint ----------------------------------------------------------------------

CEventPoint::CEventPoint(CAlbumListObject& owner) : m_owner(owner) {}

CEventPoint::~CEventPoint() {
    for (auto& sink : m_sinks) {
        sink.second->Release();
    }
}

STDMETHODIMP CEventPoint::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CEventPoint::AddRef() {
    return m_owner.AddRef();
}

STDMETHODIMP_(ULONG) CEventPoint::Release() {
    return m_owner.Release();
}

STDMETHODIMP CEventPoint::GetConnectionInterface(IID* iid) {
    if (iid == nullptr) {
        return E_POINTER;
    }
    *iid = DIID_AlbumListEvents;
    return S_OK;
}

STDMETHODIMP CEventPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (container == nullptr) {
        return E_POINTER;
    }
    *container = &m_owner;
    m_owner.AddRef();
    return S_OK;
}

STDMETHODIMP CEventPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (sink == nullptr || cookie == nullptr) {
        return E_POINTER;
    }
    *cookie = 0;
    IDispatch* dispatch = nullptr;
    if (FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))) ||
        dispatch == nullptr) {
        return CONNECT_E_CANNOTCONNECT;
    }
    Lock lock(m_lock);
    *cookie = m_nextCookie++;
    m_sinks.emplace_back(*cookie, dispatch);
    return S_OK;
}

STDMETHODIMP CEventPoint::Unadvise(DWORD cookie) {
    IDispatch* dispatch = nullptr;
    {
        Lock lock(m_lock);
        for (auto it = m_sinks.begin(); it != m_sinks.end(); ++it) {
            if (it->first == cookie) {
                dispatch = it->second;
                m_sinks.erase(it);
                break;
            }
        }
    }
    if (dispatch == nullptr) {
        return CONNECT_E_NOCONNECTION;
    }
    dispatch->Release();
    return S_OK;
}

STDMETHODIMP CEventPoint::EnumConnections(IEnumConnections** connections) {
    if (connections != nullptr) {
        *connections = nullptr;
    }
    return E_NOTIMPL;
}

// --- CAlbumListObject: identity and lifetime ------------------------------------------

CAlbumListObject::CAlbumListObject() : m_eventPoint(*this) {
    LockModule();
    Reload();
}

CAlbumListObject::~CAlbumListObject() {
    DestroyOwnWindow();
    if (m_site != nullptr) {
        m_site->Release();
    }
    UnlockModule();
}

STDMETHODIMP CAlbumListObject::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
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

STDMETHODIMP_(ULONG) CAlbumListObject::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
}

STDMETHODIMP_(ULONG) CAlbumListObject::Release() {
    LONG refs = ::InterlockedDecrement(&m_refs);
    if (refs == 0) {
        delete this;
    }
    return static_cast<ULONG>(refs);
}

// --- IOleObject ---------------------------------------------------------------------

STDMETHODIMP CAlbumListObject::SetClientSite(IOleClientSite* site) {
    if (site != nullptr) {
        site->AddRef();
    }
    if (m_site != nullptr) {
        m_site->Release();
    }
    m_site = site;
    return S_OK;
}

STDMETHODIMP CAlbumListObject::GetClientSite(IOleClientSite** site) {
    if (site == nullptr) {
        return E_POINTER;
    }
    *site = m_site;
    if (m_site != nullptr) {
        m_site->AddRef();
    }
    return S_OK;
}

STDMETHODIMP CAlbumListObject::SetHostNames(LPCOLESTR, LPCOLESTR) {
    return S_OK;
}

STDMETHODIMP CAlbumListObject::Close(DWORD) {
    DestroyOwnWindow();
    m_inPlaceActive = false;
    return S_OK;
}

STDMETHODIMP CAlbumListObject::SetMoniker(DWORD, IMoniker*) {
    return E_NOTIMPL;
}

STDMETHODIMP CAlbumListObject::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker != nullptr) {
        *moniker = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP CAlbumListObject::InitFromData(IDataObject*, BOOL, DWORD) {
    return E_NOTIMPL;
}

STDMETHODIMP CAlbumListObject::GetClipboardData(DWORD, IDataObject** data) {
    if (data != nullptr) {
        *data = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP CAlbumListObject::DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG,
                                      HWND parent, LPCRECT position) {
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
        return Activate(activeSite, parent, position);
    case OLEIVERB_HIDE: {
        HWND window = nullptr;
        {
            Lock lock(m_lock);
            window = m_window;
        }
        if (window != nullptr) {
            ::ShowWindow(window, SW_HIDE);
        }
        return S_OK;
    }
    default:
        return OLEOBJ_S_INVALIDVERB;
    }
}

STDMETHODIMP CAlbumListObject::EnumVerbs(IEnumOLEVERB** verbs) {
    if (verbs != nullptr) {
        *verbs = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP CAlbumListObject::Update() {
    return S_OK;
}

STDMETHODIMP CAlbumListObject::IsUpToDate() {
    return S_OK;
}

STDMETHODIMP CAlbumListObject::GetUserClassID(CLSID* clsid) {
    if (clsid == nullptr) {
        return E_POINTER;
    }
    *clsid = CLSID_AlbumList;
    return S_OK;
}

STDMETHODIMP CAlbumListObject::GetUserType(DWORD, LPOLESTR* type) {
    if (type != nullptr) {
        *type = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP CAlbumListObject::SetExtent(DWORD, SIZEL*) {
    return E_NOTIMPL;
}

STDMETHODIMP CAlbumListObject::GetExtent(DWORD, SIZEL*) {
    return E_NOTIMPL;
}

STDMETHODIMP CAlbumListObject::Advise(IAdviseSink*, DWORD* connection) {
    if (connection != nullptr) {
        *connection = 0;
    }
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP CAlbumListObject::Unadvise(DWORD) {
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP CAlbumListObject::EnumAdvise(IEnumSTATDATA** advise) {
    if (advise != nullptr) {
        *advise = nullptr;
    }
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP CAlbumListObject::GetMiscStatus(DWORD, DWORD* status) {
    if (status == nullptr) {
        return E_POINTER;
    }
    *status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT |
              OLEMISC_SETCLIENTSITEFIRST | OLEMISC_CANTLINKINSIDE;
    return S_OK;
}

STDMETHODIMP CAlbumListObject::SetColorScheme(LOGPALETTE*) {
    return E_NOTIMPL;
}

// --- IOleInPlaceObject --------------------------------------------------------------

STDMETHODIMP CAlbumListObject::GetWindow(HWND* window) {
    if (window == nullptr) {
        return E_POINTER;
    }
    Lock lock(m_lock);
    *window = m_window;
    return m_window != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP CAlbumListObject::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

STDMETHODIMP CAlbumListObject::InPlaceDeactivate() {
    DestroyOwnWindow();
    if (!m_inPlaceActive) {
        return S_OK;
    }
    m_inPlaceActive = false;
    IOleInPlaceSite* site = nullptr;
    if (m_site != nullptr &&
        SUCCEEDED(m_site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&site))) &&
        site != nullptr) {
        site->OnInPlaceDeactivate();
        site->Release();
    }
    return S_OK;
}

STDMETHODIMP CAlbumListObject::UIDeactivate() {
    return S_OK;
}

STDMETHODIMP CAlbumListObject::SetObjectRects(LPCRECT position, LPCRECT) {
    if (position == nullptr) {
        return E_POINTER;
    }
    HWND window = nullptr;
    {
        Lock lock(m_lock);
        window = m_window;
    }
    if (window != nullptr) {
        ::MoveWindow(window, position->left, position->top, position->right - position->left,
                     position->bottom - position->top, TRUE);
    }
    return S_OK;
}

STDMETHODIMP CAlbumListObject::ReactivateAndUndo() {
    return E_NOTIMPL;
}

// --- IConnectionPointContainer, IProvideClassInfo2 -----------------------------------

STDMETHODIMP CAlbumListObject::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points != nullptr) {
        *points = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP CAlbumListObject::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (point == nullptr) {
        return E_POINTER;
    }
    if (riid != DIID_AlbumListEvents) {
        *point = nullptr;
        return CONNECT_E_NOCONNECTION;
    }
    *point = &m_eventPoint;
    m_eventPoint.AddRef();
    return S_OK;
}

STDMETHODIMP CAlbumListObject::GetClassInfo(ITypeInfo** info) {
    if (info != nullptr) {
        *info = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP CAlbumListObject::GetGUID(DWORD kind, GUID* guid) {
    if (guid == nullptr) {
        return E_POINTER;
    }
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        return E_INVALIDARG;
    }
    *guid = DIID_AlbumListEvents;
    return S_OK;
}

// --- Window ---------------------------------------------------------------------------

HRESULT CAlbumListObject::Activate(IOleClientSite* activeSite, HWND parent, LPCRECT position) {
    {
        Lock lock(m_lock);
        if (m_window != nullptr) {
            return S_OK;
        }
    }
    IOleClientSite* clientSite = activeSite != nullptr ? activeSite : m_site;
    IOleInPlaceSite* site = nullptr;
    if (clientSite == nullptr ||
        FAILED(clientSite->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&site)))) {
        site = nullptr;
    }
    RECT rect = {};
    bool placed = position != nullptr;
    if (placed) {
        rect = *position;
    }
    // What the container did not pass, its site tells.
    if (site != nullptr && parent == nullptr) {
        site->GetWindow(&parent);
    }
    if (site != nullptr && !placed) {
        IOleInPlaceFrame* frame = nullptr;
        IOleInPlaceUIWindow* document = nullptr;
        RECT clip;
        OLEINPLACEFRAMEINFO frameInfo = {sizeof(frameInfo)};
        placed = SUCCEEDED(site->GetWindowContext(&frame, &document, &rect, &clip, &frameInfo));
        if (frame != nullptr) {
            frame->Release();
        }
        if (document != nullptr) {
            document->Release();
        }
    }
    HRESULT hr = S_OK;
    if (parent == nullptr || !placed) {
        hr = E_INVALIDARG;
    } else if (site != nullptr && site->CanInPlaceActivate() != S_OK) {
        hr = E_FAIL;
    } else if (!RegisterWindowClass(WindowProc)) {
        hr = HRESULT_FROM_WIN32(::GetLastError());
    }
    if (FAILED(hr)) {
        if (site != nullptr) {
            site->Release();
        }
        return hr;
    }

    HWND window = ::CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, L"",
                                    WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect.left, rect.top,
                                    rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                                    ModuleInstance(), this);
    if (window == nullptr) {
        if (site != nullptr) {
            site->Release();
        }
        return E_FAIL;
    }
    RECT client;
    ::GetClientRect(window, &client);
    m_combo = ::CreateWindowExW(
        0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST, 0,
        0, client.right, client.bottom + kDroppedListHeight, window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kComboId)), ModuleInstance(), nullptr);
    if (m_combo == nullptr) {
        ::DestroyWindow(window);
        if (site != nullptr) {
            site->Release();
        }
        return E_FAIL;
    }
    ::SendMessageW(m_combo, WM_SETFONT,
                   reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    {
        Lock lock(m_lock);
        m_window = window;
        m_windowThread = ::GetCurrentThreadId();
    }
    m_shownAny = false;
    SyncWindow();
    m_inPlaceActive = true;
    if (site != nullptr) {
        site->OnInPlaceActivate();
        site->Release();
    }
    return S_OK;
}

void CAlbumListObject::DestroyOwnWindow() {
    HWND window = nullptr;
    DWORD thread = 0;
    {
        Lock lock(m_lock);
        window = m_window;
        thread = m_windowThread;
    }
    if (window == nullptr) {
        return;
    }
    if (thread == ::GetCurrentThreadId()) {
        // WM_NCDESTROY forgets the window.
        ::DestroyWindow(window);
    } else {
        // Only its own thread destroys a window: cut it loose from this object and have it
        // close itself there.
        ::SetWindowLongPtrW(window, 0, 0);
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
    OnWindowDestroyed();
}

void CAlbumListObject::OnWindowDestroyed() {
    Lock lock(m_lock);
    m_window = nullptr;
    m_combo = nullptr;
}

LRESULT CALLBACK CAlbumListObject::WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        const CREATESTRUCTW* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hWnd, 0, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    CAlbumListObject* self = reinterpret_cast<CAlbumListObject*>(::GetWindowLongPtrW(hWnd, 0));
    if (self == nullptr) {
        return ::DefWindowProcW(hWnd, msg, wParam, lParam);
    }
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wParam) == kComboId && HIWORD(wParam) == CBN_SELCHANGE) {
            self->OnSelectionChanged();
            return 0;
        }
        break;
    case WM_SIZE:
        if (self->m_combo != nullptr) {
            ::MoveWindow(self->m_combo, 0, 0, LOWORD(lParam), HIWORD(lParam) + kDroppedListHeight,
                         TRUE);
        }
        return 0;
    case WM_SETFOCUS:
        if (self->m_combo != nullptr) {
            ::SetFocus(self->m_combo);
        }
        return 0;
    case kSyncMessage:
        self->SyncWindow();
        return 0;
    case WM_NCDESTROY:
        // Also when the host's window, the parent, goes first.
        ::SetWindowLongPtrW(hWnd, 0, 0);
        self->OnWindowDestroyed();
        break;
    default:
        break;
    }
    return ::DefWindowProcW(hWnd, msg, wParam, lParam);
}

void CAlbumListObject::OnSelectionChanged() {
    if (m_combo == nullptr) {
        return;
    }
    // By name: another thread may have changed the list since the box was filled.
    std::wstring name;
    LRESULT index = ::SendMessageW(m_combo, CB_GETCURSEL, 0, 0);
    if (index != CB_ERR) {
        LRESULT length = ::SendMessageW(m_combo, CB_GETLBTEXTLEN, index, 0);
        if (length != CB_ERR) {
            std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
            ::SendMessageW(m_combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
            name = text.data();
        }
    }
    bool stale = false;
    {
        Lock lock(m_lock);
        m_selected = -1;
        for (size_t i = 0; i < m_galleries.size(); ++i) {
            if (m_galleries[i] == name) {
                m_selected = static_cast<int>(i);
                break;
            }
        }
        stale = m_shownVersion != m_listVersion;
    }
    if (stale) {
        SyncWindow();
    }
}

void CAlbumListObject::SyncWindow() {
    HWND window = nullptr;
    std::vector<std::wstring> names;
    int selected = -1;
    BOOL enabled = TRUE;
    unsigned version = 0;
    bool refill = false;
    {
        Lock lock(m_lock);
        window = m_window;
        selected = m_selected;
        enabled = m_enabled;
        version = m_listVersion;
        refill = !m_shownAny || m_shownVersion != version;
        if (refill) {
            names = m_galleries;
        }
    }
    if (window == nullptr || m_combo == nullptr) {
        return;
    }
    if (refill) {
        ::SendMessageW(m_combo, WM_SETREDRAW, FALSE, 0);
        ::SendMessageW(m_combo, CB_RESETCONTENT, 0, 0);
        for (const std::wstring& name : names) {
            ::SendMessageW(m_combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        }
        ::SendMessageW(m_combo, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(m_combo, nullptr, TRUE);
        m_shownVersion = version;
        m_shownAny = true;
    }
    ::SendMessageW(m_combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    ::EnableWindow(m_combo, enabled);
    ::EnableWindow(window, enabled);
}

void CAlbumListObject::WindowChanged() {
    HWND window = nullptr;
    DWORD thread = 0;
    {
        Lock lock(m_lock);
        window = m_window;
        thread = m_windowThread;
    }
    if (window == nullptr) {
        return;
    }
    if (thread == ::GetCurrentThreadId()) {
        SyncWindow();
    } else {
        ::PostMessageW(window, kSyncMessage, 0, 0);
    }
}

// --- Data -----------------------------------------------------------------------------

bool CAlbumListObject::Reload() {
    std::wstring root = ReadGalleriesRoot();
    std::vector<std::wstring> galleries = ListGalleries(root);
    bool exists = !root.empty() && IsDirectory(root);
    {
        Lock lock(m_lock);
        std::wstring selectedName;
        if (m_selected >= 0 && m_selected < static_cast<int>(m_galleries.size())) {
            selectedName = m_galleries[static_cast<size_t>(m_selected)];
        }
        m_root = root;
        m_galleries = std::move(galleries);
        ++m_listVersion;
        m_selected = -1;
        for (size_t i = 0; i < m_galleries.size() && !selectedName.empty(); ++i) {
            if (SameName(m_galleries[i], selectedName)) {
                m_selected = static_cast<int>(i);
                break;
            }
        }
    }
    WindowChanged();
    return exists;
}

void CAlbumListObject::SelectByName(const std::wstring& name) {
    {
        Lock lock(m_lock);
        for (size_t i = 0; i < m_galleries.size(); ++i) {
            if (SameName(m_galleries[i], name)) {
                m_selected = static_cast<int>(i);
                break;
            }
        }
    }
    WindowChanged();
}

// --- IDispatch ------------------------------------------------------------------------

STDMETHODIMP CAlbumListObject::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 0;
    return S_OK;
}

STDMETHODIMP CAlbumListObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) {
        *info = nullptr;
    }
    return DISP_E_BADINDEX;
}

STDMETHODIMP CAlbumListObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* dispids) {
    for (UINT i = 0; dispids != nullptr && i < count; ++i) {
        dispids[i] = DISPID_UNKNOWN;
    }
    return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP CAlbumListObject::Invoke(DISPID dispid, REFIID riid, LCID, WORD flags,
                                      DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                      UINT* badArgument) {
    if (riid != IID_NULL) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    if (params == nullptr) {
        return E_INVALIDARG;
    }
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (params->cArgs != 1) {
            return DISP_E_BADPARAMCOUNT;
        }
        if (params->cNamedArgs > 1 ||
            (params->cNamedArgs == 1 && params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)) {
            return DISP_E_PARAMNOTFOUND;
        }
        return PutProperty(dispid, &params->rgvarg[0], badArgument);
    }
    if (params->cNamedArgs != 0) {
        return DISP_E_NONAMEDARGS;
    }

    UINT expected = 0;
    switch (dispid) {
    case DISPID_ALBUMLIST_GETFIRSTPOSITION:
    case DISPID_ALBUMLIST_GETNEXTPOSITION:
    case DISPID_ALBUMLIST_GETGALLERYNAME:
    case DISPID_ALBUMLIST_ADDGALLERY:
    case DISPID_ALBUMLIST_SHOWTHUMBNAILS:
        expected = 1;
        break;
    case DISPID_ALBUMLIST_ADDFILETOGALLERY:
        expected = 2;
        break;
    default:
        break;
    }
    if (params->cArgs != expected) {
        return DISP_E_BADPARAMCOUNT;
    }

    switch (dispid) {
    case DISPID_ALBUMLIST_REFRESH:
        Reload();
        return S_OK;
    case DISPID_ALBUMLIST_LOAD:
        return ReturnBool(result, Reload() ? TRUE : FALSE);
    case DISPID_ALBUMLIST_GETFIRSTPOSITION:
    case DISPID_ALBUMLIST_GETNEXTPOSITION:
        return GetPosition(dispid, params, result, badArgument);
    case DISPID_ALBUMLIST_GETGALLERYNAME:
        return GetGalleryName(params, result, badArgument);
    case DISPID_ALBUMLIST_ADDFILETOGALLERY:
        return AddFileToGallery(params, result, badArgument);
    case DISPID_ALBUMLIST_ADDGALLERY:
        return AddGallery(params, result, badArgument);
    case DISPID_ALBUMLIST_SHOWTHUMBNAILS:
        return ShowThumbnails(params, result, badArgument);
    default:
        return GetProperty(dispid, result);
    }
}

HRESULT CAlbumListObject::PutProperty(DISPID dispid, VARIANT* value, UINT* badArgument) {
    VARTYPE type = VT_EMPTY;
    switch (dispid) {
    case DISPID_ALBUMLIST_ENABLED:
    case DISPID_ALBUMLIST_SHOWNEW:
    case DISPID_ALBUMLIST_DROPDOWN:
        type = VT_BOOL;
        break;
    case DISPID_ALBUMLIST_STYLE:
        type = VT_I2;
        break;
    case DISPID_ALBUMLIST_VIEW:
        type = VT_I4;
        break;
    case DISPID_ALBUMLIST_GALLERY:
        type = VT_BSTR;
        break;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
    Variant converted;
    if (FAILED(::VariantChangeType(converted.Get(), value, 0, type))) {
        if (badArgument != nullptr) {
            *badArgument = 0;
        }
        return DISP_E_TYPEMISMATCH;
    }
    if (dispid == DISPID_ALBUMLIST_GALLERY) {
        SelectByName(BstrText(V_BSTR(converted.Get())));
        return S_OK;
    }
    {
        Lock lock(m_lock);
        switch (dispid) {
        case DISPID_ALBUMLIST_ENABLED:
            m_enabled = V_BOOL(converted.Get()) != VARIANT_FALSE;
            break;
        case DISPID_ALBUMLIST_SHOWNEW:
            m_showNew = V_BOOL(converted.Get()) != VARIANT_FALSE;
            break;
        case DISPID_ALBUMLIST_DROPDOWN:
            m_dropDown = V_BOOL(converted.Get()) != VARIANT_FALSE;
            break;
        case DISPID_ALBUMLIST_STYLE:
            m_style = V_I2(converted.Get());
            break;
        default:
            m_view = V_I4(converted.Get());
            break;
        }
    }
    if (dispid == DISPID_ALBUMLIST_ENABLED) {
        WindowChanged();
    }
    return S_OK;
}

HRESULT CAlbumListObject::GetProperty(DISPID dispid, VARIANT* result) {
    Lock lock(m_lock);
    switch (dispid) {
    case DISPID_ALBUMLIST_SELECTEDGALLERY:
        return ReturnLong(result, m_selected);
    case DISPID_ALBUMLIST_ENABLED:
        return ReturnBool(result, m_enabled);
    case DISPID_ALBUMLIST_SHOWNEW:
        return ReturnBool(result, m_showNew);
    case DISPID_ALBUMLIST_DROPDOWN:
        return ReturnBool(result, m_dropDown);
    case DISPID_ALBUMLIST_STYLE:
        if (result != nullptr) {
            V_VT(result) = VT_I2;
            V_I2(result) = m_style;
        }
        return S_OK;
    case DISPID_ALBUMLIST_VIEW:
        return ReturnLong(result, m_view);
    case DISPID_ALBUMLIST_GALLERY:
        return ReturnText(result, m_selected >= 0 ? m_galleries[static_cast<size_t>(m_selected)]
                                                  : std::wstring());
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT CAlbumListObject::GetPosition(DISPID dispid, DISPPARAMS* params, VARIANT* result,
                                      UINT* badArgument) {
    // The state is the caller's long, passed by reference: the index last handed out.
    VARIANT& state = params->rgvarg[0];
    if (V_VT(&state) != (VT_I4 | VT_BYREF) || V_I4REF(&state) == nullptr) {
        if (badArgument != nullptr) {
            *badArgument = 0;
        }
        return DISP_E_TYPEMISMATCH;
    }
    long index = dispid == DISPID_ALBUMLIST_GETFIRSTPOSITION ? 0 : *V_I4REF(&state) + 1;
    long count = 0;
    {
        Lock lock(m_lock);
        count = static_cast<long>(m_galleries.size());
    }
    if (index < 0 || index >= count) {
        *V_I4REF(&state) = count;
        return ReturnLong(result, 0);
    }
    *V_I4REF(&state) = index;
    return ReturnLong(result, kPositionBase + index);
}

HRESULT CAlbumListObject::GetGalleryName(DISPPARAMS* params, VARIANT* result, UINT* badArgument) {
    Variant which;
    HRESULT hr = ArgumentAs(params, 0, VT_I4, which.Get(), badArgument);
    if (FAILED(hr)) {
        return hr;
    }
    long value = V_I4(which.Get());
    std::wstring name;
    {
        Lock lock(m_lock);
        long count = static_cast<long>(m_galleries.size());
        long index = -1;
        if (value >= 0 && value < count) {
            index = value;
        } else if (value >= kPositionBase && value - kPositionBase < count) {
            index = value - kPositionBase;
        }
        if (index >= 0) {
            name = m_galleries[static_cast<size_t>(index)];
        }
    }
    return ReturnText(result, name);
}

HRESULT CAlbumListObject::AddFileToGallery(DISPPARAMS* params, VARIANT* result, UINT* badArgument) {
    Variant gallery;
    Variant file;
    HRESULT hr = ArgumentAs(params, 0, VT_BSTR, gallery.Get(), badArgument);
    if (SUCCEEDED(hr)) {
        hr = ArgumentAs(params, 1, VT_BSTR, file.Get(), badArgument);
    }
    if (FAILED(hr)) {
        return hr;
    }
    std::wstring galleryName = BstrText(V_BSTR(gallery.Get()));
    std::wstring fileName = FileNamePart(BstrText(V_BSTR(file.Get())));
    std::wstring root;
    {
        Lock lock(m_lock);
        root = m_root;
    }
    // Only reports whether the file is there: copying it in is the caller's work.
    bool there = !root.empty() && IsPlainName(galleryName) && IsPlainName(fileName) &&
                 IsFile(GalleryFolder(root, galleryName) + L"\\" + fileName);
    return ReturnLong(result, there ? 1 : 0);
}

HRESULT CAlbumListObject::AddGallery(DISPPARAMS* params, VARIANT* result, UINT* badArgument) {
    Variant name;
    HRESULT hr = ArgumentAs(params, 0, VT_BSTR, name.Get(), badArgument);
    if (FAILED(hr)) {
        return hr;
    }
    std::wstring gallery = BstrText(V_BSTR(name.Get()));
    if (!gallery.empty()) {
        Lock lock(m_lock);
        int found = -1;
        for (size_t i = 0; i < m_galleries.size(); ++i) {
            if (SameName(m_galleries[i], gallery)) {
                found = static_cast<int>(i);
                break;
            }
        }
        if (found < 0) {
            size_t position = InsertPosition(m_galleries, gallery);
            m_galleries.insert(m_galleries.begin() + static_cast<ptrdiff_t>(position), gallery);
            ++m_listVersion;
            found = static_cast<int>(position);
        }
        m_selected = found;
    }
    WindowChanged();
    return ReturnLong(result, 0);
}

HRESULT CAlbumListObject::ShowThumbnails(DISPPARAMS* params, VARIANT* result, UINT* badArgument) {
    Variant mode;
    HRESULT hr = ArgumentAs(params, 0, VT_I4, mode.Get(), badArgument);
    if (FAILED(hr)) {
        return hr;
    }
    {
        Lock lock(m_lock);
        m_thumbnails = V_I4(mode.Get());
    }
    return ReturnBool(result, TRUE);
}

} // namespace albumlist
