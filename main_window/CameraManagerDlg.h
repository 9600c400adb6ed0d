// The main window: camera status, contents and the commands on them.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "camera/CameraConnection.h"
#include "camera/DownloadOwner.h"
#include "camera/DownloadProgressDlg.h"
#include "framework/Dialog.h"
#include "framework/Static.h"
#include "controls/AlbumList.h"
#include "controls/SkinButton.h"
#include "controls/SlideTray.h"
#include "gallery/SaveToGalleryDlg.h"
#include "main_window/GalleryTransfer.h"
#include "media/ImportDib.h"
#include "media/PanelImage.h"
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

class CCameraManagerDlg : public CDialog, public CDownloadOwner, public CSaveTargetOwner {
public:
    const CMessageMap* GetMessageMap() const override {
        static const CMessageMap map(CDialog::GetMessageMap(), {
            MapCommand(ID_HELP_SECOND_WINDOW, &CCameraManagerDlg::OnHelpSecondWindow),
            MapCommand(IDC_MAIN_HELP, &CCameraManagerDlg::OnHelpButton),
            MapQueryDragIcon(&CCameraManagerDlg::OnQueryDragIcon),
            MapSysCommand(&CCameraManagerDlg::OnSysCommand),
            MapPaint(&CCameraManagerDlg::OnPaint),
            MapMessage(WM_ERASEBKGND, &CCameraManagerDlg::OnEraseBkgnd),
            MapMessage(WM_CTLCOLORSTATIC, &CCameraManagerDlg::OnCtlColorStatic),
            MapSimple(WM_TIMER, &CCameraManagerDlg::RunPendingAction),
            MapCommand(IDC_REFRESH, &CCameraManagerDlg::OnRefresh),
            MapCommand(IDC_DELETE_ALL, &CCameraManagerDlg::OnDeleteAll),
            MapCommand(IDC_GET_ALL, &CCameraManagerDlg::OnGetAll),
            MapCommand(IDC_GET_SELECTED, &CCameraManagerDlg::OnGetSelected),
            MapDestroy(&CCameraManagerDlg::OnDestroy),
            MapMessage(WM_POWERBROADCAST, &CCameraManagerDlg::OnPowerBroadcast),
            MapEvent(IDC_THUMBNAIL_TRAY, kTrayEventItemOpen, &CCameraManagerDlg::OnItemOpen),
        });
        return &map;
    }

    explicit CCameraManagerDlg(CWnd* parent = nullptr);
    // The faces, the brush and the fonts go first; then the members, in reverse order.
    ~CCameraManagerDlg() override;

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

    // The look of the window: its client area fixed to 579 x 425 and every control placed
    // in pixels; the About entry at the end of the system menu.
    void LayOutControls();
    void AddAboutEntry();
    void OnSysCommand(UINT id, LPARAM param);
    // The caption font and the status font, from their string-table descriptions.
    void CreateFonts();
    // The six buttons dressed with their bitmap faces.
    void SetUpButtons();
    LRESULT OnEraseBkgnd(WPARAM dc, LPARAM);
    // Static text lies transparent on the panel colour.
    LRESULT OnCtlColorStatic(WPARAM dc, LPARAM control);
    // The two panel captions in the caption font; the icon when minimised.
    void OnPaint();

    // The tray in the "Camera Contents" area and the hidden album list; TRUE when created.
    BOOL CreateThumbnailTray();
    BOOL CreateAlbumList();
    // Removes every item from the tray and sets the tray item count to 0.
    void EmptyTray();
    // The user opened tray item `index`.
    void OnItemOpen(long index);

    // Save every downloaded file, or the files selected in the tray, into a gallery.
    void OnGetAll();
    void OnGetSelected();
    // Whether the shell program runs: a top-level window of its class exists.
    static BOOL IsShellRunning();

    // The name a file is saved under: the save dialog's prefix, "_" and four or more digits.
    CString MakeNumberedName(int number) const;
    // The index of the record whose path equals `path` regardless of case; -1 when none does.
    int FindItemIndexByPath(const CString& path) const;
    // Whether any file the running transfer (Get All or Get Selected) would write into
    // `directory` exists already; the save dialog asks before it closes.
    BOOL AnyTargetExists(const CString& directory) override;

    // Refuses the system's suspend and standby queries while a download runs, and says why on
    // a thread of its own so that the query is answered at once.
    LRESULT OnPowerBroadcast(WPARAM event, LPARAM data);
    static UINT PowerRefusalMessageProc(LPVOID param);

    // The download worker reports each downloaded record and the transfer state.
    void OnItemAdded(int index) override;
    void SetTransferIdle(BOOL idle) override { m_bTransferIdle = idle; }
    // The download dialog sits on a framed panel of its own size, built at each opening.
    void PrepareDownloadBackground(const RECT& client) override;
    BOOL PaintDownloadBackground(HDC dc) override;

    const CString& GetWindowTitle() const override { return m_strTitle; }
    BOOL IsTransferIdle() const { return m_bTransferIdle; }
    int GetPendingAction() const { return m_nPendingAction; }
    int GetTrayItemCount() const { return m_nTrayItemCount; }
    CCameraConnection& GetConnection() { return m_connection; }
    CSlideTray& GetTray() { return m_tray; }
    CSaveToGalleryDlg& GetSaveDialog() { return m_saveDlg; }
    CAlbumList* GetAlbumList() const { return m_pAlbumList; }

protected:
    void OnDestroy();
    void OnHelpSecondWindow();
    void OnHelpButton();
    HCURSOR OnQueryDragIcon();

private:
    // Which command opened the save dialog, so that its existence test checks those files.
    enum class TransferCommand { None, GetAll, GetSelected };

    // Runs the save dialog for `command`; TRUE when the user chose a gallery. The folder,
    // ending in a backslash, goes to *directory.
    BOOL AskForGallery(TransferCommand command, CString* directory);
    // Saves the files and announces them (shell program or album list); shows 119 or 125.
    // Nothing is shown when the shell runs but its object cannot be had. `emptyMessage`: an
    // empty list is Get All's "no images" (said only when no shell program runs).
    void SaveToGallery(const std::vector<CSavedFile>& files, const CString& directory,
                       BOOL emptyMessage);
    // The paths of the files selected in the tray, in tray order.
    std::vector<CString> SelectedPaths();
    // "<name><extension of path>", the extension as the path has it.
    CString SavedName(int number, const CString& path) const;

    CStatic m_memoryField;
    CStatic m_snapshotsField;
    CStatic m_videosField;
    CDownloadProgressDlg m_downloadDlg;
    std::atomic<BOOL> m_bTransferIdle{TRUE};  // written by the download worker
    HICON m_hIcon;
    BOOL m_bBusy = FALSE;
    CGdiObject m_staticBrush;  // the panel colour behind static text
    int m_nPendingAction = ACTION_NONE;
    std::unique_ptr<CFont> m_pCaptionFont;
    std::unique_ptr<CFont> m_pStatusFont;
    HWND m_hStatusCaption = nullptr;    // only their rectangles are used
    HWND m_hContentsCaption = nullptr;
    int m_nTrayItemCount = 0;
    CCameraConnection m_connection;
    CString m_strTitle;
    CSlideTray m_tray;
    CAlbumList* m_pAlbumList = nullptr;
    CPanelImage m_statusPanel;
    CPanelImage m_contentsPanel;
    CPanelImage m_downloadPanel;
    CSaveToGalleryDlg m_saveDlg;
    CSkinButton m_refreshButton;
    CSkinButton m_deleteAllButton;
    CSkinButton m_getAllButton;
    CSkinButton m_getSelectedButton;
    CSkinButton m_helpButton;
    CSkinButton m_doneButton;
    // The faces: normal, pressed and hover of the five bottom buttons, then of Refresh.
    std::unique_ptr<CImportDib> m_faces[6];
    TransferCommand m_transferCommand = TransferCommand::None;
};
