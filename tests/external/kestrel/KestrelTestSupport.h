// What the camera driver's tests share: the driver loaded as a program loads it, its registry
// settings set aside around each test, and a recorder behind the two download callbacks.
// Scratch camera folders and pictures come from tests/support.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "external/kestrel/KestrelCamera.h"
#include "tests/support/ScratchFiles.h"
#include "tests/support/ScratchRegistry.h"

namespace kestrel_test {

const DWORD kOk = 0;
const DWORD kFail = static_cast<DWORD>(E_FAIL);
const DWORD kAbort = static_cast<DWORD>(E_ABORT);
const DWORD kBadPointer = static_cast<DWORD>(E_POINTER);
const DWORD kBadHandle = static_cast<DWORD>(E_HANDLE);

// The driver's own settings: which folder is the camera, its capacity and the fault knobs.
constexpr const char* kSettingsKey = "Software\\Orvex\\Kestrel Camera Driver";

// Every entry point of camlnk1.dll, resolved with GetProcAddress.
struct Driver {
    PFN_BULK_Init bulkInit = nullptr;
    PFN_BULK_Reset bulkReset = nullptr;
    PFN_BULK_GetImgCount bulkGetImgCount = nullptr;
    PFN_BULK_GetNthSize bulkGetNthSize = nullptr;
    PFN_KCAMAPI_Init init = nullptr;
    PFN_KCAMAPI_Download download = nullptr;
    PFN_KCAMAPI_Reset reset = nullptr;
    PFN_KCAMAPI_ClearCamera clearCamera = nullptr;
    PFN_KCAMAPI_GetValue getNumLQ = nullptr;
    PFN_KCAMAPI_GetValue getNumHQ = nullptr;
    PFN_KCAMAPI_GetValue getNumXGA = nullptr;
    PFN_KCAMAPI_GetValue getNumVideo = nullptr;
    PFN_KCAMAPI_GetValue getNumBurst = nullptr;
    PFN_KCAMAPI_GetValue getFreeMemory = nullptr;
};

// Loads camlnk1.dll from scratch::ExeFolder() on first use and keeps it; null when the library or
// one of its entries is missing (the message says which).
const Driver* LoadDriver(std::string* error);

// The names in a loaded module's export table, sorted.
std::vector<std::string> ExportNames(HMODULE module);

// The five counts of a camera handle, in kind order (video, LQ, HQ, XGA, burst).
struct Counts {
    DWORD video = 0;
    DWORD lq = 0;
    DWORD hq = 0;
    DWORD xga = 0;
    DWORD burst = 0;
    bool operator==(const Counts& other) const;
};
// Reads the counts; false (and a message) when an export reports a failure.
bool ReadCounts(const Driver& driver, DWORD camera, Counts& counts, std::string* error);
// Reads the counts and expects them to be `expected`; a failure names both sets.
void ExpectCounts(const Driver& driver, DWORD camera, const Counts& expected);

// The sizes a bulk handle lists, in order; the handle is closed afterwards.
std::vector<DWORD> BulkSizes(const Driver& driver);

// Stands behind the two download callbacks: records each call and answers as told. It
// names file n "<n>.jpg" (".avi" for clips) in its output folder.
struct DownloadRecorder {
    std::string outputFolder;
    // 1-based file numbers at which to answer differently; 0 never.
    int abortAtName = 0;
    int abortAtDone = 0;
    int emptyPathAt = 0;
    int unterminatedPathAt = 0; // fills all KCAM_PATH_BYTES bytes, no terminator
    // Set when the same number of name callbacks is reached, so tests can make it fail.
    std::string overridePath;
    int overridePathAt = 0;

    // "name <kind>" and "done <status in hex>", in the order of the calls.
    std::vector<std::string> events;
    std::vector<std::string> paths; // what the name callback wrote, one per call
    // Contract breaches seen in the calls: a path buffer not zeroed, a nonzero reserved
    // argument or an abort flag not cleared before the name callback.
    std::vector<std::string> breaches;

    std::string PathFor(int number, int kind) const;

    static void WINAPI OnFileName(void* context, int kind, char* path, DWORD* abortFlag,
                                  DWORD reserved);
    static void WINAPI OnFileDone(void* context, DWORD status, DWORD reserved, DWORD* abortFlag);
};

// Loads the driver and gives each test a cleared driver key (no camera, defaults), which is
// given back afterwards (the user's own CameraFolder for the run script lives there); camera
// handles opened through OpenCamera are closed at the end.
class DriverTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    const Driver& D() const { return *m_driver; }
    // Points the driver at a folder: the next Init sees it as the attached camera.
    void UseCamera(const std::string& folder);
    // KCAMAPI_Init with the recorder's callbacks (null callbacks without one).
    DWORD OpenCamera(DownloadRecorder* recorder = nullptr);

    scratch::RegistryKey m_settings{HKEY_CURRENT_USER, kSettingsKey};
    const Driver* m_driver = nullptr;
    std::vector<DWORD> m_openCameras;
};

std::string NameEvent(int kind);
std::string DoneEvent(DWORD status);
std::string Hex(DWORD value);

} // namespace kestrel_test
