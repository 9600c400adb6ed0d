#include "KestrelTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <type_traits>

namespace kestrel_test {

namespace {

std::string ToString(const Counts& counts) {
    return "video " + std::to_string(counts.video) + ", LQ " + std::to_string(counts.lq) + ", HQ " +
           std::to_string(counts.hq) + ", XGA " + std::to_string(counts.xga) + ", burst " +
           std::to_string(counts.burst);
}

} // namespace

const Driver* LoadDriver(std::string* error) {
    static Driver driver;
    static bool loaded = false;
    if (loaded) {
        return &driver;
    }
    std::string path = scratch::ExeFolder() + "\\camlnk1.dll";
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr) {
        *error = "LoadLibraryA(" + path + ") failed, error " + std::to_string(GetLastError());
        return nullptr;
    }
    bool complete = true;
    auto resolve = [&](auto& entry, const char* name) {
        entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(
            GetProcAddress(module, name));
        if (entry == nullptr) {
            *error += std::string(complete ? "missing export: " : ", ") + name;
            complete = false;
        }
    };
    resolve(driver.bulkInit, "BULK_Init");
    resolve(driver.bulkReset, "BULK_Reset");
    resolve(driver.bulkGetImgCount, "BULK_GetImgCount");
    resolve(driver.bulkGetNthSize, "BULK_GetNthSize");
    resolve(driver.init, "KCAMAPI_Init");
    resolve(driver.download, "KCAMAPI_Download");
    resolve(driver.reset, "KCAMAPI_Reset");
    resolve(driver.clearCamera, "KCAMAPI_ClearCamera");
    resolve(driver.getNumLQ, "KCAMAPI_GetNumLQImg");
    resolve(driver.getNumHQ, "KCAMAPI_GetNumHQImg");
    resolve(driver.getNumXGA, "KCAMAPI_GetNumXGAImg");
    resolve(driver.getNumVideo, "KCAMAPI_GetNumVdoClip");
    resolve(driver.getNumBurst, "KCAMAPI_GetNumBurst");
    resolve(driver.getFreeMemory, "KCAMAPI_GetFreeMemory");
    if (!complete) {
        return nullptr;
    }
    loaded = true;
    return &driver;
}

std::vector<std::string> ExportNames(HMODULE module) {
    std::vector<std::string> names;
    auto base = reinterpret_cast<const BYTE*>(module);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (directory.VirtualAddress == 0 || directory.Size == 0) {
        return names;
    }
    auto exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    auto nameTable = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        names.emplace_back(reinterpret_cast<const char*>(base + nameTable[i]));
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool Counts::operator==(const Counts& other) const {
    return video == other.video && lq == other.lq && hq == other.hq && xga == other.xga &&
           burst == other.burst;
}

bool ReadCounts(const Driver& driver, DWORD camera, Counts& counts, std::string* error) {
    struct Query {
        PFN_KCAMAPI_GetValue get;
        DWORD* value;
        const char* name;
    };
    const Query queries[] = {
        {driver.getNumVideo, &counts.video, "KCAMAPI_GetNumVdoClip"},
        {driver.getNumLQ, &counts.lq, "KCAMAPI_GetNumLQImg"},
        {driver.getNumHQ, &counts.hq, "KCAMAPI_GetNumHQImg"},
        {driver.getNumXGA, &counts.xga, "KCAMAPI_GetNumXGAImg"},
        {driver.getNumBurst, &counts.burst, "KCAMAPI_GetNumBurst"},
    };
    for (const Query& query : queries) {
        DWORD status = query.get(camera, query.value);
        if (status != kOk) {
            *error = std::string(query.name) + " returned " + Hex(status);
            return false;
        }
    }
    return true;
}

void ExpectCounts(const Driver& driver, DWORD camera, const Counts& expected) {
    Counts got;
    std::string error;
    ASSERT_TRUE(ReadCounts(driver, camera, got, &error)) << error;
    EXPECT_EQ(expected, got) << "expected " << ToString(expected) << ", got " << ToString(got);
}

std::vector<DWORD> BulkSizes(const Driver& driver) {
    std::vector<DWORD> sizes;
    DWORD bulk = driver.bulkInit(0);
    if (bulk == 0) {
        return sizes;
    }
    DWORD count = driver.bulkGetImgCount(bulk);
    for (DWORD i = 0; i < count; ++i) {
        sizes.push_back(driver.bulkGetNthSize(bulk, i));
    }
    driver.bulkReset(bulk);
    return sizes;
}

// ---- DriverTest ----------------------------------------------------------------------

void DriverTest::SetUp() {
    std::string error;
    m_driver = LoadDriver(&error);
    ASSERT_NE(nullptr, m_driver) << error;
    ASSERT_TRUE(m_settings.IsReady())
        << "cannot set the values of HKCU\\" << kSettingsKey << " aside";
}

void DriverTest::TearDown() {
    for (DWORD camera : m_openCameras) {
        m_driver->reset(camera);
    }
}

void DriverTest::UseCamera(const std::string& folder) {
    ASSERT_TRUE(m_settings.SetString("CameraFolder", folder)) << "cannot set CameraFolder";
}

DWORD DriverTest::OpenCamera(DownloadRecorder* recorder) {
    DWORD camera = recorder == nullptr
                       ? D().init(nullptr, nullptr, nullptr, nullptr, nullptr)
                       : D().init(DownloadRecorder::OnFileName, DownloadRecorder::OnFileDone,
                                  recorder, GetModuleHandleA(nullptr), nullptr);
    if (camera != 0) {
        m_openCameras.push_back(camera);
    }
    return camera;
}

// ---- DownloadRecorder ----------------------------------------------------------------

std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

std::string NameEvent(int kind) {
    return "name " + std::to_string(kind);
}

std::string DoneEvent(DWORD status) {
    return "done " + Hex(status);
}

std::string DownloadRecorder::PathFor(int number, int kind) const {
    char name[32];
    std::snprintf(name, sizeof(name), "%03d.%s", number, kind == KCAM_KIND_VIDEO ? "avi" : "jpg");
    return outputFolder + "\\" + name;
}

void WINAPI DownloadRecorder::OnFileName(void* context, int kind, char* path, DWORD* abortFlag,
                                         DWORD reserved) {
    auto* self = static_cast<DownloadRecorder*>(context);
    int number = static_cast<int>(self->paths.size()) + 1;
    self->events.push_back(NameEvent(kind));
    if (std::count(path, path + KCAM_PATH_BYTES, '\0') != KCAM_PATH_BYTES) {
        self->breaches.push_back("file " + std::to_string(number) + ": path buffer not zeroed");
    }
    if (*abortFlag != 0) {
        self->breaches.push_back("file " + std::to_string(number) + ": abort flag not cleared");
    }
    if (reserved != 0) {
        self->breaches.push_back("file " + std::to_string(number) + ": reserved " + Hex(reserved));
    }
    if (number == self->unterminatedPathAt) {
        std::memset(path, 'x', KCAM_PATH_BYTES);
        self->paths.push_back(std::string(KCAM_PATH_BYTES, 'x'));
        return;
    }
    std::string target;
    if (number == self->overridePathAt) {
        target = self->overridePath;
    } else if (number != self->emptyPathAt) {
        target = self->PathFor(number, kind);
    }
    std::strncpy(path, target.c_str(), KCAM_PATH_BYTES - 1);
    self->paths.push_back(target);
    if (number == self->abortAtName) {
        *abortFlag = 1;
    }
}

void WINAPI DownloadRecorder::OnFileDone(void* context, DWORD status, DWORD reserved,
                                         DWORD* abortFlag) {
    auto* self = static_cast<DownloadRecorder*>(context);
    self->events.push_back(DoneEvent(status));
    int number = static_cast<int>(
        std::count_if(self->events.begin(), self->events.end(),
                      [](const std::string& event) { return event.rfind("done", 0) == 0; }));
    if (reserved != 0) {
        self->breaches.push_back("done " + std::to_string(number) + ": reserved " + Hex(reserved));
    }
    if (number == self->abortAtDone) {
        *abortFlag = 1;
    }
}

} // namespace kestrel_test
