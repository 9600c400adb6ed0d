#include "tests/support/ProgramDriver.h"

#include <cstdio>

#include "external/slidetray/TrayLayout.h"
#include "resource.h"
#include "tests/support/ScratchFiles.h"
#include "tests/support/ServerRegistration.h"
#include "tests/support/ShellDriver.h"
#include "tests/support/UiDriver.h"

namespace e2e {

Program::Program(const std::string& arguments)
    : Program(scratch::ExeFolder() + "\\Fotoloft.exe", arguments, scratch::ExeFolder()) {}

Program::Program(const std::string& exePath, const std::string& arguments,
                 const std::string& folder) {
    std::string commandLine = "\"" + exePath + "\"";
    if (!arguments.empty()) {
        commandLine += " " + arguments;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &m_process)) {
        std::fprintf(stderr, "cannot start %s: error %lu\n", exePath.c_str(), ::GetLastError());
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
    // Gives up early when the program has ended.
    HWND found = nullptr;
    ui::WaitUntil(
        [&] {
            found = ui::WaitForThreadWindow(m_process.dwThreadId, "#32770", title, 0, except);
            return found != nullptr || !Running();
        },
        timeoutMs);
    DWORD exitCode = 0;
    if (found == nullptr && Started() && WaitForExit(0, &exitCode)) {
        // Said here, since the test only sees that the window never came.
        std::fprintf(stderr, "the program ended (exit code 0x%08lX) while a window \"%s\" was awaited\n",
                     static_cast<unsigned long>(exitCode), title != nullptr ? title : "");
    }
    return found;
}

bool Program::HasWindow(const char* title) const {
    return ui::HasThreadWindow(m_process.dwThreadId, "#32770", title);
}

HWND Program::WaitForMessageBox(const char* caption, HWND mainWindow, DWORD timeoutMs,
                                std::string* text) const {
    HWND box = WaitForWindow(caption, timeoutMs, mainWindow);
    if (box != nullptr && text != nullptr) {
        // A box can show a moment before its text is in (seen under Wine).
        ui::WaitUntil([&] { return !(*text = ui::MessageBoxText(box)).empty(); }, timeoutMs);
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

bool RegisterComponents() {
    bool ok = true;
    for (const char* name : {"SlideTray.dll", "AlbumList.dll"}) {
        std::string path = scratch::ExeFolder() + "\\" + name;
        if (scratch::FileExists(path)) {
            ok = SUCCEEDED(scratch::RegisterServerDll(path)) && ok;
        }
    }
    // The shell program serves its gallery object out of process and registers itself.
    if (scratch::FileExists(shelltest::ShellPath())) {
        ok = shelltest::RunShell("/RegServer") == 0 && ok;
    }
    return ok;
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

std::string StatusLine(HWND main) {
    if (ControlVisible(main, IDC_MESSAGE_LINE)) {
        return "message: " + ControlText(main, IDC_MESSAGE_LINE) +
               (ControlVisible(main, IDC_SNAPSHOTS_FIELD) ? " (with counts)" : "");
    }
    return ControlText(main, IDC_MEMORY_FIELD) + " | " + ControlText(main, IDC_SNAPSHOTS_FIELD) +
           " | " + ControlText(main, IDC_VIDEOS_FIELD);
}

void ClickThumbnail(HWND main, int index, bool twice) {
    HWND tray = ::GetDlgItem(main, IDC_THUMBNAIL_TRAY);
    RECT client;
    ::GetClientRect(tray, &client);
    RECT cell = CTrayLayout(client.right, client.bottom, static_cast<size_t>(index) + 1)
                    .CellRect(index, 0);
    LPARAM where = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    ::SendMessageA(tray, WM_LBUTTONDOWN, MK_LBUTTON, where);
    ::SendMessageA(tray, WM_LBUTTONUP, 0, where);
    if (twice) {
        // Posted: the window it opens runs a modal loop inside the handler.
        ::PostMessageA(tray, WM_LBUTTONDBLCLK, MK_LBUTTON, where);
        ::PostMessageA(tray, WM_LBUTTONUP, 0, where);
    }
}

}  // namespace e2e
