// The tray's window: a vertically scrolled grid of thumbnail cells with a label under each,
// selection and focus by mouse and keyboard, drawn through a back buffer.
#pragma once

#include "TrayLayout.h"
#include "TrayModel.h"

#include <atomic>
#include <memory>

// What the window tells the control that owns it.
class ITrayViewEvents {
public:
    // The user opened an item. The window touches nothing after this call, which may release
    // the control and destroy the window.
    virtual void OnItemOpen(int index) = 0;

protected:
    ~ITrayViewEvents() = default;
};

class CTrayView {
public:
    CTrayView(std::shared_ptr<CTrayModel> model, ITrayViewEvents* events);
    ~CTrayView();
    CTrayView(const CTrayView&) = delete;
    CTrayView& operator=(const CTrayView&) = delete;

    // Registers the window class; once per process while the DLL is loaded.
    static bool RegisterWindowClass(HINSTANCE module);
    static void UnregisterWindowClass(HINSTANCE module);

    // Creates the window as a visible child of `parent` at `rect` (the parent's client
    // coordinates); an existing window is moved there instead.
    bool Create(HWND parent, const RECT& rect);
    // Destroys the window unless its parent has destroyed it already.
    void Destroy();
    HWND Window() const { return m_hwnd; }
    void Move(const RECT& rect);

    // Drawing settings; callable on any thread, the window follows on its own.
    void SetRedraw(bool redraw);
    void SetShowFrames(bool show);
    // The items were cleared or added to; on the window's thread it follows at once.
    void ItemsChanged();

private:
    struct MessageEntry {
        UINT message;
        LRESULT (CTrayView::*handler)(WPARAM wParam, LPARAM lParam);
    };
    static const MessageEntry kMessages[];

    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnPrintClient(WPARAM wParam, LPARAM lParam);
    LRESULT OnEraseBackground(WPARAM wParam, LPARAM lParam);
    LRESULT OnSize(WPARAM wParam, LPARAM lParam);
    LRESULT OnVScroll(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseWheel(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseActivate(WPARAM wParam, LPARAM lParam);
    LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnLButtonDblClk(WPARAM wParam, LPARAM lParam);
    LRESULT OnRButtonDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetDlgCode(WPARAM wParam, LPARAM lParam);
    LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnChar(WPARAM wParam, LPARAM lParam);
    LRESULT OnFocusChange(WPARAM wParam, LPARAM lParam);
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);
    LRESULT OnNcDestroy(WPARAM wParam, LPARAM lParam);
    // The model's items changed (posted by the model). While items pour in (a download filling
    // the tray) the view follows at most every kRelayoutMs, so that the UI thread leaves the
    // machine to the copy; input and the control's own calls catch up at once.
    LRESULT OnItemsChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
    // Follows the model's items now: the count, the scroll bar, what the workers make first.
    void Relayout();
    // Relayout if one is waiting for its timer.
    void CatchUp();
    static constexpr ULONGLONG kRelayoutMs = 50;
    static constexpr UINT_PTR kRelayoutTimer = 1;
    LRESULT OnThumbnailsReady(WPARAM wParam, LPARAM lParam);
    LRESULT OnSettingsChanged(WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool IsWindowThread() const { return m_threadId.load() == ::GetCurrentThreadId(); }
    CTrayLayout Layout() const;
    void ApplySettings(bool repaint);
    void UpdateScrollBar();
    void ScrollTo(int scroll);
    void UpdateVisibleItems();
    void Invalidate();
    // Selection by a click on `index` (-1: empty space) with the modifier keys.
    void Click(int index, bool control, bool shift);
    // Moves the focus to `index` as an arrow key does, selecting as the keys say.
    void MoveFocus(int index, bool control, bool shift);
    // The item a navigation key moves the focus to (-1: none); false for other keys.
    bool FocusTarget(int key, int* target) const;
    void ShowItem(int index);
    bool HasFocusItem() const { return m_focus >= 0 && m_focus < m_count; }

    // The thumbnail's pixels as a bottom-up 24-bpp DIB, expanded when it was not drawn lately;
    // null when it does not expand.
    const std::vector<uint8_t>* Expanded(const std::shared_ptr<const TrayThumbnail>& thumbnail);
    // Forgets expanded thumbnails but the `keep` drawn last.
    void TrimExpanded(size_t keep);

    void PaintTo(HDC target);
    bool EnsureBuffer(int width, int height);
    void FreeBuffer();
    void Render(HDC dc, int width, int height);

    std::shared_ptr<CTrayModel> m_model;
    ITrayViewEvents* m_events;
    HWND m_hwnd = nullptr;
    std::atomic<DWORD> m_threadId{0}; // the window's thread; 0 without a window
    std::atomic<bool> m_redraw{true};
    std::atomic<bool> m_showFrames{true};

    // The rest belongs to the window's thread.
    bool m_drawing = true;     // m_redraw as the window last applied it
    bool m_drawFrames = true;  // m_showFrames as the window last applied it
    unsigned m_generation = 0; // of the items counted in m_count
    int m_count = 0;
    int m_scroll = 0;
    int m_focus = -1;
    int m_anchor = -1; // where Shift selections start
    int m_wheelDelta = 0;
    bool m_updatingScrollBar = false;
    HBITMAP m_buffer = nullptr;
    void* m_bufferBits = nullptr;
    int m_bufferWidth = 0;
    int m_bufferHeight = 0;
    bool m_bufferDrawn = false;
    // Thumbnails expanded for drawing, the one drawn last at the end: scrolling and repainting
    // do not expand them again, and only a few screens' worth are ever held.
    struct ExpandedThumbnail {
        std::shared_ptr<const TrayThumbnail> thumbnail;
        std::vector<uint8_t> bits;
    };
    std::vector<ExpandedThumbnail> m_expanded;
    ULONGLONG m_lastRelayout = 0;
    bool m_relayoutPending = false;
};
