// screenshot_tour.exe CAMERA_FOLDER REQUEST_FOLDER
//
// Takes Fotoloft (the one beside this tool) through a user's day on the demo camera for
// scripts/screenshots: the camera not yet plugged in, the download, the main window, a
// snapshot and a clip opened, a save into a new gallery, erasing the camera and the About box.
// At each picture it writes REQUEST_FOLDER\NAME.rect, "left top width height" of what to
// photograph in screen pixels, and waits until the script has taken it and removed the file.
//
// The driver, download and gallery settings are pointed at the camera and at scratch folders
// for the tour and put back afterwards. Exit codes: 0 every picture taken, 1 a step failed
// (said on stderr), 2 bad arguments.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "resource.h"
#include "tests/support/ProgramDriver.h"
#include "tests/support/ScratchFiles.h"
#include "tests/support/ScratchRegistry.h"
#include "tests/support/UiDriver.h"

namespace {

constexpr DWORD kTimeoutMs = 30000;
constexpr DWORD kPictureTimeoutMs = 60000;
// Slow enough per file that the download dialog can be photographed half-way.
constexpr DWORD kSlowFileMs = 1500;
constexpr const char* kMainTitle = "Orvex(r) Fotoloft";

struct Failure {
    std::string what;
};

void Require(bool condition, const std::string& what) {
    if (!condition) {
        throw Failure{what};
    }
}

class Tour {
public:
    Tour(const std::string& camera, const std::string& requests)
        : m_camera(camera), m_requests(requests) {}

    void Run() {
        Require(m_downloads.IsReady() && m_galleries.IsReady() && m_driver.IsReady() &&
                    m_properties.IsReady() && m_installed.IsReady() && m_fotoloft.IsReady(),
                "cannot set the scratch folders and settings up");
        for (const char* gallery : {"Garden", "Holiday"}) {
            Require(scratch::MakeDirectories(m_galleries / gallery), "cannot make a gallery");
        }
        m_properties.SetString("TempDirectory", m_downloads.Path());
        m_installed.SetString("GalleriesPath", m_galleries.Path());
        m_fotoloft.SetString("DefaultGallery", "Holiday");
        // Not plugged in yet: a camera folder that is not there.
        m_driver.SetString("CameraFolder", m_camera + "\\not plugged in");

        m_program = std::make_unique<e2e::Program>();
        Require(m_program->Started(), "cannot start Fotoloft.exe");
        m_main = m_program->WaitForWindow(kMainTitle, kTimeoutMs);
        Require(m_main != nullptr, "no main window");

        PlugIn();
        Look();
        Save();
        Erase();
        About();

        e2e::Click(m_main, IDOK);
        Require(m_program->WaitForExit(kTimeoutMs), "the program did not end by Done");
    }

private:
    // No camera: the program says so; plugged in, Retry downloads it.
    void PlugIn() {
        HWND box = WaitForBox();
        Photograph("plug-in", box);
        m_driver.SetString("CameraFolder", m_camera);
        m_driver.SetDword("FileDelayMs", kSlowFileMs);
        Require(ui::PressButton(box, IDRETRY), "cannot press Retry");

        HWND download = m_program->WaitForWindow("Download in progress", kTimeoutMs);
        Require(download != nullptr, "no download dialog");
        Require(ui::WaitUntil(
                    [&] {
                        return e2e::ControlText(download, IDC_PROGRESS_TEXT) ==
                               "Downloading ( 6 of 7 )";
                    },
                    kTimeoutMs),
                "the download did not get to its sixth file");
        Photograph("download", download, m_main);
        Require(ui::WaitUntil([&] { return !::IsWindow(download); }, kTimeoutMs),
                "the download did not end");
        m_driver.SetDword("FileDelayMs", 0);
        // The tray makes its thumbnails after the download, off the UI thread.
        ::Sleep(3000);
        Photograph("main-window", m_main);
    }

    // A snapshot at its true size, then a clip playing.
    void Look() {
        e2e::ClickThumbnail(m_main, 2, true);
        HWND viewer = WaitForWindow();
        Photograph("viewer", viewer);
        Close(viewer);

        e2e::ClickThumbnail(m_main, 5, true);
        HWND player = WaitForWindow();
        ::Sleep(1500); // into the clip
        Photograph("video", player);
        Close(player);
    }

    // Get All into a new gallery named Party, files named PARTY_0001.jpg and on.
    void Save() {
        e2e::Click(m_main, IDC_GET_ALL);
        HWND dialog = m_program->WaitForWindow("Select gallery for saving", kTimeoutMs);
        Require(dialog != nullptr, "no save dialog");
        ::SetDlgItemTextA(dialog, IDC_PREFIX, "PARTY");
        Photograph("save", dialog);

        e2e::Click(dialog, IDC_NEW_GALLERY);
        HWND ask = m_program->WaitForWindow("Create New Gallery", kTimeoutMs);
        Require(ask != nullptr, "no new gallery dialog");
        ::SetDlgItemTextA(ask, IDC_GALLERY_NAME, "Party");
        Photograph("new-gallery", ask);
        e2e::Click(ask, IDOK);
        Require(ui::WaitUntil([&] { return !::IsWindow(ask); }, kTimeoutMs),
                "the new gallery dialog stayed");
        ::Sleep(500);
        Photograph("save-party", dialog);

        e2e::Click(dialog, IDOK);
        HWND box = WaitForBox();
        Photograph("saved", box);
        Require(ui::PressButton(box, IDOK), "cannot close the message");
        Require(scratch::ListFiles(m_galleries / "Party").find("PARTY_0007.avi") !=
                    std::string::npos,
                "the save did not reach the gallery");
    }

    void Erase() {
        e2e::Click(m_main, IDC_DELETE_ALL);
        HWND question = WaitForBox();
        Photograph("erase", question);
        Require(ui::PressButton(question, IDYES), "cannot answer Yes");
        Require(ui::WaitUntil([&] { return !::IsWindow(question); }, kTimeoutMs),
                "the question stayed");
        HWND done = WaitForBox();
        Photograph("erased", done);
        Require(ui::PressButton(done, IDOK), "cannot close the message");
        ::Sleep(500);
        Photograph("main-window-empty", m_main);
    }

    void About() {
        ::PostMessageA(m_main, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        HWND about = WaitForWindow();
        Photograph("about", about);
        Close(about);
    }

    // The message box the program shows over its main window.
    HWND WaitForBox() {
        std::string text;
        HWND box = m_program->WaitForMessageBox(kMainTitle, m_main, kTimeoutMs, &text);
        Require(box != nullptr, "no message box");
        return box;
    }

    // The window the program opened over its main window.
    HWND WaitForWindow() {
        HWND window =
            ui::WaitForThreadWindow(m_program->UiThreadId(), "#32770", nullptr, kTimeoutMs, m_main);
        Require(window != nullptr, "no window opened");
        return window;
    }

    static void Close(HWND window) {
        ::PostMessageA(window, WM_COMMAND, IDOK, 0);
        Require(ui::WaitUntil([&] { return !::IsWindow(window); }, kTimeoutMs),
                "a window did not close");
    }

    // Asks for a picture of `window` (with `under`, when given, as far as the two reach) and
    // waits until it is taken.
    void Photograph(const char* name, HWND window, HWND under = nullptr) {
        // The frame too: under Wine a caption can keep the colours of an earlier state.
        ::RedrawWindow(window, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        ::Sleep(400); // the program paints in its own time
        RECT rect;
        Require(::GetWindowRect(window, &rect) != FALSE, std::string("no window for ") + name);
        RECT below;
        if (under != nullptr && ::GetWindowRect(under, &below)) {
            ::UnionRect(&rect, &rect, &below);
        }
        const std::string request = m_requests + "\\" + name + ".rect";
        const std::string part = request + ".part";
        char line[64];
        std::snprintf(line, sizeof line, "%ld %ld %ld %ld\n", rect.left, rect.top,
                      rect.right - rect.left, rect.bottom - rect.top);
        // Written under another name and renamed, so that the script never reads half a line.
        Require(scratch::WriteBytes(part, line) && ::MoveFileA(part.c_str(), request.c_str()),
                "cannot write " + request);
        Require(ui::WaitUntil([&] { return !scratch::FileExists(request); }, kPictureTimeoutMs, 50),
                std::string("no picture was taken of ") + name);
        std::printf("%s: %s\n", name, ui::WindowText(window).c_str());
        std::fflush(stdout);
    }

    std::string m_camera;
    std::string m_requests;
    scratch::Directory m_downloads{"tour-downloads"};
    scratch::Directory m_galleries{"tour-galleries"};
    scratch::RegistryKey m_driver{HKEY_CURRENT_USER, "Software\\Orvex\\Kestrel Camera Driver"};
    scratch::RegistryKey m_properties{HKEY_CURRENT_USER,
                                      "SOFTWARE\\Orvex\\Lumora2\\LMShell\\Properties"};
    scratch::RegistryKey m_installed{HKEY_CURRENT_USER,
                                     "Software\\Orvex\\LumoraInstalled\\Lumora2"};
    scratch::RegistryKey m_fotoloft{HKEY_CURRENT_USER, "SOFTWARE\\Orvex\\Lumora2\\Fotoloft"};
    // Declared last: the program ends before the settings are put back.
    std::unique_ptr<e2e::Program> m_program;
    HWND m_main = nullptr;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: screenshot_tour CAMERA_FOLDER REQUEST_FOLDER\n");
        return 2;
    }
    try {
        Tour(argv[1], argv[2]).Run();
    } catch (const Failure& failure) {
        std::fprintf(stderr, "screenshot_tour: %s\n", failure.what.c_str());
        return 1;
    }
    return 0;
}
