#include "ShellWindow.h"

#include <cstdio>

#include "LMShell.h"

namespace lmshell {

namespace {

const char kCaption[] = "Lumora Shell";
const char kHeaderText[] = "Requests from other programs, newest last:";
const char kNoGallery[] = "Current gallery: (none opened yet)";
const int kListId = 100;
const int kMargin = 8;
const int kClientWidth = 640;
const int kClientHeight = 320;
// A shell that runs for days keeps its recent history only.
const LRESULT kMaxLines = 2000;

bool RegisterWindowClass(HINSTANCE instance, WNDPROC windowProc) {
    WNDCLASSEXA existing = {sizeof(existing)};
    if (::GetClassInfoExA(instance, kLMShellWindowClass, &existing)) {
        return true;
    }
    WNDCLASSEXA wc = {sizeof(wc)};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hIcon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kLMShellWindowClass;
    return ::RegisterClassExA(&wc) != 0;
}

std::string TimeStamp() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char text[16];
    std::snprintf(text, sizeof(text), "%02u:%02u:%02u", now.wHour, now.wMinute, now.wSecond);
    return text;
}

} // namespace

CShellWindow::~CShellWindow() {
    if (m_hWnd != nullptr) {
        ::DestroyWindow(m_hWnd);
    }
}

bool CShellWindow::Create(HINSTANCE instance, int show, std::function<void()> beforeClose) {
    if (!RegisterWindowClass(instance, WindowProc)) {
        return false;
    }
    m_beforeClose = std::move(beforeClose);
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&frame, style, FALSE, 0);
    HWND hWnd = ::CreateWindowExA(0, kLMShellWindowClass, kCaption, style, CW_USEDEFAULT,
                                  CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                                  nullptr, nullptr, instance, this);
    if (hWnd == nullptr) {
        return false;
    }
    ::ShowWindow(hWnd, show);
    ::UpdateWindow(hWnd);
    return true;
}

LRESULT CALLBACK CShellWindow::WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        auto* self = static_cast<CShellWindow*>(create->lpCreateParams);
        self->m_hWnd = hWnd;
        ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<CShellWindow*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (self == nullptr) {
        return ::DefWindowProcA(hWnd, msg, wParam, lParam);
    }
    switch (msg) {
    case WM_CREATE:
        return self->OnCreate() ? 0 : -1;
    case WM_SIZE:
        self->OnSize(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {320, 200};
        return 0;
    case WM_CLOSE:
        self->OnClose();
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        self->OnNcDestroy();
        break;
    default:
        break;
    }
    return ::DefWindowProcA(hWnd, msg, wParam, lParam);
}

bool CShellWindow::OnCreate() {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(m_hWnd, GWLP_HINSTANCE));
    m_header = ::CreateWindowExA(0, "STATIC", kHeaderText, WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 0, 0,
                                 0, m_hWnd, nullptr, instance, nullptr);
    m_list = ::CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP |
                                   LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
                               0, 0, 0, 0, m_hWnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), instance,
                               nullptr);
    m_status = ::CreateWindowExA(0, "STATIC", kNoGallery,
                                 WS_CHILD | WS_VISIBLE | SS_LEFT | SS_PATHELLIPSIS, 0, 0, 0, 0,
                                 m_hWnd, nullptr, instance, nullptr);
    if (m_header == nullptr || m_list == nullptr || m_status == nullptr) {
        return false;
    }
    // The system's GUI font; the stock object is shared and never deleted.
    m_font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    for (HWND child : {m_header, m_list, m_status}) {
        ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    }
    HDC dc = ::GetDC(m_hWnd);
    if (dc != nullptr) {
        HGDIOBJ old = ::SelectObject(dc, m_font);
        TEXTMETRICA metrics;
        if (::GetTextMetricsA(dc, &metrics)) {
            m_lineHeight = metrics.tmHeight + metrics.tmExternalLeading;
        }
        ::SelectObject(dc, old);
        ::ReleaseDC(m_hWnd, dc);
    }
    return true;
}

void CShellWindow::OnSize(int width, int height) {
    const int textHeight = m_lineHeight + 2;
    const int innerWidth = width > 2 * kMargin ? width - 2 * kMargin : 0;
    const int listTop = kMargin + textHeight + 4;
    const int statusTop = height - kMargin - textHeight;
    const int listHeight = statusTop - 6 > listTop ? statusTop - 6 - listTop : 0;
    ::MoveWindow(m_header, kMargin, kMargin, innerWidth, textHeight, TRUE);
    ::MoveWindow(m_list, kMargin, listTop, innerWidth, listHeight, TRUE);
    ::MoveWindow(m_status, kMargin, statusTop, innerWidth, textHeight, TRUE);
}

void CShellWindow::OnClose() {
    if (m_beforeClose) {
        m_beforeClose();
    }
    ::DestroyWindow(m_hWnd);
}

void CShellWindow::OnNcDestroy() {
    ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
    m_hWnd = nullptr;
    m_header = nullptr;
    m_list = nullptr;
    m_status = nullptr;
}

void CShellWindow::AddLine(const std::string& line) {
    if (m_list == nullptr) {
        return;
    }
    const std::string text = TimeStamp() + "   " + line;
    LRESULT index = ::SendMessageA(m_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (index == LB_ERR || index == LB_ERRSPACE) {
        return;
    }
    if (index >= kMaxLines) {
        ::SendMessageA(m_list, LB_DELETESTRING, 0, 0);
        --index;
    }
    FitLineWidth(text);
    // The newest line stays in view.
    ::SendMessageA(m_list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

void CShellWindow::ShowCurrentGallery(const std::string& gallery) {
    if (m_status != nullptr) {
        ::SetWindowTextA(m_status, ("Current gallery: " + gallery).c_str());
    }
}

void CShellWindow::FitLineWidth(const std::string& line) {
    HDC dc = ::GetDC(m_list);
    if (dc == nullptr) {
        return;
    }
    HGDIOBJ old = ::SelectObject(dc, m_font);
    SIZE size = {};
    BOOL measured = ::GetTextExtentPoint32A(dc, line.c_str(), static_cast<int>(line.size()), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(m_list, dc);
    if (measured && size.cx + 8 > m_widestLine) {
        m_widestLine = size.cx + 8;
        ::SendMessageA(m_list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(m_widestLine), 0);
    }
}

} // namespace lmshell
