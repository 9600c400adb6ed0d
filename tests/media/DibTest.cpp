// CDib: loads from files and resources, the palette each kind of section gets, drawing all or
// part of the picture (stretched too) into a memory context, and what is left after a failure.
#include <gtest/gtest.h>

#include "media/Dib.h"
#include "resource.h"
#include "tests/support/Canvas.h"
#include "tests/support/MediaFiles.h"
#include "tests/support/ScratchFiles.h"

namespace {

using scratch::Canvas;

TEST(Dib, ReportsItsRunTimeClassAndStartsEmpty) {
    CDib dib;
    EXPECT_STREQ("CDib", dib.GetRuntimeClass()->m_lpszClassName);
    EXPECT_TRUE(dib.IsKindOf(&CBitmap::classCBitmap));
    EXPECT_TRUE(dib.IsEmpty());
    EXPECT_EQ(0, dib.m_bm.bmWidth);
}

TEST(Dib, TwentyFourBitsGetAHalftonePaletteEightBitsTheirOwnTable) {
    scratch::Directory folder("dib");
    ASSERT_TRUE(scratch::WriteBitmapFile(folder / "colour.bmp", 30, 20, 24));
    ASSERT_TRUE(scratch::WriteBitmapFile(folder / "gray.bmp", 30, 20, 8));
    CDib dib;
    ASSERT_TRUE(dib.LoadFromFile((folder / "gray.bmp").c_str()));
    EXPECT_EQ(30, dib.GetWidth());
    EXPECT_EQ(20, dib.GetHeight());
    EXPECT_EQ(256, dib.GetPalette().GetEntryCount()) << "one entry per colour-table entry";
    ASSERT_TRUE(dib.LoadFromFile((folder / "colour.bmp").c_str()));
    EXPECT_EQ(24, dib.m_bm.bmBitsPixel);
    EXPECT_NE(nullptr, dib.GetPalette().GetSafeHandle()) << "a halftone palette";
}

TEST(Dib, DrawsAPartAtOneToOneOrStretched) {
    scratch::Directory folder("dib");
    ASSERT_TRUE(scratch::WriteBitmapFile(folder / "picture.bmp", 64, 48));
    CDib dib;
    ASSERT_TRUE(dib.LoadFromFile((folder / "picture.bmp").c_str()));
    Canvas canvas(64, 48);
    ASSERT_TRUE(dib.Draw(canvas.Dc(), RECT{0, 0, 10, 10}, RECT{20, 30, 30, 40}, FALSE));
    EXPECT_EQ(scratch::TestColor(20, 30), canvas.At(0, 0));
    EXPECT_EQ(scratch::TestColor(29, 39), canvas.At(9, 9));
    // Twice the size: each picture pixel takes two by two.
    ASSERT_TRUE(dib.Draw(canvas.Dc(), RECT{0, 0, 20, 20}, RECT{5, 5, 15, 15}, TRUE));
    EXPECT_EQ(scratch::TestColor(5, 5), canvas.At(1, 1));
    EXPECT_EQ(scratch::TestColor(14, 14), canvas.At(19, 19));
}

TEST(Dib, AFailedLoadLeavesItEmptyAndDrawingRefused) {
    scratch::Directory folder("dib");
    ASSERT_TRUE(scratch::WriteBitmapFile(folder / "picture.bmp", 8, 8));
    ASSERT_TRUE(scratch::WriteBytes(folder / "not.bmp", "not a bitmap at all"));
    CDib dib;
    ASSERT_TRUE(dib.LoadFromFile((folder / "picture.bmp").c_str()));
    Canvas canvas(8, 8);
    EXPECT_TRUE(dib.Draw(canvas.Dc(), RECT{0, 0, 8, 8}, RECT{0, 0, 8, 8}, FALSE));
    EXPECT_FALSE(dib.LoadFromFile((folder / "missing.bmp").c_str()));
    EXPECT_TRUE(dib.IsEmpty());
    EXPECT_EQ(0, dib.GetWidth());
    EXPECT_FALSE(dib.Draw(canvas.Dc(), RECT{0, 0, 8, 8}, RECT{0, 0, 8, 8}, FALSE));
    EXPECT_FALSE(dib.LoadFromFile((folder / "not.bmp").c_str()));
    EXPECT_TRUE(dib.IsEmpty());
}

TEST(Dib, ANumericResourceIdCountsByItsLow16Bits) {
    CDib byId, byHighId;
    ASSERT_TRUE(byId.LoadFromResource(::GetModuleHandleA(nullptr), IDB_STATUS_TOP_LEFT));
    ASSERT_TRUE(byHighId.LoadFromResource(::GetModuleHandleA(nullptr), 0x30000u | IDB_STATUS_TOP_LEFT));
    EXPECT_EQ(byId.GetWidth(), byHighId.GetWidth());
    EXPECT_GT(byId.GetWidth(), 0);
}

}  // namespace
