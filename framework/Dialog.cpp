#include "framework/Dialog.h"

#include <algorithm>

#include "framework/Exception.h"
#include "framework/ResourceHandle.h"
#include "framework/WinApp.h"

CDialog::CDialog(UINT templateId, CWnd* parent) : m_pParentWnd(parent), m_templateId(templateId) {}

const CMessageMap* CDialog::GetMessageMap() const {
    static const CMessageMap map(CWnd::GetMessageMap(), {
        MapMessage(WM_INITDIALOG, &CDialog::HandleInitDialog),
        MapCommand(IDOK, &CDialog::OnOK),
        MapCommand(IDCANCEL, &CDialog::OnCancel),
        MapMessage(WM_HELP, &CDialog::HandleHelp),
    });
    return &map;
}

HWND CDialog::GetModalOwner() const {
    HWND owner = nullptr;
    if (m_pParentWnd != nullptr) {
        owner = m_pParentWnd->m_hWnd;
    } else if (CWnd* mainWnd = AfxGetMainWnd(); mainWnd != nullptr && mainWnd != this) {
        owner = mainWnd->m_hWnd;
    }
    // Modal dialogs are owned by a top-level window, never by a child.
    while (owner != nullptr && (::GetWindowLongPtrA(owner, GWL_STYLE) & WS_CHILD)) {
        owner = ::GetParent(owner);
    }
    // Without a parent of its own, a dialog opened from another modal dialog belongs to that
    // one, so that the dialog below is disabled while it runs.
    if (m_pParentWnd == nullptr && owner != nullptr) {
        owner = ::GetLastActivePopup(owner);
    }
    return owner;
}

INT_PTR CDialog::DoModal() {
    if (m_hWnd != nullptr) {
        return -1;
    }
    return ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_templateId),
                             GetModalOwner(), DialogProc, reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(int result) {
    ::EndDialog(m_hWnd, result);
}

// The dialog manager calls this for every message; it only binds the object at
// WM_INITDIALOG and then subclasses the window, so that all later messages reach
// CWnd::StaticWndProc with ordinary window-procedure results (no DWLP_MSGRESULT).
INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_INITDIALOG || FromHandlePermanent(hWnd) != nullptr) {
        return FALSE;
    }
    CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
    if (dialog == nullptr || !dialog->SubclassWindow(hWnd)) {
        return FALSE;
    }
    return static_cast<INT_PTR>(dialog->DispatchGuarded(msg, wParam, lParam));
}

// A dialog whose own initialisation did not move it opens centred where the user looks.
LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) {
    RECT before{};
    ::GetWindowRect(m_hWnd, &before);
    const BOOL result = OnInitDialog();
    RECT after{};
    if (m_hWnd != nullptr && ::GetWindowRect(m_hWnd, &after) && after.left == before.left &&
        after.top == before.top) {
        CenterOverOwner();
    }
    return result;
}

void CDialog::CenterOverOwner() {
    if (::GetWindowLongPtrA(m_hWnd, GWL_STYLE) & WS_CHILD) {
        return;
    }
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    const bool overOwner = owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner);
    HMONITOR monitor = nullptr;
    if (overOwner) {
        monitor = ::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST);
    } else {
        POINT cursor{};
        ::GetCursorPos(&cursor);
        monitor = ::MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST);
    }
    MONITORINFO screen{};
    screen.cbSize = sizeof screen;
    if (!::GetMonitorInfoA(monitor, &screen)) {
        return;
    }
    const RECT work = screen.rcWork;
    RECT area = work;
    if (overOwner) {
        ::GetWindowRect(owner, &area);
    }
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;
    LONG x = area.left + (area.right - area.left - width) / 2;
    LONG y = area.top + (area.bottom - area.top - height) / 2;
    // Inside the work area; a dialog larger than it keeps its top-left corner on screen.
    x = std::max(work.left, std::min(x, work.right - width));
    y = std::max(work.top, std::min(y, work.bottom - height));
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) {
        return;
    }
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

LRESULT CDialog::HandleHelp(WPARAM, LPARAM) {
    // F1: the help command, which the dialog or the application answers.
    SendMessage(WM_COMMAND, ID_HELP, 0);
    return TRUE;
}

BOOL CDialog::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (CWnd::OnWndMsg(msg, wParam, lParam, result)) {
        return TRUE;
    }
    if (msg != WM_COMMAND) {
        return FALSE;
    }
    bool plainCommand = lParam == 0 || HIWORD(wParam) == 0;
    CWinApp* app = AfxGetApp();
    if (!plainCommand || app == nullptr) {
        return FALSE;
    }
    return app->DispatchToMap(msg, wParam & 0xFFFF, 0, result) ? TRUE : FALSE;
}

HWND CDataExchange::PrepareCtrl(int id) {
    HWND control = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
    if (control != nullptr) {
        m_lastControl = control;
    }
    return control;
}

void CDataExchange::Fail() {
    if (m_bSaveAndValidate && m_lastControl != nullptr) {
        ::SetFocus(m_lastControl);
        if (::SendMessageA(m_lastControl, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) {
            ::SendMessageA(m_lastControl, EM_SETSEL, 0, -1);
        }
    }
    AfxThrowUserException();
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (control.m_hWnd != nullptr) {
        return;
    }
    HWND hWnd = pDX->PrepareCtrl(id);
    if (hWnd != nullptr) {
        control.SubclassWindow(hWnd);
    }
}

void DDX_Text(CDataExchange* pDX, int id, CString& value) {
    HWND hWnd = pDX->PrepareCtrl(id);
    if (hWnd == nullptr) {
        return;
    }
    if (pDX->m_bSaveAndValidate) {
        CWnd::ReadWindowText(hWnd, value);
    } else {
        ::SetWindowTextA(hWnd, value);
    }
}
