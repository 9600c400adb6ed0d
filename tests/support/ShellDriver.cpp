#include "tests/support/ShellDriver.h"

#include "external/lmshell/LMShell.h"
#include "tests/support/ScratchFiles.h"
#include "tests/support/UiDriver.h"

namespace shelltest {

namespace {
const DWORD kTimeout = 20000;
}  // namespace

std::string ShellPath() {
    return scratch::ExeFolder() + "\\LMShell.exe";
}

// Starts LMShell.exe with the arguments; a null process on failure.
PROCESS_INFORMATION StartShell(const std::string& arguments) {
    std::string commandLine = "\"" + ShellPath() + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        return PROCESS_INFORMATION{};
    }
    ::CloseHandle(process.hThread);
    return process;
}

// Waits for a process to end and closes its handle; its exit code, or ~0 when it did not end.
DWORD WaitAndClose(HANDLE process) {
    DWORD code = ~0u;
    if (::WaitForSingleObject(process, kTimeout) == WAIT_OBJECT_0) {
        ::GetExitCodeProcess(process, &code);
    } else {
        ::TerminateProcess(process, 99);
    }
    ::CloseHandle(process);
    return code;
}

DWORD RunShell(const std::string& arguments) {
    PROCESS_INFORMATION process = StartShell(arguments);
    return process.hProcess != nullptr ? WaitAndClose(process.hProcess) : ~0u;
}

HWND ShellWindow() {
    return ::FindWindowA(kLMShellWindowClass, nullptr);
}

// The shell's window once it shows.
HWND WaitForShellWindow() {
    HWND found = nullptr;
    ui::WaitUntil(
        [&found] {
            found = ShellWindow();
            return found != nullptr && ::IsWindowVisible(found);
        },
        kTimeout);
    return found != nullptr && ::IsWindowVisible(found) ? found : nullptr;
}

// The lines of the shell's list, read across processes. Wide on purpose: under Wine 8 an
// LB_GETTEXT sent to another process through SendMessageA comes back as "0", the wide one
// carries the text.
std::vector<std::string> Lines(HWND shell) {
    std::vector<std::string> lines;
    HWND list = ::FindWindowExA(shell, nullptr, "ListBox", nullptr);
    DWORD_PTR count = 0;
    if (list == nullptr ||
        !::SendMessageTimeoutA(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kTimeout, &count)) {
        return lines;
    }
    for (DWORD_PTR i = 0; i < count && count != static_cast<DWORD_PTR>(LB_ERR); ++i) {
        wchar_t text[1024] = L"";
        if (::SendMessageW(list, LB_GETTEXTLEN, i, 0) < 1024) {
            ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        }
        std::wstring wide(text);
        lines.push_back(std::string(wide.begin(), wide.end()));
    }
    return lines;
}

// Waits until a line of the shell holds the text; on failure says what the lines were.
::testing::AssertionResult ShowsLine(HWND shell, const std::string& text) {
    std::vector<std::string> lines;
    bool shown = ui::WaitUntil(
        [&] {
            lines = Lines(shell);
            for (const std::string& line : lines) {
                if (line.find(text) != std::string::npos) {
                    return true;
                }
            }
            return false;
        },
        kTimeout, 50);
    if (shown) {
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << "no line holds \"" << text << "\"; the " << lines.size() << " lines:";
    for (const std::string& line : lines) {
        failure << "\n  " << line;
    }
    return failure;
}

// Asks the shell to close as a user would and waits for its process to end.
DWORD CloseShell(HWND shell) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(shell, &processId);
    HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (process == nullptr) {
        return ~0u;
    }
    ::PostMessageA(shell, WM_CLOSE, 0, 0);
    return WaitAndClose(process);
}

}  // namespace shelltest
