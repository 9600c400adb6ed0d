#include "main_window/CameraManagerDlg.h"

#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "external/lmshell/LMShell.h"
#include "framework/OleException.h"
#include "framework/MessageBox.h"
#include "framework/ResourceHandle.h"
#include "framework/WinApp.h"
#include "framework/WinThread.h"
#include "main_window/AboutDlg.h"
#include "main_window/ExGalleryInterface.h"
#include "media/ImageViewerDlg.h"
#include "media/ImportDib.h"
#include "media/VideoPlayerDlg.h"
#include "resource.h"

namespace {
const DWORD kMainHelpContext = 3856;

// The window's colours and its two panels, in client pixels.
constexpr COLORREF kWindowColor = RGB(215, 215, 215);
constexpr COLORREF kPanelColor = RGB(212, 230, 249);
constexpr int kStatusPanelX = 5, kStatusPanelY = 5;
constexpr int kStatusPanelWidth = 573, kStatusPanelHeight = 66;
constexpr int kContentsPanelX = 5, kContentsPanelY = 71;
constexpr int kContentsPanelWidth = 576, kContentsPanelHeight = 304;
constexpr COLORREF kDownloadPanelColor = RGB(230, 230, 230);

// The frame pieces of the status panel, which the download dialog's panel shares.
const UINT kStatusPieces[CPanelImage::kPieceCount] = {
    IDB_STATUS_TOP_LEFT,  IDB_STATUS_TOP,         IDB_STATUS_TOP_RIGHT, IDB_STATUS_RIGHT,
    IDB_STATUS_BOTTOM_RIGHT, IDB_STATUS_BOTTOM, IDB_STATUS_BOTTOM_LEFT, IDB_STATUS_LEFT};

// The extension of a path, dot included, as the path has it.
CString ExtensionOf(const CString& path) {
    char extension[_MAX_EXT] = {};
    ::_splitpath(path, nullptr, nullptr, nullptr, extension);
    return extension;
}
} // namespace

CCameraManagerDlg::CCameraManagerDlg(CWnd* parent)
    : CDialog(IDD_CAMERA_MANAGER, parent),
      m_hIcon(::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDI_MAINFRAME))) {
    m_staticBrush.Attach(::CreateSolidBrush(kPanelColor));
}

CCameraManagerDlg::~CCameraManagerDlg() {
    for (auto& face : m_faces) {
        face.reset();
    }
    m_staticBrush.DeleteObject();
    m_pCaptionFont.reset();
    m_pStatusFont.reset();
}

void CCameraManagerDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_MEMORY_FIELD, m_memoryField);
    DDX_Control(pDX, IDC_SNAPSHOTS_FIELD, m_snapshotsField);
    DDX_Control(pDX, IDC_VIDEOS_FIELD, m_videosField);
}

BOOL CCameraManagerDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    // Started by the user the window carries the product title; owned by the shell it
    // keeps the template's short title.
    GetWindowText(m_strTitle);
    if (GetParent() == nullptr) {
        m_strTitle.LoadString(IDS_WINDOW_TITLE);
        SetWindowText(m_strTitle);
    }

    AddAboutEntry();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    ShowStatusMessage(FALSE);
    SetStatusField(0, IDS_SNAPSHOT_TAKEN, &m_snapshotsField);
    SetStatusField(0, IDS_VIDEO_TAKEN, &m_videosField);
    SetStatusField(0, IDS_MEMORY_FULL, &m_memoryField);

    static const UINT kContentsPieces[CPanelImage::kPieceCount] = {
        IDB_CONTENTS_TOP_LEFT,  IDB_CONTENTS_TOP,         IDB_CONTENTS_TOP_RIGHT,
        IDB_CONTENTS_RIGHT,     IDB_CONTENTS_BOTTOM_RIGHT, IDB_CONTENTS_BOTTOM,
        IDB_CONTENTS_BOTTOM_LEFT, IDB_CONTENTS_LEFT};
    m_statusPanel.Create(kStatusPanelWidth, kStatusPanelHeight, kPanelColor, kStatusPieces);
    m_contentsPanel.Create(kContentsPanelWidth, kContentsPanelHeight, kPanelColor,
                           kContentsPieces);
    m_hStatusCaption = ::GetDlgItem(m_hWnd, IDC_STATUS_CAPTION);
    m_hContentsCaption = ::GetDlgItem(m_hWnd, IDC_CONTENTS_CAPTION);

    m_bBusy = FALSE;
    CreateFonts();
    if (m_pStatusFont) {
        for (int id : {IDC_MEMORY_FIELD, IDC_SNAPSHOTS_FIELD, IDC_VIDEOS_FIELD}) {
            HWND field = ::GetDlgItem(m_hWnd, id);
            ::SendMessageA(field, WM_SETFONT, reinterpret_cast<WPARAM>(m_pStatusFont->m_hObject), FALSE);
            ::InvalidateRect(field, nullptr, TRUE);
            ::UpdateWindow(field);
        }
        ::SendMessageA(::GetDlgItem(m_hWnd, IDC_MESSAGE_LINE), WM_SETFONT,
                       reinterpret_cast<WPARAM>(m_pStatusFont->m_hObject), FALSE);
    }
    SetUpButtons();
    LayOutControls();

    CreateThumbnailTray();
    CreateAlbumList();
    // The first refresh starts once the window is up.
    ScheduleAction(ACTION_REFRESH);
    return TRUE;
}

void CCameraManagerDlg::CreateFonts() {
    // The buttons' font maker serves here too: a description from the string table, width 0,
    // proof quality.
    m_pCaptionFont = CSkinButton::CreateButtonFont(IDS_CAPTION_FONT);
    m_pStatusFont = CSkinButton::CreateButtonFont(IDS_STATUS_FONT);
}

void CCameraManagerDlg::SetUpButtons() {
    struct Button {
        CSkinButton* button;
        int id;
        int faces;  // 0: the five bottom buttons' faces, 3: Refresh's
        COLORREF background;
    };
    const Button buttons[] = {
        {&m_refreshButton, IDC_REFRESH, 3, kPanelColor},
        {&m_deleteAllButton, IDC_DELETE_ALL, 0, kWindowColor},
        {&m_getAllButton, IDC_GET_ALL, 0, kWindowColor},
        {&m_getSelectedButton, IDC_GET_SELECTED, 0, kWindowColor},
        {&m_helpButton, IDC_MAIN_HELP, 0, kWindowColor},
        {&m_doneButton, IDOK, 0, kWindowColor},
    };
    for (const Button& b : buttons) {
        b.button->SubclassDlgItem(static_cast<UINT>(b.id), this);
    }
    static const UINT kFaceIds[6] = {IDB_BUTTON_NORMAL, IDB_BUTTON_PRESSED, IDB_BUTTON_HOVER,
                                     IDB_REFRESH_NORMAL, IDB_REFRESH_PRESSED, IDB_REFRESH_HOVER};
    for (int i = 0; i < 6; ++i) {
        m_faces[i].reset(new (std::nothrow) CImportDib);
        if (m_faces[i]) {
            m_faces[i]->LoadFromResource(AfxGetResourceHandle(), kFaceIds[i]);
        }
    }
    for (const Button& b : buttons) {
        b.button->SetImages(m_faces[b.faces].get(), m_faces[b.faces + 1].get(),
                            m_faces[b.faces + 2].get());
        b.button->m_fontId = IDS_CAPTION_FONT;
        b.button->m_background = b.background;
    }
}

LRESULT CCameraManagerDlg::OnEraseBkgnd(WPARAM wParam, LPARAM) {
    HDC hdc = reinterpret_cast<HDC>(wParam);
    if (hdc == nullptr || ::IsIconic(m_hWnd)) {
        return FALSE;
    }
    CDC dc;
    dc.Attach(hdc);
    dc.SetBkMode(TRANSPARENT);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(client, kWindowColor);
    m_statusPanel.Blit(&dc, kStatusPanelX, kStatusPanelY);
    m_contentsPanel.Blit(&dc, kContentsPanelX, kContentsPanelY);
    return TRUE;
}

void CCameraManagerDlg::PrepareDownloadBackground(const RECT& client) {
    m_downloadPanel.Destroy();
    m_downloadPanel.Create(client.right - client.left, client.bottom - client.top,
                           kDownloadPanelColor, kStatusPieces);
}

BOOL CCameraManagerDlg::PaintDownloadBackground(HDC hdc) {
    CDC dc;
    dc.Attach(hdc);
    return hdc != nullptr && m_downloadPanel.Blit(&dc, 0, 0);
}

LRESULT CCameraManagerDlg::OnCtlColorStatic(WPARAM wParam, LPARAM) {
    ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
    return reinterpret_cast<LRESULT>(m_staticBrush.GetSafeHandle());
}

void CCameraManagerDlg::OnPaint() {
    {
        CPaintDC dc(m_hWnd);
        if (::IsIconic(m_hWnd)) {
            SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
            CRect client;
            GetClientRect(&client);
            const int x = (client.Width() - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
            const int y = (client.Height() - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
            ::DrawIcon(dc, x, y, m_hIcon);
        } else if (m_pCaptionFont) {
            dc.SetBkMode(TRANSPARENT);
            CSelectGuard font(dc, m_pCaptionFont->m_hObject);
            const std::pair<HWND, UINT> captions[] = {{m_hStatusCaption, IDS_CAMERA_STATUS},
                                                      {m_hContentsCaption, IDS_CAMERA_CONTENTS}};
            for (const auto& caption : captions) {
                if (caption.first == nullptr) {
                    continue;
                }
                CRect place;
                ::GetWindowRect(caption.first, &place);
                ScreenToClient(&place);
                CString text;
                text.LoadString(caption.second);
                dc.DrawText(text, -1, &place, DT_SINGLELINE | DT_NOPREFIX);
            }
        }
    }
    Default();
}

void CCameraManagerDlg::AddAboutEntry() {
    CString about;
    about.LoadString(IDS_ABOUTBOX);
    HMENU menu = ::GetSystemMenu(m_hWnd, FALSE);
    if (menu == nullptr || about.IsEmpty()) {
        return;
    }
    ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, about);
}

void CCameraManagerDlg::OnSysCommand(UINT id, LPARAM param) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
        return;
    }
    Default();
}

namespace {

// Where each control goes, in client pixels.
struct ControlPlace {
    int id;
    int x, y, width, height;
};

const ControlPlace kLayout[] = {
    {IDC_GET_ALL, 6, 388, 110, 30},
    {IDC_GET_SELECTED, 118, 388, 110, 30},
    {IDC_DELETE_ALL, 233, 388, 110, 30},
    {IDOK, 350, 388, 110, 30},
    {IDC_MAIN_HELP, 465, 388, 110, 30},
    {IDC_REFRESH, 28, 332, 100, 30},
    {IDC_CONTENTS_CAPTION, 22, 80, 200, 30},
    {IDC_STATUS_CAPTION, 22, 12, 200, 30},
    {IDC_MEMORY_FIELD, 35, 35, 200, 20},
    {IDC_SNAPSHOTS_FIELD, 255, 35, 150, 20},
    {IDC_VIDEOS_FIELD, 405, 35, 150, 20},
    {IDC_MESSAGE_LINE, 35, 35, 500, 20},
};

constexpr int kClientWidth = 579;
constexpr int kClientHeight = 425;

}  // namespace

// The window's own pixel layout, whatever the dialog font made of the template.
void CCameraManagerDlg::LayOutControls() {
    CRect outer, client;
    GetWindowRect(&outer);
    GetClientRect(&client);
    SetWindowPos(nullptr, 0, 0, kClientWidth + outer.Width() - client.Width(),
                 kClientHeight + outer.Height() - client.Height(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    const UINT place = SWP_NOZORDER | SWP_NOACTIVATE;
    if (CWnd* separator = GetDlgItem(IDC_SEPARATOR)) {
        separator->SetWindowPos(nullptr, 3, 379, client.Width() - 6, 2, place);
    }
    for (const ControlPlace& control : kLayout) {
        if (CWnd* window = GetDlgItem(control.id)) {
            window->SetWindowPos(nullptr, control.x, control.y, control.width, control.height,
                                 place);
        }
    }
}

void CCameraManagerDlg::ScheduleAction(int action) {
    m_nPendingAction = action;
    SetTimer(ID_TIMER_ACTION, kActionDelayMs);
}

void CCameraManagerDlg::RunPendingAction() {
    KillTimer(ID_TIMER_ACTION);
    m_bBusy = TRUE;
    switch (m_nPendingAction) {
    case ACTION_CLEAR_CAMERA:
        OnDeleteAll();
        break;
    case ACTION_REFRESH:
        RefreshCameraContents();
        break;
    case ACTION_REFRESH_THEN_GET_ALL:
        RefreshCameraContents();
        if (m_nTrayItemCount > 0) {
            OnGetAll();
        }
        break;
    default:
        break;
    }
    m_bBusy = FALSE;
    Default();
}

void CCameraManagerDlg::OnRefresh() {
    if (m_bBusy) {
        return;
    }
    ScheduleAction(ACTION_REFRESH);
}

void CCameraManagerDlg::RefreshCameraContents() {
    EmptyTray();
    ShowStatusMessage(FALSE);
    SetStatusField(0, IDS_SNAPSHOT_TAKEN, &m_snapshotsField);
    SetStatusField(0, IDS_VIDEO_TAKEN, &m_videosField);
    SetStatusField(0, IDS_MEMORY_FULL, &m_memoryField);

    m_downloadDlg.SetConnection(&m_connection);
    m_downloadDlg.SetOwner(this);
    switch (m_downloadDlg.DoModal()) {
    case DOWNLOAD_RESULT_DONE: {
        const int snapshots = m_connection.GetSnapshotCount();
        const int videos = m_connection.GetVideoCount();
        SetStatusField(snapshots, snapshots < 2 ? IDS_SNAPSHOT_TAKEN : IDS_SNAPSHOTS_TAKEN,
                       &m_snapshotsField);
        SetStatusField(videos, videos < 2 ? IDS_VIDEO_TAKEN : IDS_VIDEOS_TAKEN, &m_videosField);
        SetStatusField(static_cast<int>(m_connection.GetPercentFull()), IDS_MEMORY_FULL,
                       &m_memoryField);
        break;
    }
    case DOWNLOAD_RESULT_EMPTY:
        ShowMessageBox(IDS_CAMERA_EMPTY, MB_OK | MB_ICONEXCLAMATION);
        break;
    case DOWNLOAD_RESULT_NO_CAMERA:
        if (ShowMessageBox(IDS_CAMERA_NOT_AVAILABLE, MB_RETRYCANCEL | MB_ICONEXCLAMATION) ==
            IDRETRY) {
            // The same action runs again after the usual delay.
            m_bBusy = FALSE;
            SetTimer(ID_TIMER_ACTION, kActionDelayMs);
        } else {
            ShowStatusMessage(TRUE);
        }
        break;
    case DOWNLOAD_RESULT_NONE:  // cancelled before the worker started: nothing was read
    case DOWNLOAD_RESULT_FAILED:
        EmptyTray();
        ShowStatusMessage(TRUE);
        break;
    default:
        break;
    }
}

BOOL CCameraManagerDlg::CreateThumbnailTray() {
    const CRect rect(24, 103, 555, 327);
    if (!m_tray.Create(nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, rect,
                       this, IDC_THUMBNAIL_TRAY)) {
        return FALSE;
    }
    try {
        m_tray.SetSelectionMode(-1);
        m_tray.SetDragSource(FALSE);
        m_tray.SetDropTarget(FALSE);
        m_tray.SetShowFrames(FALSE);
        m_tray.ShowTooltips(FALSE);
    } catch (CException* e) {
        e->Delete();
    }
    try {
        m_tray.SetRedraw(TRUE);
    } catch (CException* e) {
        e->Delete();
    }
    m_tray.UpdateWindow();
    return TRUE;
}

BOOL CCameraManagerDlg::CreateAlbumList() {
    m_pAlbumList = new (std::nothrow) CAlbumList;
    if (m_pAlbumList == nullptr) {
        return FALSE;
    }
    if (!m_pAlbumList->Create("AlbumListCtlInSnapshot", WS_CHILD, CRect(0, 0, 0, 0), this,
                              IDC_ALBUM_LIST)) {
        delete m_pAlbumList;
        m_pAlbumList = nullptr;
        return FALSE;
    }
    try {
        m_pAlbumList->SetStyle(1);
        m_pAlbumList->SetView(4);
        m_pAlbumList->SetShowNew(FALSE);
        try {
            m_pAlbumList->Load();
        } catch (COleDispatchException* e) {
            e->Delete();
        }
        m_pAlbumList->SetEnabled(TRUE);
        m_pAlbumList->ShowWindow(SW_SHOW);
    } catch (CException* e) {
        // The list stays created; only its set-up stopped.
        e->ReportError();
        e->Delete();
    }
    return TRUE;
}

void CCameraManagerDlg::EmptyTray() {
    try {
        m_tray.SetRedraw(FALSE);
        m_tray.ClearItems(0, 0);
        m_tray.SetRedraw(TRUE);
    } catch (CException* e) {
        e->Delete();
    }
    m_nTrayItemCount = 0;
}

// Runs on the download worker thread.
void CCameraManagerDlg::OnItemAdded(int index) {
    const CameraItem* item = m_connection.GetItem(index);
    if (item == nullptr) {
        return;
    }
    try {
        m_tray.AddItem(item->path, item->label);
    } catch (CException* e) {
        e->Delete();
    }
    ++m_nTrayItemCount;
}

// A snapshot in the viewer at its true size, a clip in the player; by the extension alone.
void CCameraManagerDlg::OnItemOpen(long index) {
    CString path, label;
    try {
        path = m_tray.GetItemPath(index);
        label = m_tray.GetItemLabel(index);
    } catch (CException* e) {
        e->Delete();  // a tray that cannot answer has nothing to open
        return;
    }
    CString extension = ExtensionOf(path);
    extension.MakeLower();
    if (extension == ".avi") {
        CVideoPlayerDlg player;
        player.SetCaption(label);
        player.SetFilePath(path);
        player.DoModal();
    } else if (extension == ".jpg") {
        CImportDib image;
        if (!image.LoadFromFile(path)) {
            return;
        }
        CImageViewerDlg viewer(&image, this);
        BITMAPINFOHEADER header{};
        image.GetInfoHeader(&header);
        CString caption;
        caption.Format("%s (%d x %d)", static_cast<const char*>(label),
                       static_cast<int>(header.biWidth), static_cast<int>(header.biHeight));
        viewer.SetCaption(caption);
        viewer.DoModal();
    }
}

void CCameraManagerDlg::OnDeleteAll() {
    if (m_connection.GetTotalCount() == 0) {
        ShowMessageBox(IDS_ALREADY_EMPTY, MB_ICONINFORMATION);
        return;
    }
    if (ShowMessageBox(IDS_CONFIRM_DELETE_ALL, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    if (m_connection.ClearCamera(this)) {
        EmptyTray();
        SetStatusField(0, IDS_SNAPSHOT_TAKEN, &m_snapshotsField);
        SetStatusField(0, IDS_VIDEO_TAKEN, &m_videosField);
        SetStatusField(0, IDS_MEMORY_FULL, &m_memoryField);
        ShowStatusMessage(FALSE);
        ShowMessageBox(IDS_CAMERA_CLEARED, MB_ICONINFORMATION);
        return;
    }
    if (ShowMessageBox(IDS_CAMERA_NOT_AVAILABLE, MB_RETRYCANCEL | MB_ICONEXCLAMATION) == IDRETRY) {
        // The whole command, question included, runs again after the usual delay.
        m_bBusy = FALSE;
        ScheduleAction(ACTION_CLEAR_CAMERA);
    } else {
        ShowStatusMessage(TRUE);
    }
}

LRESULT CCameraManagerDlg::OnPowerBroadcast(WPARAM event, LPARAM /*data*/) {
    if (event <= PBT_APMQUERYSTANDBY && !m_bTransferIdle) {
        AfxBeginThread(PowerRefusalMessageProc, nullptr);
        return BROADCAST_QUERY_DENY;
    }
    return TRUE;
}

UINT CCameraManagerDlg::PowerRefusalMessageProc(LPVOID /*param*/) {
    CString text;
    if (text.LoadString(IDS_POWER_REFUSAL)) {
        AfxMessageBox(text, MB_OK, 0);
    }
    return 1;
}

void CCameraManagerDlg::OnDestroy() {
    if (m_pAlbumList != nullptr) {
        m_pAlbumList->DestroyWindow();
        delete m_pAlbumList;
        m_pAlbumList = nullptr;
    }
    Default();
}

void CCameraManagerDlg::SetStatusField(int value, UINT labelId, CWnd* field) {
    if (field == nullptr) {
        return;
    }
    CString label;
    label.LoadString(labelId);
    CString text;
    text.Format("%d %s", value, static_cast<const char*>(label));
    field->SetWindowText(text);
}

void CCameraManagerDlg::ShowStatusMessage(BOOL show) {
    CWnd* messageLine = GetDlgItem(IDC_MESSAGE_LINE);
    if (!show) {
        if (messageLine != nullptr) {
            messageLine->ShowWindow(SW_HIDE);
        }
        m_memoryField.ShowWindow(SW_SHOW);
        m_snapshotsField.ShowWindow(SW_SHOW);
        m_videosField.ShowWindow(SW_SHOW);
        return;
    }
    if (messageLine == nullptr) {
        return;
    }
    m_memoryField.ShowWindow(SW_HIDE);
    m_snapshotsField.ShowWindow(SW_HIDE);
    m_videosField.ShowWindow(SW_HIDE);
    CString message;
    message.LoadString(IDS_DOWNLOAD_ABORTED);
    messageLine->SetWindowText(message);
    messageLine->ShowWindow(SW_SHOW);
}

int CCameraManagerDlg::ShowMessageBox(UINT stringId, UINT style) {
    CString text;
    text.LoadString(stringId);
    return MessageBox(text, m_strTitle, style);
}

void CCameraManagerDlg::OnHelpSecondWindow() {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        return;
    }
    CString path = CString(app->m_pszHelpFilePath) + ">Second";
    app->CallWinHelp(m_hWnd, path, HELP_CONTEXT, kMainHelpContext);
}

void CCameraManagerDlg::OnHelpButton() {
    if (CWinApp* app = AfxGetApp()) {
        app->WinHelp(kMainHelpContext, HELP_CONTEXT);
    }
}

HCURSOR CCameraManagerDlg::OnQueryDragIcon() {
    return reinterpret_cast<HCURSOR>(m_hIcon);
}

// --- transfer to a gallery -------------------------------------------------------------------

namespace {

// Whether a file can be opened for reading, as a file the transfer would replace.
bool FileIsThere(const CString& path) {
    HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::CloseHandle(file);
    return true;
}

CString WithBackslash(CString directory) {
    if (directory.IsEmpty() || directory[directory.GetLength() - 1] != '\\') {
        directory += "\\";
    }
    return directory;
}


}  // namespace

BOOL CCameraManagerDlg::IsShellRunning() {
    return ::FindWindowA(kLMShellWindowClass, nullptr) != nullptr;
}

CString CCameraManagerDlg::MakeNumberedName(int number) const {
    CString name;
    name.Format("%s_%04d", static_cast<const char*>(m_saveDlg.GetPrefix()), number);
    return name;
}

CString CCameraManagerDlg::SavedName(int number, const CString& path) const {
    return MakeNumberedName(number) + ExtensionOf(path);
}

int CCameraManagerDlg::FindItemIndexByPath(const CString& path) const {
    for (int index = 0; index < m_connection.GetItemCount(); ++index) {
        const CameraItem* item = m_connection.GetItem(index);
        if (item != nullptr && ::lstrcmpiA(item->path, path) == 0) {
            return index;
        }
    }
    return -1;
}

std::vector<CString> CCameraManagerDlg::SelectedPaths() {
    HGLOBAL handle = nullptr;
    try {
        handle = reinterpret_cast<HGLOBAL>(m_tray.GetSelectedFiles());
    } catch (CException* e) {
        e->Delete();  // a tray that cannot answer has nothing selected
    }
    std::vector<CString> paths;
    if (handle == nullptr) {
        return paths;
    }
    auto drop = static_cast<HDROP>(handle);
    const UINT count = ::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT index = 0; index < count; ++index) {
        char path[MAX_PATH] = {};
        ::DragQueryFileA(drop, index, path, MAX_PATH);
        paths.emplace_back(path);
    }
    ::GlobalFree(handle);
    return paths;
}

BOOL CCameraManagerDlg::AnyTargetExists(const CString& directoryIn) {
    const CString directory = WithBackslash(directoryIn);
    if (m_transferCommand == TransferCommand::GetSelected) {
        for (const CString& path : SelectedPaths()) {
            // The temporary file's number is in the last four characters of its title.
            char title[_MAX_FNAME] = {};
            ::_splitpath(path, nullptr, nullptr, title, nullptr);
            const size_t length = std::strlen(title);
            const int number = std::atoi(title + (length > 4 ? length - 4 : 0));
            if (FileIsThere(directory + SavedName(number + 1, path))) {
                return TRUE;
            }
        }
        return FALSE;
    }
    if (m_transferCommand == TransferCommand::GetAll) {
        for (int index = 0; index < m_connection.GetItemCount(); ++index) {
            const CameraItem* item = m_connection.GetItem(index);
            if (item != nullptr && FileIsThere(directory + SavedName(index + 1, item->path))) {
                return TRUE;
            }
        }
    }
    return FALSE;
}

BOOL CCameraManagerDlg::AskForGallery(TransferCommand command, CString* directory) {
    m_transferCommand = command;
    const INT_PTR answer = m_saveDlg.DoModal();
    m_transferCommand = TransferCommand::None;
    if (answer != IDOK) {
        return FALSE;
    }
    *directory = WithBackslash(m_saveDlg.GetSaveDirectory());
    return TRUE;
}

void CCameraManagerDlg::SaveToGallery(const std::vector<CSavedFile>& files,
                                      const CString& directory, BOOL emptyMessage) {
    CGalleryTransfer transfer(directory);
    IExGalleryInterface shell;
    const CString gallery = m_saveDlg.GetSelectedGalleryName();
    if (IsShellRunning()) {
        if (!shell.Create()) {
            return;  // no object of the shell program: the command ends in silence
        }
        if (files.empty() && emptyMessage) {
            return;  // with the shell program, no records end the command in silence too
        }
        transfer.AnnounceToShell(&shell, gallery);
    } else {
        if (m_pAlbumList != nullptr) {
            try {
                m_pAlbumList->SetGallery(gallery);
            } catch (CException* e) {
                e->Delete();
            }
        }
        if (files.empty() && emptyMessage) {
            ShowMessageBox(IDS_NO_IMAGES, MB_ICONEXCLAMATION);
            return;
        }
        transfer.AnnounceToAlbumList(m_pAlbumList, gallery);
    }
    if (transfer.Save(files)) {
        ShowMessageBox(IDS_TRANSFER_COMPLETE, MB_OK);
    } else {
        ShowMessageBox(IDS_CANNOT_TRANSFER, MB_ICONEXCLAMATION);
    }
}

void CCameraManagerDlg::OnGetAll() {
    m_saveDlg.SetOwner(this);
    if (m_nTrayItemCount == 0) {
        if (!m_bBusy) {
            ScheduleAction(ACTION_REFRESH_THEN_GET_ALL);
        }
        return;
    }
    CString directory;
    if (!AskForGallery(TransferCommand::GetAll, &directory)) {
        return;
    }
    std::vector<CSavedFile> files;
    for (int index = 0; index < m_connection.GetItemCount(); ++index) {
        if (const CameraItem* item = m_connection.GetItem(index)) {
            files.push_back({item->path, SavedName(index + 1, item->path)});
        }
    }
    SaveToGallery(files, directory, TRUE);
}

void CCameraManagerDlg::OnGetSelected() {
    m_saveDlg.SetOwner(this);
    const std::vector<CString> paths = SelectedPaths();
    if (paths.empty()) {
        ShowMessageBox(IDS_NO_IMAGE_SELECTED, MB_ICONEXCLAMATION);
        return;
    }
    CString directory;
    if (!AskForGallery(TransferCommand::GetSelected, &directory)) {
        return;
    }
    std::vector<CSavedFile> files;
    for (const CString& path : paths) {
        // A file that is no record of the download is saved with the number 0.
        files.push_back({path, SavedName(FindItemIndexByPath(path) + 1, path)});
    }
    SaveToGallery(files, directory, FALSE);
}
