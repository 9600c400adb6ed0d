// The fixture of the tray control's tests: COM on the test's thread, the DLL registered, a tray
// hosted in a test window, and scratch pictures.
#pragma once

#include "TrayTestHost.h"

#include "external/slidetray/SlideTrayControl.h"
#include "external/slidetray/TrayLayout.h"
#include "tests/support/ScratchFiles.h"

#include <gtest/gtest.h>

namespace tray_test {

class TrayTest : public ::testing::Test {
protected:
    // Client size of the host window; the tray fills it.
    static constexpr int kWidth = 560;
    static constexpr int kHeight = 660;

    void SetUp() override {
        HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(SUCCEEDED(hr)) << "CoInitializeEx: " << hr;
        m_comInitialised = true;
        std::string error;
        ASSERT_TRUE(RegisterTray(&error)) << error;
        ASSERT_TRUE(m_pictures.IsReady());
        ASSERT_TRUE(m_host.Open(kWidth, kHeight, &error)) << error;
    }

    void TearDown() override {
        m_host.Close();
        if (m_comInitialised) {
            ::CoUninitialize();
        }
    }

    // Handles the messages of the next moments, so the window has heard of what was posted
    // and followed it: after a burst of items the window takes up to 50 ms to lay them out.
    static void Flush() {
        PumpFor(120);
    }

    // Adds `count` items named pic<i>.jpg in the scratch folder (no such files: the engine
    // gives placeholders quickly) and lets the window hear of them; their paths in order.
    std::vector<std::string> AddNamedItems(int count) {
        std::vector<std::string> paths;
        for (int i = 0; i < count; ++i) {
            paths.push_back(m_pictures / ("pic" + std::to_string(i) + ".jpg"));
            EXPECT_TRUE(m_host.AddItem(paths.back(), "Picture " + std::to_string(i)));
        }
        Flush();
        return paths;
    }

    CTrayLayout Layout(int count) const {
        SIZE size = m_host.ClientSize();
        return CTrayLayout(size.cx, size.cy, static_cast<size_t>(count));
    }

    TrayHost m_host;
    scratch::Directory m_pictures{"slidetray"};

private:
    bool m_comInitialised = false;
};

} // namespace tray_test
