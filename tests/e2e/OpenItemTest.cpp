// Opening thumbnails from outside the running program: a clip plays in the player, a file named
// .avi that is no clip is reported, and a snapshot that cannot be read opens nothing.
#include <memory>

#include <windows.h>
#include <vfw.h>

#include "tests/e2e/ProgramTestSupport.h"
#include "tests/external/imaging/ImagingTestSupport.h"
#include "tests/support/MediaFiles.h"

using e2etest::kMainTitle;
using e2etest::kTimeout;
using e2etest::kWindowTimeout;
using e2etest::ProgramTest;

class OpenItemTest : public ProgramTest {
protected:
    // A damaged still, a clip and a JPEG named .avi; the program started and their counts shown.
    HWND Start() {
        EXPECT_TRUE(scratch::WriteBytes(camera / "A.JPG", scratch::JpegHeader(640, 480, 500)));
        EXPECT_TRUE(scratch::WriteClip(camera / "B.AVI", 160, 120, 30));
        AddFile("C.AVI");
        m_program = std::make_unique<e2e::Program>();
        HWND main = m_program->WaitForWindow(kMainTitle, kWindowTimeout);
        if (main != nullptr) {
            EXPECT_TRUE(e2e::WaitForControlText(main, IDC_VIDEOS_FIELD, "2 Videos Taken", kTimeout));
        }
        return main;
    }

    std::unique_ptr<e2e::Program> m_program;
};

TEST_F(OpenItemTest, AClipPlaysInThePlayerAndEscapeClosesIt) {
    HWND main = Start();
    ASSERT_NE(nullptr, main);
    e2etest::ClickThumbnail(main, 1, true);
    HWND player = m_program->WaitForWindow("Video 1", kWindowTimeout);
    ASSERT_NE(nullptr, player) << "the player is titled with the item's label";
    HWND video = ::FindWindowExA(player, nullptr, "MCIWndClass", nullptr);
    ASSERT_NE(nullptr, video);
    RECT client, outer;
    ::GetClientRect(player, &client);
    ::GetWindowRect(video, &outer);
    EXPECT_EQ(outer.right - outer.left, client.right);
    ::SendMessageA(video, MCI_PLAY, 0, 0);
    const LONG start = static_cast<LONG>(::SendMessageA(video, MCIWNDM_GETPOSITION, 0, 0));
    EXPECT_TRUE(ui::WaitUntil(
        [&] { return ::SendMessageA(video, MCIWNDM_GETPOSITION, 0, 0) > start; }, kTimeout))
        << "the frames do not advance";
    ::PostMessageA(player, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(ui::WaitUntil([&] { return !::IsWindow(player); }, kTimeout));
}

TEST_F(OpenItemTest, AFileThatIsNoClipIsReportedAndNothingStays) {
    HWND main = Start();
    ASSERT_NE(nullptr, main);
    e2etest::ClickThumbnail(main, 2, true);
    std::string text;
    HWND box = m_program->WaitForMessageBox(kMainTitle, main, kTimeout, &text);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("Video open error.", text);
    ui::PressButton(box, IDOK);
    EXPECT_TRUE(ui::WaitUntil([&] { return !::IsWindow(box); }, kTimeout));
    EXPECT_FALSE(m_program->HasWindow("Video 2"));
}

TEST_F(OpenItemTest, ASnapshotThatCannotBeReadOpensNothingAndLeavesNoTemporaryFile) {
    HWND main = Start();
    ASSERT_NE(nullptr, main);
    e2etest::ClickThumbnail(main, 0, true);
    ::Sleep(1500);
    EXPECT_FALSE(m_program->HasWindow("Snapshot 1 (640 x 480)"));
    EXPECT_EQ("Snapshot0000.jpg Snapshot0001.avi Snapshot0002.avi",
              scratch::ListFiles(downloads.Path()))
        << "no DFT file may stay behind";
    // The program still answers: the next double-click opens the clip.
    e2etest::ClickThumbnail(main, 1, true);
    HWND player = m_program->WaitForWindow("Video 1", kWindowTimeout);
    ASSERT_NE(nullptr, player);
    ::PostMessageA(player, WM_COMMAND, IDCANCEL, 0);
}

namespace {

// A snapshot of that size, as a camera writes it.
bool WriteSnapshot(const std::string& path, int width, int height) {
    return scratch::WriteBytes(path, imaging_test::EncodeJpeg(imaging_test::Pattern(width, height, 3)));
}

struct Bars {
    bool horizontal = false, vertical = false;
    SCROLLINFO h{}, v{};
};

Bars ReadBars(HWND viewer) {
    Bars bars;
    HWND h = ::GetDlgItem(viewer, IDC_HSCROLL);
    HWND v = ::GetDlgItem(viewer, IDC_VSCROLL);
    bars.horizontal = ::IsWindowVisible(h) && ::IsWindowEnabled(h);
    bars.vertical = ::IsWindowVisible(v) && ::IsWindowEnabled(v);
    bars.h.cbSize = bars.v.cbSize = sizeof(SCROLLINFO);
    bars.h.fMask = bars.v.fMask = SIF_ALL;
    ::GetScrollInfo(h, SB_CTL, &bars.h);
    ::GetScrollInfo(v, SB_CTL, &bars.v);
    return bars;
}

}  // namespace

// Snapshots of 1600 x 1200, 641 x 480 and 640 x 480 opened from their thumbnails.
TEST_F(ProgramTest, ASnapshotOpensAtItsTrueSizeWithTheBarsItNeeds) {
    ASSERT_TRUE(WriteSnapshot(camera / "A.JPG", 1600, 1200));
    ASSERT_TRUE(WriteSnapshot(camera / "B.JPG", 641, 480));
    ASSERT_TRUE(WriteSnapshot(camera / "C.JPG", 640, 480));
    driver.SetDword("CapacityMB", 16);
    e2e::Program program;
    HWND main = program.WaitForWindow(kMainTitle, kWindowTimeout);
    ASSERT_NE(nullptr, main);
    ASSERT_TRUE(e2e::WaitForControlText(main, IDC_SNAPSHOTS_FIELD, "3 Snapshots Taken", kTimeout));

    e2etest::ClickThumbnail(main, 2, true);
    HWND viewer = program.WaitForWindow("Snapshot 3 (640 x 480)", kWindowTimeout);
    ASSERT_NE(nullptr, viewer);
    Bars bars = ReadBars(viewer);
    EXPECT_FALSE(bars.horizontal);
    EXPECT_FALSE(bars.vertical);
    RECT frame, client;
    ::GetWindowRect(::GetDlgItem(viewer, IDC_PICTURE_FRAME), &frame);
    ::GetClientRect(viewer, &client);
    EXPECT_EQ(640, frame.right - frame.left);
    EXPECT_EQ(646, client.right) << "the window hugs the picture";
    ::PostMessageA(::GetDlgItem(viewer, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(ui::WaitUntil([&] { return !::IsWindow(viewer); }, kTimeout)) << "Escape closes it";

    e2etest::ClickThumbnail(main, 1, true);
    viewer = program.WaitForWindow("Snapshot 2 (641 x 480)", kWindowTimeout);
    ASSERT_NE(nullptr, viewer);
    bars = ReadBars(viewer);
    EXPECT_TRUE(bars.horizontal);
    EXPECT_FALSE(bars.vertical);
    EXPECT_EQ(641, bars.h.nMax);
    EXPECT_EQ(640u, bars.h.nPage);
    ::PostMessageA(viewer, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(ui::WaitUntil([&] { return !::IsWindow(viewer); }, kTimeout));

    e2etest::ClickThumbnail(main, 0, true);
    viewer = program.WaitForWindow("Snapshot 1 (1600 x 1200)", kWindowTimeout);
    ASSERT_NE(nullptr, viewer);
    HWND vertical = ::GetDlgItem(viewer, IDC_VSCROLL);
    for (int page = 0; page < 5; ++page) {
        ::SendMessageA(viewer, WM_VSCROLL, SB_PAGEDOWN, reinterpret_cast<LPARAM>(vertical));
    }
    bars = ReadBars(viewer);
    EXPECT_TRUE(bars.horizontal);
    EXPECT_TRUE(bars.vertical);
    EXPECT_EQ(1200, bars.v.nMax);
    EXPECT_EQ(1200 - 480 + 1, bars.v.nPos) << "the last row shows and no more";
    ::PostMessageA(viewer, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ("Snapshot0000.jpg Snapshot0001.jpg Snapshot0002.jpg",
              scratch::ListFiles(downloads.Path()))
        << "no DFT file may stay behind";
}
