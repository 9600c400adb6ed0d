// The image viewer on pictures around the 640 x 480 view: the window hugs a small picture,
// a larger one gets the bars it needs, scrolling reaches the last row and column and no
// further, and Escape closes it with IDCANCEL.
#include <gtest/gtest.h>

#include "media/ImageViewerDlg.h"
#include "tests/support/MediaFiles.h"
#include "tests/support/ScratchFiles.h"
#include "tests/support/UiDriver.h"

namespace {

const DWORD kTimeout = 15000;

std::string Text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

struct Seen {
    bool hBar = false, vBar = false;
    SCROLLINFO h{}, v{};
    RECT frame{}, client{};
    COLORREF lastPixel = CLR_INVALID;  // the frame's bottom-right pixel after scrolling to the end
};

class ImageViewerTest : public ::testing::Test {
protected:
    // Opens the viewer on a width x height picture; `script` gets the window.
    INT_PTR View(int width, int height, const std::function<void(HWND)>& script) {
        EXPECT_TRUE(scratch::WriteBitmapFile(folder / "picture.bmp", width, height));
        EXPECT_TRUE(image.LoadFromFile((folder / "picture.bmp").c_str()));
        CImageViewerDlg viewer(&image, nullptr);
        viewer.SetCaption("Snapshot 3 (test)");
        bool fired = false;
        INT_PTR result = ui::RunDriven([&] { return viewer.DoModal(); }, "Snapshot 3 (test)",
                                       script, kTimeout, &fired);
        EXPECT_FALSE(fired);
        return result;
    }

    static Seen Look(HWND hWnd) {
        Seen seen;
        HWND h = ::GetDlgItem(hWnd, IDC_HSCROLL);
        HWND v = ::GetDlgItem(hWnd, IDC_VSCROLL);
        seen.hBar = ::IsWindowVisible(h) && ::IsWindowEnabled(h);
        seen.vBar = ::IsWindowVisible(v) && ::IsWindowEnabled(v);
        seen.h.cbSize = seen.v.cbSize = sizeof(SCROLLINFO);
        seen.h.fMask = seen.v.fMask = SIF_ALL;
        ::GetScrollInfo(h, SB_CTL, &seen.h);
        ::GetScrollInfo(v, SB_CTL, &seen.v);
        ::GetWindowRect(::GetDlgItem(hWnd, IDC_PICTURE_FRAME), &seen.frame);
        ::MapWindowPoints(nullptr, hWnd, reinterpret_cast<POINT*>(&seen.frame), 2);
        ::GetClientRect(hWnd, &seen.client);
        return seen;
    }

    scratch::Directory folder{"viewer"};
    CDib image;
};

TEST_F(ImageViewerTest, APictureThatFitsIsShownWholeInAWindowThatHugsIt) {
    Seen seen;
    EXPECT_EQ(IDOK, View(640, 480, [&](HWND hWnd) {
        seen = Look(hWnd);
        ui::PressButton(hWnd, IDOK);
    }));
    EXPECT_FALSE(seen.hBar);
    EXPECT_FALSE(seen.vBar);
    EXPECT_EQ("3,3 643,483", Text(seen.frame));
    EXPECT_EQ(646, seen.client.right) << "3 pixels either side of the picture";
}

TEST_F(ImageViewerTest, OneColumnTooManyGivesTheHorizontalBarAlone) {
    Seen seen;
    View(641, 480, [&](HWND hWnd) {
        seen = Look(hWnd);
        ui::PressButton(hWnd, IDOK);
    });
    EXPECT_TRUE(seen.hBar);
    EXPECT_FALSE(seen.vBar);
    EXPECT_EQ(0, seen.h.nMin);
    EXPECT_EQ(641, seen.h.nMax);
    EXPECT_EQ(640u, seen.h.nPage);
}

TEST_F(ImageViewerTest, ScrollingToTheEndsShowsTheLastPixelAndEscapeCancels) {
    Seen seen;
    EXPECT_EQ(IDCANCEL, View(1600, 1200, [&](HWND hWnd) {
        HWND h = ::GetDlgItem(hWnd, IDC_HSCROLL);
        HWND v = ::GetDlgItem(hWnd, IDC_VSCROLL);
        // Past the end on purpose: the view stops at the last row and column.
        for (int i = 0; i < 5; ++i) {
            ::SendMessageA(hWnd, WM_VSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(v));
        }
        ::SendMessageA(hWnd, WM_HSCROLL, SB_BOTTOM, reinterpret_cast<LPARAM>(h));
        ::SendMessageA(hWnd, WM_HSCROLL, SB_ENDSCROLL, reinterpret_cast<LPARAM>(h));
        seen = Look(hWnd);
        HDC dc = ::GetDC(hWnd);
        seen.lastPixel = ::GetPixel(dc, seen.frame.right - 1, seen.frame.bottom - 1);
        ::ReleaseDC(hWnd, dc);
        ::SendMessageA(hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
        ::PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    }));
    EXPECT_TRUE(seen.hBar);
    EXPECT_TRUE(seen.vBar);
    EXPECT_EQ("3,3 643,483", Text(seen.frame));
    EXPECT_EQ(1200, seen.v.nMax);
    EXPECT_EQ(480u, seen.v.nPage);
    EXPECT_EQ(scratch::TestColor(1599, 1199), seen.lastPixel);
}

TEST_F(ImageViewerTest, WithoutAPictureTheBarsAreDisabled) {
    CImageViewerDlg viewer(nullptr, nullptr);
    viewer.SetCaption("Empty");
    Seen seen;
    bool fired = false;
    ui::RunDriven([&] { return viewer.DoModal(); }, "Empty",
                  [&](HWND hWnd) {
                      seen = Look(hWnd);
                      ui::PressButton(hWnd, IDOK);
                  },
                  kTimeout, &fired);
    EXPECT_FALSE(fired);
    EXPECT_FALSE(seen.hBar);
    EXPECT_FALSE(seen.vBar);
}

}  // namespace
