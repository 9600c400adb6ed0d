#include "camera/DownloadProgressDlg.h"

#include <objbase.h>

#include "framework/WinThread.h"
#include "resource.h"

namespace {

CString LoadText(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

}  // namespace

CDownloadProgressDlg::ExecutionStateFunction CDownloadProgressDlg::s_setExecutionState =
    ::SetThreadExecutionState;

CDownloadProgressDlg::ExecutionStateFunction CDownloadProgressDlg::SetExecutionStateFunction(
    ExecutionStateFunction function) {
    ExecutionStateFunction previous = s_setExecutionState;
    s_setExecutionState = function != nullptr ? function : ::SetThreadExecutionState;
    return previous;
}

CDownloadProgressDlg::CDownloadProgressDlg(CWnd* parent) : CDialog(IDD_DOWNLOAD_PROGRESS, parent) {
    m_textBrush.Attach(::CreateSolidBrush(RGB(231, 231, 231)));
}

INT_PTR CDownloadProgressDlg::DoModal() {
    CDialog::DoModal();
    return m_nOutcome;
}

void CDownloadProgressDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROGRESS_TEXT, m_text);
    DDX_Control(pDX, IDC_PROGRESS, m_bar);
}

BOOL CDownloadProgressDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_bar.ShowWindow(SW_HIDE);
    m_text.SetWindowText(LoadText(IDS_SEARCHING));
    m_dItemCursor = 0.0;
    m_dPercent = 0.0;
    // Each run starts untouched: a cancel before its worker starts must not hand back the
    // previous run's outcome, nor carry an abort over into this run.
    m_nOutcome = DOWNLOAD_RESULT_NONE;
    if (m_pConnection != nullptr) {
        m_pConnection->ClearAbortFlag();
    }
    if (m_pOwner != nullptr) {
        CRect client;
        GetClientRect(&client);
        m_pOwner->PrepareDownloadBackground(client);
    }
    SetTimer(ID_TIMER_START_DOWNLOAD, 500);
    return TRUE;
}

LRESULT CDownloadProgressDlg::OnEraseBkgnd(WPARAM wParam, LPARAM) {
    if (m_pOwner != nullptr && m_pOwner->PaintDownloadBackground(reinterpret_cast<HDC>(wParam))) {
        return TRUE;
    }
    return Default();
}

LRESULT CDownloadProgressDlg::OnCtlColorStatic(WPARAM wParam, LPARAM) {
    ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
    return reinterpret_cast<LRESULT>(m_textBrush.GetSafeHandle());
}

// The worker starts once, half a second after the dialog shows.
// Busy is set here, on the UI thread, before the worker exists: a cancel that comes before
// the worker gets going still waits for it.
void CDownloadProgressDlg::OnTimer(UINT_PTR /*id*/) {
    KillTimer(ID_TIMER_START_DOWNLOAD);
    m_busy = 1;
    if (AfxBeginThread(DownloadThreadProc, this, THREAD_PRIORITY_NORMAL, 0, 0) == nullptr) {
        // No worker: the run ends as a failed download rather than searching for ever.
        m_busy = 0;
        m_nOutcome = DOWNLOAD_RESULT_FAILED;
        RequestClose();
    }
    Default();
}

// The worker is in COM's multithreaded apartment for its life: it calls the thumbnail tray,
// whose item adding may be called from any apartment.
UINT CDownloadProgressDlg::DownloadThreadProc(LPVOID param) {
    if (param == nullptr) {
        return 1;
    }
    auto* dlg = static_cast<CDownloadProgressDlg*>(param);
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (dlg->m_pConnection != nullptr) {
        dlg->m_pConnection->ReachStage(DownloadStage::WorkerStarting);
    }
    dlg->RunDownload();
    if (SUCCEEDED(com)) {
        ::CoUninitialize();
    }
    return 1;
}

void CDownloadProgressDlg::RunDownload() {
    m_busy = 1;
    if (m_pConnection == nullptr) {
        m_busy = 0;
        return;
    }
    if (!m_pConnection->Open(this)) {
        m_nOutcome = DOWNLOAD_RESULT_NO_CAMERA;
        RequestClose();
        m_busy = 0;
        return;
    }
    m_nTotal = m_pConnection->GetTotalCount();
    if (m_nTotal < 1) {
        m_nOutcome = DOWNLOAD_RESULT_EMPTY;
        RequestClose();
        m_pConnection->Close();
        m_busy = 0;
        return;
    }

    // Controls of the UI thread are reached by synchronous messages only.
    m_bar.ShowWindow(SW_SHOW);
    m_bar.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    m_bar.SendMessage(PBM_SETPOS, 0);
    m_nFilesStarted = 0;
    if (m_pOwner != nullptr) {
        m_pOwner->SetTransferIdle(FALSE);
    }

    // The query to suspend is no longer sent to programs on every system: while the download
    // runs the system is also asked to stay awake, and told again when it has returned.
    s_setExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
    const BOOL downloaded = m_pConnection->Download();
    s_setExecutionState(ES_CONTINUOUS);

    m_nOutcome = downloaded ? DOWNLOAD_RESULT_DONE : DOWNLOAD_RESULT_FAILED;
    RequestClose();
    if (m_pOwner != nullptr) {
        m_pOwner->SetTransferIdle(TRUE);
    }
    m_pConnection->Close();
    m_busy = 0;
}

void CDownloadProgressDlg::RequestClose() {
    if (IsWindow()) {
        PostMessage(WM_CLOSE);
    }
}

void CDownloadProgressDlg::OnFileStarted() {
    ++m_nFilesStarted;
    CString text;
    text.Format(LoadText(IDS_DOWNLOADING), m_nFilesStarted, m_nTotal);
    m_text.SetWindowText(text);
}

void CDownloadProgressDlg::AddFinishedItem() {
    if (m_pOwner != nullptr) {
        m_pOwner->OnItemAdded(m_nFilesStarted - 1);
    }
}

// Five files of kind 2 share one entry of the size list; every other file takes a whole one.
void CDownloadProgressDlg::AdvanceProgress(int kind) {
    if (m_pConnection == nullptr) {
        return;
    }
    const double total = static_cast<double>(m_pConnection->GetTotalSize());
    const double size =
        static_cast<double>(m_pConnection->GetItemSize(static_cast<int>(m_dItemCursor)));
    if (total == 0.0) {
        return;
    }
    if (kind == 2) {
        m_dItemCursor += 0.2;
        m_dPercent += size * 100.0 / total * 0.2;
    } else {
        m_dItemCursor += 1.0;
        m_dPercent += size * 100.0 / total;
    }
    m_bar.SendMessage(PBM_SETPOS, static_cast<WPARAM>(static_cast<int>(m_dPercent)));
}

void CDownloadProgressDlg::OnCancel() {
    if (m_pConnection != nullptr) {
        m_pConnection->SetAbortFlag();
    }
    m_bar.ShowWindow(SW_HIDE);
    m_text.SetWindowText(LoadText(IDS_ABORTING));
    // Keep dispatching: the worker's text and bar updates are sends to this thread.
    while (m_busy != 0) {
        MSG msg;
        if (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        } else {
            // Nothing waiting: sleep until something arrives rather than spin.
            ::MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        }
    }
    CDialog::OnCancel();
}
