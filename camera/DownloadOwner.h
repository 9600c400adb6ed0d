// What the download progress dialog needs of the window that runs it (the main window).
#pragma once

#include <windows.h>

class CDownloadOwner {
public:
    // Record `index` of the camera connection is downloaded: it goes to the thumbnail tray.
    // Called on the download worker thread.
    virtual void OnItemAdded(int index) = 0;
    // FALSE while the camera download runs, TRUE again after it; written by the worker.
    virtual void SetTransferIdle(BOOL idle) = 0;

protected:
    ~CDownloadOwner() = default;
};
