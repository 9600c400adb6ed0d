#include "media/VideoPlayerDlg.h"

#include <windows.h>
#include <vfw.h>

#include "framework/WinApp.h"
#include "resource.h"

static_assert(CVideoPlayerDlg::kVideoFlags ==
                  (MCIWNDF_NOMENU | MCIWNDF_NOTIFYMODE | MCIWNDF_NOTIFYERROR | MCIWNDF_NOERRORDLG),
              "the video window's flags");

CVideoPlayerDlg::CVideoPlayerDlg(CWnd* parent) : CDialog(IDD_VIDEO_PLAYER, parent) {}

BOOL CVideoPlayerDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_bWindowCreated = FALSE;

    PAVIFILE probe = nullptr;
    ::AVIFileInit();
    const HRESULT opened = ::AVIFileOpenA(&probe, m_strFilePath, OF_SHARE_DENY_WRITE, nullptr);
    SetWindowText(m_strCaption);
    if (opened != AVIERR_OK) {
        CString text, caption;
        text.LoadString(IDS_VIDEO_OPEN_ERROR);
        caption.LoadString(IDS_WINDOW_TITLE);
        MessageBox(text, caption, MB_ICONSTOP | MB_OK);
        ::AVIFileExit();
        EndDialog(0);
        return TRUE;
    }
    // The video window opens the clip by itself.
    ::AVIFileRelease(probe);
    ::AVIFileExit();

    // WS_CHILD and WS_VISIBLE are what the system gives a video window with a parent; named
    // here because not every implementation adds them by itself.
    m_hVideoWnd = ::MCIWndCreateA(m_hWnd, AfxGetInstanceHandle(),
                                  WS_CHILD | WS_VISIBLE | kVideoFlags, m_strFilePath);
    if (m_hVideoWnd != nullptr) {
        m_bWindowCreated = TRUE;
        FitAroundVideo();
    }
    return m_bWindowCreated;
}

void CVideoPlayerDlg::FitAroundVideo() {
    CRect client, outer, video;
    GetClientRect(&client);
    GetWindowRect(&outer);
    ::GetWindowRect(m_hVideoWnd, &video);
    const int dx = client.Width() - video.Width();
    const int dy = client.Height() - video.Height();
    CWnd* close = GetDlgItem(IDOK);
    CRect button(0, 0, 0, 0);
    if (close != nullptr) {
        close->GetWindowRect(&button);
    }
    SetWindowPos(nullptr, 0, 0, outer.Width() - dx, outer.Height() - dy + button.Height() + 10,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    GetClientRect(&client);
    const UINT place = SWP_NOZORDER | SWP_NOACTIVATE;
    if (close != nullptr) {
        close->SetWindowPos(nullptr, client.Width() - button.Width(),
                            client.Height() - button.Height() - 2, button.Width(),
                            button.Height(), place);
    }
    if (CWnd* line = GetDlgItem(IDC_SEPARATOR)) {
        CRect lineRect;
        line->GetWindowRect(&lineRect);
        line->SetWindowPos(nullptr, 0, client.Height() - lineRect.Height() - button.Height() - 3,
                           client.Width(), lineRect.Height(), place);
    }
}

// Close stops the clip with its window.
void CVideoPlayerDlg::OnOK() {
    if (m_bWindowCreated && m_hVideoWnd != nullptr) {
        ::DestroyWindow(m_hVideoWnd);
        m_hVideoWnd = nullptr;
    }
    CDialog::OnOK();
}
