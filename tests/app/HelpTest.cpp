// Help from the keyboard, the Help button and the outside command, with WinHelp replaced by
// a recorder (the real one would start the help viewer).
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "app/CameraManagerApp.h"
#include "main_window/CameraManagerDlg.h"
#include "resource.h"
#include "tests/support/UiDriver.h"

namespace {

const DWORD kTimeout = 10000;

struct HelpCall {
    HWND owner;
    std::string file;
    UINT command;
    ULONG_PTR data;
};

std::mutex g_callsMutex;
std::vector<HelpCall> g_calls;

BOOL WINAPI RecordWinHelp(HWND owner, LPCSTR file, UINT command, ULONG_PTR data) {
    std::lock_guard<std::mutex> lock(g_callsMutex);
    g_calls.push_back({owner, file != nullptr ? file : "", command, data});
    return TRUE;
}

std::vector<HelpCall> TakeCalls() {
    std::lock_guard<std::mutex> lock(g_callsMutex);
    std::vector<HelpCall> calls;
    calls.swap(g_calls);
    return calls;
}

}  // namespace

TEST(Help, WithoutAMainWindowTheHelpCommandOpensTheSecondWindow) {
    CCameraManagerApp app;
    app.SetWinHelpFunction(RecordWinHelp);
    TakeCalls();
    app.OnHelp();
    std::vector<HelpCall> calls = TakeCalls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(nullptr, calls[0].owner);
    EXPECT_EQ(std::string(app.m_pszHelpFilePath) + ">Second", calls[0].file);
    EXPECT_EQ(static_cast<UINT>(HELP_CONTEXT), calls[0].command);
    EXPECT_EQ(3856u, calls[0].data);
    EXPECT_EQ(".HLP", calls[0].file.substr(calls[0].file.size() - 11, 4));
}

TEST(Help, MainWindowF1ButtonAndOutsideCommand) {
    CCameraManagerApp app;
    app.SetWinHelpFunction(RecordWinHelp);
    TakeCalls();
    CCameraManagerDlg dlg;
    app.m_pMainWnd = &dlg;
    HWND seen = nullptr;
    bool fired = false;
    // Quick, before the window's first refresh is due.
    ui::RunDriven(
        [&] { return dlg.DoModal(); }, "Orvex(r) Fotoloft",
        [&](HWND hWnd) {
            seen = hWnd;
            ::SendMessageA(hWnd, WM_COMMAND, ID_HELP_SECOND_WINDOW, 0);
            ui::PressButton(hWnd, IDC_MAIN_HELP);
            HELPINFO info{sizeof info, HELPINFO_WINDOW, 0, nullptr, 0, {0, 0}};
            ::SendMessageA(hWnd, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
            ui::PressButton(hWnd, IDOK);
        },
        kTimeout, &fired);
    EXPECT_FALSE(fired);
    std::vector<HelpCall> calls = TakeCalls();
    ASSERT_EQ(3u, calls.size());
    const std::string file = app.m_pszHelpFilePath;
    // Command 32651: the main window owns help in the window "Second".
    EXPECT_EQ(seen, calls[0].owner);
    EXPECT_EQ(file + ">Second", calls[0].file);
    EXPECT_EQ(3856u, calls[0].data);
    // The Help button: the same context in the help file's default window.
    EXPECT_EQ(seen, calls[1].owner);
    EXPECT_EQ(file, calls[1].file);
    EXPECT_EQ(static_cast<UINT>(HELP_CONTEXT), calls[1].command);
    EXPECT_EQ(3856u, calls[1].data);
    // F1 reaches the application's help command.
    EXPECT_EQ(seen, calls[2].owner);
    EXPECT_EQ(file + ">Second", calls[2].file);
}

TEST(Help, TheSaveDialogsHelpButtonOpensItsTopicInTheSecondWindow) {
    CCameraManagerApp app;
    app.SetWinHelpFunction(RecordWinHelp);
    AfxEnableControlContainer();
    TakeCalls();
    CSaveToGalleryDlg dlg;
    bool fired = false;
    ui::RunDriven(
        [&] { return dlg.DoModal(); }, "Select gallery for saving",
        [&](HWND hWnd) {
            ui::PressButton(hWnd, IDC_SAVE_HELP);
            ui::PressButton(hWnd, IDCANCEL);
        },
        kTimeout, &fired);
    EXPECT_FALSE(fired);
    std::vector<HelpCall> calls = TakeCalls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(std::string(app.m_pszHelpFilePath) + ">Second", calls[0].file);
    EXPECT_EQ(static_cast<UINT>(HELP_CONTEXT), calls[0].command);
    EXPECT_EQ(3857u, calls[0].data);
}
