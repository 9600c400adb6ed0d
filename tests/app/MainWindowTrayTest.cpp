// The main window with the real tray and album list components, run in this process on a
// scratch camera: the tray fills in download order and Delete All empties it.
#include <gtest/gtest.h>

#include "framework/WinApp.h"
#include "main_window/CameraManagerDlg.h"
#include "resource.h"
#include "tests/e2e/ProgramTestSupport.h"
#include "tests/external/imaging/ImagingTestSupport.h"
#include "tests/support/ProgramDriver.h"
#include "tests/support/ScratchFiles.h"
#include "tests/support/ScratchRegistry.h"
#include "tests/support/UiDriver.h"

namespace {

const DWORD kTimeout = 20000;
const char kTitle[] = "Orvex(r) Fotoloft";

class MainWindowTrayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(e2e::RegisterComponents());
        AfxEnableControlContainer();
        driver.SetString("CameraFolder", camera.Path());
        properties.SetString("TempDirectory", downloads.Path());
    }

    // Presses `button` of the next message box of the window and returns the box's text.
    static std::string Answer(DWORD uiThread, HWND main, int button) {
        HWND box = ui::WaitForMessageBox(uiThread, kTitle, kTimeout, main);
        if (box == nullptr) {
            return "(no message box)";
        }
        std::string text = ui::MessageBoxText(box);
        ui::PressButton(box, button);
        ui::WaitUntil([&] { return !::IsWindow(box); }, kTimeout);
        return text;
    }

    scratch::RegistryKey driver{HKEY_CURRENT_USER, "Software\\Orvex\\Kestrel Camera Driver"};
    scratch::RegistryKey properties{HKEY_CURRENT_USER,
                                    "SOFTWARE\\Orvex\\Lumora2\\LMShell\\Properties"};
    scratch::Directory camera{"tray-camera"};
    scratch::Directory downloads{"tray-downloads"};
};

}  // namespace

TEST_F(MainWindowTrayTest, RefreshFillsTheTrayInDownloadOrderAndDeleteAllEmptiesIt) {
    for (const char* name : {"A.JPG", "B.AVI", "C.JPG", "D.JPG", "E.AVI"}) {
        ASSERT_TRUE(scratch::WriteBytes(camera / name, scratch::JpegHeader(640, 480)));
    }
    CWinApp app;
    CCameraManagerDlg dlg;
    app.m_pMainWnd = &dlg;
    const DWORD uiThread = ::GetCurrentThreadId();
    std::vector<std::string> labels, paths;
    std::string question, cleared, again;
    int countAfterRefresh = -1, countAfterDelete = -1;
    std::string albumListName;
    HWND albumList = nullptr;
    std::string pathAfterDelete = "(unread)";
    bool fired = false;
    ui::RunDriven(
        [&] { return dlg.DoModal(); }, kTitle,
        [&](HWND main) {
            HWND snapshots = ::GetDlgItem(main, IDC_SNAPSHOTS_FIELD);
            if (!ui::WaitUntil([&] { return ui::WindowText(snapshots) == "3 Snapshots Taken"; },
                               kTimeout)) {
                return;
            }
            countAfterRefresh = dlg.GetTrayItemCount();
            albumList = ::GetDlgItem(main, IDC_ALBUM_LIST);
            albumListName = ui::WindowText(albumList);
            for (long i = 0; i < 6; ++i) {
                labels.push_back(static_cast<const char*>(dlg.GetTray().GetItemLabel(i)));
                paths.push_back(static_cast<const char*>(dlg.GetTray().GetItemPath(i)));
            }
            ::PostMessageA(::GetDlgItem(main, IDC_DELETE_ALL), BM_CLICK, 0, 0);
            question = Answer(uiThread, main, IDYES);
            cleared = Answer(uiThread, main, IDOK);
            countAfterDelete = dlg.GetTrayItemCount();
            pathAfterDelete = static_cast<const char*>(dlg.GetTray().GetItemPath(0));
            ::PostMessageA(::GetDlgItem(main, IDC_DELETE_ALL), BM_CLICK, 0, 0);
            again = Answer(uiThread, main, IDOK);
            ui::PressButton(main, IDOK);
        },
        kTimeout * 3, &fired);
    EXPECT_FALSE(fired);

    EXPECT_EQ(5, countAfterRefresh);
    EXPECT_EQ("AlbumListCtlInSnapshot", albumListName) << "the hidden album list exists";
    EXPECT_EQ(nullptr, dlg.GetAlbumList()) << "destroyed with the window";
    EXPECT_FALSE(::IsWindow(albumList));
    const std::vector<std::string> expectedLabels = {"Snapshot 1", "Video 1", "Snapshot 3",
                                                     "Snapshot 4", "Video 2", ""};
    EXPECT_EQ(expectedLabels, labels);
    ASSERT_EQ(6u, paths.size());
    EXPECT_EQ(downloads / "Snapshot0001.avi", paths[1]);
    EXPECT_EQ("", paths[5]) << "no sixth item";
    EXPECT_EQ("Are you sure you want to delete all snapshots and videos in the camera?", question);
    EXPECT_EQ("Camera memory is empty now", cleared);
    EXPECT_EQ(0, countAfterDelete);
    EXPECT_EQ("", pathAfterDelete) << "the tray is empty after the erase";
    EXPECT_EQ("Camera Memory is Already Empty", again);
    EXPECT_EQ("", scratch::ListFiles(camera.Path()));
}

// A refresh cancelled as soon as its download dialog shows has read nothing: the window says
// the download was aborted instead of showing the last download's counts over an empty tray.
TEST_F(MainWindowTrayTest, ARefreshCancelledAtOnceShowsTheAbortedLine) {
    for (const char* name : {"A.JPG", "B.JPG", "C.AVI"}) {
        ASSERT_TRUE(scratch::WriteBytes(camera / name, scratch::JpegHeader(640, 480)));
    }
    CWinApp app;
    CCameraManagerDlg dlg;
    app.m_pMainWnd = &dlg;
    const DWORD uiThread = ::GetCurrentThreadId();
    int countAfterRefresh = -1, countAfterCancel = -1;
    bool messageLine = false, countsShown = true;
    bool fired = false;
    ui::RunDriven(
        [&] { return dlg.DoModal(); }, kTitle,
        [&](HWND main) {
            HWND snapshots = ::GetDlgItem(main, IDC_SNAPSHOTS_FIELD);
            if (!ui::WaitUntil([&] { return ui::WindowText(snapshots) == "2 Snapshots Taken"; },
                               kTimeout)) {
                return;
            }
            countAfterRefresh = dlg.GetTrayItemCount();
            ::PostMessageA(::GetDlgItem(main, IDC_REFRESH), BM_CLICK, 0, 0);
            HWND download =
                ui::WaitForThreadWindow(uiThread, "#32770", "Download in progress", kTimeout);
            if (download == nullptr) {
                return;
            }
            ui::PressButton(download, IDCANCEL);
            ui::WaitUntil([&] { return !::IsWindow(download); }, kTimeout);
            ui::WaitUntil([&] { return ::IsWindowVisible(::GetDlgItem(main, IDC_MESSAGE_LINE)); },
                          kTimeout);
            messageLine = ::IsWindowVisible(::GetDlgItem(main, IDC_MESSAGE_LINE)) != FALSE;
            countsShown = ::IsWindowVisible(snapshots) != FALSE;
            countAfterCancel = dlg.GetTrayItemCount();
            ui::PressButton(main, IDOK);
        },
        kTimeout * 3, &fired);
    EXPECT_FALSE(fired);
    EXPECT_EQ(3, countAfterRefresh);
    EXPECT_TRUE(messageLine);
    EXPECT_FALSE(countsShown);
    EXPECT_EQ(0, countAfterCancel);
}

// The extension is compared in lower case: an item whose file ends in .JPG opens the viewer.
TEST_F(MainWindowTrayTest, AnItemWhoseNameEndsInUpperCaseJpgOpensTheViewer) {
    const std::string picture = downloads / "HOLIDAY.JPG";
    ASSERT_TRUE(scratch::WriteBytes(picture, imaging_test::EncodeJpeg(imaging_test::Pattern(64, 48, 3))));
    CWinApp app;
    CCameraManagerDlg dlg;
    app.m_pMainWnd = &dlg;
    const DWORD uiThread = ::GetCurrentThreadId();
    bool opened = false;
    bool fired = false;
    ui::RunDriven(
        [&] { return dlg.DoModal(); }, kTitle,
        [&](HWND main) {
            Answer(uiThread, main, IDOK);  // the empty camera says so
            dlg.GetTray().AddItem(picture.c_str(), "Holiday");
            e2etest::ClickThumbnail(main, 0, true);
            HWND viewer = ui::WaitForThreadWindow(uiThread, "#32770", "Holiday (64 x 48)", kTimeout);
            opened = viewer != nullptr;
            if (opened) {
                ::PostMessageA(viewer, WM_COMMAND, IDCANCEL, 0);
                ui::WaitUntil([&] { return !::IsWindow(viewer); }, kTimeout);
            }
            ui::PressButton(main, IDOK);
        },
        kTimeout * 3, &fired);
    EXPECT_FALSE(fired);
    EXPECT_TRUE(opened);
}

// Twenty windows opened, refreshed and closed, half by Done and half by the close box: each
// ends its run, leaves no downloaded file behind and gives back every GDI handle it took.
TEST_F(MainWindowTrayTest, OpeningRefreshingAndClosingTwentyTimesLeavesNothingBehind) {
    for (const char* name : {"A.JPG", "B.JPG"}) {
        ASSERT_TRUE(scratch::WriteBytes(camera / name, scratch::JpegHeader(640, 480)));
    }
    CWinApp app;
    const LONG before = CGdiObject::GetHeldHandleCount();
    for (int cycle = 0; cycle < 20; ++cycle) {
        SCOPED_TRACE("cycle " + std::to_string(cycle));
        CAlbumList* albumList = nullptr;
        LONG held = 0;
        {
            CCameraManagerDlg dlg;
            app.m_pMainWnd = &dlg;
            bool fired = false;
            const INT_PTR result = ui::RunDriven(
                [&] { return dlg.DoModal(); }, kTitle,
                [&](HWND main) {
                    ui::WaitUntil([&] { return dlg.GetTrayItemCount() == 2; }, kTimeout);
                    albumList = dlg.GetAlbumList();
                    held = CGdiObject::GetHeldHandleCount();
                    if (cycle % 2 == 0) {
                        ui::PressButton(main, IDOK);
                    } else {
                        ::PostMessageA(main, WM_CLOSE, 0, 0);
                    }
                },
                kTimeout, &fired);
            EXPECT_FALSE(fired);
            EXPECT_EQ(cycle % 2 == 0 ? IDOK : IDCANCEL, result);
            EXPECT_NE(nullptr, albumList);
            EXPECT_GT(held, before) << "an open window holds its fonts, panels and faces";
            EXPECT_EQ(nullptr, dlg.GetAlbumList()) << "the album list is released with the window";
            app.m_pMainWnd = nullptr;
        }
        EXPECT_EQ("", scratch::ListFiles(downloads.Path())) << "the downloaded files go with the window";
    }
    EXPECT_EQ(before, CGdiObject::GetHeldHandleCount()) << "GDI handles leak across windows";
}
