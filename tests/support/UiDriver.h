// Driving windows from a second thread, as a user would: find a window by class and title,
// press its buttons, answer message boxes, and never wait forever.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace ui {

// Window text of any window, also of another thread's.
std::string WindowText(HWND hWnd);

// Waits until cond() holds; false when timeoutMs passed first.
bool WaitUntil(const std::function<bool()>& cond, DWORD timeoutMs, DWORD pollMs = 10);

// A visible top-level window of the thread with the class (null: any) and the exact title
// (null: any), other than `except`; null after the time-out.
HWND WaitForThreadWindow(DWORD threadId, const char* className, const char* title,
                         DWORD timeoutMs, HWND except = nullptr);
// Whether such a window shows now.
bool HasThreadWindow(DWORD threadId, const char* className, const char* title);

// Waits for a message box of the thread with that caption; returns it or null. `except` skips
// a window with the same caption (the main window of the program).
HWND WaitForMessageBox(DWORD threadId, const char* caption, DWORD timeoutMs,
                       HWND except = nullptr);
// The text of a message box.
std::string MessageBoxText(HWND box);
// Presses a button of a dialog or message box (IDOK, IDYES, IDRETRY, ...).
bool PressButton(HWND dialog, int buttonId);

// Runs a script on a second thread while the calling thread runs a modal loop; joined on
// destruction.
class DriverThread {
public:
    explicit DriverThread(std::function<void()> script);
    ~DriverThread();
    DriverThread(const DriverThread&) = delete;
    DriverThread& operator=(const DriverThread&) = delete;

private:
    std::thread m_thread;
};

// Ends a stuck modal run: after the time-out it keeps closing the windows of the watched
// thread until destroyed. Fired() tells the test that it had to.
class ModalWatchdog {
public:
    ModalWatchdog(DWORD threadId, DWORD timeoutMs);
    ~ModalWatchdog();
    ModalWatchdog(const ModalWatchdog&) = delete;
    ModalWatchdog& operator=(const ModalWatchdog&) = delete;
    bool Fired() const { return m_fired; }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_fired{false};
    std::thread m_thread;
};

// Runs `run` (a modal loop) on this thread while `script` drives the visible dialog titled
// `title` of this thread from a second thread. A watchdog ends the run after timeoutMs;
// *watchdogFired tells whether it had to.
INT_PTR RunDriven(const std::function<INT_PTR()>& run, const char* title,
                  const std::function<void(HWND)>& script, DWORD timeoutMs, bool* watchdogFired);

} // namespace ui
