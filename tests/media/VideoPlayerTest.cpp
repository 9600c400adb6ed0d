// The video player on a real clip and on a file that is none: the window fits the video
// window, the clip plays when told to, Escape closes it while it plays, and a bad clip is
// reported and leaves no window.
#include <gtest/gtest.h>

#include <windows.h>
#include <vfw.h>

#include "framework/WinApp.h"
#include "media/VideoPlayerDlg.h"
#include "resource.h"
#include "tests/support/MediaFiles.h"
#include "tests/support/ScratchFiles.h"
#include "tests/support/UiDriver.h"

namespace {

const DWORD kTimeout = 15000;

TEST(VideoPlayer, PlaysAClipInAWindowAsWideAsItsVideoAndEscapeStopsIt) {
    CWinApp app;
    scratch::Directory folder("player");
    const std::string clip = folder / "Snapshot0001.avi";
    ASSERT_TRUE(scratch::WriteClip(clip, 160, 120, 30));
    CVideoPlayerDlg player;
    player.SetCaption("Video 1");
    player.SetFilePath(clip.c_str());
    RECT client{}, video{};
    LONG first = -1, later = -1;
    bool fired = false;
    INT_PTR result = ui::RunDriven(
        [&] { return player.DoModal(); }, "Video 1",
        [&](HWND hWnd) {
            HWND window = player.GetVideoWindow();
            ::GetClientRect(hWnd, &client);
            ::GetWindowRect(window, &video);
            // The play bar's own button cannot start playback under every system; the
            // window's MCI command does.
            ::SendMessageA(window, MCI_PLAY, 0, 0);
            first = static_cast<LONG>(::SendMessageA(window, MCIWNDM_GETPOSITION, 0, 0));
            ui::WaitUntil(
                [&] {
                    later = static_cast<LONG>(::SendMessageA(window, MCIWNDM_GETPOSITION, 0, 0));
                    return later > first;
                },
                kTimeout);
            ::PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
        },
        kTimeout, &fired);
    EXPECT_FALSE(fired);
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ(video.right - video.left, client.right) << "as wide as the video window";
    EXPECT_GT(later, first) << "the clip did not play";
}

TEST(VideoPlayer, AFileThatIsNoClipIsReportedAndNoWindowRemains) {
    CWinApp app;
    scratch::Directory folder("player");
    const std::string fake = folder / "Snapshot0002.avi";
    ASSERT_TRUE(scratch::WriteBytes(fake, scratch::JpegHeader(64, 48)));
    CVideoPlayerDlg player;
    player.SetCaption("Video 2");
    player.SetFilePath(fake.c_str());
    const DWORD thread = ::GetCurrentThreadId();
    std::string text;
    bool playerShown = true;
    ui::DriverThread driver([&] {
        HWND box = ui::WaitForMessageBox(thread, "Orvex(r) Fotoloft", kTimeout);
        if (box != nullptr) {
            ui::WaitUntil([&] { return !(text = ui::MessageBoxText(box)).empty(); }, kTimeout);
            playerShown = ui::HasThreadWindow(thread, "#32770", "Video 2");
            ui::PressButton(box, IDOK);
        }
    });
    EXPECT_EQ(0, player.DoModal());
    EXPECT_EQ("Video open error.", text);
    EXPECT_FALSE(playerShown) << "an empty player window shows behind the message";
    EXPECT_FALSE(ui::HasThreadWindow(thread, "#32770", "Video 2"));
}

}  // namespace
