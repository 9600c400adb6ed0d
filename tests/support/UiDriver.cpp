#include "tests/support/UiDriver.h"

#include <vector>

namespace ui {

std::string WindowText(HWND hWnd) {
    char buffer[1024] = "";
    // WM_GETTEXT by message works across threads while the owner pumps messages.
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutA(hWnd, WM_GETTEXT, sizeof(buffer), reinterpret_cast<LPARAM>(buffer),
                               SMTO_ABORTIFHUNG, 5000, &copied)) {
        return std::string();
    }
    return std::string(buffer, copied);
}

bool WaitUntil(const std::function<bool()>& cond, DWORD timeoutMs, DWORD pollMs) {
    DWORD start = ::GetTickCount();
    for (;;) {
        if (cond()) {
            return true;
        }
        if (::GetTickCount() - start >= timeoutMs) {
            return false;
        }
        ::Sleep(pollMs);
    }
}

namespace {

std::vector<HWND> ThreadWindows(DWORD threadId) {
    std::vector<HWND> windows;
    ::EnumThreadWindows(
        threadId,
        [](HWND hWnd, LPARAM param) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(param)->push_back(hWnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HWND FindThreadWindow(DWORD threadId, const char* className, const char* title, HWND except) {
    for (HWND hWnd : ThreadWindows(threadId)) {
        if (hWnd == except || !::IsWindowVisible(hWnd)) {
            continue;
        }
        char cls[256] = "";
        ::GetClassNameA(hWnd, cls, sizeof(cls));
        if (className != nullptr && lstrcmpiA(cls, className) != 0) {
            continue;
        }
        if (title != nullptr && WindowText(hWnd) != title) {
            continue;
        }
        return hWnd;
    }
    return nullptr;
}

} // namespace

HWND WaitForThreadWindow(DWORD threadId, const char* className, const char* title,
                         DWORD timeoutMs, HWND except) {
    HWND found = nullptr;
    WaitUntil(
        [&] { return (found = FindThreadWindow(threadId, className, title, except)) != nullptr; },
        timeoutMs);
    return found;
}

bool HasThreadWindow(DWORD threadId, const char* className, const char* title) {
    return FindThreadWindow(threadId, className, title, nullptr) != nullptr;
}

HWND WaitForMessageBox(DWORD threadId, const char* caption, DWORD timeoutMs, HWND except) {
    return WaitForThreadWindow(threadId, "#32770", caption, timeoutMs, except);
}

std::string MessageBoxText(HWND box) {
    // The message text is the static control with id 0xFFFF that is not the icon.
    std::string text;
    for (HWND child = ::GetWindow(box, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        char cls[64] = "";
        ::GetClassNameA(child, cls, sizeof(cls));
        if (lstrcmpiA(cls, "Static") == 0 && (::GetWindowLongPtrA(child, GWL_STYLE) & SS_ICON) == 0) {
            std::string candidate = WindowText(child);
            if (candidate.size() > text.size()) {
                text = candidate;
            }
        }
    }
    return text;
}

bool PressButton(HWND dialog, int buttonId) {
    HWND button = ::GetDlgItem(dialog, buttonId);
    if (button == nullptr) {
        return false;
    }
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored) != 0;
}

DriverThread::DriverThread(std::function<void()> script) : m_thread(std::move(script)) {}

DriverThread::~DriverThread() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

ModalWatchdog::ModalWatchdog(DWORD threadId, DWORD timeoutMs)
    : m_thread([this, threadId, timeoutMs] {
          if (WaitUntil([this] { return m_stop.load(); }, timeoutMs)) {
              return;
          }
          m_fired = true;
          while (!m_stop) {
              for (HWND hWnd : ThreadWindows(threadId)) {
                  ::PostMessageA(hWnd, WM_CLOSE, 0, 0);
              }
              ::Sleep(200);
          }
      }) {}

ModalWatchdog::~ModalWatchdog() {
    m_stop = true;
    m_thread.join();
}

INT_PTR RunDriven(const std::function<INT_PTR()>& run, const char* title,
                  const std::function<void(HWND)>& script, DWORD timeoutMs, bool* watchdogFired) {
    const DWORD uiThread = ::GetCurrentThreadId();
    ModalWatchdog watchdog(uiThread, timeoutMs);
    INT_PTR result;
    {
        DriverThread driver([&] {
            HWND hWnd = WaitForThreadWindow(uiThread, "#32770", title, timeoutMs);
            if (hWnd != nullptr) {
                script(hWnd);
            }
        });
        result = run();
    }
    if (watchdogFired != nullptr) {
        *watchdogFired = watchdog.Fired();
    }
    return result;
}

} // namespace ui
