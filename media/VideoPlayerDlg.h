// Plays one clip in the system's MCI video window, with its play bar, and a Close button below.
#pragma once

#include "framework/Dialog.h"
#include "framework/String.h"

class CVideoPlayerDlg : public CDialog {
public:
    // The opener passes no parent: the main window owns the player.
    explicit CVideoPlayerDlg(CWnd* parent = nullptr);

    void SetFilePath(const CString& path) { m_strFilePath = path; }
    void SetCaption(const CString& caption) { m_strCaption = caption; }
    HWND GetVideoWindow() const { return m_hVideoWnd; }

    // The video window's style: no menu, mode and error notices to the dialog, no error boxes.
    static constexpr DWORD kVideoFlags = 0x5108;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    // Makes the client area as wide as the video window, with room below for Close.
    void FitAroundVideo();

    BOOL m_bWindowCreated = FALSE;
    HWND m_hVideoWnd = nullptr;
    CString m_strFilePath;
    CString m_strCaption;
};
