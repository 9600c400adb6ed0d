// close_window.exe "Window Title" [timeoutMs]
//
// Asks a top-level window to close the way a user would (WM_CLOSE), so the program
// runs its normal shutdown, and waits until the window is gone. The scripts use it to
// end the program after a screenshot; it must run on the same Wine desktop as the
// program, because windows are per desktop.
//
// Exit codes: 0 closed, 1 no such window (or bad arguments), 2 still there at time-out.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr DWORD kDefaultTimeoutMs = 10000;
constexpr DWORD kPollMs = 50;

// Reads the optional time-out argument; anything that is not a whole number is refused.
bool ParseTimeout(const char* text, DWORD* timeoutMs)
{
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (end == text || *end != '\0')
        return false;
    *timeoutMs = static_cast<DWORD>(value);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: close_window \"Window Title\" [timeoutMs]\n");
        return 1;
    }
    DWORD timeoutMs = kDefaultTimeoutMs;
    if (argc == 3 && !ParseTimeout(argv[2], &timeoutMs)) {
        std::fprintf(stderr, "close_window: bad time-out \"%s\"\n", argv[2]);
        return 1;
    }

    const HWND window = FindWindowA(nullptr, argv[1]);
    if (!window) {
        std::fprintf(stderr, "close_window: no window titled \"%s\"\n", argv[1]);
        return 1;
    }
    // Posted, not sent: a program busy in a modal loop must not block this tool.
    if (!PostMessageA(window, WM_CLOSE, 0, 0) && !IsWindow(window))
        return 0;

    const DWORD start = GetTickCount();
    while (IsWindow(window)) {
        if (GetTickCount() - start >= timeoutMs) {
            std::fprintf(stderr, "close_window: \"%s\" still open after %lu ms\n", argv[1],
                         static_cast<unsigned long>(timeoutMs));
            return 2;
        }
        Sleep(kPollMs);
    }
    return 0;
}
