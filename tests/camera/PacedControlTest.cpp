// A paced control against a real static control: quick updates are current at once but drawn
// together, the last of them is drawn by the tick, and an update after a quiet spell is drawn
// at once.
#include <gtest/gtest.h>

#include <windows.h>

#include "camera/PacedControl.h"

namespace {

// A static control draws itself with the brush its parent gives for WM_CTLCOLORSTATIC: one
// such request per drawing.
int g_drawings = 0;

LRESULT CALLBACK ParentProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CTLCOLORSTATIC) {
        ++g_drawings;
        return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
    }
    return ::DefWindowProcA(hWnd, msg, wParam, lParam);
}

void Pump(DWORD ms) {
    const ULONGLONG end = ::GetTickCount64() + ms;
    while (::GetTickCount64() < end) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::DispatchMessageA(&msg);
        }
        ::Sleep(1);
    }
}

std::string TextOf(HWND hWnd) {
    char text[64] = {};
    ::GetWindowTextA(hWnd, text, sizeof(text));
    return text;
}

TEST(PacedControlTest, QuickUpdatesAreDrawnTogetherAndTheLastOneByTheTick) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &ParentProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "PacedControlTestParent";
    ::RegisterClassA(&windowClass);
    HWND parent = ::CreateWindowA("PacedControlTestParent", "paced", WS_OVERLAPPEDWINDOW, 0, 0,
                                  300, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(nullptr, parent);
    HWND control = ::CreateWindowA("STATIC", "start", WS_CHILD | WS_VISIBLE | SS_LEFT, 10, 10,
                                   200, 20, parent, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(nullptr, control);
    paced::CPaced<CStatic> text;
    ASSERT_TRUE(text.SubclassWindow(control));
    ::ShowWindow(parent, SW_SHOWNOACTIVATE);
    Pump(2 * paced::kPaceMs);

    // A burst, as a download's per-file updates come: each update is the control's text as
    // soon as it returns, but the burst costs at most one drawing of its own ...
    g_drawings = 0;
    for (int i = 1; i <= 20; ++i) {
        text.SetWindowText(("file " + std::to_string(i)).c_str());
        ::UpdateWindow(control);
        ASSERT_EQ("file " + std::to_string(i), TextOf(control));
    }
    EXPECT_LE(g_drawings, 1);
    // ... and the last text is drawn by the tick.
    const int beforeTick = g_drawings;
    Pump(3 * paced::kPaceMs);
    EXPECT_EQ(beforeTick + 1, g_drawings) << "the burst's last text was not drawn once";

    // After a quiet spell an update is drawn at once.
    g_drawings = 0;
    text.SetWindowText("Aborting");
    ::UpdateWindow(control);
    EXPECT_EQ(1, g_drawings);

    // A window destroyed while a drawing is owed (a dialog closed mid-download): the next
    // window bound to the same object draws at once.
    text.SetWindowText("owed");
    text.SetWindowText("still owed");
    ::DestroyWindow(parent);
    parent = ::CreateWindowA("PacedControlTestParent", "paced", WS_OVERLAPPEDWINDOW, 0, 0, 300,
                             100, nullptr, nullptr, windowClass.hInstance, nullptr);
    control = ::CreateWindowA("STATIC", "again", WS_CHILD | WS_VISIBLE | SS_LEFT, 10, 10, 200,
                              20, parent, nullptr, windowClass.hInstance, nullptr);
    ASSERT_TRUE(text.SubclassWindow(control));
    ::ShowWindow(parent, SW_SHOWNOACTIVATE);
    Pump(2 * paced::kPaceMs);
    g_drawings = 0;
    text.SetWindowText("Downloading ( 1 of 9 )");
    ::UpdateWindow(control);
    EXPECT_EQ(1, g_drawings) << "the second window's first update was not drawn";

    text.UnsubclassWindow();
    ::DestroyWindow(parent);
}

} // namespace
