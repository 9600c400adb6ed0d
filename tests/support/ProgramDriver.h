// Drives the real program from outside, as a user would: starts Fotoloft.exe (the one beside
// the test executable, or an installed one), finds its windows by title and class, reads and
// presses controls, answers message boxes, and never waits without a time-out.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

class Program {
public:
    // Starts the program beside the executable with the given command-line arguments.
    explicit Program(const std::string& arguments = "");
    // Starts the program at exePath in `folder`, as a shortcut would.
    Program(const std::string& exePath, const std::string& arguments, const std::string& folder);
    // Ends a program that is still running: closes its windows, then terminates it.
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return m_process.hProcess != nullptr; }
    DWORD UiThreadId() const { return m_process.dwThreadId; }
    DWORD ProcessId() const { return m_process.dwProcessId; }

    // A visible dialog-class window of the program with that exact title; null after the
    // time-out. `except` is skipped (a message box shares the main window's title).
    HWND WaitForWindow(const char* title, DWORD timeoutMs, HWND except = nullptr) const;
    // Whether such a window shows now.
    bool HasWindow(const char* title) const;
    // A message box with that caption; its text goes to *text.
    HWND WaitForMessageBox(const char* caption, HWND mainWindow, DWORD timeoutMs,
                           std::string* text) const;

    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr) const;
    bool Running() const;
    // Asks the window to close (WM_CLOSE) and waits for the program to end.
    bool CloseAndWait(HWND mainWindow, DWORD timeoutMs);

private:
    PROCESS_INFORMATION m_process{};
};

// Registers the hosted components and the shell program that lie beside the test executable
// (as their installers would); true when every one found registered.
bool RegisterComponents();

std::string ControlText(HWND dialog, int id);
bool ControlVisible(HWND dialog, int id);
// Waits until the control shows `expected`; the last text seen goes to *last.
bool WaitForControlText(HWND dialog, int id, const std::string& expected, DWORD timeoutMs,
                        std::string* last = nullptr);
// Presses a button without waiting for what it starts (a modal run would block a send).
void Click(HWND dialog, int id);
// The main window's three status fields as one line ("3 % of camera memory full | 2 Snapshots
// Taken | 1 Video Taken"), or "message: " and the message line when it shows instead.
std::string StatusLine(HWND main);
// Clicks (or double-clicks) thumbnail `index` of the main window's tray, scrolled to the top.
void ClickThumbnail(HWND main, int index, bool twice = false);

}  // namespace e2e
