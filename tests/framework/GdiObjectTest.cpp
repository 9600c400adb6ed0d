// GDI wrappers: a select guard puts back what it replaced, a filled rectangle leaves the
// context's colours alone, and an owner-drawn button's WM_DRAWITEM reaches the button object.
#include <gtest/gtest.h>

#include "framework/Button.h"
#include "framework/GdiObject.h"

namespace {

TEST(GdiObject, SelectGuardPutsBackWhatItReplaced) {
    CDC memory;
    ASSERT_TRUE(memory.CreateCompatibleDC(nullptr));
    const HGDIOBJ original = ::GetCurrentObject(memory, OBJ_BITMAP);
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(4, 4, 1, memory.GetDeviceCaps(BITSPIXEL), nullptr));
    {
        CSelectGuard guard(memory, bitmap);
        EXPECT_TRUE(guard.IsSelected());
        EXPECT_EQ(bitmap.GetSafeHandle(), ::GetCurrentObject(memory, OBJ_BITMAP));
    }
    EXPECT_EQ(original, ::GetCurrentObject(memory, OBJ_BITMAP));
    CSelectGuard nothing(memory, nullptr);
    EXPECT_FALSE(nothing.IsSelected());
}

TEST(GdiObject, FillSolidRectFillsOnlyTheRectangleAndKeepsTheBackgroundColour) {
    CDC memory;
    ASSERT_TRUE(memory.CreateCompatibleDC(nullptr));
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(8, 8, 1, memory.GetDeviceCaps(BITSPIXEL), nullptr));
    CSelectGuard guard(memory, bitmap);
    ASSERT_TRUE(memory.FillSolidRect(RECT{0, 0, 8, 8}, RGB(0, 0, 255)));
    ::SetBkColor(memory, RGB(1, 2, 3));
    ASSERT_TRUE(memory.FillSolidRect(RECT{2, 2, 4, 4}, RGB(255, 0, 0)));
    EXPECT_EQ(RGB(255, 0, 0), ::GetPixel(memory, 2, 2));
    EXPECT_EQ(RGB(255, 0, 0), ::GetPixel(memory, 3, 3));
    EXPECT_EQ(RGB(0, 0, 255), ::GetPixel(memory, 4, 4)) << "the right and bottom edges stay out";
    EXPECT_EQ(RGB(1, 2, 3), ::GetBkColor(memory));
}

class CountingButton : public CButton {
public:
    void DrawItem(LPDRAWITEMSTRUCT item) override {
        ++drawn;
        lastState = item->itemState;
    }
    int drawn = 0;
    UINT lastState = 0;
};

TEST(GdiObject, AnOwnerDrawnButtonDrawsItselfThroughItsObject) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "owner draw", WS_POPUP | WS_VISIBLE,
                                CRect(0, 0, 200, 100), nullptr, 0))
        << "no window: is there a display?";
    CountingButton button;
    ASSERT_TRUE(button.CreateEx(0, "BUTTON", "Draw me", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW,
                                CRect(10, 10, 110, 40), &parent, 1000));
    button.Invalidate();
    button.UpdateWindow();
    EXPECT_GE(button.drawn, 1);
    const int before = button.drawn;
    button.SetState(TRUE);
    EXPECT_GT(button.drawn, before);
    EXPECT_TRUE(button.lastState & ODS_SELECTED);
}

}  // namespace
