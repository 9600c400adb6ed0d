#include "TrayWorkers.h"

#include "CompactThumbnail.h"
#include "ThumbnailMaker.h"

#include <new>
#include <utility>

namespace {

// How long Stop waits: a worker finishes the thumbnail it is making first, and a large
// picture takes a few hundred milliseconds.
constexpr DWORD kStopTimeoutMs = 3000;

// The engine's picture in the compact form the tray keeps; an empty thumbnail (drawn as still
// loading) when there is no memory for it.
std::shared_ptr<TrayThumbnail> ToTrayThumbnail(const ThumbnailImage& image) {
    try {
        auto thumbnail = std::make_shared<TrayThumbnail>();
        if (CompressThumbnail(image, &thumbnail->jpeg)) {
            thumbnail->width = image.width;
            thumbnail->height = image.height;
        }
        return thumbnail;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace

struct CTrayWorkers::StartInfo {
    std::shared_ptr<CTrayModel> model;
    int thumbWidth;
    int thumbHeight;
    HMODULE module; // a reference to this DLL that the worker gives back as it exits
};

CTrayWorkers::CTrayWorkers(std::shared_ptr<CTrayModel> model, int thumbWidth, int thumbHeight)
    : m_model(std::move(model)), m_thumbWidth(thumbWidth), m_thumbHeight(thumbHeight) {}

CTrayWorkers::~CTrayWorkers() {
    Stop();
}

bool CTrayWorkers::Start() {
    if (m_started) {
        return true;
    }
    SYSTEM_INFO system;
    ::GetSystemInfo(&system);
    int count = system.dwNumberOfProcessors < 4 ? static_cast<int>(system.dwNumberOfProcessors) : 4;
    count = count > 0 ? count : 1;
    int started = 0;
    for (int i = 0; i < count; ++i) {
        // The worker's own reference to this DLL keeps its code mapped even when the DLL is
        // freed while the worker still finishes a thumbnail.
        HMODULE module = nullptr;
        if (!::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                  reinterpret_cast<LPCSTR>(&CTrayWorkers::WorkerMain), &module)) {
            break;
        }
        auto* info = new (std::nothrow) StartInfo{m_model, m_thumbWidth, m_thumbHeight, module};
        if (!info) {
            ::FreeLibrary(module);
            break;
        }
        m_model->WorkerStarting();
        HANDLE thread = ::CreateThread(nullptr, 0, &CTrayWorkers::WorkerMain, info, 0, nullptr);
        if (!thread) {
            m_model->WorkerLeft();
            delete info;
            ::FreeLibrary(module);
            break;
        }
        ::CloseHandle(thread);
        ++started;
    }
    m_started = started > 0;
    return m_started;
}

void CTrayWorkers::Stop() {
    if (!m_started) {
        return;
    }
    m_model->Stop(kStopTimeoutMs);
    m_started = false;
}

DWORD WINAPI CTrayWorkers::WorkerMain(void* param) {
    HMODULE module = static_cast<StartInfo*>(param)->module;
    {
        std::unique_ptr<StartInfo> info(static_cast<StartInfo*>(param));
        Work(*info);
    }
    // Leaves through the system so that no code of this DLL runs after the reference goes.
    ::FreeLibraryAndExitThread(module, 0);
    return 0;
}

void CTrayWorkers::Work(const StartInfo& info) {
    CTrayModel& model = *info.model;
    TrayJob job;
    // Each picture's bytes in the same memory: fresh memory for every file costs a
    // millisecond of page faults per picture.
    std::vector<uint8_t> fileBuffer;
    while (model.NextJob(&job)) {
        ThumbnailImage image;
        ThumbnailSource source = ThumbnailSource::Placeholder;
        // An unreadable file still gives the engine's placeholder picture, which is drawn.
        MakeThumbnail(job.path.c_str(), info.thumbWidth, info.thumbHeight, &image, &source,
                      &fileBuffer);
        model.Finish(job, ToTrayThumbnail(image));
    }
    model.WorkerLeft();
}
