// A camera and a download folder for connection tests: the driver's and the program's
// registry settings point at scratch folders for the length of a test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "camera/CameraConnection.h"
#include "tests/support/ScratchFiles.h"
#include "tests/support/ScratchRegistry.h"

namespace cameratest {

constexpr const char* kDriverKey = "Software\\Orvex\\Kestrel Camera Driver";
constexpr const char* kPropertiesKey = "SOFTWARE\\Orvex\\Lumora2\\LMShell\\Properties";

// Records what the connection reports, as a readable trail: "S" a file started,
// "F" a file finished, then the kind the bar advanced by.
class RecordingSink : public CDownloadProgressSink {
public:
    HWND GetReportWindow() const override { return nullptr; }
    void OnFileStarted() override {
        trail += "S";
        ++started;
        if (connection != nullptr && started == abortAtStart) {
            connection->SetAbortFlag();
        }
    }
    void AddFinishedItem() override {
        trail += "F";
        if (connection != nullptr && started == abortAtFinish) {
            connection->SetAbortFlag();
        }
    }
    void AdvanceProgress(int kind) override { trail += std::to_string(kind) + " "; }

    std::string trail;
    int started = 0;
    CCameraConnection* connection = nullptr;
    int abortAtStart = -1;   // sets the connection's abort flag when this file starts
    int abortAtFinish = -1;  // ... or when it is finished
};

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        driver.SetString("CameraFolder", camera.Path());
        properties.SetString("TempDirectory", downloads.Path());
    }

    // A still of the given size, or a clip when the name ends in .avi.
    void AddFile(const std::string& relative, int width = 640, int height = 480) {
        const bool clip =
            relative.size() > 4 && ::lstrcmpiA(relative.c_str() + relative.size() - 4, ".avi") == 0;
        std::string bytes = clip ? std::string("RIFF\0\0\0\0AVI LIST", 16) + relative
                                 : scratch::JpegHeader(width, height, 100 + relative.size());
        ASSERT_TRUE(scratch::WriteBytes(camera / relative, bytes)) << relative;
    }

    scratch::RegistryKey driver{HKEY_CURRENT_USER, kDriverKey};
    scratch::RegistryKey properties{HKEY_CURRENT_USER, kPropertiesKey};
    scratch::Directory camera{"camera"};
    scratch::Directory downloads{"downloads"};
};

}  // namespace cameratest
