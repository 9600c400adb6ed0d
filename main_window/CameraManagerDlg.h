// The main window: camera status, contents and the commands on them.
#pragma once

#include <atomic>

#include "camera/CameraConnection.h"
#include "camera/DownloadOwner.h"
#include "camera/DownloadProgressDlg.h"
#include "framework/Dialog.h"
#include "framework/Static.h"
#include "main_window/AlbumList.h"
#include "main_window/SlideTray.h"
#include "resource.h"

// Camera work the action timer runs.
constexpr int ACTION_NONE = 100;
constexpr int ACTION_CLEAR_CAMERA = 101;
constexpr int ACTION_REFRESH = 104;
constexpr int ACTION_REFRESH_THEN_GET_ALL = 105;

// The tray's event when the user opens an item.
constexpr DISPID kTrayEventItemOpen = 2;

// The one-shot delay before a pending action runs.
constexpr UINT_PTR ID_TIMER_ACTION = 101;
constexpr UINT kActionDelayMs = 500;

class CCameraManagerDlg : public CDialog, public CDownloadOwner {
public:
    const CMessageMap* GetMessageMap() const override {
        static const CMessageMap map(CDialog::GetMessageMap(), {
            MapCommand(ID_HELP_SECOND_WINDOW, &CCameraManagerDlg::OnHelpSecondWindow),
            MapCommand(IDC_MAIN_HELP, &CCameraManagerDlg::OnHelpButton),
            MapQueryDragIcon(&CCameraManagerDlg::OnQueryDragIcon),
            MapSimple(WM_TIMER, &CCameraManagerDlg::RunPendingAction),
            MapCommand(IDC_REFRESH, &CCameraManagerDlg::OnRefresh),
            MapCommand(IDC_DELETE_ALL, &CCameraManagerDlg::OnDeleteAll),
            MapDestroy(&CCameraManagerDlg::OnDestroy),
            MapEvent(IDC_THUMBNAIL_TRAY, kTrayEventItemOpen, &CCameraManagerDlg::OnItemOpen),
        });
        return &map;
    }

    explicit CCameraManagerDlg(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    // Writes "<value> <label>" into a status field; labels are string-table ids.
    void SetStatusField(int value, UINT labelId, CWnd* field);
    // TRUE: the message line replaces the three counts; FALSE: the counts are shown.
    void ShowStatusMessage(BOOL show);
    // A message box from the string table, captioned with the window title.
    int ShowMessageBox(UINT stringId, UINT style);

    // Sets the action and arms the action timer.
    void ScheduleAction(int action);
    // The action timer's handler: runs the pending action once.
    void RunPendingAction();
    void OnRefresh();
    // Empties the tray, downloads everything the camera holds, and shows the outcome.
    void RefreshCameraContents();

    // Erases the camera after asking; also the action of ACTION_CLEAR_CAMERA.
    void OnDeleteAll();

    // The tray in the "Camera Contents" area and the hidden album list; TRUE when created.
    BOOL CreateThumbnailTray();
    BOOL CreateAlbumList();
    // Removes every item from the tray and sets the tray item count to 0.
    void EmptyTray();
    // The user opened tray item `index`.
    void OnItemOpen(long index);

    // The download worker reports each downloaded record and the transfer state.
    void OnItemAdded(int index) override;
    void SetTransferIdle(BOOL idle) override { m_bTransferIdle = idle; }

    const CString& GetWindowTitle() const { return m_strTitle; }
    BOOL IsTransferIdle() const { return m_bTransferIdle; }
    int GetPendingAction() const { return m_nPendingAction; }
    int GetTrayItemCount() const { return m_nTrayItemCount; }
    CCameraConnection& GetConnection() { return m_connection; }
    CSlideTray& GetTray() { return m_tray; }
    CAlbumList* GetAlbumList() const { return m_pAlbumList; }

protected:
    void OnDestroy();
    void OnHelpSecondWindow();
    void OnHelpButton();
    HCURSOR OnQueryDragIcon();

private:
    CStatic m_memoryField;
    CStatic m_snapshotsField;
    CStatic m_videosField;
    CDownloadProgressDlg m_downloadDlg;
    std::atomic<BOOL> m_bTransferIdle{TRUE};  // written by the download worker
    HICON m_hIcon;
    BOOL m_bBusy = FALSE;
    int m_nPendingAction = ACTION_NONE;
    int m_nTrayItemCount = 0;
    CCameraConnection m_connection;
    CString m_strTitle;
    CSlideTray m_tray;
    CAlbumList* m_pAlbumList = nullptr;
};
