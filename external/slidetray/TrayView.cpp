#include "TrayView.h"

#include <windowsx.h>

#include <algorithm>
#include <new>
#include <utility>

#include "CompactThumbnail.h"

namespace {

const char kWindowClass[] = "SlideTrayThumbnails";
const char kLoadingText[] = "Loading...";

// The look of a cell whose thumbnail is still being made, and the frame around pictures.
constexpr COLORREF kPlaceholderFill = RGB(236, 236, 236);
constexpr COLORREF kPlaceholderEdge = RGB(208, 208, 208);
constexpr COLORREF kPlaceholderText = RGB(128, 128, 128);
constexpr COLORREF kPictureFrame = RGB(176, 176, 176);
// Expanded thumbnails kept beyond those of the last paint: a few screens of a small tray.
constexpr size_t kExpandedSpare = 48;
// How far outside its cell the focus rectangle runs.
constexpr int kFocusOutset = 2;
static_assert(2 * kFocusOutset < CTrayLayout::kGap, "focus rectangles of neighbours overlap");

// Fills a rectangle with a colour without creating a brush.
void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    ::SetBkColor(dc, colour);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

// A one-pixel outline just inside `rect`.
void FrameSolid(HDC dc, const RECT& rect, COLORREF colour) {
    FillSolid(dc, RECT{rect.left, rect.top, rect.right, rect.top + 1}, colour);
    FillSolid(dc, RECT{rect.left, rect.bottom - 1, rect.right, rect.bottom}, colour);
    FillSolid(dc, RECT{rect.left, rect.top, rect.left + 1, rect.bottom}, colour);
    FillSolid(dc, RECT{rect.right - 1, rect.top, rect.right, rect.bottom}, colour);
}

// A modifier key as this thread's input state has it.
bool KeyDown(int key) {
    return ::GetKeyState(key) < 0;
}

} // namespace

const CTrayView::MessageEntry CTrayView::kMessages[] = {
    {WM_PAINT, &CTrayView::OnPaint},
    {WM_PRINTCLIENT, &CTrayView::OnPrintClient},
    {WM_ERASEBKGND, &CTrayView::OnEraseBackground},
    {WM_SIZE, &CTrayView::OnSize},
    {WM_VSCROLL, &CTrayView::OnVScroll},
    {WM_MOUSEWHEEL, &CTrayView::OnMouseWheel},
    {WM_MOUSEACTIVATE, &CTrayView::OnMouseActivate},
    {WM_LBUTTONDOWN, &CTrayView::OnLButtonDown},
    {WM_LBUTTONDBLCLK, &CTrayView::OnLButtonDblClk},
    {WM_RBUTTONDOWN, &CTrayView::OnRButtonDown},
    {WM_GETDLGCODE, &CTrayView::OnGetDlgCode},
    {WM_KEYDOWN, &CTrayView::OnKeyDown},
    {WM_CHAR, &CTrayView::OnChar},
    {WM_SETFOCUS, &CTrayView::OnFocusChange},
    {WM_KILLFOCUS, &CTrayView::OnFocusChange},
    {WM_DESTROY, &CTrayView::OnDestroy},
    {WM_NCDESTROY, &CTrayView::OnNcDestroy},
    {kTrayItemsChanged, &CTrayView::OnItemsChanged},
    {WM_TIMER, &CTrayView::OnTimer},
    {kTrayThumbnailsReady, &CTrayView::OnThumbnailsReady},
    {kTraySettingsChanged, &CTrayView::OnSettingsChanged},
};

CTrayView::CTrayView(std::shared_ptr<CTrayModel> model, ITrayViewEvents* events)
    : m_model(std::move(model)), m_events(events) {}

CTrayView::~CTrayView() {
    Destroy();
    FreeBuffer();
}

bool CTrayView::RegisterWindowClass(HINSTANCE module) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = &CTrayView::WindowProc;
    windowClass.hInstance = module;
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClass;
    return ::RegisterClassExA(&windowClass) || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void CTrayView::UnregisterWindowClass(HINSTANCE module) {
    ::UnregisterClassA(kWindowClass, module);
}

bool CTrayView::Create(HWND parent, const RECT& rect) {
    if (m_hwnd) {
        Move(rect);
        return true;
    }
    HINSTANCE module = nullptr;
    if (!::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                  GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<LPCSTR>(&CTrayView::WindowProc), &module) ||
        !RegisterWindowClass(module)) {
        return false;
    }
    HWND hwnd = ::CreateWindowExA(WS_EX_CLIENTEDGE, kWindowClass, "",
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, rect.left,
                                  rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                                  nullptr, module, this);
    if (!hwnd) {
        return false;
    }
    m_model->SetWindow(hwnd);
    OnItemsChanged(0, 0);
    return true;
}

void CTrayView::Destroy() {
    HWND hwnd = m_hwnd;
    if (!hwnd) {
        return;
    }
    if (IsWindowThread()) {
        ::DestroyWindow(hwnd);
        return;
    }
    // Only the window's own thread may destroy it: cut it loose and let it close there.
    m_model->SetWindow(nullptr);
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    m_hwnd = nullptr;
    m_threadId = 0;
    ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
}

void CTrayView::Move(const RECT& rect) {
    if (!m_hwnd) {
        return;
    }
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (IsWindowThread() ? 0 : SWP_ASYNCWINDOWPOS);
    ::SetWindowPos(m_hwnd, nullptr, rect.left, rect.top, rect.right - rect.left,
                   rect.bottom - rect.top, flags);
}

void CTrayView::SetRedraw(bool redraw) {
    m_redraw = redraw;
    if (IsWindowThread()) {
        ApplySettings(redraw);
    } else {
        m_model->Notify(kTraySettingsChanged);
    }
}

void CTrayView::SetShowFrames(bool show) {
    m_showFrames = show;
    if (IsWindowThread()) {
        ApplySettings(false);
    } else {
        m_model->Notify(kTraySettingsChanged);
    }
}

void CTrayView::ItemsChanged() {
    if (IsWindowThread()) {
        Relayout();
    }
}

LRESULT CALLBACK CTrayView::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* view = static_cast<CTrayView*>(create->lpCreateParams);
        view->m_hwnd = hwnd;
        view->m_threadId = ::GetCurrentThreadId();
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
    }
    auto* view = reinterpret_cast<CTrayView*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (view) {
        for (const MessageEntry& entry : kMessages) {
            if (entry.message == message) {
                return (view->*entry.handler)(wParam, lParam);
            }
        }
    }
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

CTrayLayout CTrayView::Layout() const {
    RECT client = {};
    ::GetClientRect(m_hwnd, &client);
    return CTrayLayout(client.right, client.bottom, static_cast<size_t>(m_count));
}

// Runs on the window's thread when a drawing setting changed; `repaint` for Redraw(TRUE),
// which repaints even when drawing was never held.
void CTrayView::ApplySettings(bool repaint) {
    bool drawing = m_redraw;
    bool frames = m_showFrames;
    bool resumed = drawing && !m_drawing;
    m_drawing = drawing;
    if (frames != m_drawFrames) {
        m_drawFrames = frames;
        repaint = true;
    }
    if (!m_drawing || !(repaint || resumed)) {
        return;
    }
    UpdateScrollBar();
    Invalidate();
    ::UpdateWindow(m_hwnd);
}

void CTrayView::UpdateScrollBar() {
    if (!m_drawing || m_updatingScrollBar) {
        return;
    }
    // Showing or hiding the bar changes the width and so the columns: settle in a few rounds.
    m_updatingScrollBar = true;
    for (int round = 0; round < 3; ++round) {
        RECT before = {};
        ::GetClientRect(m_hwnd, &before);
        CTrayLayout layout(before.right, before.bottom, static_cast<size_t>(m_count));
        m_scroll = layout.ClampScroll(m_scroll);
        SCROLLINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMin = 0;
        info.nMax = layout.ContentHeight() > 0 ? layout.ContentHeight() - 1 : 0;
        info.nPage = static_cast<UINT>(before.bottom);
        info.nPos = m_scroll;
        ::SetScrollInfo(m_hwnd, SB_VERT, &info, TRUE);
        RECT after = {};
        ::GetClientRect(m_hwnd, &after);
        if (after.right == before.right && after.bottom == before.bottom) {
            break;
        }
    }
    m_updatingScrollBar = false;
    UpdateVisibleItems();
}

void CTrayView::ScrollTo(int scroll) {
    scroll = Layout().ClampScroll(scroll);
    if (scroll == m_scroll) {
        return;
    }
    m_scroll = scroll;
    if (m_drawing) {
        ::SetScrollPos(m_hwnd, SB_VERT, m_scroll, TRUE);
    }
    UpdateVisibleItems();
    Invalidate();
}

// The workers make the thumbnails on screen first.
void CTrayView::UpdateVisibleItems() {
    int first = 0;
    int last = 0;
    Layout().VisibleRange(m_scroll, &first, &last);
    m_model->SetVisible(static_cast<size_t>(first), static_cast<size_t>(last));
}

void CTrayView::Invalidate() {
    if (m_drawing && m_hwnd) {
        ::InvalidateRect(m_hwnd, nullptr, FALSE);
    }
}

void CTrayView::ShowItem(int index) {
    int scroll = Layout().ScrollToShow(index, m_scroll);
    ScrollTo(scroll);
}

void CTrayView::Click(int index, bool control, bool shift) {
    if (index < 0) {
        if (!control && !shift) {
            m_model->SelectAll(false);
        }
        Invalidate();
        return;
    }
    if (shift && m_anchor >= 0 && m_anchor < m_count) {
        m_model->SelectRange(static_cast<size_t>(m_anchor), static_cast<size_t>(index), !control);
    } else if (control) {
        m_model->Select(static_cast<size_t>(index), !m_model->IsSelected(index));
        m_anchor = index;
    } else {
        m_model->SelectRange(static_cast<size_t>(index), static_cast<size_t>(index), true);
        m_anchor = index;
    }
    // No scrolling here: the second click of a double-click must land on the same item.
    m_focus = index;
    Invalidate();
}

void CTrayView::MoveFocus(int index, bool control, bool shift) {
    if (shift) {
        if (m_anchor < 0 || m_anchor >= m_count) {
            m_anchor = HasFocusItem() ? m_focus : index;
        }
        m_model->SelectRange(static_cast<size_t>(m_anchor), static_cast<size_t>(index), !control);
    } else if (!control) {
        m_model->SelectRange(static_cast<size_t>(index), static_cast<size_t>(index), true);
        m_anchor = index;
    }
    m_focus = index;
    ShowItem(index);
    Invalidate();
}

LRESULT CTrayView::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hwnd, &paint);
    if (dc) {
        PaintTo(dc);
        ::EndPaint(m_hwnd, &paint);
    }
    return 0;
}

LRESULT CTrayView::OnPrintClient(WPARAM wParam, LPARAM) {
    PaintTo(reinterpret_cast<HDC>(wParam));
    return 0;
}

// Every pixel is painted from the back buffer, so the background is never erased first.
LRESULT CTrayView::OnEraseBackground(WPARAM, LPARAM) {
    return 1;
}

LRESULT CTrayView::OnSize(WPARAM, LPARAM) {
    UpdateScrollBar();
    Invalidate();
    return 0;
}

LRESULT CTrayView::OnVScroll(WPARAM wParam, LPARAM) {
    CatchUp();
    RECT client = {};
    ::GetClientRect(m_hwnd, &client);
    int scroll = m_scroll;
    switch (LOWORD(wParam)) {
    case SB_LINEUP:
        scroll -= CTrayLayout::kLineStep;
        break;
    case SB_LINEDOWN:
        scroll += CTrayLayout::kLineStep;
        break;
    case SB_PAGEUP:
        scroll -= client.bottom;
        break;
    case SB_PAGEDOWN:
        scroll += client.bottom;
        break;
    case SB_TOP:
        scroll = 0;
        break;
    case SB_BOTTOM:
        scroll = Layout().MaxScroll();
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        // The 32-bit position; the message's own is cut to 16 bits.
        SCROLLINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        if (!::GetScrollInfo(m_hwnd, SB_VERT, &info)) {
            return 0;
        }
        scroll = info.nTrackPos;
        break;
    }
    default:
        return 0;
    }
    ScrollTo(scroll);
    return 0;
}

LRESULT CTrayView::OnMouseWheel(WPARAM wParam, LPARAM) {
    CatchUp();
    m_wheelDelta += GET_WHEEL_DELTA_WPARAM(wParam);
    int notches = m_wheelDelta / WHEEL_DELTA;
    m_wheelDelta %= WHEEL_DELTA;
    if (notches == 0) {
        return 0;
    }
    UINT lines = 3;
    ::SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    RECT client = {};
    ::GetClientRect(m_hwnd, &client);
    int step = lines == WHEEL_PAGESCROLL ? client.bottom
                                         : static_cast<int>(lines) * CTrayLayout::kLineStep;
    ScrollTo(m_scroll - notches * step);
    return 0;
}

// A click anywhere in the tray, its scroll bar too, gives it the keyboard focus.
LRESULT CTrayView::OnMouseActivate(WPARAM wParam, LPARAM lParam) {
    LRESULT result = ::DefWindowProcA(m_hwnd, WM_MOUSEACTIVATE, wParam, lParam);
    if (result != MA_NOACTIVATE && result != MA_NOACTIVATEANDEAT && ::GetFocus() != m_hwnd) {
        ::SetFocus(m_hwnd);
    }
    return result;
}

LRESULT CTrayView::OnLButtonDown(WPARAM wParam, LPARAM lParam) {
    CatchUp();
    if (::GetFocus() != m_hwnd) {
        ::SetFocus(m_hwnd);
    }
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    Click(Layout().HitTest(point, m_scroll), (wParam & MK_CONTROL) != 0, (wParam & MK_SHIFT) != 0);
    return 0;
}

LRESULT CTrayView::OnLButtonDblClk(WPARAM wParam, LPARAM lParam) {
    CatchUp();
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    int index = Layout().HitTest(point, m_scroll);
    if (index < 0) {
        return 0;
    }
    if (!m_model->IsSelected(static_cast<size_t>(index))) {
        m_model->SelectRange(static_cast<size_t>(index), static_cast<size_t>(index), true);
        m_anchor = index;
    }
    m_focus = index;
    Invalidate();
    m_events->OnItemOpen(index);
    return 0;
}

// A right click selects the item under it unless it is already part of the selection.
LRESULT CTrayView::OnRButtonDown(WPARAM wParam, LPARAM lParam) {
    CatchUp();
    if (::GetFocus() != m_hwnd) {
        ::SetFocus(m_hwnd);
    }
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    int index = Layout().HitTest(point, m_scroll);
    if (index >= 0 && m_model->IsSelected(static_cast<size_t>(index))) {
        m_focus = index;
        Invalidate();
        return 0;
    }
    Click(index, false, false);
    return 0;
}

// Arrows and characters always; Enter too while an item has the focus, to open it.
LRESULT CTrayView::OnGetDlgCode(WPARAM, LPARAM lParam) {
    LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    if (message && message->message == WM_KEYDOWN && message->wParam == VK_RETURN &&
        HasFocusItem()) {
        code |= DLGC_WANTMESSAGE;
    }
    return code;
}

LRESULT CTrayView::OnKeyDown(WPARAM wParam, LPARAM lParam) {
    CatchUp();
    bool control = KeyDown(VK_CONTROL);
    bool shift = KeyDown(VK_SHIFT);
    if (wParam == VK_RETURN) {
        if (HasFocusItem()) {
            m_events->OnItemOpen(m_focus);
        }
        return 0;
    }
    if (wParam == 'A' && control) {
        m_model->SelectAll(true);
        Invalidate();
        return 0;
    }
    if (wParam == VK_SPACE && HasFocusItem()) {
        Click(m_focus, control, false);
        return 0;
    }
    int to = 0;
    if (!FocusTarget(static_cast<int>(wParam), &to)) {
        return ::DefWindowProcA(m_hwnd, WM_KEYDOWN, wParam, lParam);
    }
    if (to >= 0) {
        MoveFocus(to, control, shift);
    }
    return 0;
}

bool CTrayView::FocusTarget(int key, int* target) const {
    CTrayLayout layout = Layout();
    int columns = layout.Columns();
    int page = columns * layout.PageRows();
    int last = m_count - 1;
    int from = HasFocusItem() ? m_focus : -1;
    int to = -1;
    switch (key) {
    case VK_LEFT:
        to = from > 0 ? from - 1 : 0;
        break;
    case VK_RIGHT:
        to = from < last ? from + 1 : last;
        break;
    case VK_UP:
        to = from >= columns ? from - columns : from;
        break;
    case VK_DOWN:
        // From the row above a short last row, down lands on the last item.
        to = from + columns <= last ? from + columns
                                    : (from / columns < last / columns ? last : from);
        break;
    case VK_PRIOR:
        to = from - page >= 0 ? from - page : from % columns;
        break;
    case VK_NEXT:
        to = from + page <= last ? from + page : last;
        break;
    case VK_HOME:
        to = 0;
        break;
    case VK_END:
        to = last;
        break;
    default:
        return false;
    }
    // Without a focused item the first key press only puts the focus somewhere.
    if (from < 0 && m_count > 0) {
        to = key == VK_END ? last : 0;
    }
    *target = m_count > 0 ? to : -1;
    return true;
}

// Ctrl+A arrives as character 1 once translated; other characters are not for the tray.
LRESULT CTrayView::OnChar(WPARAM wParam, LPARAM) {
    CatchUp();
    if (wParam == 1) {
        m_model->SelectAll(true);
        Invalidate();
    }
    return 0;
}

LRESULT CTrayView::OnFocusChange(WPARAM, LPARAM) {
    Invalidate();
    return 0;
}

LRESULT CTrayView::OnDestroy(WPARAM, LPARAM) {
    m_model->SetWindow(nullptr);
    FreeBuffer();
    m_expanded.clear();
    return 0;
}

// The last message of the window, also when its parent destroyed it first.
LRESULT CTrayView::OnNcDestroy(WPARAM wParam, LPARAM lParam) {
    HWND hwnd = m_hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    m_hwnd = nullptr;
    m_threadId = 0;
    return ::DefWindowProcA(hwnd, WM_NCDESTROY, wParam, lParam);
}

LRESULT CTrayView::OnItemsChanged(WPARAM, LPARAM) {
    if (m_relayoutPending) {
        return 0;
    }
    const ULONGLONG since = ::GetTickCount64() - m_lastRelayout;
    // The model's message stays marked as on its way until Relayout takes the state, so no
    // other is posted meanwhile.
    if (since < kRelayoutMs &&
        ::SetTimer(m_hwnd, kRelayoutTimer, static_cast<UINT>(kRelayoutMs - since), nullptr) != 0) {
        m_relayoutPending = true;
        return 0;
    }
    Relayout();
    return 0;
}

LRESULT CTrayView::OnTimer(WPARAM wParam, LPARAM) {
    if (wParam == kRelayoutTimer) {
        Relayout();
    }
    return 0;
}

void CTrayView::CatchUp() {
    if (m_relayoutPending) {
        Relayout();
    }
}

void CTrayView::Relayout() {
    if (m_relayoutPending) {
        ::KillTimer(m_hwnd, kRelayoutTimer);
        m_relayoutPending = false;
    }
    m_lastRelayout = ::GetTickCount64();
    unsigned generation = 0;
    size_t count = 0;
    m_model->TakeState(&generation, &count);
    if (generation != m_generation) {
        m_generation = generation;
        m_focus = -1;
        m_anchor = -1;
        m_scroll = 0;
        m_expanded.clear();
    }
    m_count = count > 0x7FFFFFF ? 0x7FFFFFF : static_cast<int>(count);
    UpdateScrollBar();
    UpdateVisibleItems();
    Invalidate();
}

LRESULT CTrayView::OnThumbnailsReady(WPARAM, LPARAM) {
    unsigned generation = 0;
    std::vector<size_t> finished = m_model->TakeFinished(&generation);
    if (generation != m_generation || !m_drawing) {
        return 0;
    }
    CTrayLayout layout = Layout();
    RECT client = {};
    ::GetClientRect(m_hwnd, &client);
    for (size_t index : finished) {
        if (index >= static_cast<size_t>(m_count)) {
            continue;
        }
        RECT cell = layout.CellRect(static_cast<int>(index), m_scroll);
        RECT visible = {};
        if (::IntersectRect(&visible, &cell, &client)) {
            ::InvalidateRect(m_hwnd, &cell, FALSE);
        }
    }
    return 0;
}

LRESULT CTrayView::OnSettingsChanged(WPARAM, LPARAM) {
    m_model->Delivered(kTraySettingsChanged);
    ApplySettings(false);
    return 0;
}

void CTrayView::PaintTo(HDC target) {
    RECT client = {};
    ::GetClientRect(m_hwnd, &client);
    int width = client.right;
    int height = client.bottom;
    if (width <= 0 || height <= 0) {
        return;
    }
    if (!EnsureBuffer(width, height)) {
        // No memory for the buffer: draw straight away, flicker and all.
        Render(target, width, height);
        return;
    }
    HDC memory = ::CreateCompatibleDC(target);
    if (!memory) {
        Render(target, width, height);
        return;
    }
    HGDIOBJ old = ::SelectObject(memory, m_buffer);
    // While drawing is held back, the window keeps showing what it showed.
    if (m_drawing || !m_bufferDrawn) {
        Render(memory, width, height);
        m_bufferDrawn = true;
    }
    ::BitBlt(target, 0, 0, width, height, memory, 0, 0, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
}

bool CTrayView::EnsureBuffer(int width, int height) {
    if (m_buffer && m_bufferWidth == width && m_bufferHeight == height) {
        return true;
    }
    FreeBuffer();
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    m_buffer = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &m_bufferBits, nullptr, 0);
    if (!m_buffer) {
        return false;
    }
    m_bufferWidth = width;
    m_bufferHeight = height;
    m_bufferDrawn = false;
    return true;
}

void CTrayView::FreeBuffer() {
    if (m_buffer) {
        ::DeleteObject(m_buffer);
    }
    m_buffer = nullptr;
    m_bufferBits = nullptr;
    m_bufferWidth = 0;
    m_bufferHeight = 0;
    m_bufferDrawn = false;
}

void CTrayView::Render(HDC dc, int width, int height) {
    FillSolid(dc, RECT{0, 0, width, height}, ::GetSysColor(COLOR_WINDOW));
    if (!m_drawing) {
        return;
    }
    CTrayLayout layout(width, height, static_cast<size_t>(m_count));
    int first = 0;
    int last = 0;
    layout.VisibleRange(m_scroll, &first, &last);
    std::vector<TrayCell> cells =
        m_model->Cells(static_cast<size_t>(first), static_cast<size_t>(last));
    bool focused = ::GetFocus() == m_hwnd;
    HGDIOBJ oldFont = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    int oldMode = ::SetBkMode(dc, TRANSPARENT);
    COLORREF oldText = ::GetTextColor(dc);
    for (size_t i = 0; i < cells.size(); ++i) {
        const TrayCell& cell = cells[i];
        int index = first + static_cast<int>(i);
        RECT cellRect = layout.CellRect(index, m_scroll);
        RECT thumb = layout.ThumbRect(index, m_scroll);
        RECT label = layout.LabelRect(index, m_scroll);
        if (cell.selected) {
            FillSolid(dc, cellRect, ::GetSysColor(COLOR_HIGHLIGHT));
        }
        const TrayThumbnail* picture = cell.thumbnail.get();
        const std::vector<uint8_t>* bits = picture ? Expanded(cell.thumbnail) : nullptr;
        if (bits != nullptr) {
            int x = thumb.left + (CTrayLayout::kThumbWidth - picture->width) / 2;
            int y = thumb.top + (CTrayLayout::kThumbHeight - picture->height) / 2;
            BITMAPINFO info = {};
            info.bmiHeader.biSize = sizeof info.bmiHeader;
            info.bmiHeader.biWidth = picture->width;
            info.bmiHeader.biHeight = picture->height;
            info.bmiHeader.biPlanes = 1;
            info.bmiHeader.biBitCount = 24;
            info.bmiHeader.biCompression = BI_RGB;
            ::SetDIBitsToDevice(
                dc, x, y, static_cast<DWORD>(picture->width), static_cast<DWORD>(picture->height),
                0, 0, 0, static_cast<UINT>(picture->height), bits->data(), &info, DIB_RGB_COLORS);
            if (m_drawFrames) {
                FrameSolid(dc, RECT{x - 1, y - 1, x + picture->width + 1, y + picture->height + 1},
                           cell.selected ? ::GetSysColor(COLOR_HIGHLIGHTTEXT) : kPictureFrame);
            }
        } else {
            FillSolid(dc, thumb, kPlaceholderFill);
            FrameSolid(dc, thumb, kPlaceholderEdge);
            ::SetTextColor(dc, kPlaceholderText);
            ::DrawTextA(dc, kLoadingText, -1, &thumb,
                        DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
        ::SetTextColor(dc, ::GetSysColor(cell.selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        ::DrawTextA(dc, cell.label.c_str(), -1, &label,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        if (focused && index == m_focus) {
            // In the gap around the cell, on the window's colour, where it shows best.
            RECT focus = cellRect;
            ::InflateRect(&focus, kFocusOutset, kFocusOutset);
            ::SetTextColor(dc, RGB(0, 0, 0));
            ::SetBkColor(dc, RGB(255, 255, 255));
            ::DrawFocusRect(dc, &focus);
        }
    }
    ::SetTextColor(dc, oldText);
    ::SetBkMode(dc, oldMode);
    ::SelectObject(dc, oldFont);
    TrimExpanded(cells.size() + kExpandedSpare);
}

const std::vector<uint8_t>*
CTrayView::Expanded(const std::shared_ptr<const TrayThumbnail>& thumbnail) {
    auto found =
        std::find_if(m_expanded.begin(), m_expanded.end(), [&](const ExpandedThumbnail& expanded) {
            return expanded.thumbnail == thumbnail;
        });
    if (found != m_expanded.end()) {
        std::rotate(found, found + 1, m_expanded.end());
        return &m_expanded.back().bits;
    }
    try {
        ExpandedThumbnail expanded;
        if (thumbnail->width <= 0 || thumbnail->height <= 0 ||
            !ExpandThumbnail(thumbnail->jpeg, thumbnail->width, thumbnail->height,
                             &expanded.bits)) {
            return nullptr;
        }
        expanded.thumbnail = thumbnail;
        m_expanded.push_back(std::move(expanded));
        return &m_expanded.back().bits;
    } catch (const std::bad_alloc&) {
        return nullptr; // drawn as still loading
    }
}

void CTrayView::TrimExpanded(size_t keep) {
    if (m_expanded.size() > keep) {
        m_expanded.erase(m_expanded.begin(),
                         m_expanded.begin() + static_cast<ptrdiff_t>(m_expanded.size() - keep));
    }
}
