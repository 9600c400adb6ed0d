// The threads that make the tray's thumbnails off the UI thread: a few workers taking items
// from the model, each finished thumbnail stored in the model, which tells the window.
#pragma once

#include "TrayModel.h"

#include <memory>

class CTrayWorkers {
public:
    // Thumbnails are made to fit this, the picture area of a cell.
    CTrayWorkers(std::shared_ptr<CTrayModel> model, int thumbWidth, int thumbHeight);
    ~CTrayWorkers();
    CTrayWorkers(const CTrayWorkers&) = delete;
    CTrayWorkers& operator=(const CTrayWorkers&) = delete;

    // Starts min(4, processors) workers; false when not even one could start.
    bool Start();
    // Tells the workers to stop and waits a bounded time for them. A worker still busy after
    // that keeps the model and this DLL loaded until it has left.
    void Stop();

private:
    struct StartInfo;
    static DWORD WINAPI WorkerMain(void* param);
    static void Work(const StartInfo& info);

    std::shared_ptr<CTrayModel> m_model;
    int m_thumbWidth;
    int m_thumbHeight;
    bool m_started = false;
};
