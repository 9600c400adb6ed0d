// How long the program takes to show its main window, against a minimal dialog program.
//
// Five rounds, alternating: the benchmark starts Fotoloft.exe from its own folder, and itself
// as a minimal program (one empty dialog from a template in memory), and measures from
// CreateProcess to the moment a visible window of the new process carries the expected
// title; the process is then ended at once (before the program's first refresh). It prints
// each round and the medians, and their ratio. The figures depend on the machine; nothing here
// passes or fails. Another copy of the program must not be running (it would take over).
//   scripts/wine-env wine build/bin/bench_start.exe
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchClock.h"

namespace {

constexpr int kRounds = 5;
constexpr DWORD kTimeoutMs = 30000;
const char kMinimalTitle[] = "Minimal dialog";

struct Search {
    DWORD processId;
    const char* title;
    bool found;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    char text[128] = "";
    ::GetWindowTextA(window, text, sizeof text);
    if (owner == search->processId && ::IsWindowVisible(window) &&
        std::string(text) == search->title) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds from starting `commandLine` to its window titled `title` showing; -1 on failure.
double TimeToWindow(std::string commandLine, const std::string& folder, const char* title) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const double start = NowMs();
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &process)) {
        return -1;
    }
    Search search{process.dwProcessId, title, false};
    double shown = -1;
    while (NowMs() - start < kTimeoutMs) {
        ::EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            shown = NowMs() - start;
            break;
        }
        if (::WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) {
            break;  // ended without showing its window
        }
    }
    ::TerminateProcess(process.hProcess, 0);
    ::WaitForSingleObject(process.hProcess, kTimeoutMs);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return shown;
}

INT_PTR CALLBACK MinimalDialog(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// The yardstick program: one dialog with a caption, from a template built here.
int RunMinimal() {
    struct {
        DLGTEMPLATE dialog;
        WORD menu, windowClass;
        wchar_t title[sizeof kMinimalTitle];
    } dialogTemplate{};
    dialogTemplate.dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME;
    dialogTemplate.dialog.cx = 200;
    dialogTemplate.dialog.cy = 100;
    for (size_t i = 0; i < sizeof kMinimalTitle; ++i) {
        dialogTemplate.title[i] = static_cast<wchar_t>(kMinimalTitle[i]);
    }
    return static_cast<int>(::DialogBoxIndirectParamA(::GetModuleHandleA(nullptr),
                                                      &dialogTemplate.dialog, nullptr,
                                                      MinimalDialog, 0));
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--minimal") {
        return RunMinimal();
    }
    char self[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string folder(self);
    folder.resize(folder.find_last_of('\\'));
    std::vector<double> program, minimal;
    for (int round = 1; round <= kRounds; ++round) {
        const double fotoloft =
            TimeToWindow("\"" + folder + "\\Fotoloft.exe\"", folder, "Orvex(r) Fotoloft");
        const double dialog =
            TimeToWindow("\"" + std::string(self) + "\" --minimal", folder, kMinimalTitle);
        std::printf("round %d: main window %.0f ms, minimal dialog %.0f ms\n", round, fotoloft,
                    dialog);
        if (fotoloft < 0 || dialog < 0) {
            std::printf("a window did not show (another copy of the program running?)\n");
            return 1;
        }
        program.push_back(fotoloft);
        minimal.push_back(dialog);
    }
    std::printf("median: main window %.0f ms, minimal dialog %.0f ms, ratio %.2f\n",
                Median(program), Median(minimal), Median(program) / Median(minimal));
    return 0;
}
