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
    // The dialog's look is the owner's: it opens with this client area (UI thread) ...
    virtual void PrepareDownloadBackground(const RECT& /*client*/) {}
    // ... and asks for its background at each erase; FALSE leaves it to the system.
    virtual BOOL PaintDownloadBackground(HDC /*dc*/) { return FALSE; }

protected:
    ~CDownloadOwner() = default;
};
