#include "tests/support/ProgramDriver.h"

#include "tests/support/ScratchFiles.h"
#include "tests/support/UiDriver.h"

namespace e2e {

namespace {

struct WindowSearch {
    const char* title;
    HWND except;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND hWnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    char cls[64] = "";
    ::GetClassNameA(hWnd, cls, sizeof cls);
    if (hWnd != search->except && ::IsWindowVisible(hWnd) && lstrcmpA(cls, "#32770") == 0 &&
        ui::WindowText(hWnd) == search->title) {
        search->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

Program::Program(const std::string& arguments) {
    const std::string folder = scratch::ExeFolder();
    std::string commandLine = "\"" + folder + "\\Fotoloft.exe\"";
    if (!arguments.empty()) {
        commandLine += " " + arguments;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &m_process)) {
        m_process = PROCESS_INFORMATION{};
    }
}

Program::~Program() {
    if (!Started()) {
        return;
    }
    if (Running()) {
        // Politely first: every window of its UI thread gets WM_CLOSE, message boxes too.
        for (int round = 0; round < 20 && Running(); ++round) {
            ::EnumThreadWindows(
                m_process.dwThreadId,
                [](HWND hWnd, LPARAM) -> BOOL {
                    ::PostMessageA(hWnd, WM_CLOSE, 0, 0);
                    return TRUE;
                },
                0);
            WaitForExit(250);
        }
        if (Running()) {
            ::TerminateProcess(m_process.hProcess, 99);
            WaitForExit(5000);
        }
    }
    ::CloseHandle(m_process.hThread);
    ::CloseHandle(m_process.hProcess);
}

HWND Program::WaitForWindow(const char* title, DWORD timeoutMs, HWND except) const {
    WindowSearch search{title, except, nullptr};
    ui::WaitUntil(
        [&] {
            ::EnumThreadWindows(m_process.dwThreadId, FindDialog,
                                reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr || !Running();
        },
        timeoutMs);
    return search.found;
}

bool Program::HasWindow(const char* title) const {
    WindowSearch search{title, nullptr, nullptr};
    ::EnumThreadWindows(m_process.dwThreadId, FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr;
}

HWND Program::WaitForMessageBox(const char* caption, HWND mainWindow, DWORD timeoutMs,
                                std::string* text) const {
    HWND box = WaitForWindow(caption, timeoutMs, mainWindow);
    if (box != nullptr && text != nullptr) {
        *text = ui::MessageBoxText(box);
    }
    return box;
}

bool Program::WaitForExit(DWORD timeoutMs, DWORD* exitCode) const {
    if (::WaitForSingleObject(m_process.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    if (exitCode != nullptr) {
        ::GetExitCodeProcess(m_process.hProcess, exitCode);
    }
    return true;
}

bool Program::Running() const {
    return Started() && ::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
}

bool Program::CloseAndWait(HWND mainWindow, DWORD timeoutMs) {
    ::PostMessageA(mainWindow, WM_CLOSE, 0, 0);
    return WaitForExit(timeoutMs);
}

std::string ControlText(HWND dialog, int id) {
    return ui::WindowText(::GetDlgItem(dialog, id));
}

bool ControlVisible(HWND dialog, int id) {
    return ::IsWindowVisible(::GetDlgItem(dialog, id)) != FALSE;
}

bool WaitForControlText(HWND dialog, int id, const std::string& expected, DWORD timeoutMs,
                        std::string* last) {
    std::string seen;
    bool ok = ui::WaitUntil([&] { return (seen = ControlText(dialog, id)) == expected; },
                            timeoutMs);
    if (last != nullptr) {
        *last = seen;
    }
    return ok;
}

void Click(HWND dialog, int id) {
    ::PostMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

}  // namespace e2e
