// CSkinButton: where the three slices of the face land on wide and narrow buttons, a middle
// that cannot be tiled, the focus rectangle around the caption, and the face shown as the
// mouse enters, leaves, presses, drags off and releases, driven by real mouse messages.
//
// The drawing cases call DrawItem with a memory context, as the parent's WM_DRAWITEM would.
// The mouse cases let the button paint itself on screen and copy its pixels with BitBlt from
// its window context into a memory canvas (Wine keeps window pixels in memory).
#include <gtest/gtest.h>

#include <string>

#include "controls/SkinButton.h"
#include "media/Dib.h"
#include "resource.h"
#include "tests/support/Canvas.h"

namespace {

using scratch::Canvas;

const UINT kButtonId = 1001;
const COLORREF kBackground = RGB(215, 215, 215);
const COLORREF kNormal = RGB(40, 80, 160);
const COLORREF kHover = RGB(90, 140, 220);
const COLORREF kPressed = RGB(20, 40, 100);

std::string Hex(COLORREF c) {
    char text[16];
    wsprintfA(text, "%06lX", static_cast<unsigned long>(c));
    return text;
}

// Column x and row y of the test face tell themselves apart.
COLORREF FaceColor(int x, int y) {
    return RGB(x * 2, y * 8, 77);
}

void MakeImage(CDib& image, int width, int height, const std::function<COLORREF(int, int)>& c) {
    ASSERT_TRUE(image.AttachDib(scratch::MakeDibSection(width, height, c)));
}

// The window the button lives in; counts the button's clicks.
class ParentWnd : public CWnd {
public:
    const CMessageMap* GetMessageMap() const override {
        static const CMessageMap map(CWnd::GetMessageMap(), {
            MapCommand(kButtonId, &ParentWnd::OnClicked),
        });
        return &map;
    }
    void OnClicked() { ++clicks; }
    int clicks = 0;
};

class SkinButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Away from the windows, so that no move of the real pointer reaches them.
        ::SetCursorPos(1000, 740);
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "skin button", WS_POPUP | WS_VISIBLE,
                                    CRect(100, 100, 400, 200), nullptr, 0))
            << "no window: is there a display?";
        // As the main window does it: an owner-drawn button of the template, subclassed.
        HWND control = ::CreateWindowExA(
            0, "BUTTON", "Get All", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 10, 10,
            110, 30, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kButtonId)),
            ::GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, control);
        ASSERT_TRUE(button.SubclassWindow(control));
        button.m_background = kBackground;
        button.m_fontId = IDS_CAPTION_FONT;
        MakeImage(normal, 93, 30, [](int, int) { return kNormal; });
        MakeImage(hover, 93, 30, [](int, int) { return kHover; });
        MakeImage(pressed, 93, 30, [](int, int) { return kPressed; });
        button.SetImages(&normal, &pressed, &hover);
        ::UpdateWindow(parent);
        // Whatever the new windows got queued (pointer moves, focus) is handled before the
        // test sends its own messages.
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::DispatchMessageA(&msg);
        }
    }

    // The button's state as its parent would ask it to draw it, into a memory canvas.
    void DrawInto(Canvas& canvas, const RECT& rect, UINT state) {
        DRAWITEMSTRUCT item{ODT_BUTTON, kButtonId, 0, ODA_DRAWENTIRE, state, button,
                            canvas.Dc()->GetSafeHdc(), rect, 0};
        button.DrawItem(&item);
    }

    // The face the button shows now: a pixel of its left cap, away from the caption, copied
    // from its window context after it has painted.
    std::string FaceOnScreen() {
        button.UpdateWindow();
        Canvas canvas(1, 1);
        HDC window = ::GetDC(button);
        const BOOL copied = ::BitBlt(*canvas.Dc(), 0, 0, 1, 1, window, 3, 15, SRCCOPY);
        ::ReleaseDC(button, window);
        return copied ? Hex(canvas.At(0, 0)) : "no copy";
    }

    void Mouse(UINT msg, WPARAM keys, int x, int y) {
        ::SendMessageA(button, msg, keys, MAKELPARAM(x, y));
    }

    ParentWnd parent;
    CSkinButton button;
    CDib normal, hover, pressed;
};

TEST_F(SkinButtonTest, AWideButtonTilesTheMiddleTwiceUnderTheRightCap) {
    CDib image;
    MakeImage(image, 93, 30, FaceColor);
    Canvas canvas(110, 30);
    ASSERT_TRUE(canvas.IsReady());
    EXPECT_TRUE(CSkinButton::DrawThreeSlice(canvas.Dc(), &image, RECT{0, 0, 110, 30}));
    // x on the button -> column of the image: left cap 0-30, middle at 31 and 62, right cap
    // from 79 (covering the second middle piece's last 14 columns).
    const int columns[][2] = {{0, 0},   {30, 30}, {31, 31}, {61, 61},
                              {62, 31}, {78, 47}, {79, 62}, {109, 92}};
    for (const auto& c : columns) {
        EXPECT_EQ(Hex(FaceColor(c[1], 0)), Hex(canvas.At(c[0], 0))) << "x = " << c[0];
        EXPECT_EQ(Hex(FaceColor(c[1], 29)), Hex(canvas.At(c[0], 29))) << "x = " << c[0];
    }
}

TEST_F(SkinButtonTest, ANarrowLowButtonShowsOneMiddlePieceAndTheImagesUpperRows) {
    CDib image;
    MakeImage(image, 93, 30, FaceColor);
    button.SetImages(&image, &image, &image);
    button.SetWindowText("");
    const COLORREF outside = RGB(1, 2, 3);
    Canvas canvas(75, 30);
    ASSERT_TRUE(canvas.IsReady());
    canvas.Fill(outside);
    DrawInto(canvas, RECT{0, 0, 75, 23}, 0);
    const int columns[][2] = {{31, 31}, {43, 43}, {44, 62}, {74, 92}};
    for (const auto& c : columns) {
        EXPECT_EQ(Hex(FaceColor(c[1], 22)), Hex(canvas.At(c[0], 22))) << "x = " << c[0];
    }
    EXPECT_EQ(Hex(outside), Hex(canvas.At(10, 23))) << "the image's lowest 7 rows stay out";
}

TEST_F(SkinButtonTest, AMiddleThatCannotBeTiledLeavesTheCaps) {
    // Two columns: third and two thirds both round to 1, a middle step of 0.
    CDib image;
    MakeImage(image, 2, 4, FaceColor);
    Canvas canvas(20, 4);
    ASSERT_TRUE(canvas.IsReady());
    canvas.Fill(kBackground);
    EXPECT_TRUE(CSkinButton::DrawThreeSlice(canvas.Dc(), &image, RECT{0, 0, 20, 4}));
    EXPECT_EQ(Hex(FaceColor(0, 0)), Hex(canvas.At(0, 0)));
    EXPECT_EQ(Hex(kBackground), Hex(canvas.At(10, 0)));
    EXPECT_EQ(Hex(FaceColor(1, 0)), Hex(canvas.At(19, 0)));
    CDib empty;
    EXPECT_FALSE(CSkinButton::DrawThreeSlice(canvas.Dc(), &empty, RECT{0, 0, 20, 4}));
}

TEST_F(SkinButtonTest, TheFocusRectangleIsFourPixelsWiderThanTheCaptionAndNeedsACaption) {
    button.SetImages(nullptr, nullptr, nullptr);
    const RECT area = {0, 0, 110, 30};
    Canvas canvas(110, 30);
    ASSERT_TRUE(canvas.IsReady());
    DrawInto(canvas, area, ODS_FOCUS);
    // The caption's width in its font; the focus rectangle's dots invert the background.
    std::unique_ptr<CFont> font = CSkinButton::CreateButtonFont(IDS_CAPTION_FONT);
    ASSERT_TRUE(font && font->GetSafeHandle() != nullptr);
    SIZE caption{};
    {
        CSelectGuard selection(*canvas.Dc(), font->GetSafeHandle());
        ASSERT_TRUE(::GetTextExtentPoint32A(*canvas.Dc(), "Get All", 7, &caption));
    }
    const int expectedLeft = (110 / 2 - caption.cx / 2 - 1) - 4;
    const int expectedRight = expectedLeft + caption.cx + 8 - 1;
    const COLORREF inverted = RGB(255, 255, 255) ^ kBackground;
    int left = -1, right = -1;
    for (int x = 0; x < 110; ++x) {
        for (int y = 0; y < 30; ++y) {
            if (canvas.At(x, y) == inverted) {
                left = left < 0 ? x : left;
                right = x;
            }
        }
    }
    EXPECT_EQ(expectedLeft, left);
    EXPECT_EQ(expectedRight, right);

    button.SetWindowText("");
    canvas.Fill(RGB(0, 0, 0));
    DrawInto(canvas, area, ODS_FOCUS);
    for (int x = 0; x < 110; ++x) {
        for (int y = 0; y < 30; ++y) {
            ASSERT_EQ(Hex(kBackground), Hex(canvas.At(x, y))) << x << "," << y;
        }
    }
}

TEST_F(SkinButtonTest, ThePointerEnteringShowsTheHoverFaceAndLeavingTheNormalOne) {
    EXPECT_EQ(Hex(kNormal), FaceOnScreen());
    Mouse(WM_MOUSEMOVE, 0, 20, 15);
    EXPECT_TRUE(button.IsHovering());
    EXPECT_EQ(button.GetSafeHwnd(), ::GetCapture()) << "held to see the pointer leave";
    EXPECT_EQ(Hex(kHover), FaceOnScreen());
    Mouse(WM_MOUSEMOVE, 0, 200, 15);
    EXPECT_FALSE(button.IsHovering());
    EXPECT_EQ(nullptr, ::GetCapture());
    EXPECT_EQ(Hex(kNormal), FaceOnScreen());
}

TEST_F(SkinButtonTest, PressingDraggingOffAndReleasingOutsideIsNoClick) {
    Mouse(WM_MOUSEMOVE, 0, 20, 15);
    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 20, 15);
    EXPECT_EQ(button.GetSafeHwnd(), ::GetFocus());
    EXPECT_EQ(Hex(kPressed), FaceOnScreen());
    Mouse(WM_MOUSEMOVE, MK_LBUTTON, 200, 15);
    EXPECT_TRUE(button.IsHovering()) << "the held button keeps the capture";
    EXPECT_EQ(Hex(kHover), FaceOnScreen()) << "no longer pressed once off the button";
    Mouse(WM_LBUTTONUP, 0, 200, 15);
    EXPECT_FALSE(button.IsHovering());
    EXPECT_EQ(nullptr, ::GetCapture());
    EXPECT_EQ(Hex(kNormal), FaceOnScreen());
    EXPECT_EQ(0, parent.clicks);

    // The same press released over the button is a click.
    Mouse(WM_MOUSEMOVE, 0, 20, 15);
    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, 20, 15);
    Mouse(WM_LBUTTONUP, 0, 20, 15);
    EXPECT_EQ(1, parent.clicks);
    EXPECT_FALSE(button.IsHovering());
    EXPECT_EQ(Hex(kNormal), FaceOnScreen());
}

TEST_F(SkinButtonTest, AnotherWindowTakingTheCaptureEndsTheHover) {
    Mouse(WM_MOUSEMOVE, 0, 20, 15);
    ASSERT_TRUE(button.IsHovering());
    ::SetCapture(parent);
    EXPECT_FALSE(button.IsHovering());
    EXPECT_EQ(Hex(kNormal), FaceOnScreen());
    ::ReleaseCapture();
}

}  // namespace
