// The main window opens on its template, shows its title and zero counts, and Done closes it.
#include <gtest/gtest.h>

#include "framework/WinApp.h"
#include "main_window/CameraManagerDlg.h"
#include "resource.h"
#include "tests/support/UiDriver.h"

namespace {

const DWORD kTimeout = 10000;

struct Seen {
    std::string memory, snapshots, videos;
    bool messageLineVisible = true;
};

INT_PTR RunAndLook(CCameraManagerDlg& dlg, const char* title, Seen& seen) {
    bool fired = false;
    INT_PTR result = ui::RunDriven(
        [&] { return dlg.DoModal(); }, title,
        [&](HWND hWnd) {
            seen.memory = ui::WindowText(::GetDlgItem(hWnd, IDC_MEMORY_FIELD));
            seen.snapshots = ui::WindowText(::GetDlgItem(hWnd, IDC_SNAPSHOTS_FIELD));
            seen.videos = ui::WindowText(::GetDlgItem(hWnd, IDC_VIDEOS_FIELD));
            seen.messageLineVisible = ::IsWindowVisible(::GetDlgItem(hWnd, IDC_MESSAGE_LINE));
            ui::PressButton(hWnd, IDOK);
        },
        kTimeout, &fired);
    EXPECT_FALSE(fired) << "no window titled \"" << title << "\" could be closed";
    return result;
}

TEST(MainWindow, WithoutParentItCarriesTheProductTitleAndZeroCounts) {
    CWinApp app;
    CCameraManagerDlg dlg;
    app.m_pMainWnd = &dlg;
    Seen seen;
    EXPECT_EQ(RunAndLook(dlg, "Orvex(r) Fotoloft", seen), IDOK);
    EXPECT_STREQ(dlg.GetWindowTitle(), "Orvex(r) Fotoloft");
    EXPECT_EQ(seen.memory, "0 % of camera memory full");
    EXPECT_EQ(seen.snapshots, "0 Snapshot Taken");
    EXPECT_EQ(seen.videos, "0 Video Taken");
    EXPECT_FALSE(seen.messageLineVisible);
}

TEST(MainWindow, OwnedByAParentItKeepsTheShortTitle) {
    CWinApp app;
    CWnd shell;
    ASSERT_TRUE(shell.CreateEx(0, nullptr, "shell", WS_OVERLAPPEDWINDOW, CRect(0, 0, 100, 100),
                               nullptr, 0));
    CCameraManagerDlg dlg(&shell);
    app.m_pMainWnd = &dlg;
    Seen seen;
    EXPECT_EQ(RunAndLook(dlg, "Fotoloft", seen), IDOK);
    EXPECT_STREQ(dlg.GetWindowTitle(), "Fotoloft");
}

} // namespace

namespace {

TEST(MainWindow, ItsClientAreaIsFixedAndAboutIsTheLastSystemMenuEntry) {
    CWinApp app;
    CCameraManagerDlg dlg;
    app.m_pMainWnd = &dlg;
    RECT client{}, aboutClient{}, ok{};
    UINT lastId = 0, separatorState = 0;
    std::string lastText;
    bool fired = false;
    const DWORD uiThread = ::GetCurrentThreadId();
    ui::RunDriven(
        [&] { return dlg.DoModal(); }, "Orvex(r) Fotoloft",
        [&](HWND hWnd) {
            ::GetClientRect(hWnd, &client);
            // The system menu is read on its own thread's behalf: menus are per process.
            HMENU menu = ::GetSystemMenu(hWnd, FALSE);
            const int count = ::GetMenuItemCount(menu);
            lastId = ::GetMenuItemID(menu, count - 1);
            separatorState = ::GetMenuState(menu, static_cast<UINT>(count - 2), MF_BYPOSITION);
            char text[64] = "";
            ::GetMenuStringA(menu, static_cast<UINT>(count - 1), text, sizeof text, MF_BYPOSITION);
            lastText = text;
            ::PostMessageA(hWnd, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
            HWND about = ui::WaitForThreadWindow(uiThread, "#32770",
                                                 "About Orvex Kestrel Camera Manager", kTimeout);
            if (about != nullptr) {
                ::GetClientRect(about, &aboutClient);
                ::GetWindowRect(::GetDlgItem(about, IDOK), &ok);
                ::MapWindowPoints(nullptr, about, reinterpret_cast<POINT*>(&ok), 2);
                ui::PressButton(about, IDOK);
            }
            ui::WaitUntil([&] { return ui::WaitForThreadWindow(uiThread, "#32770",
                                           "About Orvex Kestrel Camera Manager", 0) == nullptr; },
                          kTimeout);
            ui::PressButton(hWnd, IDOK);
        },
        kTimeout * 2, &fired);
    EXPECT_FALSE(fired);
    EXPECT_EQ(579, client.right);
    EXPECT_EQ(425, client.bottom);
    EXPECT_EQ(static_cast<UINT>(IDM_ABOUTBOX), lastId);
    EXPECT_EQ("&About Fotoloft", lastText);
    EXPECT_TRUE(separatorState & MF_SEPARATOR) << "a separator before the About entry";
    EXPECT_EQ(419, aboutClient.right) << "the About box is the size of its picture";
    EXPECT_EQ(190, aboutClient.bottom);
    EXPECT_EQ(419 - 15, ok.right);
    EXPECT_EQ(190 - 15, ok.bottom);
}

}  // namespace
