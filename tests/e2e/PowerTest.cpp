// Suspend and standby queries sent to the running program: refused only while files come,
// with the reason shown in a box of its own, and the download goes on.
#include <memory>

#include "tests/e2e/ProgramTestSupport.h"

using e2etest::kDownloadTitle;
using e2etest::kMainTitle;
using e2etest::kTimeout;
using e2etest::kWindowTimeout;
using e2etest::ProgramTest;

namespace {

// A visible dialog-class window titled `title` of the process, on any of its threads.
HWND FindProcessDialog(DWORD processId, const char* title) {
    struct Search {
        DWORD processId;
        const char* title;
        HWND found;
    } search{processId, title, nullptr};
    ::EnumWindows(
        [](HWND hWnd, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(hWnd, &owner);
            char cls[16] = "";
            ::GetClassNameA(hWnd, cls, sizeof cls);
            if (owner == s->processId && ::IsWindowVisible(hWnd) && lstrcmpA(cls, "#32770") == 0 &&
                ui::WindowText(hWnd) == s->title) {
                s->found = hWnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

LRESULT Query(HWND main, WPARAM event) {
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutA(main, WM_POWERBROADCAST, event, 0, SMTO_ABORTIFHUNG, kTimeout, &answer);
    return static_cast<LRESULT>(answer);
}

}  // namespace

TEST_F(ProgramTest, SuspendIsRefusedWhileFilesComeAndGrantedOtherwise) {
    for (char name = 'A'; name <= 'F'; ++name) {
        AddFile(std::string(1, name) + ".JPG");
    }
    driver.SetDword("FileDelayMs", 400);
    e2e::Program program;
    HWND main = program.WaitForWindow(kMainTitle, kWindowTimeout);
    ASSERT_NE(nullptr, main);
    HWND download = program.WaitForWindow(kDownloadTitle, kWindowTimeout);
    ASSERT_NE(nullptr, download);
    ASSERT_TRUE(e2e::WaitForControlText(download, IDC_PROGRESS_TEXT, "Downloading ( 2 of 6 )",
                                        kTimeout));

    EXPECT_EQ(BROADCAST_QUERY_DENY, Query(main, PBT_APMQUERYSUSPEND));
    EXPECT_EQ(TRUE, Query(main, PBT_APMSUSPEND)) << "not a query: always granted";
    // The box has a thread of its own, not the window's.
    HWND box = nullptr;
    std::string text;
    ui::WaitUntil([&] {
        box = FindProcessDialog(program.ProcessId(), "Fotoloft");
        return box != nullptr && !(text = ui::MessageBoxText(box)).empty();
    }, kTimeout);
    ASSERT_NE(nullptr, box);
    EXPECT_NE(program.UiThreadId(), ::GetWindowThreadProcessId(box, nullptr));
    EXPECT_EQ("The application won't allow Hibernation/Stand by right now.\n"
              "Close the application or wait for it to finish.", text);
    EXPECT_TRUE(::IsWindow(download)) << "the download goes on";
    ui::PressButton(box, IDOK);

    driver.SetDword("FileDelayMs", 0);
    ASSERT_TRUE(ui::WaitUntil([&] { return !::IsWindow(download); }, kWindowTimeout));
    EXPECT_EQ(TRUE, Query(main, PBT_APMQUERYSTANDBY)) << "idle: granted";
}
