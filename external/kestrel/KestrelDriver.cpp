// The Kestrel camera driver stand-in. The camera is a folder: its JPEG stills and AVI clips
// are the camera's memory. The folder is the CameraFolder setting, or without one the DCIM
// folder of a card in a card reader. One source builds camlnk1.dll, camlnk2.dll and
// camldr2.dll; their .def files choose what each exports.
#include "KestrelCamera.h"
#include "ItemCopy.h"
#include "JpegSize.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace {

using kestrel::FileHandle;
using kestrel::ReadAhead;

const char kSettingsKey[] = "Software\\Orvex\\Kestrel Camera Driver";
const DWORD kDefaultCapacityMB = 128;
// Sleep(INFINITE) would hang the download for good; a minute per file is slow enough.
const DWORD kMaxFileDelayMs = 60000;
// Deeper trees are not a camera's; the bound also stops a loop of folder links.
const int kMaxFolderDepth = 32;

const DWORD kOk = 0;
const DWORD kFail = static_cast<DWORD>(E_FAIL);
const DWORD kAbort = static_cast<DWORD>(E_ABORT);
const DWORD kBadPointer = static_cast<DWORD>(E_POINTER);
const DWORD kBadHandle = static_cast<DWORD>(E_HANDLE);

// ---- small helpers -------------------------------------------------------------------

char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(const std::string& a, const char* b) {
    size_t length = std::strlen(b);
    if (a.size() != length) {
        return false;
    }
    for (size_t i = 0; i < length; ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) {
            return false;
        }
    }
    return true;
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    size_t length = std::strlen(prefix);
    return text.size() >= length && EqualsNoCase(text.substr(0, length), prefix);
}

// Case-insensitive order in which the folder separator ranks first, so that a folder's
// subfolders follow it directly ("A", "A\B", "A-B").
int ComparePaths(const std::string& a, const std::string& b) {
    size_t length = std::min(a.size(), b.size());
    for (size_t i = 0; i < length; ++i) {
        unsigned char x = a[i] == '\\' ? 1 : static_cast<unsigned char>(FoldCase(a[i]));
        unsigned char y = b[i] == '\\' ? 1 : static_cast<unsigned char>(FoldCase(b[i]));
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    if (folder.back() == '\\' || folder.back() == '/') {
        return folder + name;
    }
    return folder + "\\" + name;
}

std::string Extension(const std::string& name) {
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

ULONGLONG FileSize(const WIN32_FIND_DATAA& data) {
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Ends a FindFirstFile search when it goes out of scope.
class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : m_handle(handle) {}
    ~FindHandle() {
        if (m_handle != INVALID_HANDLE_VALUE) {
            FindClose(m_handle);
        }
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

// ---- settings ------------------------------------------------------------------------

struct Settings {
    std::string cameraFolder; // full path; empty when no camera is attached
    ULONGLONG capacityBytes = static_cast<ULONGLONG>(kDefaultCapacityMB) << 20;
    DWORD failAtFile = 0;
    DWORD fileDelayMs = 0;
    bool initFails = false;
    bool bulkInitFails = false;
    bool freeMemoryFails = false;
};

// The driver's key, opened for reading; a missing key reads as all defaults.
class SettingsKey {
public:
    SettingsKey() {
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, &m_key) !=
            ERROR_SUCCESS) {
            m_key = nullptr;
        }
    }
    ~SettingsKey() {
        if (m_key != nullptr) {
            RegCloseKey(m_key);
        }
    }
    SettingsKey(const SettingsKey&) = delete;
    SettingsKey& operator=(const SettingsKey&) = delete;

    // A value that is missing or not a DWORD reads as the fallback.
    DWORD ReadDword(const char* name, DWORD fallback) const {
        if (m_key == nullptr) {
            return fallback;
        }
        DWORD type = 0;
        DWORD value = 0;
        DWORD size = sizeof(value);
        if (RegQueryValueExA(m_key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
                ERROR_SUCCESS ||
            type != REG_DWORD || size != sizeof(value)) {
            return fallback;
        }
        return value;
    }

    // A value that is missing or not a REG_SZ reads as empty.
    std::string ReadString(const char* name) const {
        if (m_key == nullptr) {
            return std::string();
        }
        // Retried because another process may grow the value between the two queries.
        for (int attempt = 0; attempt < 3; ++attempt) {
            DWORD type = 0;
            DWORD size = 0;
            if (RegQueryValueExA(m_key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
                type != REG_SZ) {
                return std::string();
            }
            std::string buffer(size + 1, '\0');
            LONG result = RegQueryValueExA(m_key, name, nullptr, &type,
                                           reinterpret_cast<BYTE*>(&buffer[0]), &size);
            if (result == ERROR_MORE_DATA) {
                continue;
            }
            if (result != ERROR_SUCCESS || type != REG_SZ) {
                return std::string();
            }
            buffer.resize(std::strlen(buffer.c_str()));
            return buffer;
        }
        return std::string();
    }

private:
    HKEY m_key = nullptr;
};

// The folder as a full path when it names an existing directory, else empty.
std::string ResolveCameraFolder(const std::string& folder) {
    if (folder.empty()) {
        return std::string();
    }
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(folder.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) {
        return std::string();
    }
    DWORD attributes = GetFileAttributesA(full);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::string();
    }
    return full;
}

// The DCIM folder of the first removable drive, A: to Z:, that holds one (a card in a card
// reader, or a camera that shows up as a drive); empty when none does. Critical-error boxes
// are off while the drives are asked, so that an empty reader answers "not ready" instead of
// asking the user for a disk.
std::string FindCardFolder() {
    DWORD previousMode = 0;
    const bool modeSet =
        SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode) != FALSE;
    const DWORD drives = GetLogicalDrives();
    std::string folder;
    for (int letter = 0; letter < 26 && folder.empty(); ++letter) {
        if ((drives & (1u << letter)) == 0) {
            continue;
        }
        const char root[] = {static_cast<char>('A' + letter), ':', '\\', '\0'};
        if (GetDriveTypeA(root) == DRIVE_REMOVABLE) {
            folder = ResolveCameraFolder(std::string(root) + "DCIM");
        }
    }
    if (modeSet) {
        SetThreadErrorMode(previousMode, nullptr);
    }
    return folder;
}

// Read at every Init, so that a test or a user can change the camera between two opens, and
// a card put into a reader is found at the next one. A CameraFolder that is set but names no
// folder means no camera, even with a card in a reader.
Settings ReadSettings() {
    SettingsKey key;
    Settings settings;
    const std::string cameraFolder = key.ReadString("CameraFolder");
    settings.cameraFolder =
        cameraFolder.empty() ? FindCardFolder() : ResolveCameraFolder(cameraFolder);
    DWORD capacityMB = key.ReadDword("CapacityMB", kDefaultCapacityMB);
    if (capacityMB == 0) {
        capacityMB = kDefaultCapacityMB;
    }
    settings.capacityBytes = static_cast<ULONGLONG>(capacityMB) << 20;
    settings.failAtFile = key.ReadDword("FailAtFile", 0);
    settings.fileDelayMs = std::min(key.ReadDword("FileDelayMs", 0), kMaxFileDelayMs);
    settings.initFails = key.ReadDword("InitFails", 0) != 0;
    settings.bulkInitFails = key.ReadDword("BulkInitFails", 0) != 0;
    settings.freeMemoryFails = key.ReadDword("FreeMemoryFails", 0) != 0;
    return settings;
}

// ---- the camera's memory -------------------------------------------------------------

struct Item {
    std::string folder; // relative to the camera folder; empty at its top
    std::string name;
    std::string path; // full path
    ULONGLONG size = 0;
    int kind = KCAM_KIND_HQ;
};

struct Contents {
    std::vector<Item> items;
    ULONGLONG usedBytes = 0; // every file, items or not
};

bool IsItemName(const std::string& name) {
    std::string extension = Extension(name);
    return EqualsNoCase(extension, "jpg") || EqualsNoCase(extension, "jpeg") ||
           EqualsNoCase(extension, "avi");
}

// Walks one folder and its subfolders. Folder links are not followed; a subfolder that
// cannot be listed is skipped, as a camera skips what it cannot read.
void ScanFolder(const std::string& root, const std::string& relative, int depth,
                Contents& contents) {
    std::string folder = relative.empty() ? root : JoinPath(root, relative);
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA(JoinPath(folder, "*").c_str(), &data));
    if (!find.IsValid()) {
        return;
    }
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") {
            continue;
        }
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                depth < kMaxFolderDepth) {
                ScanFolder(root, JoinPath(relative, name), depth + 1, contents);
            }
            continue;
        }
        contents.usedBytes += FileSize(data);
        if (!IsItemName(name)) {
            continue;
        }
        Item item;
        item.folder = relative;
        item.name = name;
        item.path = JoinPath(folder, name);
        item.size = FileSize(data);
        contents.items.push_back(std::move(item));
    } while (FindNextFileA(find.Get(), &data));
}

// The camera's contents in the camera's order: folder by folder, then by file name.
Contents ScanCamera(const std::string& root) {
    Contents contents;
    ScanFolder(root, std::string(), 0, contents);
    std::stable_sort(contents.items.begin(), contents.items.end(),
                     [](const Item& a, const Item& b) {
                         int byFolder = ComparePaths(a.folder, b.folder);
                         if (byFolder != 0) {
                             return byFolder < 0;
                         }
                         return ComparePaths(a.name, b.name) < 0;
                     });
    return contents;
}

// Reads a file front to back through a small buffer; every read is bounded by the file.
class FileSource : public kestrel::CByteSource {
public:
    explicit FileSource(HANDLE file) : m_file(file) {}

    bool ReadByte(uint8_t& byte) override {
        if (m_next == m_end && !Fill()) {
            return false;
        }
        byte = m_buffer[m_next++];
        return true;
    }

    bool Skip(uint32_t count) override {
        DWORD buffered = m_end - m_next;
        if (count <= buffered) {
            m_next += count;
            return true;
        }
        LARGE_INTEGER distance;
        distance.QuadPart = count - buffered;
        m_next = m_end = 0;
        return SetFilePointerEx(m_file, distance, nullptr, FILE_CURRENT) != FALSE;
    }

private:
    bool Fill() {
        DWORD read = 0;
        if (!ReadFile(m_file, m_buffer, sizeof(m_buffer), &read, nullptr) || read == 0) {
            return false;
        }
        m_next = 0;
        m_end = read;
        return true;
    }

    HANDLE m_file;
    BYTE m_buffer[4096];
    DWORD m_next = 0;
    DWORD m_end = 0;
};

// The picture size of a still; false when it cannot be read (see JpegSize.h).
bool ReadJpegSize(const std::string& path, DWORD& width, DWORD& height) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) {
        return false;
    }
    FileSource source(file.Get());
    uint32_t w = 0;
    uint32_t h = 0;
    if (!kestrel::ReadJpegSize(source, w, h)) {
        return false;
    }
    width = w;
    height = h;
    return true;
}

int KindOf(const Item& item) {
    if (EqualsNoCase(Extension(item.name), "avi")) {
        return KCAM_KIND_VIDEO;
    }
    if (StartsWithNoCase(item.name, "burst")) {
        return KCAM_KIND_BURST;
    }
    DWORD width = 0;
    DWORD height = 0;
    if (!ReadJpegSize(item.path, width, height)) {
        return KCAM_KIND_HQ;
    }
    DWORD longSide = std::max(width, height);
    DWORD shortSide = std::min(width, height);
    if (longSide <= 640 && shortSide <= 480) {
        return KCAM_KIND_LQ;
    }
    if (longSide <= 1280 && shortSide <= 1024) {
        return KCAM_KIND_HQ;
    }
    return KCAM_KIND_XGA;
}

DWORD FreePercent(ULONGLONG usedBytes, ULONGLONG capacityBytes) {
    if (usedBytes >= capacityBytes) {
        return 0;
    }
    return static_cast<DWORD>((capacityBytes - usedBytes) * 100 / capacityBytes);
}

// ---- download ------------------------------------------------------------------------

// ---- sessions ------------------------------------------------------------------------

struct BulkSession {
    std::vector<DWORD> sizes;
};

// What KCAMAPI_Init saw; never changed afterwards, so a download can run without the lock.
struct CameraSession {
    KCAM_FILE_NAME_CALLBACK fileName = nullptr;
    KCAM_FILE_DONE_CALLBACK fileDone = nullptr;
    void* context = nullptr;
    std::string folder;
    std::vector<Item> items;
    ULONGLONG usedBytes = 0;
    ULONGLONG capacityBytes = 0;
    bool freeMemoryFails = false;
};

// Holds a critical section for one scope.
class ScopedLock {
public:
    explicit ScopedLock(CRITICAL_SECTION& section) : m_section(section) {
        EnterCriticalSection(&m_section);
    }
    ~ScopedLock() { LeaveCriticalSection(&m_section); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    CRITICAL_SECTION& m_section;
};

// The open bulk and camera handles of this process. Handles come from one counter, so a
// handle of one sort is never valid as the other.
class SessionTable {
public:
    SessionTable() { InitializeCriticalSection(&m_lock); }
    ~SessionTable() { DeleteCriticalSection(&m_lock); }
    SessionTable(const SessionTable&) = delete;
    SessionTable& operator=(const SessionTable&) = delete;

    DWORD AddBulk(std::shared_ptr<const BulkSession> session) {
        ScopedLock lock(m_lock);
        DWORD handle = NextHandle();
        m_bulk[handle] = std::move(session);
        return handle;
    }
    DWORD AddCamera(std::shared_ptr<const CameraSession> session) {
        ScopedLock lock(m_lock);
        DWORD handle = NextHandle();
        m_cameras[handle] = std::move(session);
        return handle;
    }
    std::shared_ptr<const BulkSession> FindBulk(DWORD handle) { return Find(m_bulk, handle); }
    std::shared_ptr<const CameraSession> FindCamera(DWORD handle) {
        return Find(m_cameras, handle);
    }
    bool RemoveBulk(DWORD handle) { return Remove(m_bulk, handle); }
    bool RemoveCamera(DWORD handle) { return Remove(m_cameras, handle); }

private:
    // Called with the lock held.
    DWORD NextHandle() {
        do {
            ++m_lastHandle;
        } while (m_lastHandle == 0 || m_bulk.count(m_lastHandle) != 0 ||
                 m_cameras.count(m_lastHandle) != 0);
        return m_lastHandle;
    }

    template <typename Session>
    std::shared_ptr<const Session>
    Find(const std::map<DWORD, std::shared_ptr<const Session>>& sessions, DWORD handle) {
        ScopedLock lock(m_lock);
        auto found = sessions.find(handle);
        return found == sessions.end() ? nullptr : found->second;
    }

    template <typename Session>
    bool Remove(std::map<DWORD, std::shared_ptr<const Session>>& sessions, DWORD handle) {
        ScopedLock lock(m_lock);
        return sessions.erase(handle) != 0;
    }

    CRITICAL_SECTION m_lock;
    DWORD m_lastHandle = 0;
    std::map<DWORD, std::shared_ptr<const BulkSession>> m_bulk;
    std::map<DWORD, std::shared_ptr<const CameraSession>> m_cameras;
};

SessionTable g_sessions;

// Runs an export's body; nothing thrown inside (only a failed allocation can throw) may
// cross into the caller, which is C.
template <typename Body> DWORD Guarded(DWORD failure, Body body) {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

DWORD CountKind(DWORD camera, DWORD* value, int kind) {
    return Guarded(kFail, [&] {
        std::shared_ptr<const CameraSession> session = g_sessions.FindCamera(camera);
        if (!session) {
            return kBadHandle;
        }
        if (value == nullptr) {
            return kBadPointer;
        }
        *value = static_cast<DWORD>(
            std::count_if(session->items.begin(), session->items.end(),
                          [kind](const Item& item) { return item.kind == kind; }));
        return kOk;
    });
}

// One file of a download: steps as KCAMAPI_Download describes them. `failAtFile` counts
// from 1 (0: none). Once a file is in place, the next ones are queued to be read ahead into
// its folder, up to the file that is to break, which is always copied when it is named.
DWORD DownloadItem(const CameraSession& session, size_t index, size_t failAtFile,
                   DWORD delayMs, ReadAhead& readAhead) {
    const Item& item = session.items[index];
    char path[KCAM_PATH_BYTES] = {};
    DWORD abortFlag = 0;
    session.fileName(session.context, item.kind, path, &abortFlag, 0);
    if (abortFlag != 0) {
        return kAbort;
    }
    bool named = path[0] != '\0' && std::memchr(path, '\0', sizeof(path)) != nullptr;
    if (named && delayMs != 0) {
        Sleep(delayMs);
    }
    char full[MAX_PATH];
    std::string folder;
    bool copied = false;
    if (named && kestrel::SplitTarget(path, full, folder)) {
        copied = readAhead.Take(item.path, full, folder) ||
                 kestrel::CopyItem(item.path, full, folder, index + 1 == failAtFile);
    }
    if (copied) {
        // The queue holds the items right after this one.
        for (size_t next = index + 1 + readAhead.Pending();
             next < session.items.size() && next + 1 != failAtFile &&
             readAhead.Queue(session.items[next].path, folder);
             ++next) {
        }
    }
    session.fileDone(session.context, copied ? kOk : kFail, 0, &abortFlag);
    if (!copied) {
        return kFail;
    }
    return abortFlag != 0 ? kAbort : kOk;
}

} // namespace

extern "C" {

// Lists the items' sizes. An absent camera still gives a handle (with no items): the
// program probes the single library with this call.
DWORD WINAPI BULK_Init(DWORD reserved) {
    return Guarded(0, [] {
        Settings settings = ReadSettings();
        if (settings.bulkInitFails) {
            return DWORD(0);
        }
        auto session = std::make_shared<BulkSession>();
        if (!settings.cameraFolder.empty()) {
            for (const Item& item : ScanCamera(settings.cameraFolder).items) {
                session->sizes.push_back(
                    static_cast<DWORD>(std::min<ULONGLONG>(item.size, 0xFFFFFFFFULL)));
            }
        }
        return g_sessions.AddBulk(std::move(session));
    });
}

DWORD WINAPI BULK_Reset(DWORD bulk) {
    return Guarded(kFail, [&] { return g_sessions.RemoveBulk(bulk) ? kOk : kBadHandle; });
}

DWORD WINAPI BULK_GetImgCount(DWORD bulk) {
    return Guarded(0, [&] {
        std::shared_ptr<const BulkSession> session = g_sessions.FindBulk(bulk);
        return session ? static_cast<DWORD>(session->sizes.size()) : DWORD(0);
    });
}

DWORD WINAPI BULK_GetNthSize(DWORD bulk, DWORD index) {
    return Guarded(0, [&] {
        std::shared_ptr<const BulkSession> session = g_sessions.FindBulk(bulk);
        if (!session || index >= session->sizes.size()) {
            return DWORD(0);
        }
        return session->sizes[index];
    });
}

// Opens the camera: takes the snapshot of its items, kinds and used bytes that this handle
// works on. The instance and window handles are not needed here.
DWORD WINAPI KCAMAPI_Init(KCAM_FILE_NAME_CALLBACK fileName, KCAM_FILE_DONE_CALLBACK fileDone,
                          void* context, HINSTANCE instance, HWND window) {
    return Guarded(0, [&] {
        Settings settings = ReadSettings();
        if (settings.initFails || settings.cameraFolder.empty()) {
            return DWORD(0);
        }
        auto session = std::make_shared<CameraSession>();
        session->fileName = fileName;
        session->fileDone = fileDone;
        session->context = context;
        session->folder = settings.cameraFolder;
        Contents contents = ScanCamera(settings.cameraFolder);
        for (Item& item : contents.items) {
            item.kind = KindOf(item);
        }
        session->items = std::move(contents.items);
        session->usedBytes = contents.usedBytes;
        session->capacityBytes = settings.capacityBytes;
        session->freeMemoryFails = settings.freeMemoryFails;
        return g_sessions.AddCamera(std::move(session));
    });
}

DWORD WINAPI KCAMAPI_Reset(DWORD camera) {
    return Guarded(kFail, [&] { return g_sessions.RemoveCamera(camera) ? kOk : kBadHandle; });
}

// Copies every item, in order, to the paths the name callback gives. FailAtFile, FileDelayMs
// and FinishDelayMs (a pause after the last file, before the call returns, as a camera
// closing its transfer takes) are read here so that a test can set them after the camera
// was opened.
DWORD WINAPI KCAMAPI_Download(DWORD camera) {
    return Guarded(kFail, [&] {
        std::shared_ptr<const CameraSession> session = g_sessions.FindCamera(camera);
        if (!session) {
            return kBadHandle;
        }
        if (session->fileName == nullptr || session->fileDone == nullptr) {
            return kBadPointer;
        }
        SettingsKey key;
        DWORD failAtFile = key.ReadDword("FailAtFile", 0);
        DWORD delayMs = std::min(key.ReadDword("FileDelayMs", 0), kMaxFileDelayMs);
        ReadAhead readAhead;
        for (size_t i = 0; i < session->items.size(); ++i) {
            DWORD status = DownloadItem(*session, i, failAtFile, delayMs, readAhead);
            if (status != kOk) {
                return status;
            }
        }
        Sleep(std::min(key.ReadDword("FinishDelayMs", 0), kMaxFileDelayMs));
        return kOk;
    });
}

// Erases the camera's memory as it is now (not as it was at Init): every item file goes,
// other files and the folders stay.
DWORD WINAPI KCAMAPI_ClearCamera(DWORD camera) {
    return Guarded(kFail, [&] {
        std::shared_ptr<const CameraSession> session = g_sessions.FindCamera(camera);
        if (!session) {
            return kBadHandle;
        }
        if (ResolveCameraFolder(session->folder).empty()) {
            return kFail;
        }
        bool allDeleted = true;
        for (const Item& item : ScanCamera(session->folder).items) {
            if (!DeleteFileA(item.path.c_str())) {
                allDeleted = false;
            }
        }
        return allDeleted ? kOk : kFail;
    });
}

DWORD WINAPI KCAMAPI_GetNumLQImg(DWORD camera, DWORD* value) {
    return CountKind(camera, value, KCAM_KIND_LQ);
}

DWORD WINAPI KCAMAPI_GetNumHQImg(DWORD camera, DWORD* value) {
    return CountKind(camera, value, KCAM_KIND_HQ);
}

DWORD WINAPI KCAMAPI_GetNumXGAImg(DWORD camera, DWORD* value) {
    return CountKind(camera, value, KCAM_KIND_XGA);
}

DWORD WINAPI KCAMAPI_GetNumVdoClip(DWORD camera, DWORD* value) {
    return CountKind(camera, value, KCAM_KIND_VIDEO);
}

DWORD WINAPI KCAMAPI_GetNumBurst(DWORD camera, DWORD* value) {
    return CountKind(camera, value, KCAM_KIND_BURST);
}

// Free memory in percent of CapacityMB, from the bytes of every file in the folder when
// the camera was opened.
DWORD WINAPI KCAMAPI_GetFreeMemory(DWORD camera, DWORD* value) {
    return Guarded(kFail, [&] {
        std::shared_ptr<const CameraSession> session = g_sessions.FindCamera(camera);
        if (!session) {
            return kBadHandle;
        }
        if (value == nullptr) {
            return kBadPointer;
        }
        if (session->freeMemoryFails) {
            return kFail;
        }
        *value = FreePercent(session->usedBytes, session->capacityBytes);
        return kOk;
    });
}

} // extern "C"
