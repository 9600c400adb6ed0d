// refresh_check.exe SHORTCUT.lnk
//
// Starts Fotoloft as its Start menu shortcut does (the shortcut's target, arguments and
// folder) and checks a refresh as a user sees it: the one the window starts by itself and one
// more by the Refresh button, each a download dialog that comes and goes and leaves counts in
// the status and the files in the download folder (the TempDirectory setting). Then it closes
// the window and checks that the temporary files went with the program. The installer's round
// trip runs it on the installed program; it prints one line a step:
//   shortcut: <target> in <folder>
//   first refresh: <status>; downloaded to <folder>: <files>
//   Refresh: <status>; downloaded: <files>
//   closed: temporary files left: <files or none>
// Exit codes: 0 every step happened, 1 one did not (said on stderr), 2 bad arguments.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "resource.h"
#include "tests/support/ProgramDriver.h"
#include "tests/support/ScratchFiles.h"
#include "tests/support/UiDriver.h"

namespace {

constexpr DWORD kWindowTimeoutMs = 30000;
constexpr DWORD kDownloadTimeoutMs = 30000;
constexpr const char* kMainTitle = "Orvex(r) Fotoloft";
constexpr const char* kDownloadTitle = "Download in progress";

struct Shortcut {
    std::string target;
    std::string arguments;
    std::string folder;
};

bool ReadShortcut(const char* path, Shortcut* shortcut) {
    IShellLinkA* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&link)))) {
        return false;
    }
    bool read = false;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t widePath[MAX_PATH];
        char text[MAX_PATH] = "";
        if (::MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH) != 0 &&
            SUCCEEDED(file->Load(widePath, STGM_READ)) &&
            SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, 0))) {
            shortcut->target = text;
            text[0] = '\0';
            link->GetArguments(text, MAX_PATH);
            shortcut->arguments = text;
            text[0] = '\0';
            link->GetWorkingDirectory(text, MAX_PATH);
            shortcut->folder = text;
            read = !shortcut->target.empty();
        }
        file->Release();
    }
    link->Release();
    return read;
}

// The download folder the program reads, as stored.
std::string DownloadFolder() {
    char value[MAX_PATH] = "";
    DWORD size = sizeof value;
    if (::RegGetValueA(HKEY_CURRENT_USER, "SOFTWARE\\Orvex\\Lumora2\\LMShell\\Properties",
                       "TempDirectory", RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
        return std::string();
    }
    return value;
}

int Fail(const std::string& what) {
    std::fprintf(stderr, "refresh_check: %s\n", what.c_str());
    return 1;
}

// Waits for a refresh's download dialog to come and go; the status it leaves goes to *status.
// A message box instead (no camera, an empty camera) fails with its text.
bool WaitForDownload(const e2e::Program& program, HWND main, std::string* status,
                     std::string* failure) {
    HWND dialog = program.WaitForWindow(kDownloadTitle, kWindowTimeoutMs);
    if (dialog == nullptr) {
        std::string text;
        *failure = program.WaitForMessageBox(kMainTitle, main, 1000, &text) != nullptr
                       ? "the program said: " + text
                       : "no download dialog showed";
        return false;
    }
    if (!ui::WaitUntil([&] { return !::IsWindow(dialog); }, kDownloadTimeoutMs)) {
        *failure = "the download dialog stayed open";
        return false;
    }
    std::string text;
    if (program.WaitForMessageBox(kMainTitle, main, 500, &text) != nullptr) {
        *failure = "the program said: " + text;
        return false;
    }
    *status = e2e::StatusLine(main);
    if (status->rfind("message: ", 0) == 0) {
        *failure = "the download did not finish: " + *status;
        return false;
    }
    return true;
}

std::string OrNone(const std::string& files) {
    return files.empty() ? "none" : files;
}

int Check(const char* shortcutPath) {
    Shortcut shortcut;
    if (!ReadShortcut(shortcutPath, &shortcut)) {
        return Fail(std::string("cannot read the shortcut ") + shortcutPath);
    }
    std::printf("shortcut: %s%s%s in %s\n", shortcut.target.c_str(),
                shortcut.arguments.empty() ? "" : " ", shortcut.arguments.c_str(),
                shortcut.folder.c_str());
    const std::string downloads = DownloadFolder();
    if (downloads.empty()) {
        return Fail("no TempDirectory setting");
    }

    e2e::Program program(shortcut.target, shortcut.arguments, shortcut.folder);
    if (!program.Started()) {
        return Fail("cannot start " + shortcut.target);
    }
    HWND main = program.WaitForWindow(kMainTitle, kWindowTimeoutMs);
    if (main == nullptr) {
        return Fail("no main window");
    }
    std::string status;
    std::string failure;
    if (!WaitForDownload(program, main, &status, &failure)) {
        return Fail("first refresh: " + failure);
    }
    const std::string files = scratch::ListFiles(downloads);
    std::printf("first refresh: %s; downloaded to %s: %s\n", status.c_str(), downloads.c_str(),
                OrNone(files).c_str());
    std::fflush(stdout);

    e2e::Click(main, IDC_REFRESH);
    if (!WaitForDownload(program, main, &status, &failure)) {
        return Fail("Refresh: " + failure);
    }
    std::printf("Refresh: %s; downloaded: %s\n", status.c_str(),
                OrNone(scratch::ListFiles(downloads)).c_str());

    if (!program.CloseAndWait(main, kWindowTimeoutMs)) {
        return Fail("the program did not end when its window was closed");
    }
    std::printf("closed: temporary files left: %s\n",
                OrNone(scratch::ListFiles(downloads)).c_str());
    return files.empty() ? Fail("nothing was downloaded") : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: refresh_check SHORTCUT.lnk\n");
        return 2;
    }
    ::CoInitialize(nullptr);
    const int result = Check(argv[1]);
    std::fflush(stdout);
    ::CoUninitialize();
    return result;
}
