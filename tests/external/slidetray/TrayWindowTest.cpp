// The tray window as a user meets it, driven by messages: selection by mouse and keys, opening
// items, scrolling, and what it draws (checked by pixels printed into a memory DC).
#include "TrayTestFixture.h"

namespace tray_test {
namespace {

// One thing the user does.
struct Action {
    enum Kind { Click, DoubleClick, ClickGap, Key, Char } kind;
    int value; // item index, virtual key or character
    bool control = false;
    bool shift = false;
};

Action ClickOn(int index, bool control = false, bool shift = false) {
    return Action{Action::Click, index, control, shift};
}
Action Press(int key, bool control = false, bool shift = false) {
    return Action{Action::Key, key, control, shift};
}

struct SelectionCase {
    const char* what;
    std::vector<Action> actions;
    const char* selected; // item indices, in tray order
    const char* opened;   // indices the ItemOpen events carried
};

// Eleven items in three columns (asserted below): Down moves by three, the last row is short.
const SelectionCase kSelectionCases[] = {
    {"click selects one", {ClickOn(4)}, "4", ""},
    {"a second click replaces it", {ClickOn(1), ClickOn(4)}, "4", ""},
    {"ctrl+click adds and removes",
     {ClickOn(1), ClickOn(3, true), ClickOn(5, true), ClickOn(3, true)},
     "1 5",
     ""},
    {"shift+click selects from the anchor", {ClickOn(2), ClickOn(6, false, true)}, "2 3 4 5 6", ""},
    {"shift+click backwards keeps the anchor",
     {ClickOn(2), ClickOn(6, false, true), ClickOn(0, false, true)},
     "0 1 2",
     ""},
    {"ctrl+shift+click adds a range",
     {ClickOn(0), ClickOn(5, true), ClickOn(7, true, true)},
     "0 5 6 7",
     ""},
    {"a click between cells clears the selection",
     {ClickOn(1), ClickOn(2, true), Action{Action::ClickGap, 0}},
     "",
     ""},
    {"ctrl+A selects all", {ClickOn(3), Press('A', true)}, "0 1 2 3 4 5 6 7 8 9 10", ""},
    {"ctrl+A as its character selects all",
     {Action{Action::Char, 1}},
     "0 1 2 3 4 5 6 7 8 9 10",
     ""},
    {"arrows move the focus and the selection",
     {ClickOn(0), Press(VK_RIGHT), Press(VK_DOWN), Press(VK_RIGHT)},
     "5",
     ""},
    {"up and left stop at the edges",
     {ClickOn(1), Press(VK_UP), Press(VK_LEFT), Press(VK_LEFT)},
     "0",
     ""},
    {"down from above a short last row lands on the last item",
     {ClickOn(8), Press(VK_DOWN), Press(VK_DOWN)},
     "10",
     ""},
    {"shift+arrows extend from the anchor",
     {ClickOn(4), Press(VK_RIGHT, false, true), Press(VK_RIGHT, false, true)},
     "4 5 6",
     ""},
    {"shift+arrows shrink back past the anchor",
     {ClickOn(4), Press(VK_RIGHT, false, true), Press(VK_LEFT, false, true),
      Press(VK_LEFT, false, true)},
     "3 4",
     ""},
    {"the first arrow puts the focus on the first item", {Press(VK_DOWN)}, "0", ""},
    {"end", {ClickOn(4), Press(VK_END)}, "10", ""},
    {"home", {ClickOn(4), Press(VK_HOME)}, "0", ""},
    {"ctrl+arrow moves only the focus, ctrl+space toggles",
     {ClickOn(2), Press(VK_RIGHT, true), Press(VK_SPACE, true)},
     "2 3",
     ""},
    {"enter opens the focused item", {ClickOn(5), Press(VK_RETURN)}, "5", "5"},
    {"enter after arrows opens the item they reached",
     {ClickOn(0), Press(VK_DOWN), Press(VK_RETURN)},
     "3",
     "3"},
    {"enter without a focused item opens nothing", {Press(VK_RETURN)}, "", ""},
    {"double-click opens", {Action{Action::DoubleClick, 7}}, "7", "7"},
};

class TrayWindowTest : public TrayTest {
protected:
    void Do(const Action& action) {
        std::vector<int> modifiers;
        if (action.control) {
            modifiers.push_back(VK_CONTROL);
        }
        if (action.shift) {
            modifiers.push_back(VK_SHIFT);
        }
        HeldKeys keys(modifiers);
        WPARAM mouseKeys = (action.control ? MK_CONTROL : 0) | (action.shift ? MK_SHIFT : 0);
        switch (action.kind) {
        case Action::Click:
            m_host.Click(action.value, mouseKeys);
            break;
        case Action::DoubleClick:
            m_host.DoubleClick(action.value);
            break;
        case Action::ClickGap:
            m_host.ClickAt(POINT{Layout(1).Left() + CTrayLayout::kCellWidth + 2, 60}, mouseKeys);
            break;
        case Action::Key:
            m_host.Key(static_cast<UINT>(action.value));
            break;
        case Action::Char:
            ::SendMessageA(m_host.Tray(), WM_CHAR, static_cast<WPARAM>(action.value), 1);
            break;
        }
    }

    std::string OpenedIndices() {
        std::vector<std::string> opened;
        for (const ReceivedEvent& event : m_host.Sink().events) {
            EXPECT_EQ(DISPID_SLIDETRAY_ITEMOPEN, event.dispid);
            EXPECT_EQ(DISPATCH_METHOD, event.flags);
            EXPECT_EQ(1u, event.argumentCount);
            EXPECT_EQ(VT_I4, event.firstType);
            EXPECT_EQ(::GetCurrentThreadId(), event.threadId) << "fired off the UI thread";
            opened.push_back(std::to_string(event.firstValue));
        }
        return Joined(opened);
    }

    // Pumps until cell `index` shows `colour` over most of its picture area.
    bool WaitForCellColour(int index, int count, uint32_t colour, DWORD timeoutMs) {
        return PumpUntil(
            [&] {
                ClientPixels pixels;
                return pixels.Capture(m_host.Tray()) &&
                       pixels.Share(Layout(count).ThumbRect(index, m_host.ScrollPos()), colour) >
                           0.9;
            },
            timeoutMs);
    }
};

TEST_F(TrayWindowTest, SelectionByMouseAndKeysAndOpeningItems) {
    ASSERT_EQ(3, Layout(11).Columns()) << "the cases assume three columns";
    for (const SelectionCase& test : kSelectionCases) {
        SCOPED_TRACE(test.what);
        m_host.ClearItems();
        m_host.Sink().events.clear();
        std::vector<std::string> paths = AddNamedItems(11);
        for (const Action& action : test.actions) {
            Do(action);
        }
        EXPECT_EQ(test.selected, SelectedIndices(m_host, paths));
        EXPECT_EQ(test.opened, OpenedIndices());
    }
}

TEST_F(TrayWindowTest, ClickTakesTheKeyboardFocus) {
    AddNamedItems(3);
    ::SetFocus(m_host.Parent());
    ASSERT_NE(m_host.Tray(), ::GetFocus());
    m_host.Click(1);
    EXPECT_EQ(m_host.Tray(), ::GetFocus());
}

TEST_F(TrayWindowTest, DialogCodeWantsArrowsAndEnterOnlyWithAFocusedItem) {
    std::vector<std::string> paths = AddNamedItems(3);
    MSG enter = {m_host.Tray(), WM_KEYDOWN, VK_RETURN, 1, 0, {0, 0}};
    MSG tab = {m_host.Tray(), WM_KEYDOWN, VK_TAB, 1, 0, {0, 0}};
    auto code = [this](MSG* message) {
        return ::SendMessageA(m_host.Tray(), WM_GETDLGCODE, message ? message->wParam : 0,
                              reinterpret_cast<LPARAM>(message));
    };
    LRESULT plain = code(nullptr);
    EXPECT_EQ(DLGC_WANTARROWS | DLGC_WANTCHARS, plain & (DLGC_WANTARROWS | DLGC_WANTCHARS));
    EXPECT_FALSE(code(&enter) & DLGC_WANTMESSAGE) << "Enter wanted without a focused item";
    m_host.Click(2);
    EXPECT_TRUE(code(&enter) & DLGC_WANTMESSAGE) << "Enter not wanted with a focused item";
    EXPECT_FALSE(code(&tab) & (DLGC_WANTMESSAGE | DLGC_WANTTAB)) << "Tab must leave the tray";
}

// Items that pour in are laid out in batches, but a click never meets a window behind its
// items: the last of a burst, added a moment ago, can be selected at once.
TEST_F(TrayWindowTest, AClickRightAfterABurstOfItemsFindsThem) {
    std::vector<std::string> paths;
    for (int i = 0; i < 6; ++i) {
        paths.push_back(m_pictures / ("pic" + std::to_string(i) + ".jpg"));
        ASSERT_TRUE(m_host.AddItem(paths.back(), "Picture " + std::to_string(i)));
        // Only what is queued now: the window lays out the first item and holds the rest back.
        PumpUntil([] { return true; }, 0);
    }
    m_host.Click(5);
    EXPECT_EQ("5", SelectedIndices(m_host, paths));
    Flush();
    EXPECT_EQ(Layout(6).MaxScroll(), m_host.ScrollMax());
}

TEST_F(TrayWindowTest, ScrollBarWheelAndKeysScroll) {
    constexpr int kItems = 100;
    AddNamedItems(kItems);
    int max = m_host.ScrollMax();
    ASSERT_EQ(Layout(kItems).MaxScroll(), max);
    ASSERT_GT(max, 3 * kHeight);
    SIZE client = m_host.ClientSize();
    EXPECT_EQ(0, m_host.ScrollPos());

    ::SendMessageA(m_host.Tray(), WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(CTrayLayout::kLineStep, m_host.ScrollPos());
    ::SendMessageA(m_host.Tray(), WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(CTrayLayout::kLineStep + client.cy, m_host.ScrollPos());
    ::SendMessageA(m_host.Tray(), WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(client.cy, m_host.ScrollPos());
    ::SendMessageA(m_host.Tray(), WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(max, m_host.ScrollPos());
    ::SendMessageA(m_host.Tray(), WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(max, m_host.ScrollPos()) << "scrolled past the end";
    ::SendMessageA(m_host.Tray(), WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(0, m_host.ScrollPos());

    POINT screen = {10, 10};
    ::ClientToScreen(m_host.Tray(), &screen);
    LPARAM where = MAKELPARAM(screen.x, screen.y);
    ::SendMessageA(m_host.Tray(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), where);
    int afterWheel = m_host.ScrollPos();
    EXPECT_GT(afterWheel, 0) << "the wheel did not scroll down";
    ::SendMessageA(m_host.Tray(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), where);
    EXPECT_EQ(2 * afterWheel, m_host.ScrollPos());
    ::SendMessageA(m_host.Tray(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), where);
    EXPECT_EQ(afterWheel, m_host.ScrollPos());
    // Half notches add up.
    ::SendMessageA(m_host.Tray(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA / 2), where);
    EXPECT_EQ(afterWheel, m_host.ScrollPos());
    ::SendMessageA(m_host.Tray(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA / 2), where);
    EXPECT_EQ(0, m_host.ScrollPos());

    // The view follows the focus.
    std::vector<std::string> paths;
    for (int i = 0; i < kItems; ++i) {
        paths.push_back(m_host.ItemPath(i));
    }
    m_host.Key(VK_END);
    EXPECT_EQ(max, m_host.ScrollPos());
    EXPECT_EQ(std::to_string(kItems - 1), SelectedIndices(m_host, paths));
    m_host.Key(VK_HOME);
    EXPECT_EQ(0, m_host.ScrollPos());
    CTrayLayout layout = Layout(kItems);
    int page = layout.Columns() * layout.PageRows();
    m_host.Key(VK_NEXT);
    EXPECT_EQ(std::to_string(page), SelectedIndices(m_host, paths));
    m_host.Key(VK_NEXT);
    EXPECT_EQ(std::to_string(2 * page), SelectedIndices(m_host, paths));
    RECT cell = layout.CellRect(2 * page, m_host.ScrollPos());
    EXPECT_GE(cell.top, 0) << "the focused cell is above the view";
    EXPECT_LE(cell.bottom, client.cy) << "the focused cell is below the view";
    m_host.Key(VK_PRIOR);
    EXPECT_EQ(std::to_string(page), SelectedIndices(m_host, paths));
    cell = layout.CellRect(page, m_host.ScrollPos());
    EXPECT_GE(cell.top, 0);
    EXPECT_LE(cell.bottom, client.cy);
    for (int i = 0; i < 10; ++i) {
        m_host.Key(VK_DOWN);
    }
    int focused = page + 10 * layout.Columns();
    EXPECT_EQ(std::to_string(focused), SelectedIndices(m_host, paths));
    cell = layout.CellRect(focused, m_host.ScrollPos());
    EXPECT_GE(cell.top, 0);
    EXPECT_LE(cell.bottom, client.cy);
}

TEST_F(TrayWindowTest, ThumbnailsReplaceTheLoadingCells) {
    struct Picture {
        const char* name;
        int width;
        int height;
        uint32_t colour;
    };
    // A large picture takes the workers a while, so the last cells still wait when added.
    const Picture pictures[] = {{"large.bmp", 2400, 1800, 0x2040C0},
                                {"red.bmp", 160, 120, 0xE00000},
                                {"green.bmp", 320, 240, 0x00B000}};
    for (const Picture& picture : pictures) {
        ASSERT_TRUE(
            WriteBmp(m_pictures / picture.name, picture.width, picture.height, picture.colour));
    }
    const int kLarge = 5;
    std::vector<uint32_t> colours;
    for (int i = 0; i < kLarge; ++i) {
        ASSERT_TRUE(m_host.AddItem(m_pictures / pictures[0].name, "large"));
        colours.push_back(pictures[0].colour);
    }
    ASSERT_TRUE(m_host.AddItem(m_pictures / pictures[1].name, "red"));
    ASSERT_TRUE(m_host.AddItem(m_pictures / pictures[2].name, "green"));
    colours.push_back(pictures[1].colour);
    colours.push_back(pictures[2].colour);
    const int count = static_cast<int>(colours.size());
    Flush();

    ClientPixels pixels;
    ASSERT_TRUE(pixels.Capture(m_host.Tray()));
    int loading = 0;
    for (int i = 0; i < count; ++i) {
        RECT thumb = Layout(count).ThumbRect(i, 0);
        RECT corner = {thumb.left + 2, thumb.top + 2, thumb.left + 30, thumb.top + 20};
        loading += pixels.Share(corner, 0xECECEC, 2) > 0.9 ? 1 : 0;
    }
    EXPECT_GT(loading, 0) << "no cell showed as loading right after the items came";

    for (int i = 0; i < count; ++i) {
        EXPECT_TRUE(WaitForCellColour(i, count, colours[i], 20000))
            << "cell " << i << " never showed its thumbnail";
    }
}

// Enough items for many pages: the window expands for drawing only the thumbnails near the
// view, so the first page's are expanded again when it comes back, each in its own cell.
TEST_F(TrayWindowTest, ThumbnailsShowAgainAfterScrollingAwayAndBack) {
    const uint32_t kColours[] = {0xE00000, 0x00B000, 0x2040C0, 0xC0C000};
    for (size_t i = 0; i < 4; ++i) {
        ASSERT_TRUE(WriteBmp(m_pictures / ("c" + std::to_string(i) + ".bmp"), 160, 120,
                             kColours[i]));
    }
    const int kItems = 150;
    for (int i = 0; i < kItems; ++i) {
        ASSERT_TRUE(m_host.AddItem(m_pictures / ("c" + std::to_string(i % 4) + ".bmp"),
                                   "item " + std::to_string(i)));
    }
    Flush();
    ASSERT_TRUE(PumpUntil([&] { return m_host.ThumbnailsReady() == kItems; }, 30000));
    CTrayLayout layout = Layout(kItems);
    int first = 0;
    int last = 0;
    layout.VisibleRange(0, &first, &last);
    ASSERT_LT(last, kItems / 4) << "the first page shows too much of the tray";
    for (int i = first; i < last; ++i) {
        EXPECT_TRUE(WaitForCellColour(i, kItems, kColours[i % 4], 5000)) << "cell " << i;
    }

    // Down a page at a time, each drawn, to the end; then back to the top.
    while (m_host.ScrollPos() < m_host.ScrollMax()) {
        int before = m_host.ScrollPos();
        ::SendMessageA(m_host.Tray(), WM_VSCROLL, SB_PAGEDOWN, 0);
        ASSERT_GT(m_host.ScrollPos(), before);
        ClientPixels pixels;
        ASSERT_TRUE(pixels.Capture(m_host.Tray()));
    }
    ::SendMessageA(m_host.Tray(), WM_VSCROLL, SB_TOP, 0);
    ASSERT_EQ(0, m_host.ScrollPos());

    ClientPixels pixels;
    ASSERT_TRUE(pixels.Capture(m_host.Tray()));
    for (int i = first; i < last; ++i) {
        EXPECT_GT(pixels.Share(layout.ThumbRect(i, 0), kColours[i % 4]), 0.9)
            << "cell " << i << " does not show its thumbnail after scrolling back";
    }
}

TEST_F(TrayWindowTest, RedrawFalseHoldsDrawingBack) {
    ASSERT_TRUE(WriteBmp(m_pictures / "red.bmp", 160, 120, 0xE00000));
    m_host.SetRedraw(false);
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(m_host.AddItem(m_pictures / "red.bmp", "red"));
    }
    PumpFor(300);
    ClientPixels pixels;
    ASSERT_TRUE(pixels.Capture(m_host.Tray()));
    RECT all = {0, 0, pixels.Width(), pixels.Height()};
    EXPECT_EQ(1.0, pixels.Share(all, ToRgb(::GetSysColor(COLOR_WINDOW)), 0))
        << "the tray drew while drawing was held back";
    EXPECT_EQ(0, m_host.ScrollMax()) << "the scroll bar changed while drawing was held back";

    m_host.SetRedraw(true);
    EXPECT_EQ(Layout(20).MaxScroll(), m_host.ScrollMax());
    EXPECT_GT(m_host.ScrollMax(), 0);
    EXPECT_TRUE(WaitForCellColour(0, 20, 0xE00000, 10000));
}

TEST_F(TrayWindowTest, FramesSelectionAndFocusAreDrawn) {
    // Smaller than the picture area, so there is room around it for the frame.
    ASSERT_TRUE(WriteBmp(m_pictures / "small.bmp", 80, 60, 0x0000E0));
    ASSERT_TRUE(m_host.AddItem(m_pictures / "small.bmp", "small"));
    ASSERT_TRUE(m_host.AddItem(m_pictures / "small.bmp", "small"));
    RECT thumb = Layout(2).ThumbRect(0, 0);
    POINT centre = {(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
    // The tray keeps thumbnails compressed: their colours may come back a level or two off.
    RECT middle = {centre.x - 1, centre.y - 1, centre.x + 1, centre.y + 1};
    ASSERT_TRUE(PumpUntil(
        [&] {
            ClientPixels pixels;
            return pixels.Capture(m_host.Tray()) && pixels.Share(middle, 0x0000E0, 2) == 1.0;
        },
        10000));
    const uint32_t window = ToRgb(::GetSysColor(COLOR_WINDOW));
    const uint32_t highlight = ToRgb(::GetSysColor(COLOR_HIGHLIGHT));
    // Just left of the picture, which is centred in the picture area.
    POINT beside = {centre.x - 40 - 1, centre.y};
    RECT cell = Layout(2).CellRect(0, 0);
    POINT pad = {cell.left + 2, cell.top + 2};

    ClientPixels pixels;
    ASSERT_TRUE(pixels.Capture(m_host.Tray()));
    EXPECT_NE(window, pixels.At(beside.x, beside.y)) << "no frame around the picture";
    EXPECT_EQ(window, pixels.At(pad.x, pad.y));

    m_host.SetShowFrames(false);
    ASSERT_TRUE(pixels.Capture(m_host.Tray()));
    EXPECT_EQ(window, pixels.At(beside.x, beside.y)) << "a frame although frames are off";

    m_host.Click(0);
    ASSERT_TRUE(pixels.Capture(m_host.Tray()));
    EXPECT_EQ(highlight, pixels.At(pad.x, pad.y)) << "the selected cell is not highlighted";

    // The focus rectangle: on the unselected focused cell's edge while the tray has the focus.
    {
        HeldKeys control({VK_CONTROL});
        m_host.Key(VK_RIGHT);
    }
    RECT focusCell = Layout(2).CellRect(1, 0);
    RECT edge = {focusCell.left, focusCell.top - 2, focusCell.right, focusCell.top - 1};
    ASSERT_EQ(m_host.Tray(), ::GetFocus());
    ASSERT_TRUE(pixels.Capture(m_host.Tray()));
    EXPECT_LT(pixels.Share(edge, window, 0), 0.9) << "no focus rectangle";
    ::SetFocus(m_host.Parent());
    ASSERT_TRUE(pixels.Capture(m_host.Tray()));
    EXPECT_EQ(1.0, pixels.Share(edge, window, 0)) << "a focus rectangle without the focus";
}

} // namespace
} // namespace tray_test
