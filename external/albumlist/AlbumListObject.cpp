#include "AlbumListObject.h"

#include <olectl.h>

#include "AlbumListControl.h"
#include "ComServer.h"
#include "DispatchArguments.h"
#include "ExclusiveLock.h"
#include "GalleryFolders.h"

namespace albumlist {

using olecontrol::CVariant;
using Lock = olecontrol::CExclusiveLock;

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

// Argument position (0: the first the caller wrote) as type; the album list answers any
// argument it cannot coerce with DISP_E_TYPEMISMATCH.
HRESULT ArgumentAs(DISPPARAMS* params, UINT position, VARTYPE type, CVariant* value,
                   UINT* badArgument) {
    return FAILED(olecontrol::CoerceArgument(*params, position, type, value, badArgument))
               ? DISP_E_TYPEMISMATCH
               : S_OK;
}

// The control window's class, registered once per load of the DLL (which unregisters it).
bool RegisterWindowClass(WNDPROC windowProc) {
    WNDCLASSEXW existing = {sizeof(existing)};
    if (::GetClassInfoExW(olecontrol::ModuleInstance(), kWindowClass, &existing)) {
        return true;
    }
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.lpfnWndProc = windowProc;
    wc.cbWndExtra = sizeof(LONG_PTR); // the object; the user-data slot stays the host's
    wc.hInstance = olecontrol::ModuleInstance();
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

// --- CAlbumListObject: identity and lifetime ------------------------------------------

CAlbumListObject::CAlbumListObject()
    : olecontrol::COleControlBase(CLSID_AlbumList, DIID_AlbumListEvents) {
    Reload();
}

CAlbumListObject::~CAlbumListObject() {
    DestroyControlWindow();
}

// --- IOleInPlaceObject --------------------------------------------------------------

HWND CAlbumListObject::ControlWindow() {
    Lock lock(m_lock);
    return m_window;
}

void CAlbumListObject::MoveControlWindow(const RECT& position) {
    HWND window = ControlWindow();
    if (window != nullptr) {
        ::MoveWindow(window, position.left, position.top, position.right - position.left,
                     position.bottom - position.top, TRUE);
    }
}

// --- Window ---------------------------------------------------------------------------

bool CAlbumListObject::CreateControlWindow(HWND parent, const RECT& rect) {
    if (!RegisterWindowClass(WindowProc)) {
        return false;
    }
    HWND window = ::CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, L"",
                                    WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rect.left, rect.top,
                                    rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                                    olecontrol::ModuleInstance(), this);
    if (window == nullptr) {
        return false;
    }
    RECT client;
    ::GetClientRect(window, &client);
    m_combo = ::CreateWindowExW(0, L"COMBOBOX", L"",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST,
                                0, 0, client.right, client.bottom + kDroppedListHeight, window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kComboId)),
                                olecontrol::ModuleInstance(), nullptr);
    if (m_combo == nullptr) {
        ::DestroyWindow(window);
        return false;
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
    return true;
}

HWND CAlbumListObject::WindowAndThread(DWORD* thread) {
    Lock lock(m_lock);
    *thread = m_windowThread;
    return m_window;
}

void CAlbumListObject::DestroyControlWindow() {
    DWORD thread = 0;
    HWND window = WindowAndThread(&thread);
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
    DWORD thread = 0;
    HWND window = WindowAndThread(&thread);
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
        return PutProperty(dispid, params, badArgument);
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
        return olecontrol::SetResultBool(result, Reload());
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

HRESULT CAlbumListObject::PutProperty(DISPID dispid, DISPPARAMS* params, UINT* badArgument) {
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
    CVariant converted;
    HRESULT hr = ArgumentAs(params, 0, type, &converted, badArgument);
    if (FAILED(hr)) {
        return hr;
    }
    if (dispid == DISPID_ALBUMLIST_GALLERY) {
        SelectByName(olecontrol::WideText(V_BSTR(&converted.Value())));
        return S_OK;
    }
    {
        Lock lock(m_lock);
        switch (dispid) {
        case DISPID_ALBUMLIST_ENABLED:
            m_enabled = V_BOOL(&converted.Value()) != VARIANT_FALSE;
            break;
        case DISPID_ALBUMLIST_SHOWNEW:
            m_showNew = V_BOOL(&converted.Value()) != VARIANT_FALSE;
            break;
        case DISPID_ALBUMLIST_DROPDOWN:
            m_dropDown = V_BOOL(&converted.Value()) != VARIANT_FALSE;
            break;
        case DISPID_ALBUMLIST_STYLE:
            m_style = V_I2(&converted.Value());
            break;
        default:
            m_view = V_I4(&converted.Value());
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
        return olecontrol::SetResultLong(result, m_selected);
    case DISPID_ALBUMLIST_ENABLED:
        return olecontrol::SetResultBool(result, m_enabled);
    case DISPID_ALBUMLIST_SHOWNEW:
        return olecontrol::SetResultBool(result, m_showNew);
    case DISPID_ALBUMLIST_DROPDOWN:
        return olecontrol::SetResultBool(result, m_dropDown);
    case DISPID_ALBUMLIST_STYLE:
        return olecontrol::SetResultShort(result, m_style);
    case DISPID_ALBUMLIST_VIEW:
        return olecontrol::SetResultLong(result, m_view);
    case DISPID_ALBUMLIST_GALLERY:
        return olecontrol::SetResultText(result, m_selected >= 0
                                                     ? m_galleries[static_cast<size_t>(m_selected)]
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
        return olecontrol::SetResultLong(result, 0);
    }
    *V_I4REF(&state) = index;
    return olecontrol::SetResultLong(result, kPositionBase + index);
}

HRESULT CAlbumListObject::GetGalleryName(DISPPARAMS* params, VARIANT* result, UINT* badArgument) {
    CVariant which;
    HRESULT hr = ArgumentAs(params, 0, VT_I4, &which, badArgument);
    if (FAILED(hr)) {
        return hr;
    }
    long value = V_I4(&which.Value());
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
    return olecontrol::SetResultText(result, name);
}

HRESULT CAlbumListObject::AddFileToGallery(DISPPARAMS* params, VARIANT* result, UINT* badArgument) {
    CVariant gallery;
    CVariant file;
    HRESULT hr = ArgumentAs(params, 0, VT_BSTR, &gallery, badArgument);
    if (SUCCEEDED(hr)) {
        hr = ArgumentAs(params, 1, VT_BSTR, &file, badArgument);
    }
    if (FAILED(hr)) {
        return hr;
    }
    std::wstring galleryName = olecontrol::WideText(V_BSTR(&gallery.Value()));
    std::wstring fileName = FileNamePart(olecontrol::WideText(V_BSTR(&file.Value())));
    std::wstring root;
    {
        Lock lock(m_lock);
        root = m_root;
    }
    // Only reports whether the file is there: copying it in is the caller's work.
    bool there = !root.empty() && IsPlainName(galleryName) && IsPlainName(fileName) &&
                 IsFile(GalleryFolder(root, galleryName) + L"\\" + fileName);
    return olecontrol::SetResultLong(result, there ? 1 : 0);
}

HRESULT CAlbumListObject::AddGallery(DISPPARAMS* params, VARIANT* result, UINT* badArgument) {
    CVariant name;
    HRESULT hr = ArgumentAs(params, 0, VT_BSTR, &name, badArgument);
    if (FAILED(hr)) {
        return hr;
    }
    std::wstring gallery = olecontrol::WideText(V_BSTR(&name.Value()));
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
    return olecontrol::SetResultLong(result, 0);
}

HRESULT CAlbumListObject::ShowThumbnails(DISPPARAMS* params, VARIANT* result, UINT* badArgument) {
    CVariant mode;
    HRESULT hr = ArgumentAs(params, 0, VT_I4, &mode, badArgument);
    if (FAILED(hr)) {
        return hr;
    }
    {
        Lock lock(m_lock);
        m_thumbnails = V_I4(&mode.Value());
    }
    return olecontrol::SetResultBool(result, TRUE);
}

} // namespace albumlist
