#include "framework/Wnd.h"

#include <exception>
#include <utility>

#include "framework/Dialog.h"
#include "framework/Exception.h"
#include "framework/MessageBox.h"
#include "framework/OleControlSite.h"
#include "framework/OleDispatchDriver.h"
#include "framework/OleException.h"
#include "framework/WinApp.h"

namespace {

const char kFrameworkClassName[] = "FotoloftFrameworkWnd";
// The property that holds the object of a hosted control's window.
const char kControlObjectProperty[] = "FotoloftControlWnd";

// The window class of windows that CWnd creates itself; registered once per process.
bool RegisterFrameworkClass(HINSTANCE instance) {
    WNDCLASSEXA existing = {sizeof(existing)};
    if (::GetClassInfoExA(instance, kFrameworkClassName, &existing)) {
        return true;
    }
    WNDCLASSEXA wc = {sizeof(wc)};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = CWnd::StaticWndProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kFrameworkClassName;
    // A second thread may have registered it meanwhile; that is as good.
    return ::RegisterClassExA(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

CWnd::CWnd() = default;

CWnd::~CWnd() {
    if (m_pCtrlSite) {
        CloseControl();
    }
    if (m_hWnd == nullptr) {
        return;
    }
    switch (m_binding) {
    case Binding::Created:
        if (::IsWindow(m_hWnd)) {
            ::DestroyWindow(m_hWnd);
        }
        Unbind();
        break;
    case Binding::Subclassed:
        UnsubclassWindow();
        break;
    default:
        Detach();
        break;
    }
}

const CMessageMap* CWnd::GetMessageMap() const {
    static const CMessageMap map(CCmdTarget::GetMessageMap(), {});
    return &map;
}

BOOL CWnd::Attach(HWND hWnd) {
    if (hWnd == nullptr || m_hWnd != nullptr) {
        return FALSE;
    }
    m_hWnd = hWnd;
    m_binding = Binding::Attached;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND hWnd = m_hWnd;
    m_hWnd = nullptr;
    m_binding = Binding::None;
    return hWnd;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    if (hWnd == nullptr) {
        return nullptr;
    }
    // The user-data slot means a CWnd only for windows of this process running our procedure.
    DWORD processId = 0;
    ::GetWindowThreadProcessId(hWnd, &processId);
    if (processId != ::GetCurrentProcessId()) {
        return nullptr;
    }
    LONG_PTR proc = ::GetWindowLongPtrA(hWnd, GWLP_WNDPROC);
    if (proc == reinterpret_cast<LONG_PTR>(ControlWndProc)) {
        return static_cast<CWnd*>(::GetPropA(hWnd, kControlObjectProperty));
    }
    if (proc != reinterpret_cast<LONG_PTR>(StaticWndProc)) {
        return nullptr;
    }
    return reinterpret_cast<CWnd*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (hWnd == nullptr) {
        return nullptr;
    }
    if (CWnd* own = FromHandlePermanent(hWnd)) {
        return own;
    }
    std::unique_ptr<CWnd>& slot = m_borrowed[hWnd];
    if (!slot) {
        slot = std::make_unique<CWnd>();
        slot->Attach(hWnd);
    }
    return slot.get();
}

void CWnd::BindToHandle(HWND hWnd) {
    m_hWnd = hWnd;
    ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (hWnd == nullptr || m_hWnd != nullptr || FromHandlePermanent(hWnd) != nullptr) {
        return FALSE;
    }
    BindToHandle(hWnd);
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticWndProc)));
    if (m_pfnSuper == nullptr) {
        ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
        m_hWnd = nullptr;
        return FALSE;
    }
    m_binding = Binding::Subclassed;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    if (parent == nullptr || parent->m_hWnd == nullptr) {
        return FALSE;
    }
    return SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow() {
    HWND hWnd = m_hWnd;
    if (m_binding == Binding::Subclassed) {
        Unbind();
    }
    return hWnd;
}

void CWnd::Unbind() {
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) {
        LONG_PTR proc = ::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC);
        if (m_pfnSuper != nullptr && (proc == reinterpret_cast<LONG_PTR>(StaticWndProc) ||
                                      proc == reinterpret_cast<LONG_PTR>(ControlWndProc))) {
            ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        }
        if (::GetPropA(m_hWnd, kControlObjectProperty) == this) {
            ::RemovePropA(m_hWnd, kControlObjectProperty);
        } else if (::GetWindowLongPtrA(m_hWnd, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this)) {
            ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
        }
    }
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
    m_binding = Binding::None;
    m_borrowed.clear();
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    const RECT& rect, CWnd* parent, UINT id, LPVOID param) {
    if (m_hWnd != nullptr) {
        return FALSE;
    }
    HINSTANCE instance = AfxGetInstanceHandle();
    HWND parentHwnd = parent != nullptr ? parent->m_hWnd : nullptr;
    HMENU menuOrId = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;

    if (className == nullptr) {
        if (!RegisterFrameworkClass(instance)) {
            return FALSE;
        }
        // WM_NCCREATE binds the object through lpCreateParams.
        m_pfnSuper = ::DefWindowProcA;
        HWND hWnd = ::CreateWindowExA(exStyle, kFrameworkClassName, windowName, style, rect.left,
                                      rect.top, width, height, parentHwnd, menuOrId, instance, this);
        if (hWnd == nullptr) {
            m_hWnd = nullptr;
            m_pfnSuper = nullptr;
            return FALSE;
        }
        m_binding = Binding::Created;
        return TRUE;
    }

    HWND hWnd = ::CreateWindowExA(exStyle, className, windowName, style, rect.left, rect.top,
                                  width, height, parentHwnd, menuOrId, instance, param);
    if (hWnd == nullptr) {
        return FALSE;
    }
    if (!SubclassWindow(hWnd)) {
        ::DestroyWindow(hWnd);
        return FALSE;
    }
    m_binding = Binding::Created;
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    if (m_hWnd == nullptr) {
        return FALSE;
    }
    if (m_pCtrlSite) {
        CloseControl();
        return TRUE;
    }
    if (m_binding == Binding::Attached) {
        return ::DestroyWindow(Detach());
    }
    return ::DestroyWindow(m_hWnd);
}

LRESULT CALLBACK CWnd::StaticWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = reinterpret_cast<CWnd*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (wnd == nullptr && msg == WM_NCCREATE) {
        const CREATESTRUCTA* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        wnd = static_cast<CWnd*>(cs->lpCreateParams);
        if (wnd != nullptr) {
            wnd->BindToHandle(hWnd);
        }
    }
    if (wnd == nullptr) {
        // Messages before WM_NCCREATE (WM_GETMINMAXINFO) have no object yet.
        return ::DefWindowProcA(hWnd, msg, wParam, lParam);
    }
    LRESULT result = wnd->DispatchGuarded(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        wnd->Unbind();
        wnd->PostNcDestroy();
    }
    return result;
}

LRESULT CALLBACK CWnd::ControlWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = static_cast<CWnd*>(::GetPropA(hWnd, kControlObjectProperty));
    if (wnd == nullptr) {
        // The property goes only after the control's own procedure is back in place.
        return ::DefWindowProcA(hWnd, msg, wParam, lParam);
    }
    LRESULT result = wnd->DispatchGuarded(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        wnd->Unbind();
        if (Microsoft::WRL::ComPtr<COleControlSite> site = std::move(wnd->m_pCtrlSite)) {
            // The window went first (with its parent): the control follows it.
            site->OnWindowDestroyed();
            site->Close();
        }
        wnd->PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::DispatchGuarded(UINT msg, WPARAM wParam, LPARAM lParam) {
    CurrentMessage saved = m_current;
    m_current = {msg, wParam, lParam};
    LRESULT result = 0;
    bool failed = false;
    try {
        result = WindowProc(msg, wParam, lParam);
    } catch (CException* e) {
        if (dynamic_cast<CUserException*>(e) == nullptr) {
            e->ReportError(MB_ICONEXCLAMATION);
        }
        e->Delete();
        failed = true;
    } catch (const std::exception&) {
        AfxMessageBox("An unexpected error occurred.", MB_ICONEXCLAMATION);
        failed = true;
    }
    if (failed) {
        result = (msg == WM_CREATE) ? -1 : 0;
        if (msg == WM_PAINT && m_hWnd != nullptr) {
            // A failed paint handler must not leave the window invalid forever; the
            // children paint themselves.
            ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
        }
    }
    m_current = saved;
    return result;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(msg, wParam, lParam, &result)) {
        result = DefWindowProc(msg, wParam, lParam);
    }
    return result;
}

BOOL CWnd::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (DispatchToMap(msg, wParam, lParam, result)) {
        return TRUE;
    }
    // An owner-drawn control draws itself: what the parent's table does not take goes back
    // to the control's object. Menus have no window to go back to.
    if (msg == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        CWnd* control = item != nullptr && item->CtlType != ODT_MENU
                            ? FromHandlePermanent(item->hwndItem)
                            : nullptr;
        return control != nullptr && control->OnChildNotify(msg, wParam, lParam, result);
    }
    return FALSE;
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper != nullptr) {
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, msg, wParam, lParam);
    }
    return ::DefWindowProcA(m_hWnd, msg, wParam, lParam);
}

LRESULT CWnd::Default() {
    return DefWindowProc(m_current.msg, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageA(m_hWnd, msg, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) const {
    return ::PostMessageA(m_hWnd, msg, wParam, lParam);
}

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (CUserException* e) {
        // A validation failure has already told the user and moved the focus.
        e->Delete();
        return FALSE;
    }
    return TRUE;
}

CWnd* CWnd::GetDlgItem(int id) {
    return FromHandle(::GetDlgItem(m_hWnd, id));
}

CWnd* CWnd::GetParent() {
    return FromHandle(::GetParent(m_hWnd));
}

CWnd* CWnd::GetTopLevelParent() {
    HWND top = m_hWnd;
    for (HWND up = ::GetParent(top); up != nullptr; up = ::GetParent(up)) {
        top = up;
    }
    return FromHandle(top);
}

void CWnd::SetWindowText(const char* text) {
    ::SetWindowTextA(m_hWnd, text != nullptr ? text : "");
}

int CWnd::GetWindowText(char* buffer, int maxCount) const {
    return ::GetWindowTextA(m_hWnd, buffer, maxCount);
}

void CWnd::ReadWindowText(HWND hWnd, CString& text) {
    int length = ::GetWindowTextLengthA(hWnd);
    char* buffer = text.GetBuffer(length);
    int copied = ::GetWindowTextA(hWnd, buffer, length + 1);
    text.ReleaseBuffer(copied > 0 ? copied : 0);
}

void CWnd::GetWindowText(CString& text) const {
    ReadWindowText(m_hWnd, text);
}

void CWnd::SetDlgItemText(int id, const char* text) {
    ::SetDlgItemTextA(m_hWnd, id, text != nullptr ? text : "");
}

int CWnd::GetDlgItemText(int id, CString& text) const {
    HWND item = ::GetDlgItem(m_hWnd, id);
    text.Empty();
    if (item == nullptr) {
        return 0;
    }
    ReadWindowText(item, text);
    return text.GetLength();
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
    ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}

void CWnd::MoveWindow(const RECT& rect, BOOL repaint) {
    ::MoveWindow(m_hWnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 repaint);
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(m_hWnd, insertAfter != nullptr ? insertAfter->m_hWnd : nullptr, x, y,
                          cx, cy, flags);
}

void CWnd::ScreenToClient(LPRECT rect) const {
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(rect), 2);
}

void CWnd::ClientToScreen(LPRECT rect) const {
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<LPPOINT>(rect), 2);
}

DWORD CWnd::GetExStyle() const {
    return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE));
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) {
    DWORD style = GetStyle();
    DWORD changed = (style & ~remove) | add;
    if (changed == style) {
        return FALSE;
    }
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(changed));
    if (swpFlags != 0) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    }
    return TRUE;
}

void CWnd::SetFont(HFONT font, BOOL redraw) {
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), MAKELPARAM(redraw, 0));
}

HFONT CWnd::GetFont() const {
    return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
}

HICON CWnd::SetIcon(HICON icon, BOOL big) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

CWnd* CWnd::SetFocus() {
    return FromHandle(::SetFocus(m_hWnd));
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc) {
    return ::SetTimer(m_hWnd, id, elapse, proc);
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type) {
    if (caption == nullptr) {
        CWinApp* app = AfxGetApp();
        caption = app != nullptr ? app->m_pszAppName : "";
    }
    return ::MessageBoxA(m_hWnd, text != nullptr ? text : "", caption, type);
}

BOOL CWnd::SubclassControlWindow(HWND hWnd) {
    if (!::SetPropA(hWnd, kControlObjectProperty, this)) {
        return FALSE;
    }
    m_hWnd = hWnd;
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlWndProc)));
    if (m_pfnSuper == nullptr) {
        ::RemovePropA(hWnd, kControlObjectProperty);
        m_hWnd = nullptr;
        return FALSE;
    }
    m_binding = Binding::Created;
    return TRUE;
}

BOOL CWnd::CreateControl(REFCLSID clsid, LPCSTR windowName, DWORD style, const RECT& rect,
                         CWnd* parent, UINT id) {
    if (m_hWnd != nullptr || m_pCtrlSite || parent == nullptr ||
        parent->m_hWnd == nullptr) {
        return FALSE;
    }
    Microsoft::WRL::ComPtr<COleControlSite> site;
    site.Attach(COleControlSite::Create(parent->m_hWnd, id, rect));
    if (!site) {
        return FALSE;
    }
    HWND control = nullptr;
    if (FAILED(site->CreateControl(clsid, &control)) || !SubclassControlWindow(control)) {
        site->Close();
        return FALSE;
    }
    m_pCtrlSite = std::move(site);
    ::SetWindowLongPtrA(control, GWLP_ID, static_cast<LONG_PTR>(id));
    if (windowName != nullptr) {
        SetWindowText(windowName);
    }
    ::ShowWindow(control, (style & WS_VISIBLE) ? SW_SHOW : SW_HIDE);
    return TRUE;
}

void CWnd::CloseControl() {
    Microsoft::WRL::ComPtr<COleControlSite> site = std::move(m_pCtrlSite);
    site->Close();
}

LPUNKNOWN CWnd::GetControlUnknown() {
    return m_pCtrlSite ? m_pCtrlSite->GetControlUnknown() : nullptr;
}

void CWnd::InvokeHelper(DISPID dwDispID, WORD wFlags, VARTYPE vtRet, void* pvRet,
                        const BYTE* pbParamInfo, ...) {
    COleDispatchDriver driver(m_pCtrlSite ? m_pCtrlSite->GetControlDispatch() : nullptr,
                              FALSE);
    va_list args;
    va_start(args, pbParamInfo);
    try {
        driver.InvokeHelperV(dwDispID, wFlags, vtRet, pvRet, pbParamInfo, args);
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);
}

void CWnd::SetProperty(DISPID dwDispID, VARTYPE vtProp, ...) {
    if (vtProp >= kVtsByRef) {
        AfxThrowOleException(DISP_E_BADVARTYPE);
    }
    const BYTE paramInfo[2] = {static_cast<BYTE>(vtProp), 0};
    COleDispatchDriver driver(m_pCtrlSite ? m_pCtrlSite->GetControlDispatch() : nullptr,
                              FALSE);
    va_list args;
    va_start(args, vtProp);
    try {
        driver.InvokeHelperV(dwDispID, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, paramInfo, args);
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);
}

void CWnd::GetProperty(DISPID dwDispID, VARTYPE vtProp, void* pvProp) const {
    COleDispatchDriver driver(m_pCtrlSite ? m_pCtrlSite->GetControlDispatch() : nullptr,
                              FALSE);
    driver.GetProperty(dwDispID, vtProp, pvProp);
}
