// The download dialog run modally in this process against the real driver, watched and
// driven from a second thread like a user would.
#include <mutex>
#include <vector>

#include "camera/DownloadProgressDlg.h"
#include "resource.h"
#include "tests/camera/CameraTestSupport.h"
#include "tests/support/UiDriver.h"

using cameratest::CameraTest;

namespace {

const DWORD kTimeout = 15000;
const char kTitle[] = "Download in progress";

// Records what the dialog's worker reports to the main window.
class RecordingOwner : public CDownloadOwner {
public:
    void OnItemAdded(int index) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        trail += "+" + std::to_string(index);
    }
    void SetTransferIdle(BOOL idle) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        trail += idle ? " idle" : "busy ";
    }
    std::string Trail() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return trail;
    }

private:
    std::mutex m_mutex;
    std::string trail;
};

// What the watcher saw of the dialog.
struct Seen {
    std::string firstText;
    bool barVisibleAtFirst = true;
    std::vector<std::string> texts;  // every distinct status line, in order
    bool barEverShown = false;
    int lastBarPos = -1;
};

// Runs the dialog modally; `script` runs on a second thread with the dialog's window.
INT_PTR RunDialog(CDownloadProgressDlg& dlg, const std::function<void(HWND)>& script) {
    bool fired = false;
    INT_PTR result = ui::RunDriven([&] { return dlg.DoModal(); }, kTitle, script, kTimeout, &fired);
    EXPECT_FALSE(fired) << "the dialog had to be closed by the watchdog";
    return result;
}

// Watches the dialog until it closes, noting its status lines and bar.
void Watch(HWND hWnd, Seen& seen) {
    HWND text = ::GetDlgItem(hWnd, IDC_PROGRESS_TEXT);
    HWND bar = ::GetDlgItem(hWnd, IDC_PROGRESS);
    seen.firstText = ui::WindowText(text);
    seen.barVisibleAtFirst = ::IsWindowVisible(bar) != FALSE;
    while (::IsWindow(hWnd)) {
        std::string now = ui::WindowText(text);
        if (!now.empty() && (seen.texts.empty() || seen.texts.back() != now)) {
            seen.texts.push_back(now);
        }
        if (::IsWindowVisible(bar)) {
            seen.barEverShown = true;
            seen.lastBarPos = static_cast<int>(::SendMessageA(bar, PBM_GETPOS, 0, 0));
        }
        ::Sleep(5);
    }
}

// Holds the worker at one stage of a run until the test lets it go.
class StageGate {
public:
    StageGate(CCameraConnection& connection, DownloadStage stage) {
        connection.SetStageHook([this, stage](DownloadStage reached) {
            if (reached == stage) {
                ::SetEvent(m_reached);
                ::WaitForSingleObject(m_release, kTimeout);
            }
        });
    }
    ~StageGate() {
        Release();
        ::CloseHandle(m_reached);
        ::CloseHandle(m_release);
    }
    bool WaitReached() { return ::WaitForSingleObject(m_reached, kTimeout) == WAIT_OBJECT_0; }
    void Release() { ::SetEvent(m_release); }

private:
    HANDLE m_reached = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE m_release = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
};

// Presses Cancel while the worker is held at the gate, lets it go once the dialog says it is
// aborting, and tells whether the dialog was still there when the worker went on.
bool CancelWhileHeld(HWND hWnd, StageGate& gate) {
    if (!gate.WaitReached()) {
        ADD_FAILURE() << "the worker never reached the stage";
        return false;
    }
    ::PostMessageA(::GetDlgItem(hWnd, IDCANCEL), BM_CLICK, 0, 0);
    HWND text = ::GetDlgItem(hWnd, IDC_PROGRESS_TEXT);
    ui::WaitUntil([&] { return !::IsWindow(hWnd) || ui::WindowText(text) == "Aborting..... Please wait."; },
                  kTimeout);
    ::Sleep(100);  // a dialog that does not wait for its worker has ended by now
    const bool waiting = ::IsWindow(hWnd) != FALSE;
    gate.Release();
    return waiting;
}

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
    for (const std::string& t : texts) {
        if (t == text) {
            return true;
        }
    }
    return false;
}

}  // namespace

TEST_F(CameraTest, DownloadDialogFetchesEverythingAndReportsEachFile) {
    AddFile("A.JPG");
    AddFile("B.AVI");
    AddFile("C.JPG", 1280, 960);
    driver.SetDword("FileDelayMs", 150);  // slow enough for the watcher to see each line
    CCameraConnection connection;
    RecordingOwner owner;
    CDownloadProgressDlg dlg;
    dlg.SetConnection(&connection);
    dlg.SetOwner(&owner);
    Seen seen;
    EXPECT_EQ(DOWNLOAD_RESULT_DONE, RunDialog(dlg, [&](HWND hWnd) { Watch(hWnd, seen); }));

    EXPECT_EQ("Searching for the Orvex Kestrel Camera", seen.firstText);
    EXPECT_FALSE(seen.barVisibleAtFirst);
    EXPECT_TRUE(Contains(seen.texts, "Downloading ( 1 of 3 )"));
    EXPECT_TRUE(Contains(seen.texts, "Downloading ( 3 of 3 )"));
    EXPECT_TRUE(seen.barEverShown);
    EXPECT_EQ("busy +0+1+2 idle", owner.Trail());
    EXPECT_EQ(3, connection.GetItemCount());
    EXPECT_EQ(3, dlg.GetFilesStarted());
    EXPECT_NEAR(2.2, dlg.GetItemCursor(), 1e-9) << "kinds 2, 1, 3: one fifth and two wholes";
    EXPECT_FALSE(connection.Open(nullptr)) << "the worker closed the camera";
}

TEST_F(CameraTest, DownloadDialogOutcomesWithoutFiles) {
    CCameraConnection connection;
    RecordingOwner owner;
    CDownloadProgressDlg dlg;
    dlg.SetConnection(&connection);
    dlg.SetOwner(&owner);
    {
        SCOPED_TRACE("an empty camera");
        Seen seen;
        EXPECT_EQ(DOWNLOAD_RESULT_EMPTY, RunDialog(dlg, [&](HWND hWnd) { Watch(hWnd, seen); }));
        EXPECT_FALSE(seen.barEverShown);
        EXPECT_EQ("", owner.Trail()) << "the transfer stays idle";
    }
    {
        SCOPED_TRACE("no camera");
        driver.Delete("CameraFolder");
        Seen seen;
        EXPECT_EQ(DOWNLOAD_RESULT_NO_CAMERA, RunDialog(dlg, [&](HWND hWnd) { Watch(hWnd, seen); }));
        EXPECT_FALSE(seen.barEverShown);
    }
    {
        SCOPED_TRACE("cancelled before the worker starts: untouched, not the previous outcome");
        EXPECT_EQ(DOWNLOAD_RESULT_NONE,
                  RunDialog(dlg, [&](HWND hWnd) { ui::PressButton(hWnd, IDCANCEL); }));
    }
}

TEST_F(CameraTest, DownloadDialogCancelledBeforeItsWorkerStarts) {
    AddFile("A.JPG");
    CCameraConnection connection;
    RecordingOwner owner;
    CDownloadProgressDlg dlg;
    dlg.SetConnection(&connection);
    dlg.SetOwner(&owner);
    EXPECT_EQ(DOWNLOAD_RESULT_NONE,
              RunDialog(dlg, [&](HWND hWnd) { ui::PressButton(hWnd, IDCANCEL); }));
    ::Sleep(700);  // longer than the start delay: no worker may run late
    EXPECT_EQ("", owner.Trail());
    EXPECT_EQ(0, connection.GetItemCount());
    EXPECT_EQ("", scratch::ListFiles(downloads.Path()));

    // That cancel is not carried over: the next run downloads everything.
    EXPECT_EQ(DOWNLOAD_RESULT_DONE, RunDialog(dlg, [](HWND) {}));
    EXPECT_EQ("Snapshot0000.jpg", scratch::ListFiles(downloads.Path()));
}

// Cancel lands after the start delay but before the worker opens the camera: the dialog waits
// for the worker, which opens the camera and stops at the first file.
TEST_F(CameraTest, DownloadDialogCancelBeforeTheWorkerGetsGoingWaitsForIt) {
    AddFile("A.JPG");
    AddFile("B.AVI");
    CCameraConnection connection;
    RecordingOwner owner;
    CDownloadProgressDlg dlg;
    dlg.SetConnection(&connection);
    dlg.SetOwner(&owner);
    StageGate gate(connection, DownloadStage::WorkerStarting);
    bool waited = false;
    EXPECT_EQ(DOWNLOAD_RESULT_FAILED,
              RunDialog(dlg, [&](HWND hWnd) { waited = CancelWhileHeld(hWnd, gate); }));
    EXPECT_TRUE(waited) << "the dialog ended while its worker had yet to run";
    EXPECT_EQ("busy  idle", owner.Trail()) << "no item reaches a main window that moved on";
    EXPECT_EQ(0, connection.GetItemCount());
    EXPECT_EQ("", scratch::ListFiles(downloads.Path()));
    EXPECT_FALSE(connection.Open(nullptr)) << "the worker closed the camera";
}

// Cancel lands while the camera's opening deletes the previous download's files: the cancel
// holds for the download that follows.
TEST_F(CameraTest, DownloadDialogCancelWhileThePreviousFilesAreDeletedIsKept) {
    AddFile("A.JPG");
    AddFile("B.JPG");
    AddFile("C.AVI");
    CCameraConnection connection;
    RecordingOwner owner;
    CDownloadProgressDlg dlg;
    dlg.SetConnection(&connection);
    dlg.SetOwner(&owner);
    ASSERT_EQ(DOWNLOAD_RESULT_DONE, RunDialog(dlg, [](HWND) {}));
    ASSERT_EQ("Snapshot0000.jpg Snapshot0001.jpg Snapshot0002.avi",
              scratch::ListFiles(downloads.Path()));

    StageGate gate(connection, DownloadStage::PreviousFilesDeleted);
    bool waited = false;
    EXPECT_EQ(DOWNLOAD_RESULT_FAILED,
              RunDialog(dlg, [&](HWND hWnd) { waited = CancelWhileHeld(hWnd, gate); }));
    EXPECT_TRUE(waited);
    EXPECT_EQ(0, connection.GetItemCount()) << "the download ran on as if never cancelled";
    EXPECT_EQ("", scratch::ListFiles(downloads.Path()));
    EXPECT_EQ("busy +0+1+2 idlebusy  idle", owner.Trail());
}

TEST_F(CameraTest, DownloadDialogCancelWhileFilesArrive) {
    for (char name = 'A'; name <= 'F'; ++name) {
        AddFile(std::string(1, name) + ".JPG");
    }
    driver.SetDword("FileDelayMs", 200);
    CCameraConnection connection;
    RecordingOwner owner;
    CDownloadProgressDlg dlg;
    dlg.SetConnection(&connection);
    dlg.SetOwner(&owner);
    std::string textAfterCancel;
    INT_PTR outcome = RunDialog(dlg, [&](HWND hWnd) {
        HWND text = ::GetDlgItem(hWnd, IDC_PROGRESS_TEXT);
        ui::WaitUntil([&] { return ui::WindowText(text) == "Downloading ( 2 of 6 )"; }, kTimeout);
        ::PostMessageA(::GetDlgItem(hWnd, IDCANCEL), BM_CLICK, 0, 0);
        ui::WaitUntil([&] { return ui::WindowText(text) == "Aborting..... Please wait."; }, kTimeout);
        textAfterCancel = ui::WindowText(text);
    });
    EXPECT_EQ(DOWNLOAD_RESULT_FAILED, outcome);
    EXPECT_EQ("Aborting..... Please wait.", textAfterCancel);
    EXPECT_LE(connection.GetItemCount(), 3) << "the driver stops at its next callback";
    EXPECT_GE(connection.GetItemCount(), 2);
    const std::string trail = owner.Trail();
    EXPECT_EQ(0u, trail.find("busy +0")) << trail;
    EXPECT_EQ(" idle", trail.substr(trail.size() - 5)) << trail;
    EXPECT_FALSE(connection.Open(nullptr)) << "the worker closed the camera";
    // Only complete files: every one that is there equals its original.
    for (int i = 0; i < connection.GetItemCount(); ++i) {
        const CameraItem* item = connection.GetItem(i);
        if (scratch::FileExists(item->path)) {
            EXPECT_EQ(scratch::ReadBytes(camera / (std::string(1, 'A' + i) + ".JPG")),
                      scratch::ReadBytes(item->path));
        }
    }
}

// The bar's arithmetic, driven directly: sizes come from the driver's size list.
TEST_F(CameraTest, ProgressSharesFollowTheSizeList) {
    ASSERT_TRUE(scratch::WriteBytes(camera / "A.JPG", scratch::JpegHeader(640, 480, 1000 - 41)));
    ASSERT_TRUE(scratch::WriteBytes(camera / "B.JPG", scratch::JpegHeader(1280, 960, 3000 - 41)));
    CCameraConnection connection;
    CDownloadProgressDlg dlg;
    dlg.SetConnection(&connection);
    ASSERT_TRUE(connection.Open(&dlg));
    ASSERT_EQ(1000u, connection.GetItemSize(0));
    ASSERT_EQ(4000u, connection.GetTotalSize());
    connection.Close();

    // Five files of kind 2 take the share of one entry together.
    for (int i = 0; i < 5; ++i) {
        dlg.AdvanceProgress(2);
    }
    EXPECT_NEAR(1.0, dlg.GetItemCursor(), 1e-9);
    EXPECT_NEAR(25.0, dlg.GetPercent(), 1e-9);
    dlg.AdvanceProgress(3);
    EXPECT_NEAR(2.0, dlg.GetItemCursor(), 1e-9);
    EXPECT_NEAR(100.0, dlg.GetPercent(), 1e-9);
    // More files than the list holds: they add nothing.
    dlg.AdvanceProgress(1);
    EXPECT_NEAR(3.0, dlg.GetItemCursor(), 1e-9);
    EXPECT_NEAR(100.0, dlg.GetPercent(), 1e-9);
}

TEST_F(CameraTest, ProgressStaysAtZeroWhenTheSizesAddUpToNothing) {
    ASSERT_TRUE(scratch::WriteBytes(camera / "A.JPG", ""));
    ASSERT_TRUE(scratch::WriteBytes(camera / "B.AVI", ""));
    CCameraConnection connection;
    CDownloadProgressDlg dlg;
    dlg.SetConnection(&connection);
    ASSERT_TRUE(connection.Open(&dlg));
    ASSERT_EQ(0u, connection.GetTotalSize());
    connection.Close();
    dlg.AdvanceProgress(3);
    dlg.AdvanceProgress(1);
    EXPECT_EQ(0.0, dlg.GetItemCursor());
    EXPECT_EQ(0.0, dlg.GetPercent());
}

namespace {
std::string g_executionStates;
EXECUTION_STATE WINAPI RecordExecutionState(EXECUTION_STATE state) {
    g_executionStates += (state & ES_SYSTEM_REQUIRED) ? "awake " : "released ";
    return ES_CONTINUOUS;
}
}  // namespace

// The system is asked to stay awake only while files come, and let go on every way out.
TEST_F(CameraTest, TheSystemStaysAwakeForTheDownloadAndIsReleasedAfterIt) {
    for (char name = 'A'; name <= 'D'; ++name) {
        AddFile(std::string(1, name) + ".JPG");
    }
    CDownloadProgressDlg::SetExecutionStateFunction(RecordExecutionState);
    CCameraConnection connection;
    CDownloadProgressDlg dlg;
    dlg.SetConnection(&connection);
    g_executionStates.clear();
    EXPECT_EQ(DOWNLOAD_RESULT_DONE, RunDialog(dlg, [](HWND) {}));
    driver.SetDword("FailAtFile", 2);
    EXPECT_EQ(DOWNLOAD_RESULT_FAILED, RunDialog(dlg, [](HWND) {}));
    driver.SetDword("FailAtFile", 0);
    driver.SetDword("FileDelayMs", 200);
    EXPECT_EQ(DOWNLOAD_RESULT_FAILED, RunDialog(dlg, [&](HWND hWnd) {
        HWND text = ::GetDlgItem(hWnd, IDC_PROGRESS_TEXT);
        ui::WaitUntil([&] { return ui::WindowText(text) == "Downloading ( 2 of 4 )"; }, kTimeout);
        ::PostMessageA(::GetDlgItem(hWnd, IDCANCEL), BM_CLICK, 0, 0);
    }));
    CDownloadProgressDlg::SetExecutionStateFunction(nullptr);
    EXPECT_EQ("awake released awake released awake released ", g_executionStates);
}
