// "Download in progress": opens the camera and downloads all it holds on a worker thread,
// with the file being fetched, a progress bar and Cancel. DoModal returns the outcome.
#pragma once

#include <atomic>

#include "camera/CameraConnection.h"
#include "camera/DownloadOwner.h"
#include "camera/DownloadProgressSink.h"
#include "camera/PacedControl.h"
#include "framework/Dialog.h"
#include "framework/GdiObject.h"
#include "framework/ProgressCtrl.h"
#include "framework/Static.h"

// Outcomes of a run, as DoModal returns them.
constexpr int DOWNLOAD_RESULT_NONE = -1;
constexpr int DOWNLOAD_RESULT_NO_CAMERA = 10;
constexpr int DOWNLOAD_RESULT_FAILED = 11;
constexpr int DOWNLOAD_RESULT_DONE = 12;
constexpr int DOWNLOAD_RESULT_EMPTY = 13;

// The dialog's one-shot delay before the worker starts.
constexpr UINT_PTR ID_TIMER_START_DOWNLOAD = 100;

class CDownloadProgressDlg : public CDialog, public CDownloadProgressSink {
public:
    const CMessageMap* GetMessageMap() const override {
        static const CMessageMap map(CDialog::GetMessageMap(), {
            MapTimer(&CDownloadProgressDlg::OnTimer),
            MapMessage(WM_ERASEBKGND, &CDownloadProgressDlg::OnEraseBkgnd),
            MapMessage(WM_CTLCOLORSTATIC, &CDownloadProgressDlg::OnCtlColorStatic),
        });
        return &map;
    }

    explicit CDownloadProgressDlg(CWnd* parent = nullptr);

    void SetConnection(CCameraConnection* connection) { m_pConnection = connection; }
    void SetOwner(CDownloadOwner* owner) { m_pOwner = owner; }

    // Runs the dialog and returns the outcome, whatever ended the dialog.
    INT_PTR DoModal() override;

    // The worker's entry: runs the download of the dialog it is given; returns 1.
    static UINT DownloadThreadProc(LPVOID param);
    void RunDownload();

    // Reports from the driver's callbacks, on the worker thread.
    HWND GetReportWindow() const override { return m_hWnd; }
    void OnFileStarted() override;
    void AddFinishedItem() override;
    void AdvanceProgress(int kind) override;

    int GetOutcome() const { return m_nOutcome; }

    // Test seam: how the worker asks the system to stay awake (SetThreadExecutionState);
    // null puts the system's back. Returns the function it replaces.
    using ExecutionStateFunction = EXECUTION_STATE(WINAPI*)(EXECUTION_STATE);
    static ExecutionStateFunction SetExecutionStateFunction(ExecutionStateFunction function);
    double GetPercent() const { return m_dPercent; }
    double GetItemCursor() const { return m_dItemCursor; }
    int GetFilesStarted() const { return m_nFilesStarted; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnCancel() override;
    void OnTimer(UINT_PTR id);
    // The background is the owner's (a framed panel); the status line lies on it.
    LRESULT OnEraseBkgnd(WPARAM dc, LPARAM);
    LRESULT OnCtlColorStatic(WPARAM dc, LPARAM);

private:
    // Posts WM_CLOSE, which ends the dialog through OnCancel, if the window still exists.
    void RequestClose();

    // Drawn at most once per pace: the worker's updates come once per file.
    paced::CPaced<CStatic> m_text;
    paced::CPaced<CProgressCtrl> m_bar;
    CCameraConnection* m_pConnection = nullptr;
    int m_nFilesStarted = 0;
    int m_nTotal = 0;
    double m_dItemCursor = 0.0;
    double m_dPercent = 0.0;
    std::atomic<LONG> m_busy{0};  // written by the worker, polled by the UI thread
    CDownloadOwner* m_pOwner = nullptr;
    int m_nOutcome = DOWNLOAD_RESULT_NONE;

    CGdiObject m_textBrush;  // behind the status line, the panel's colour

    static ExecutionStateFunction s_setExecutionState;
};
