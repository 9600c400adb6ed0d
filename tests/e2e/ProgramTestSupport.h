// The real program on a scratch camera: the driver and the download folder are pointed at
// scratch folders in the registry for the length of a test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "resource.h"
#include "tests/support/ProgramDriver.h"
#include "tests/support/ScratchFiles.h"
#include "tests/support/ScratchRegistry.h"
#include "tests/support/UiDriver.h"

namespace e2etest {

constexpr DWORD kWindowTimeout = 20000;
constexpr DWORD kTimeout = 15000;
constexpr const char* kMainTitle = "Orvex(r) Fotoloft";
constexpr const char* kDownloadTitle = "Download in progress";
constexpr const char* kAborted =
    "Download aborted. Press the \"Refresh\" button for a complete download.";
constexpr const char* kNoCamera =
    "Camera not available. Check camera connections and close other applications using camera.";
constexpr const char* kSaveTitle = "Select gallery for saving";
constexpr const char* kNewTitle = "Create New Gallery";
constexpr const char* kAppCaption = "Fotoloft"; // the caption of the program's message boxes
constexpr const char* kComplete = "Images transfer complete.";
constexpr const char* kCreate =
    "The specified directory does not exist.  Would you like to create it now?";

// The memory figure the driver gives for files of `used` bytes on the tests' 1 MiB camera.
inline int PercentFull(size_t used) {
    const size_t capacity = 1024 * 1024;
    return 100 - static_cast<int>((capacity - used) * 100 / capacity);
}

using e2e::ClickThumbnail;

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        static const bool registered = e2e::RegisterComponents();
        ASSERT_TRUE(registered) << "the components beside the test must register";
        driver.SetString("CameraFolder", camera.Path());
        driver.SetDword("CapacityMB", 1);
        properties.SetString("TempDirectory", downloads.Path());
    }

    // A still (a JPEG header padded to `bytes`) or, for a name ending in .AVI, a clip.
    void AddFile(const std::string& relative, size_t bytes = 2000) {
        std::string content =
            relative.size() > 4 && ::lstrcmpiA(relative.c_str() + relative.size() - 4, ".avi") == 0
                ? std::string("RIFF") + std::string(bytes - 4, 'v')
                : scratch::JpegHeader(640, 480, bytes - 41);
        ASSERT_TRUE(scratch::WriteBytes(camera / relative, content)) << relative;
    }

    static std::string Status(HWND main) { return e2e::StatusLine(main); }

    // Waits until the status reads `expected`; returns the last status seen.
    static std::string WaitForStatus(HWND main, const std::string& expected,
                                     DWORD timeoutMs = kTimeout) {
        std::string seen;
        ui::WaitUntil([&] { return (seen = Status(main)) == expected; }, timeoutMs);
        return seen;
    }

    scratch::RegistryKey driver{HKEY_CURRENT_USER, "Software\\Orvex\\Kestrel Camera Driver"};
    scratch::RegistryKey properties{HKEY_CURRENT_USER,
                                    "SOFTWARE\\Orvex\\Lumora2\\LMShell\\Properties"};
    scratch::Directory camera{"e2e-camera"};
    scratch::Directory downloads{"e2e-downloads"};
};

}  // namespace e2etest
