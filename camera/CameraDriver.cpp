#include "camera/CameraDriver.h"

namespace {

// The entry points of the bound driver. One table per process: the driver stays loaded until
// the process ends once a load succeeded.
struct DriverTable {
    bool loaded = false;
    HMODULE interfaceLibrary = nullptr;
    HMODULE bulkLibrary = nullptr;  // the same module as interfaceLibrary in the one-library packaging

    PFN_BULK_Init bulkInit = nullptr;
    PFN_BULK_Reset bulkReset = nullptr;
    PFN_BULK_GetNthSize bulkGetNthSize = nullptr;
    PFN_BULK_GetImgCount bulkGetImgCount = nullptr;
    PFN_KCAMAPI_Init init = nullptr;
    PFN_KCAMAPI_Reset reset = nullptr;
    PFN_KCAMAPI_Download download = nullptr;
    PFN_KCAMAPI_ClearCamera clearCamera = nullptr;
    PFN_KCAMAPI_GetValue getNumLQ = nullptr;
    PFN_KCAMAPI_GetValue getNumHQ = nullptr;
    PFN_KCAMAPI_GetValue getNumXGA = nullptr;
    PFN_KCAMAPI_GetValue getNumVideo = nullptr;
    PFN_KCAMAPI_GetValue getNumBurst = nullptr;
    PFN_KCAMAPI_GetValue getFreeMemory = nullptr;
};

DriverTable g_driver;

template <typename Entry>
bool Resolve(HMODULE module, const char* name, Entry* entry) {
    *entry = reinterpret_cast<Entry>(::GetProcAddress(module, name));
    return *entry != nullptr;
}

// Frees what a failed load left and clears the table, so that the next call starts afresh.
DWORD FailLoad() {
    if (g_driver.bulkLibrary != nullptr && g_driver.bulkLibrary != g_driver.interfaceLibrary) {
        ::FreeLibrary(g_driver.bulkLibrary);
    }
    if (g_driver.interfaceLibrary != nullptr) {
        ::FreeLibrary(g_driver.interfaceLibrary);
    }
    g_driver = DriverTable();
    return kCameraDriverFailure;
}

// The single library serves as both libraries when its bulk entry hands out a handle.
bool ProbeSingleLibrary() {
    HMODULE single = ::LoadLibraryA("camlnk1.dll");
    if (single == nullptr) {
        return false;
    }
    g_driver.interfaceLibrary = single;
    g_driver.bulkLibrary = single;
    return true;
}

bool ResolveAll() {
    HMODULE bulk = g_driver.bulkLibrary;
    HMODULE camera = g_driver.interfaceLibrary;
    return Resolve(bulk, "BULK_Init", &g_driver.bulkInit) &&
           Resolve(bulk, "BULK_Reset", &g_driver.bulkReset) &&
           Resolve(bulk, "BULK_GetNthSize", &g_driver.bulkGetNthSize) &&
           Resolve(bulk, "BULK_GetImgCount", &g_driver.bulkGetImgCount) &&
           Resolve(camera, "KCAMAPI_Init", &g_driver.init) &&
           Resolve(camera, "KCAMAPI_Reset", &g_driver.reset) &&
           Resolve(camera, "KCAMAPI_Download", &g_driver.download) &&
           Resolve(camera, "KCAMAPI_ClearCamera", &g_driver.clearCamera) &&
           Resolve(camera, "KCAMAPI_GetNumLQImg", &g_driver.getNumLQ) &&
           Resolve(camera, "KCAMAPI_GetNumHQImg", &g_driver.getNumHQ) &&
           Resolve(camera, "KCAMAPI_GetNumVdoClip", &g_driver.getNumVideo) &&
           Resolve(camera, "KCAMAPI_GetNumBurst", &g_driver.getNumBurst) &&
           Resolve(camera, "KCAMAPI_GetFreeMemory", &g_driver.getFreeMemory);
}

// Binds the driver if needed; true when the given entry can be called.
template <typename Entry>
bool Bound(const Entry& entry) {
    return LoadCameraDriver() == 0 && entry != nullptr;
}

}  // namespace

DWORD LoadCameraDriver() {
    if (g_driver.loaded) {
        return 0;
    }
    // Set before the probe, which goes through the guarded functions.
    g_driver.loaded = true;

    bool single = false;
    if (ProbeSingleLibrary()) {
        if (!Resolve(g_driver.bulkLibrary, "BULK_Init", &g_driver.bulkInit) ||
            !Resolve(g_driver.bulkLibrary, "BULK_Reset", &g_driver.bulkReset)) {
            return FailLoad();
        }
        DWORD bulk = BULK_Init(0);
        if (bulk != 0) {
            BULK_Reset(bulk);
            if (!Resolve(g_driver.interfaceLibrary, "KCAMAPI_GetNumXGAImg", &g_driver.getNumXGA)) {
                return FailLoad();
            }
            single = true;
        } else {
            ::FreeLibrary(g_driver.interfaceLibrary);
            g_driver.interfaceLibrary = nullptr;
            g_driver.bulkLibrary = nullptr;
            g_driver.bulkInit = nullptr;
            g_driver.bulkReset = nullptr;
        }
    }

    if (!single) {
        // Two libraries: the XGA count has no export there and stays unresolved.
        g_driver.interfaceLibrary = ::LoadLibraryA("camlnk2.dll");
        if (g_driver.interfaceLibrary == nullptr) {
            return FailLoad();
        }
        g_driver.bulkLibrary = ::LoadLibraryA("camldr2.dll");
        if (g_driver.bulkLibrary == nullptr) {
            return FailLoad();
        }
    }

    if (!ResolveAll()) {
        return FailLoad();
    }
    return 0;
}

DWORD BULK_Init(DWORD reserved) {
    return Bound(g_driver.bulkInit) ? g_driver.bulkInit(reserved) : 0;
}

void BULK_Reset(DWORD bulk) {
    if (Bound(g_driver.bulkReset)) {
        g_driver.bulkReset(bulk);
    }
}

DWORD BULK_GetImgCount(DWORD bulk) {
    return Bound(g_driver.bulkGetImgCount) ? g_driver.bulkGetImgCount(bulk) : 0;
}

DWORD BULK_GetNthSize(DWORD bulk, DWORD index) {
    return Bound(g_driver.bulkGetNthSize) ? g_driver.bulkGetNthSize(bulk, index) : 0;
}

DWORD KCAMAPI_Init(KCAM_FILE_NAME_CALLBACK fileName, KCAM_FILE_DONE_CALLBACK fileDone,
                   void* context, HINSTANCE instance, HWND window) {
    return Bound(g_driver.init) ? g_driver.init(fileName, fileDone, context, instance, window) : 0;
}

DWORD KCAMAPI_Download(DWORD camera) {
    return Bound(g_driver.download) ? g_driver.download(camera) : kCameraDriverFailure;
}

DWORD KCAMAPI_Reset(DWORD camera) {
    return Bound(g_driver.reset) ? g_driver.reset(camera) : kCameraDriverFailure;
}

DWORD KCAMAPI_ClearCamera(DWORD camera) {
    return Bound(g_driver.clearCamera) ? g_driver.clearCamera(camera) : kCameraDriverFailure;
}

DWORD KCAMAPI_GetNumLQImg(DWORD camera, DWORD* value) {
    return Bound(g_driver.getNumLQ) ? g_driver.getNumLQ(camera, value) : kCameraDriverFailure;
}

DWORD KCAMAPI_GetNumHQImg(DWORD camera, DWORD* value) {
    return Bound(g_driver.getNumHQ) ? g_driver.getNumHQ(camera, value) : kCameraDriverFailure;
}

DWORD KCAMAPI_GetNumXGAImg(DWORD camera, DWORD* value) {
    return Bound(g_driver.getNumXGA) ? g_driver.getNumXGA(camera, value) : kCameraDriverFailure;
}

DWORD KCAMAPI_GetNumVdoClip(DWORD camera, DWORD* value) {
    return Bound(g_driver.getNumVideo) ? g_driver.getNumVideo(camera, value) : kCameraDriverFailure;
}

DWORD KCAMAPI_GetNumBurst(DWORD camera, DWORD* value) {
    return Bound(g_driver.getNumBurst) ? g_driver.getNumBurst(camera, value) : kCameraDriverFailure;
}

DWORD KCAMAPI_GetFreeMemory(DWORD camera, DWORD* value) {
    return Bound(g_driver.getFreeMemory) ? g_driver.getFreeMemory(camera, value)
                                         : kCameraDriverFailure;
}
