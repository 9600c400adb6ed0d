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
