// The first refresh and its outcomes, seen from outside the running program. Its faults (a
// failed file, a cancel) are rows of the fault matrix (FaultMatrixTest.cpp).
#include "tests/e2e/ProgramTestSupport.h"

using e2etest::kAborted;
using e2etest::kMainTitle;
using e2etest::kTimeout;
using e2etest::kWindowTimeout;
using e2etest::PercentFull;
using e2etest::ProgramTest;

TEST_F(ProgramTest, TwoStillsAndAClipAreCountedAfterTheFirstRefresh) {
    AddFile("DCIM\\100KSTRL\\KSTR0001.JPG", 60000);
    AddFile("DCIM\\100KSTRL\\KSTR0002.JPG", 90000);
    AddFile("DCIM\\100KSTRL\\KSTR0003.AVI", 150000);
    const std::string expected =
        std::to_string(PercentFull(300000)) + " % of camera memory full | 2 Snapshots Taken | 1 Video Taken";

    e2e::Program program;
    ASSERT_TRUE(program.Started());
    HWND main = program.WaitForWindow(kMainTitle, kWindowTimeout);
    ASSERT_NE(nullptr, main);
    EXPECT_EQ(expected, WaitForStatus(main, expected));
    EXPECT_EQ("Snapshot0000.jpg Snapshot0001.jpg Snapshot0002.avi",
              scratch::ListFiles(downloads.Path()));

    // Refresh downloads everything again.
    driver.SetDword("CapacityMB", 2);
    e2e::Click(main, IDC_REFRESH);
    const std::string again = std::to_string(PercentFull(300000 / 2)) +
                              " % of camera memory full | 2 Snapshots Taken | 1 Video Taken";
    EXPECT_EQ(again, WaitForStatus(main, again));

    ASSERT_TRUE(program.CloseAndWait(main, kTimeout));
    EXPECT_EQ("", scratch::ListFiles(downloads.Path())) << "the temporary files go at exit";
}

TEST_F(ProgramTest, OneSnapshotIsSingularAndAnEmptyCameraSaysSo) {
    AddFile("ONE.JPG");
    e2e::Program program;
    HWND main = program.WaitForWindow(kMainTitle, kWindowTimeout);
    ASSERT_NE(nullptr, main);
    const std::string one =
        std::to_string(PercentFull(2000)) + " % of camera memory full | 1 Snapshot Taken | 0 Video Taken";
    EXPECT_EQ(one, WaitForStatus(main, one));

    ::DeleteFileA((camera / "ONE.JPG").c_str());
    e2e::Click(main, IDC_REFRESH);
    std::string text;
    HWND box = program.WaitForMessageBox(kMainTitle, main, kTimeout, &text);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("No snapshots or videos in camera memory.", text);
    ui::PressButton(box, IDOK);
    const std::string zeros = "0 % of camera memory full | 0 Snapshot Taken | 0 Video Taken";
    EXPECT_EQ(zeros, WaitForStatus(main, zeros));
}

TEST_F(ProgramTest, NoCameraOffersRetryAndCancelLeavesTheMessageLine) {
    driver.Delete("CameraFolder");
    e2e::Program program;
    HWND main = program.WaitForWindow(kMainTitle, kWindowTimeout);
    ASSERT_NE(nullptr, main);
    std::string text;
    HWND box = program.WaitForMessageBox(kMainTitle, main, kTimeout, &text);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(e2etest::kNoCamera, text);

    // Retry: the action runs again after its delay and the dialog's own.
    const DWORD retried = ::GetTickCount();
    ASSERT_TRUE(ui::PressButton(box, IDRETRY));
    ASSERT_TRUE(ui::WaitUntil([&] { return !::IsWindow(box); }, kTimeout));
    HWND again = program.WaitForMessageBox(kMainTitle, main, kTimeout, &text);
    ASSERT_NE(nullptr, again);
    EXPECT_GE(::GetTickCount() - retried, 900u) << "500 ms before the action, 500 ms before the worker";
    EXPECT_EQ(0u, text.find("Camera not available."));

    ASSERT_TRUE(ui::PressButton(again, IDCANCEL));
    EXPECT_EQ(std::string("message: ") + kAborted, WaitForStatus(main, std::string("message: ") + kAborted));
}
