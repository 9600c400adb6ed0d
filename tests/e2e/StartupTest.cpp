// Start-up as the user or the shell program starts the program, and the single-instance rule.
#include <atomic>
#include <thread>

#include "tests/e2e/ProgramTestSupport.h"

using e2etest::kMainTitle;
using e2etest::kTimeout;
using e2etest::kWindowTimeout;
using e2etest::PercentFull;
using e2etest::ProgramTest;

namespace {

// A window of the shell program's class, with its own message loop: the program's main
// window, owned by it, disables and enables it across processes.
class ShellWindow {
public:
    ShellWindow() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "OrvexLumoraShell2";
        ::RegisterClassA(&wc);  // already registered by an earlier test: fine
        m_thread = std::thread([this] {
            HWND hWnd = ::CreateWindowExA(0, "OrvexLumoraShell2", "shell stand-in",
                                          WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                          nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
            m_threadId = ::GetCurrentThreadId();
            m_hWnd = hWnd;
            MSG msg;
            while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
                ::DispatchMessageA(&msg);
            }
            ::DestroyWindow(hWnd);
        });
        ui::WaitUntil([this] { return m_hWnd.load() != nullptr; }, kTimeout);
    }
    ~ShellWindow() {
        ::PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
    }
    HWND Handle() const { return m_hWnd; }
    std::string Decimal() const {
        return std::to_string(static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(m_hWnd.load())));
    }

private:
    std::atomic<HWND> m_hWnd{nullptr};
    std::atomic<DWORD> m_threadId{0};
    std::thread m_thread;
};

HWND Owner(HWND hWnd) {
    return ::GetWindow(hWnd, GW_OWNER);
}

}  // namespace

TEST_F(ProgramTest, ASecondCopyBringsTheFirstBackAndEnds) {
    AddFile("A.JPG");
    e2e::Program first;
    HWND main = first.WaitForWindow(kMainTitle, kWindowTimeout);
    ASSERT_NE(nullptr, main);
    const std::string counted =
        std::to_string(PercentFull(2000)) + " % of camera memory full | 1 Snapshot Taken | 0 Video Taken";
    ASSERT_EQ(counted, WaitForStatus(main, counted));
    ::ShowWindow(main, SW_MINIMIZE);
    ASSERT_TRUE(ui::WaitUntil([&] { return ::IsIconic(main) != FALSE; }, kTimeout));

    e2e::Program second;
    ASSERT_TRUE(second.Started());
    DWORD exitCode = 1234;
    ASSERT_TRUE(second.WaitForExit(kWindowTimeout, &exitCode)) << "the second copy must end";
    EXPECT_EQ(0u, exitCode);
    EXPECT_TRUE(ui::WaitUntil([&] { return ::IsIconic(main) == FALSE; }, kTimeout))
        << "the first copy's window is restored";
    EXPECT_TRUE(ui::WaitUntil([&] { return ::GetForegroundWindow() == main; }, kTimeout));
    EXPECT_TRUE(first.Running());
}

TEST_F(ProgramTest, SetparentMakesTheShellWindowTheOwner) {
    ShellWindow shell;
    ASSERT_NE(nullptr, shell.Handle());
    {
        SCOPED_TRACE("/SETPARENT with trailing letters: the digits count");
        e2e::Program program("/SETPARENT " + shell.Decimal() + "ab");
        HWND main = program.WaitForWindow("Fotoloft", kWindowTimeout);
        ASSERT_NE(nullptr, main) << "owned by the shell it keeps the short title";
        EXPECT_EQ(shell.Handle(), Owner(main));
        ASSERT_TRUE(program.CloseAndWait(main, kTimeout));
    }
    {
        SCOPED_TRACE("a lone number is no parent");
        e2e::Program program(shell.Decimal());
        HWND main = program.WaitForWindow(kMainTitle, kWindowTimeout);
        ASSERT_NE(nullptr, main);
        EXPECT_EQ(nullptr, Owner(main));
        ASSERT_TRUE(program.CloseAndWait(main, kTimeout));
    }
    {
        SCOPED_TRACE("a number that names no window (a closed shell's) is no parent");
        ASSERT_FALSE(::IsWindow(reinterpret_cast<HWND>(static_cast<ULONG_PTR>(123456))));
        e2e::Program program("/setparent 123456");
        HWND main = program.WaitForWindow(kMainTitle, kWindowTimeout);
        ASSERT_NE(nullptr, main) << "the program must open unowned, not end without a window";
        EXPECT_EQ(nullptr, Owner(main));
        ASSERT_TRUE(program.CloseAndWait(main, kTimeout));
    }
    {
        SCOPED_TRACE("/setparent 0 is no parent");
        e2e::Program program("/setparent 0");
        HWND main = program.WaitForWindow(kMainTitle, kWindowTimeout);
        ASSERT_NE(nullptr, main);
        EXPECT_EQ(nullptr, Owner(main));
        ASSERT_TRUE(program.CloseAndWait(main, kTimeout));
    }
}

TEST_F(ProgramTest, ASecondCopyBesideTheShellActivatesTheShellsPopup) {
    ShellWindow shell;
    e2e::Program first("-setparent " + shell.Decimal());
    HWND main = first.WaitForWindow("Fotoloft", kWindowTimeout);
    ASSERT_NE(nullptr, main);
    // Something else comes to the front meanwhile.
    HWND other = ::CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300,
                                   200, 100, nullptr, nullptr, nullptr, nullptr);
    ::SetForegroundWindow(other);

    e2e::Program second;
    DWORD exitCode = 1234;
    ASSERT_TRUE(second.WaitForExit(kWindowTimeout, &exitCode));
    EXPECT_EQ(0u, exitCode);
    EXPECT_TRUE(ui::WaitUntil([&] { return ::GetForegroundWindow() == main; }, kTimeout))
        << "found through the shell's class, its last active pop-up comes to the front";
    EXPECT_TRUE(first.Running());
    ::DestroyWindow(other);
}
