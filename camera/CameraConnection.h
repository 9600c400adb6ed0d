// The one object through which the main window reaches the camera: it opens and closes the
// camera, reads its counts and free memory, downloads every item into the temporary directory
// with one CameraItem record per file, and erases the camera memory.
#pragma once

#include <atomic>
#include <functional>

#include "camera/CameraItem.h"
#include "camera/DownloadProgressSink.h"
#include "camera/ItemSizeList.h"
#include "framework/PtrArray.h"
#include "framework/String.h"

class CWnd;

// Points of a download run at which a test can hold the worker.
enum class DownloadStage {
    WorkerStarting,        // the worker thread runs, before it opens the camera
    PreviousFilesDeleted,  // Open has deleted the previous download's files
};

class CCameraConnection {
public:
    CCameraConnection();
    ~CCameraConnection();
    CCameraConnection(const CCameraConnection&) = delete;
    CCameraConnection& operator=(const CCameraConnection&) = delete;

    // Opens the camera for a download reported to `dialog`, throwing away the previous
    // download's files first. A null dialog only tells whether a camera handle is open.
    // An abort asked for before or during the opening is kept for the download.
    BOOL Open(CDownloadProgressSink* dialog);
    // Closes the camera handle; the driver's result, or 0 when none was open.
    DWORD Close();
    // Downloads everything the open camera holds; the caller closes the camera afterwards.
    BOOL Download();
    // Erases the camera memory through a handle of its own; the records stay. FALSE when no
    // camera opens or the driver could not erase everything; the total count is then kept.
    BOOL ClearCamera(CWnd* window);

    int GetTotalCount() const { return m_nTotalCount; }
    int GetSnapshotCount() const { return m_nSnapshotCount; }
    int GetVideoCount() const { return m_nVideoCount; }
    double GetPercentFull() const { return 100.0 - static_cast<double>(m_dwFreeMemory); }
    int GetItemCount() const { return m_nItemCount; }
    // The record at `index`, or null when there is none.
    CameraItem* GetItem(int index) const;
    DWORD GetItemSize(int index) const { return m_sizes.GetSize(index); }
    DWORD GetTotalSize() const { return m_sizes.GetTotalSize(); }

    // Asks the driver to stop at its next callback; set by the progress dialog's cancel.
    void SetAbortFlag() { m_abort = 1; }
    // A download run starts afresh: cleared on the UI thread before the worker starts.
    void ClearAbortFlag() { m_abort = 0; }
    BOOL IsAbortSet() const { return m_abort != 0 ? TRUE : FALSE; }

    // Test seam: `hook` runs on the worker at each stage of a run.
    void SetStageHook(std::function<void(DownloadStage)> hook) { m_stageHook = std::move(hook); }
    void ReachStage(DownloadStage stage) const {
        if (m_stageHook) {
            m_stageHook(stage);
        }
    }

    void DeleteTempFiles();
    void FreeItems();
    // The per-download counts to 0; the abort flag is the run's, and stays.
    void ResetCounters();

    // The driver's callbacks; `context` is the connection given to KCAMAPI_Init.
    static void WINAPI FileNameCallback(void* context, int kind, char* path, DWORD* abortFlag,
                                        DWORD reserved);
    static void WINAPI FileDoneCallback(void* context, DWORD status, DWORD reserved,
                                        DWORD* abortFlag);

private:
    // Each returns the driver's count, 0 when the query fails.
    int QueryBurstCount() const;
    int QueryXGACount() const;
    int QueryHQCount() const;
    int QueryVideoClipCount() const;
    int QueryLQCount() const;

    // Names the next file and records it; empty (and no record) when its path or label would
    // not fit in a record.
    CString MakeItemPath(int kind);

    int m_nTotalCount = 0;
    int m_nSnapshotCount = 0;
    int m_nVideoCount = 0;
    CPtrArray m_items;  // CameraItem*, in download order
    CString m_strTempDirectory;
    DWORD m_dwFreeMemory = 0;
    CItemSizeList m_sizes;
    int m_nItemCount = 0;
    DWORD m_hCamera = 0;
    std::atomic<DWORD> m_abort{0};  // written by the UI thread while the worker downloads
    int m_nLastKind = 0;
    CDownloadProgressSink* m_pProgress = nullptr;
    std::function<void(DownloadStage)> m_stageHook;
};
