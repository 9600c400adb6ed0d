// Opening thumbnails from outside the running program: a clip plays in the player, a file named
// .avi that is no clip is reported, and a snapshot that cannot be read opens nothing.
#include <memory>

#include <windows.h>
#include <vfw.h>

#include "tests/e2e/ProgramTestSupport.h"
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
