#include "KestrelTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <type_traits>

namespace kestrel_test {

namespace {

const char kSettingsParent[] = "Software\\Orvex";
const char kSettingsKey[] = "Software\\Orvex\\Kestrel Camera Driver";

bool KeyExists(const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// Names of the values of a key, read before any is deleted.
std::vector<std::string> ValueNames(HKEY key) {
    std::vector<std::string> names;
    for (DWORD index = 0;; ++index) {
        char name[16384];
        DWORD length = sizeof(name);
        if (RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, length);
    }
    return names;
}

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            std::string path = folder + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

void AppendSegment(std::string& bytes, BYTE marker, const std::string& payload) {
    size_t length = payload.size() + 2;
    bytes += '\xFF';
    bytes += static_cast<char>(marker);
    bytes += static_cast<char>((length >> 8) & 0xFF);
    bytes += static_cast<char>(length & 0xFF);
    bytes += payload;
}

} // namespace

std::string ExeFolder() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return std::string();
    }
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

const Driver* LoadDriver(std::string* error) {
    static Driver driver;
    static bool loaded = false;
    if (loaded) {
        return &driver;
    }
    std::string path = ExeFolder() + "camlnk1.dll";
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

std::string ToString(const Counts& counts) {
    return "video " + std::to_string(counts.video) + ", LQ " + std::to_string(counts.lq) + ", HQ " +
           std::to_string(counts.hq) + ", XGA " + std::to_string(counts.xga) + ", burst " +
           std::to_string(counts.burst);
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
    ASSERT_TRUE(m_settings.IsReady()) << "cannot open HKCU\\" << kSettingsKey;
    ASSERT_TRUE(m_settings.Clear()) << "cannot clear HKCU\\" << kSettingsKey;
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

// ---- DriverSettings ------------------------------------------------------------------

DriverSettings::DriverSettings() {
    m_createdParent = !KeyExists(kSettingsParent);
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, &m_key, &disposition) != ERROR_SUCCESS) {
        m_key = nullptr;
        return;
    }
    m_createdKey = disposition == REG_CREATED_NEW_KEY;
    for (const std::string& name : ValueNames(m_key)) {
        Value value;
        value.name = name;
        DWORD size = 0;
        if (RegQueryValueExA(m_key, name.c_str(), nullptr, &value.type, nullptr, &size) !=
            ERROR_SUCCESS) {
            continue;
        }
        value.data.resize(size);
        if (RegQueryValueExA(m_key, name.c_str(), nullptr, &value.type,
                             value.data.empty() ? nullptr : value.data.data(),
                             &size) != ERROR_SUCCESS) {
            continue;
        }
        value.data.resize(size);
        m_saved.push_back(std::move(value));
    }
}

DriverSettings::~DriverSettings() {
    if (m_key == nullptr) {
        return;
    }
    Clear();
    for (const Value& value : m_saved) {
        RegSetValueExA(m_key, value.name.c_str(), 0, value.type,
                       value.data.empty() ? nullptr : value.data.data(),
                       static_cast<DWORD>(value.data.size()));
    }
    RegCloseKey(m_key);
    if (m_createdKey) {
        RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
    }
    if (m_createdParent) {
        // Fails, as it should, when someone else put something there meanwhile.
        RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsParent);
    }
}

bool DriverSettings::Clear() {
    bool cleared = true;
    for (const std::string& name : ValueNames(m_key)) {
        if (RegDeleteValueA(m_key, name.c_str()) != ERROR_SUCCESS) {
            cleared = false;
        }
    }
    return cleared;
}

bool DriverSettings::SetString(const char* name, const std::string& value) {
    return RegSetValueExA(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool DriverSettings::SetDword(const char* name, DWORD value) {
    return RegSetValueExA(m_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value)) == ERROR_SUCCESS;
}

// ---- files ---------------------------------------------------------------------------

ScratchFolder::ScratchFolder(const char* tag) {
    static int serial = 0;
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH) {
        return;
    }
    std::string path = std::string(temp) + "kestrel-" + tag + "-" +
                       std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    RemoveTree(path);
    if (!CreateDirectoryA(path.c_str(), nullptr)) {
        return;
    }
    m_path = path;
}

ScratchFolder::~ScratchFolder() {
    if (!m_path.empty()) {
        RemoveTree(m_path);
    }
}

std::string ScratchFolder::PathOf(const std::string& relative) const {
    return m_path + "\\" + relative;
}

bool ScratchFolder::MakeFolder(const std::string& relative) const {
    for (size_t separator = relative.find('\\'); separator != std::string::npos;
         separator = relative.find('\\', separator + 1)) {
        CreateDirectoryA(PathOf(relative.substr(0, separator)).c_str(), nullptr);
    }
    std::string path = PathOf(relative);
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool ScratchFolder::WriteFile(const std::string& relative, const std::string& bytes) const {
    size_t separator = relative.find_last_of('\\');
    if (separator != std::string::npos && !MakeFolder(relative.substr(0, separator))) {
        return false;
    }
    HANDLE file = CreateFileA(PathOf(relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    BOOL wrote = bytes.empty() || ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                              &written, nullptr);
    BOOL closed = CloseHandle(file);
    return wrote && closed && written == bytes.size();
}

std::string JpegBytes(WORD width, WORD height, size_t padding) {
    std::string bytes = "\xFF\xD8";
    AppendSegment(bytes, 0xE0, std::string("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14));
    std::string frame;
    frame += '\x08';
    frame += static_cast<char>(height >> 8);
    frame += static_cast<char>(height & 0xFF);
    frame += static_cast<char>(width >> 8);
    frame += static_cast<char>(width & 0xFF);
    frame += std::string("\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01", 10);
    AppendSegment(bytes, 0xC0, frame);
    while (padding > 0) {
        size_t chunk = std::min<size_t>(padding, 65000);
        AppendSegment(bytes, 0xFE, std::string(chunk, 'p'));
        padding -= chunk;
    }
    bytes += "\xFF\xD9";
    return bytes;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bytes.clear();
    char buffer[65536];
    DWORD read = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof(buffer), &read, nullptr) != FALSE) && read > 0) {
        bytes.append(buffer, read);
    }
    CloseHandle(file);
    return ok;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            names.emplace_back(data.cFileName);
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
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
