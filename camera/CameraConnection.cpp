#include "camera/CameraConnection.h"

#include <cstring>

#include "camera/CameraDriver.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"
#include "resource.h"
#include "storage/Settings.h"

namespace {

// Handles at most one waiting message of the calling thread, so that a long download keeps
// the thread's windows answering.
void DispatchOneMessage() {
    MSG msg;
    if (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

CString LoadText(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

// Count queries report 0 whatever the export did.
int QueryCount(DWORD(*query)(DWORD, DWORD*), DWORD camera) {
    DWORD value = 0;
    query(camera, &value);
    return static_cast<int>(value);
}

}  // namespace

CCameraConnection::CCameraConnection() : m_strTempDirectory(GetTempDirectorySetting()) {}

CCameraConnection::~CCameraConnection() {
    DeleteTempFiles();
    FreeItems();
    Close();
}

BOOL CCameraConnection::Open(CDownloadProgressSink* dialog) {
    if (dialog == nullptr) {
        return m_hCamera != 0;
    }
    DeleteTempFiles();
    ReachStage(DownloadStage::PreviousFilesDeleted);
    ResetCounters();
    m_pProgress = dialog;
    Close();
    m_sizes.ReadSizes();
    m_hCamera = KCAMAPI_Init(FileNameCallback, FileDoneCallback, this, AfxGetInstanceHandle(),
                             dialog->GetReportWindow());
    if (m_hCamera == 0) {
        return FALSE;
    }
    // Queried one by one, in this order.
    int total = QueryBurstCount();
    total += QueryXGACount();
    total += QueryHQCount();
    total += QueryVideoClipCount();
    total += QueryLQCount();
    m_nTotalCount = total;
    KCAMAPI_GetFreeMemory(m_hCamera, &m_dwFreeMemory);
    return TRUE;
}

DWORD CCameraConnection::Close() {
    if (m_hCamera == 0) {
        return 0;
    }
    DWORD result = KCAMAPI_Reset(m_hCamera);
    m_hCamera = 0;
    return result;
}

BOOL CCameraConnection::Download() {
    DeleteTempFiles();
    FreeItems();
    return KCAMAPI_Download(m_hCamera) == 0 ? TRUE : FALSE;
}

BOOL CCameraConnection::ClearCamera(CWnd* window) {
    if (window == nullptr) {
        return FALSE;
    }
    Close();
    m_hCamera = KCAMAPI_Init(FileNameCallback, FileDoneCallback, this, AfxGetInstanceHandle(),
                             window->GetSafeHwnd());
    if (m_hCamera == 0) {
        return FALSE;
    }
    // A camera that kept items (a read-only one) is not empty: the erase is reported as failed
    // and the count of the last download stays, so that the user is asked to retry.
    const DWORD erased = KCAMAPI_ClearCamera(m_hCamera);
    Close();
    if (erased != 0) {
        return FALSE;
    }
    m_nTotalCount = 0;
    return TRUE;
}

CameraItem* CCameraConnection::GetItem(int index) const {
    if (index < 0 || index >= m_items.GetSize()) {
        return nullptr;
    }
    return static_cast<CameraItem*>(m_items.GetAt(index));
}

void CCameraConnection::DeleteTempFiles() {
    for (int index = 0; index < m_nItemCount; ++index) {
        CameraItem* item = GetItem(index);
        if (item == nullptr || item->path[0] == '\0') {
            continue;
        }
        ::DeleteFileA(item->path);  // a file already gone is no failure
        std::memset(item->path, 0, sizeof item->path);
    }
}

void CCameraConnection::FreeItems() {
    for (int index = 0; index < m_items.GetSize(); ++index) {
        delete static_cast<CameraItem*>(m_items.GetAt(index));
    }
    m_items.RemoveAll();
}

void CCameraConnection::ResetCounters() {
    m_nSnapshotCount = 0;
    m_nVideoCount = 0;
    m_nItemCount = 0;
}

int CCameraConnection::QueryBurstCount() const {
    return QueryCount(KCAMAPI_GetNumBurst, m_hCamera);
}

int CCameraConnection::QueryXGACount() const {
    return QueryCount(KCAMAPI_GetNumXGAImg, m_hCamera);
}

int CCameraConnection::QueryHQCount() const {
    return QueryCount(KCAMAPI_GetNumHQImg, m_hCamera);
}

int CCameraConnection::QueryVideoClipCount() const {
    return QueryCount(KCAMAPI_GetNumVdoClip, m_hCamera);
}

int CCameraConnection::QueryLQCount() const {
    return QueryCount(KCAMAPI_GetNumLQImg, m_hCamera);
}

CString CCameraConnection::MakeItemPath(int kind) {
    const int number = m_nItemCount;
    CString word = LoadText(IDS_SNAPSHOT);
    CString digits;
    digits.Format("%04d", number);
    CString ordinal;
    ordinal.Format("%d", number + 1);

    CString path = m_strTempDirectory + "\\";
    CString label;
    const bool video = kind == kItemKindVideo;
    if (video) {
        ordinal.Format("%d", m_nVideoCount + 1);
        path += word + digits + ".avi";
        label = LoadText(IDS_VIDEO) + " " + ordinal;
    } else if (kind >= kItemKindFirstStill && kind <= kItemKindLastStill) {
        path += word + digits + ".jpg";
        label = word + " " + ordinal;
    }
    // A temporary directory too long for the record: the file is not named at all, rather
    // than named with a cut path that would land somewhere else.
    if (path.GetLength() >= MAX_PATH || label.GetLength() >= MAX_PATH) {
        return CString();
    }
    m_nLastKind = kind;
    if (video) {
        ++m_nVideoCount;
    } else {
        // Stills and unknown kinds alike count as snapshots.
        ++m_nSnapshotCount;
    }

    auto* item = new CameraItem{};
    item->kind = kind;
    std::memcpy(item->path, path.GetString(), static_cast<size_t>(path.GetLength()) + 1);
    std::memcpy(item->label, label.GetString(), static_cast<size_t>(label.GetLength()) + 1);
    m_items.Add(item);
    ++m_nItemCount;
    return path;
}

void WINAPI CCameraConnection::FileNameCallback(void* context, int kind, char* path,
                                                DWORD* abortFlag, DWORD /*reserved*/) {
    if (abortFlag == nullptr) {
        return;
    }
    auto* connection = static_cast<CCameraConnection*>(context);
    if (connection == nullptr) {
        *abortFlag = 1;
        return;
    }
    *abortFlag = connection->m_abort;
    if (*abortFlag != 0) {
        return;
    }
    CString itemPath = path != nullptr ? connection->MakeItemPath(kind) : CString();
    if (itemPath.IsEmpty()) {
        // Nothing can be written for this file: the driver stops and the download fails.
        *abortFlag = 1;
        return;
    }
    std::memcpy(path, itemPath.GetString(), static_cast<size_t>(itemPath.GetLength()) + 1);
    if (connection->m_pProgress != nullptr) {
        connection->m_pProgress->OnFileStarted();
    }
    DispatchOneMessage();
}

void WINAPI CCameraConnection::FileDoneCallback(void* context, DWORD status, DWORD /*reserved*/,
                                                DWORD* abortFlag) {
    if (abortFlag == nullptr) {
        return;
    }
    auto* connection = static_cast<CCameraConnection*>(context);
    if (connection == nullptr || status != 0) {
        *abortFlag = 1;
        return;
    }
    *abortFlag = connection->m_abort;
    if (*abortFlag != 0) {
        return;
    }
    if (connection->m_pProgress != nullptr) {
        connection->m_pProgress->AddFinishedItem();
        connection->m_pProgress->AdvanceProgress(connection->m_nLastKind);
    }
    if (connection->m_nLastKind >= kItemKindVideo && connection->m_nLastKind <= kItemKindLastStill) {
        DispatchOneMessage();
    } else {
        *abortFlag = 1;
    }
}
