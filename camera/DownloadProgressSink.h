// What the camera connection reports to while the driver downloads: the download progress
// dialog. Called on the download worker thread.
#pragma once

#include <windows.h>

class CDownloadProgressSink {
public:
    // The window handed to the driver when the camera is opened.
    virtual HWND GetReportWindow() const = 0;
    // A file starts: the driver has asked for its path.
    virtual void OnFileStarted() = 0;
    // The file that started last is written: it goes to the thumbnail tray.
    virtual void AddFinishedItem() = 0;
    // Moves the bar on by the share of the file just written, of the given kind.
    virtual void AdvanceProgress(int kind) = 0;

protected:
    ~CDownloadProgressSink() = default;
};
