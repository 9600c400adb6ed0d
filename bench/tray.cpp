// How fast the camera download and the thumbnail tray are, on camera contents made here.
//
// Two sets of 4000x3000 stills: A, 200 with an EXIF block holding a 160x120 preview (as a
// camera writes them), and B, 50 without one, which the tray must decode in full. For each
// set it prints one line per figure:
//   copy        CopyFileA of the same files into a scratch folder: the yardstick;
//   download    the program's own code: a CCameraConnection downloading on a worker thread,
//               each finished file added to a real thumbnail tray (the SlideTray component
//               hosted with CreateControl) while the UI thread pumps messages, as the main
//               window and its download dialog do; then the time from the start of the
//               download, and from the last file written, to the last thumbnail drawn;
//   thumbnail   MakeThumbnail, the tray's own engine, called directly on every file;
//   decode      a plain WIC decode of one whole picture to 32-bpp BGR.
// MB are 10^6 bytes. The figures depend on the machine; nothing here passes or fails.
//
// The camera and download folders are made under the temp path and removed at the end. The
// driver's CameraFolder, CapacityMB, FileDelayMs and FailAtFile, the program's TempDirectory
// and the tray's class registration are put back as they were. Needs a display (the tray is
// a window), SlideTray.dll, camlnk1.dll and Vantix2.dll beside the executable, and about
// 1.5 GB of free disk; it takes a minute or less. Run it from the checkout:
//   scripts/wine-env wine build/bin/bench_tray.exe
#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <wincodec.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "camera/CameraConnection.h"
#include "camera/CameraDriver.h"
#include "camera/DownloadProgressSink.h"
#include "external/slidetray/SlideTrayControl.h"
#include "external/slidetray/ThumbnailMaker.h"
#include "external/slidetray/TrayLayout.h"
#include "framework/Exception.h"
#include "framework/WinThread.h"
#include "controls/SlideTray.h"

namespace {

constexpr int kPictureWidth = 4000;
constexpr int kPictureHeight = 3000;
constexpr int kPreviewWidth = 160;
constexpr int kPreviewHeight = 120;
// Distinct pictures; the camera files repeat them under their own names.
constexpr int kDistinctPictures = 4;
constexpr int kDecodeRuns = 5;
// Past this the download is called off and the figure reported as missing.
constexpr DWORD kThumbnailTimeoutMs = 300000;
// Where the program's main window puts its tray, in its client area.
const RECT kTrayRect = {24, 103, 555, 327};

const char kDriverKey[] = "Software\\Orvex\\Kestrel Camera Driver";
const char kPropertiesKey[] = "SOFTWARE\\Orvex\\Lumora2\\LMShell\\Properties";

struct PictureSet {
    char name;
    int count;
    bool exif;
    int goalMs; // for the last thumbnail after the last file; 0 for none
};
const PictureSet kSets[] = {{'A', 200, true, 500}, {'B', 50, false, 0}};

// --- time and output ------------------------------------------------------------------------

LONGLONG Ticks() {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double Ms(LONGLONG from, LONGLONG to) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to - from) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Megabytes(ULONGLONG bytes) {
    return static_cast<double>(bytes) / 1e6;
}

double MegabytesPerSecond(ULONGLONG bytes, double ms) {
    return ms > 0.0 ? Megabytes(bytes) * 1000.0 / ms : 0.0;
}

// One figure: the set's letter, two spaces, the text.
void Figure(char set, const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    printf("%c  %s\n", set, text);
    fflush(stdout);
}

void Fail(const char* format, ...) {
    va_list args;
    va_start(args, format);
    fputs("bench_tray: ", stderr);
    vfprintf(stderr, format, args);
    fputc('\n', stderr);
    va_end(args);
}

// --- registry values set aside for the run --------------------------------------------------

// One registry value as found before the run; Restore puts it back, or removes it and the
// key it made when neither was there.
class CSavedValue {
public:
    CSavedValue(HKEY root, const std::string& key, const char* name)
        : m_root(root), m_key(key), m_name(name ? name : "") {
        HKEY handle = nullptr;
        if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) {
            return;
        }
        m_keyExisted = true;
        DWORD size = 0;
        if (::RegQueryValueExA(handle, ValueName(), nullptr, &m_type, nullptr, &size) ==
            ERROR_SUCCESS) {
            m_data.resize(size);
            m_valueExisted = ::RegQueryValueExA(handle, ValueName(), nullptr, &m_type,
                                                m_data.empty() ? nullptr : m_data.data(),
                                                &size) == ERROR_SUCCESS;
            m_data.resize(size);
        }
        ::RegCloseKey(handle);
    }

    void Restore() const {
        HKEY handle = nullptr;
        if (::RegOpenKeyExA(m_root, m_key.c_str(), 0, KEY_SET_VALUE | KEY_QUERY_VALUE, &handle) !=
            ERROR_SUCCESS) {
            return;
        }
        if (m_valueExisted) {
            ::RegSetValueExA(handle, ValueName(), 0, m_type,
                             m_data.empty() ? nullptr : m_data.data(),
                             static_cast<DWORD>(m_data.size()));
        } else {
            ::RegDeleteValueA(handle, ValueName());
        }
        DWORD subKeys = 1;
        DWORD values = 1;
        bool empty =
            ::RegQueryInfoKeyA(handle, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                               &values, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
            subKeys == 0 && values == 0;
        ::RegCloseKey(handle);
        if (!m_keyExisted && empty) {
            ::RegDeleteKeyA(m_root, m_key.c_str());
        }
    }

private:
    const char* ValueName() const { return m_name.empty() ? nullptr : m_name.c_str(); }

    HKEY m_root;
    std::string m_key;
    std::string m_name; // empty: the key's default value
    bool m_keyExisted = false;
    bool m_valueExisted = false;
    DWORD m_type = REG_NONE;
    std::vector<BYTE> m_data;
};

// The values the run changes, put back in reverse order when it ends, however it ends.
class CRegistrySnapshot {
public:
    CRegistrySnapshot() = default;
    ~CRegistrySnapshot() {
        for (auto value = m_values.rbegin(); value != m_values.rend(); ++value) {
            value->Restore();
        }
    }
    CRegistrySnapshot(const CRegistrySnapshot&) = delete;
    CRegistrySnapshot& operator=(const CRegistrySnapshot&) = delete;

    void Save(HKEY root, const std::string& key, const char* name) {
        m_values.emplace_back(root, key, name);
    }

private:
    std::vector<CSavedValue> m_values;
};

bool SetRegistryString(HKEY root, const char* key, const char* name, const std::string& value) {
    HKEY handle = nullptr;
    if (::RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    LONG status =
        ::RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>(value.size() + 1));
    ::RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

bool SetRegistryDword(HKEY root, const char* key, const char* name, DWORD value) {
    HKEY handle = nullptr;
    if (::RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    LONG status = ::RegSetValueExA(handle, name, 0, REG_DWORD,
                                   reinterpret_cast<const BYTE*>(&value), sizeof value);
    ::RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

std::string TrayClassKey() {
    wchar_t wide[64] = {};
    char narrow[64] = {};
    if (::StringFromGUID2(CLSID_SlideTray, wide, 64) == 0 ||
        ::WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr) == 0) {
        return std::string();
    }
    return std::string("Software\\Classes\\CLSID\\") + narrow;
}

// --- files ---------------------------------------------------------------------------------

std::string ExeFolder() {
    char path[MAX_PATH];
    DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        return std::string();
    }
    std::string folder(path, length);
    size_t slash = folder.find_last_of('\\');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

std::wstring Wide(const std::string& text) {
    int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (length <= 0) {
        return std::wstring();
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

bool MakeFolders(const std::string& path) {
    size_t start = path.size() > 2 && path[1] == ':' ? 3 : 0;
    for (size_t slash = path.find('\\', start);; slash = path.find('\\', slash + 1)) {
        std::string part = slash == std::string::npos ? path : path.substr(0, slash);
        if (!::CreateDirectoryA(part.c_str(), nullptr) &&
            ::GetLastError() != ERROR_ALREADY_EXISTS) {
            return false;
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}

// Deletes a folder and everything in it; false when something stayed.
bool RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    bool removed = true;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removed = RemoveTree(path) && removed;
            } else {
                ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                removed = ::DeleteFileA(path.c_str()) && removed;
            }
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    if (!::RemoveDirectoryA(folder.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
        removed = false;
    }
    return removed;
}

bool WriteWholeFile(const std::string& path, const std::vector<BYTE>& bytes) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    bool ok =
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    return ::CloseHandle(file) && ok;
}

// --- generated pictures --------------------------------------------------------------------

// Releases a COM interface at the end of a scope.
template <typename T> class CComRef {
public:
    CComRef() = default;
    ~CComRef() {
        if (m_p) {
            m_p->Release();
        }
    }
    CComRef(const CComRef&) = delete;
    CComRef& operator=(const CComRef&) = delete;
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    T** Out() { return &m_p; }

private:
    T* m_p = nullptr;
};

// A landscape of smooth gradients and a few shapes, 24-bpp BGR rows top down; `grain` adds
// sensor-like noise of that many levels either way, which gives the file a camera's size.
std::vector<BYTE> RenderPicture(int width, int height, int variant, int grain) {
    std::vector<BYTE> bgr(static_cast<size_t>(width) * height * 3);
    std::vector<int> horizon(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) {
        double u = static_cast<double>(x) / width;
        double v =
            0.58 + 0.07 * std::sin(u * 9.4 + variant) + 0.02 * std::sin(u * 37.0 + 2 * variant);
        horizon[static_cast<size_t>(x)] = static_cast<int>(v * height);
    }
    const double sunX = (0.72 - 0.12 * variant) * width;
    const double sunY = 0.2 * height;
    const double sunRadius = 0.06 * width;
    uint32_t random = 0x9E3779B9u + static_cast<uint32_t>(variant) * 7919u;
    for (int y = 0; y < height; ++y) {
        double v = static_cast<double>(y) / height;
        double field = 0.5 + 0.5 * std::sin(v * 90.0 + variant);
        BYTE* row = &bgr[static_cast<size_t>(y) * width * 3];
        for (int x = 0; x < width; ++x) {
            double r;
            double g;
            double b;
            if (y < horizon[static_cast<size_t>(x)]) {
                double t = v / 0.65;
                r = 40 + 20 * variant + 130 * t;
                g = 90 + 110 * t;
                b = 200 + 40 * t;
                double dx = x - sunX;
                double dy = y - sunY;
                if (dx * dx + dy * dy < sunRadius * sunRadius) {
                    r = 255;
                    g = 228;
                    b = 150;
                }
            } else {
                double t = (v - 0.5) * 2.0;
                r = 70 + 40 * field - 30 * t + 15 * variant;
                g = 120 + 30 * field - 40 * t;
                b = 40 + 10 * field;
            }
            // A few buildings in front of everything.
            int block = (x * 8) / width;
            if (block % 3 == variant % 3 && v > 0.45 - 0.04 * (block % 4) && v < 0.8) {
                r = 150 + 12 * block;
                g = 140 + 8 * block;
                b = 130;
            }
            int noise[3] = {0, 0, 0};
            if (grain > 0) {
                random ^= random << 13;
                random ^= random >> 17;
                random ^= random << 5;
                for (int c = 0; c < 3; ++c) {
                    noise[c] = static_cast<int>((random >> (c * 10)) % (2 * grain + 1)) - grain;
                }
            }
            const double channels[3] = {b, g, r};
            for (int c = 0; c < 3; ++c) {
                int value = static_cast<int>(channels[c]) + noise[c];
                row[x * 3 + c] = static_cast<BYTE>(std::min(255, std::max(0, value)));
            }
        }
    }
    return bgr;
}

// WIC's JPEG encoder on 24-bpp BGR rows; false on any failure.
bool EncodeJpeg(IWICImagingFactory* factory, const std::vector<BYTE>& bgr, int width, int height,
                std::vector<BYTE>* jpeg) {
    CComRef<IStream> stream;
    CComRef<IWICBitmapEncoder> encoder;
    CComRef<IWICBitmapFrameEncode> frame;
    CComRef<IPropertyBag2> options;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, stream.Out())) ||
        FAILED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, encoder.Out())) ||
        FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.Out(), options.Out()))) {
        return false;
    }
    // A camera's usual quality; an encoder without the option keeps its own.
    PROPBAG2 option = {};
    option.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
    VARIANT quality;
    ::VariantInit(&quality);
    V_VT(&quality) = VT_R4;
    V_R4(&quality) = 0.9f;
    if (options.Get()) {
        options->Write(1, &option, &quality);
    }
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    UINT stride = static_cast<UINT>(width) * 3;
    if (FAILED(frame->Initialize(options.Get())) || FAILED(frame->SetSize(width, height)) ||
        FAILED(frame->SetPixelFormat(&format)) ||
        !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) ||
        FAILED(frame->WritePixels(height, stride, static_cast<UINT>(bgr.size()),
                                  const_cast<BYTE*>(bgr.data()))) ||
        FAILED(frame->Commit()) || FAILED(encoder->Commit())) {
        return false;
    }
    STATSTG stat = {};
    HGLOBAL memory = nullptr;
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) ||
        FAILED(::GetHGlobalFromStream(stream.Get(), &memory))) {
        return false;
    }
    const void* bytes = ::GlobalLock(memory);
    if (!bytes || stat.cbSize.QuadPart < 4) {
        return false;
    }
    jpeg->assign(static_cast<const BYTE*>(bytes),
                 static_cast<const BYTE*>(bytes) + stat.cbSize.QuadPart);
    ::GlobalUnlock(memory);
    return (*jpeg)[0] == 0xFF && (*jpeg)[1] == 0xD8;
}

void PutU16(std::vector<BYTE>* out, unsigned value) {
    out->push_back(static_cast<BYTE>(value));
    out->push_back(static_cast<BYTE>(value >> 8));
}

void PutU32(std::vector<BYTE>* out, uint32_t value) {
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

// One little-endian directory entry holding a single SHORT (type 3) or LONG (type 4).
void PutEntry(std::vector<BYTE>* out, unsigned tag, unsigned type, uint32_t value) {
    PutU16(out, tag);
    PutU16(out, type);
    PutU32(out, 1);
    if (type == 3) {
        PutU16(out, value);
        PutU16(out, 0);
    } else {
        PutU32(out, value);
    }
}

// The picture with an APP1 "Exif" segment right after SOI: IFD0 says upright, IFD1 points at
// the JPEG preview. Empty when the preview does not fit a segment.
std::vector<BYTE> WithExif(const std::vector<BYTE>& jpeg, const std::vector<BYTE>& preview) {
    constexpr uint32_t kIfd0 = 8;
    constexpr uint32_t kIfd1 = kIfd0 + 2 + 1 * 12 + 4;
    constexpr uint32_t kPreviewAt = kIfd1 + 2 + 3 * 12 + 4;
    std::vector<BYTE> tiff = {'I', 'I'};
    PutU16(&tiff, 42);
    PutU32(&tiff, kIfd0);
    PutU16(&tiff, 1);
    PutEntry(&tiff, 0x0112, 3, 1); // Orientation: upright
    PutU32(&tiff, kIfd1);
    PutU16(&tiff, 3);
    PutEntry(&tiff, 0x0103, 3, 6); // Compression: JPEG
    PutEntry(&tiff, 0x0201, 4, kPreviewAt);
    PutEntry(&tiff, 0x0202, 4, static_cast<uint32_t>(preview.size()));
    PutU32(&tiff, 0);
    tiff.insert(tiff.end(), preview.begin(), preview.end());

    static const BYTE kSignature[6] = {'E', 'x', 'i', 'f', 0, 0};
    size_t length = 2 + sizeof kSignature + tiff.size();
    if (length > 0xFFFF || jpeg.size() < 2) {
        return std::vector<BYTE>();
    }
    std::vector<BYTE> file(jpeg.begin(), jpeg.begin() + 2);
    file.push_back(0xFF);
    file.push_back(0xE1);
    file.push_back(static_cast<BYTE>(length >> 8));
    file.push_back(static_cast<BYTE>(length));
    file.insert(file.end(), kSignature, kSignature + sizeof kSignature);
    file.insert(file.end(), tiff.begin(), tiff.end());
    file.insert(file.end(), jpeg.begin() + 2, jpeg.end());
    return file;
}

// The distinct camera files: each picture as a camera writes it (with EXIF) and without.
struct Pictures {
    std::vector<std::vector<BYTE>> withExif;
    std::vector<std::vector<BYTE>> plain;
};

bool MakePictures(IWICImagingFactory* factory, Pictures* pictures) {
    for (int variant = 0; variant < kDistinctPictures; ++variant) {
        std::vector<BYTE> full;
        std::vector<BYTE> preview;
        if (!EncodeJpeg(factory, RenderPicture(kPictureWidth, kPictureHeight, variant, 24),
                        kPictureWidth, kPictureHeight, &full) ||
            !EncodeJpeg(factory, RenderPicture(kPreviewWidth, kPreviewHeight, variant, 0),
                        kPreviewWidth, kPreviewHeight, &preview)) {
            Fail("WIC could not encode picture %d", variant);
            return false;
        }
        std::vector<BYTE> exif = WithExif(full, preview);
        if (exif.empty()) {
            Fail("the preview of picture %d does not fit an EXIF segment", variant);
            return false;
        }
        pictures->withExif.push_back(std::move(exif));
        pictures->plain.push_back(std::move(full));
    }
    return true;
}

// Fills a camera folder laid out like a card; the files' paths and their bytes in all.
bool FillCamera(const std::string& camera, const PictureSet& set, const Pictures& pictures,
                std::vector<std::string>* files, ULONGLONG* bytes) {
    std::string folder = camera + "\\DCIM\\100KSTRL";
    if (!MakeFolders(folder)) {
        Fail("cannot make %s", folder.c_str());
        return false;
    }
    const auto& sources = set.exif ? pictures.withExif : pictures.plain;
    *bytes = 0;
    for (int i = 0; i < set.count; ++i) {
        char name[32];
        snprintf(name, sizeof name, "\\KSTR%04d.JPG", i + 1);
        const std::vector<BYTE>& content = sources[static_cast<size_t>(i % kDistinctPictures)];
        files->push_back(folder + name);
        if (!WriteWholeFile(files->back(), content)) {
            Fail("cannot write %s", files->back().c_str());
            return false;
        }
        *bytes += content.size();
    }
    return true;
}

// --- the measurements ----------------------------------------------------------------------

void MeasureCopy(char set, const std::vector<std::string>& files, ULONGLONG bytes,
                 const std::string& target, double* ms) {
    *ms = 0.0;
    if (!MakeFolders(target)) {
        Fail("cannot make %s", target.c_str());
        return;
    }
    LONGLONG start = Ticks();
    for (const std::string& file : files) {
        std::string copy = target + file.substr(file.find_last_of('\\'));
        if (!::CopyFileA(file.c_str(), copy.c_str(), FALSE)) {
            Fail("CopyFileA %s failed with %lu", file.c_str(), ::GetLastError());
            RemoveTree(target);
            return;
        }
    }
    *ms = Ms(start, Ticks());
    Figure(set, "copy %zu files (%.0f MB): %.0f ms, %.0f MB/s", files.size(), Megabytes(bytes), *ms,
           MegabytesPerSecond(bytes, *ms));
    RemoveTree(target);
}

// Stands in for the download dialog: each finished file goes to the tray on the worker
// thread, as the main window's OnItemAdded does.
class CBenchSink final : public CDownloadProgressSink {
public:
    CBenchSink(CCameraConnection* connection, CSlideTray* tray, HWND window)
        : m_connection(connection), m_tray(tray), m_window(window) {}

    HWND GetReportWindow() const override { return m_window; }
    void OnFileStarted() override { ++m_started; }
    void AddFinishedItem() override {
        m_lastFile = Ticks();
        const CameraItem* item = m_connection->GetItem(m_started - 1);
        if (item == nullptr) {
            return;
        }
        try {
            if (m_tray->AddItem(item->path, item->label)) {
                ++m_added;
            }
        } catch (CException* e) {
            e->Delete();
        }
    }
    void AdvanceProgress(int /*kind*/) override {}

    int Added() const { return m_added; }
    LONGLONG LastFile() const { return m_lastFile; }

private:
    CCameraConnection* m_connection;
    CSlideTray* m_tray;
    HWND m_window;
    int m_started = 0; // worker thread only
    std::atomic<int> m_added{0};
    std::atomic<LONGLONG> m_lastFile{0};
};

// What the download worker does, as the download dialog's RunDownload does it.
struct DownloadJob {
    CCameraConnection* connection = nullptr;
    CBenchSink* sink = nullptr;
    LONGLONG start = 0;
    LONGLONG openedAt = 0;
    LONGLONG end = 0;
    int total = 0;
    BOOL opened = FALSE;
    BOOL downloaded = FALSE;
    std::atomic<bool> done{false};

    static UINT Run(LPVOID param) {
        auto* job = static_cast<DownloadJob*>(param);
        job->start = Ticks();
        job->opened = job->connection->Open(job->sink);
        job->openedAt = Ticks();
        if (job->opened) {
            job->total = job->connection->GetTotalCount();
            job->downloaded = job->connection->Download();
            job->connection->Close();
        }
        job->end = Ticks();
        job->done = true;
        return 0;
    }
};

// The driver alone: its own callbacks name the files in the download folder and do no more.
struct DriverOnly {
    std::string folder;
    int next = 0;

    static void WINAPI Name(void* context, int kind, char* path, DWORD* abortFlag, DWORD) {
        auto* self = static_cast<DriverOnly*>(context);
        snprintf(path, MAX_PATH, "%s\\Snapshot%04d.%s", self->folder.c_str(), self->next++,
                 kind == 1 ? "avi" : "jpg");
        *abortFlag = 0;
    }
    static void WINAPI Done(void*, DWORD status, DWORD, DWORD* abortFlag) {
        *abortFlag = status != 0 ? 1 : 0;
    }
};

// A sink that takes the reports and does nothing with them.
class CNullSink final : public CDownloadProgressSink {
public:
    HWND GetReportWindow() const override { return nullptr; }
    void OnFileStarted() override {}
    void AddFinishedItem() override {}
    void AdvanceProgress(int) override {}
};

// Where the download's time goes: the driver's copy alone, then the program's connection with
// a sink that does nothing; the live tray follows in MeasureDownload.
void MeasureDownloadParts(char set, ULONGLONG bytes, const std::string& download) {
    DriverOnly names{download};
    LONGLONG start = Ticks();
    DWORD camera = KCAMAPI_Init(&DriverOnly::Name, &DriverOnly::Done, &names, nullptr, nullptr);
    const DWORD status = camera != 0 ? KCAMAPI_Download(camera) : 1;
    KCAMAPI_Reset(camera);
    double ms = Ms(start, Ticks());
    if (status != 0) {
        Fail("set %c: the driver alone failed", set);
        return;
    }
    Figure(set, "download, the driver alone: %.0f ms, %.0f MB/s", ms, MegabytesPerSecond(bytes, ms));
    // The next runs start from an empty folder, as a download does.
    RemoveTree(download);
    MakeFolders(download);

    CCameraConnection connection;
    CNullSink sink;
    start = Ticks();
    BOOL done = connection.Open(&sink) && connection.Download();
    connection.Close();
    ms = Ms(start, Ticks());
    if (!done) {
        Fail("set %c: the connection's download failed", set);
        return;
    }
    Figure(set, "download, the connection with a sink that does nothing: %.0f ms, %.0f MB/s", ms,
           MegabytesPerSecond(bytes, ms));
}

long ThumbnailsReady(const CSlideTray& tray) {
    long ready = -1;
    try {
        tray.GetProperty(DISPID_SLIDETRAY_THUMBNAILSREADY, VT_I4, &ready);
    } catch (CException* e) {
        e->Delete();
    }
    return ready;
}

void EmptyTray(CSlideTray* tray) {
    try {
        tray->SetRedraw(FALSE);
        tray->ClearItems(0, 0);
        tray->SetRedraw(TRUE);
    } catch (CException* e) {
        e->Delete();
    }
}

void MeasureDownload(const PictureSet& pictures, ULONGLONG bytes, double copyMs, CWnd* frame,
                     CSlideTray* tray) {
    const char set = pictures.name;
    const int files = pictures.count;
    CCameraConnection connection;
    CBenchSink sink(&connection, tray, frame->GetSafeHwnd());
    DownloadJob job;
    job.connection = &connection;
    job.sink = &sink;
    CWinThread* worker =
        AfxBeginThread(&DownloadJob::Run, &job, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (worker == nullptr) {
        Fail("cannot start the download worker");
        return;
    }
    worker->m_bAutoDelete = FALSE;
    worker->ResumeThread();

    // The UI thread pumps as the download dialog's modal loop does, and watches the tray.
    LONGLONG drawn = 0;
    long ready = 0;
    LONGLONG waitStart = Ticks();
    for (;;) {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        if (job.done) {
            ready = ThumbnailsReady(*tray);
            if (ready < 0) {
                break; // a SlideTray.dll without the diagnostic member
            }
            if (ready >= sink.Added()) {
                ::RedrawWindow(tray->GetSafeHwnd(), nullptr, nullptr,
                               RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
                ::UpdateWindow(tray->GetSafeHwnd());
                drawn = Ticks();
                break;
            }
        }
        if (Ms(waitStart, Ticks()) > kThumbnailTimeoutMs) {
            connection.SetAbortFlag();
            break;
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    ::WaitForSingleObject(worker->m_hThread, INFINITE);
    delete worker;

    if (!job.opened || !job.downloaded || job.total != files || sink.Added() != files) {
        Fail("set %c: download %s, %d of %d files reached the tray", set,
             !job.opened ? "found no camera" : (job.downloaded ? "done" : "failed"), sink.Added(),
             files);
        return;
    }
    double downloadMs = Ms(job.start, job.end);
    Figure(set, "download %d files (%.0f MB): %.0f ms, %.0f MB/s", files, Megabytes(bytes),
           downloadMs, MegabytesPerSecond(bytes, downloadMs));
    Figure(set, "camera open (item list, counts) within it: %.0f ms", Ms(job.start, job.openedAt));
    if (copyMs > 0.0) {
        Figure(set, "download speed against plain copy: %.0f%%", 100.0 * copyMs / downloadMs);
    }
    if (ready < 0) {
        Fail("the tray does not answer ThumbnailsReady: is SlideTray.dll beside the bench?");
        return;
    }
    if (drawn == 0) {
        Figure(set, "last thumbnail: not drawn within %lu s (%ld of %d made)",
               kThumbnailTimeoutMs / 1000, ready, files);
        return;
    }
    Figure(set, "last thumbnail drawn after download start: %.0f ms", Ms(job.start, drawn));
    char goal[32] = "";
    if (pictures.goalMs > 0) {
        snprintf(goal, sizeof goal, " (goal %d ms)", pictures.goalMs);
    }
    Figure(set, "last thumbnail drawn after last file: %.0f ms%s", Ms(sink.LastFile(), drawn),
           goal);
}

void MeasureThumbnails(char set, const std::vector<std::string>& files, bool exif) {
    const ThumbnailSource expected =
        exif ? ThumbnailSource::ExifThumbnail : ThumbnailSource::Decoded;
    double first = 0.0;
    double sum = 0.0;
    double most = 0.0;
    int unexpected = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        ThumbnailImage image;
        ThumbnailSource source = ThumbnailSource::Placeholder;
        LONGLONG start = Ticks();
        bool made = MakeThumbnail(files[i].c_str(), CTrayLayout::kThumbWidth,
                                  CTrayLayout::kThumbHeight, &image, &source);
        double ms = Ms(start, Ticks());
        if (!made || source != expected) {
            ++unexpected;
        }
        if (i == 0) {
            first = ms;
            continue;
        }
        sum += ms;
        most = std::max(most, ms);
    }
    Figure(set, "MakeThumbnail first call: %.1f ms", first);
    if (files.size() > 1) {
        Figure(set, "MakeThumbnail per picture (%zu more, %s): mean %.1f ms, max %.1f ms",
               files.size() - 1, exif ? "EXIF preview" : "full decode",
               sum / static_cast<double>(files.size() - 1), most);
    }
    if (unexpected > 0) {
        Figure(set, "MakeThumbnail: %d of %zu not made from the %s", unexpected, files.size(),
               exif ? "EXIF preview" : "decoded picture");
    }
}

// The whole picture decoded and converted to 32-bpp BGR, as a plain program would.
bool DecodeFully(IWICImagingFactory* factory, const std::wstring& path, std::vector<BYTE>* pixels) {
    CComRef<IWICBitmapDecoder> decoder;
    CComRef<IWICBitmapFrameDecode> frame;
    CComRef<IWICFormatConverter> converter;
    UINT width = 0;
    UINT height = 0;
    if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, decoder.Out())) ||
        FAILED(decoder->GetFrame(0, frame.Out())) || FAILED(frame->GetSize(&width, &height)) ||
        FAILED(factory->CreateFormatConverter(converter.Out())) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGR,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom))) {
        return false;
    }
    UINT stride = width * 4;
    pixels->resize(static_cast<size_t>(stride) * height);
    return SUCCEEDED(
        converter->CopyPixels(nullptr, stride, static_cast<UINT>(pixels->size()), pixels->data()));
}

void MeasureDecode(char set, IWICImagingFactory* factory, const std::string& file) {
    std::wstring path = Wide(file);
    std::vector<BYTE> pixels;
    double sum = 0.0;
    for (int run = 0; run < kDecodeRuns; ++run) {
        LONGLONG start = Ticks();
        if (!DecodeFully(factory, path, &pixels)) {
            Fail("WIC could not decode %s", file.c_str());
            return;
        }
        sum += Ms(start, Ticks());
    }
    Figure(set, "WIC full decode %dx%d to 32bppBGR: %.0f ms per picture (mean of %d)",
           kPictureWidth, kPictureHeight, sum / kDecodeRuns, kDecodeRuns);
}

// --- the run -------------------------------------------------------------------------------

// Registers SlideTray.dll from this executable's folder, as its installer would.
bool RegisterTray() {
    std::string dll = ExeFolder() + "\\SlideTray.dll";
    HMODULE module = ::LoadLibraryA(dll.c_str());
    if (!module) {
        Fail("cannot load %s (error %lu)", dll.c_str(), ::GetLastError());
        return false;
    }
    auto registerServer = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(::GetProcAddress(module, "DllRegisterServer")));
    HRESULT hr = registerServer ? registerServer() : E_NOINTERFACE;
    ::FreeLibrary(module);
    if (FAILED(hr)) {
        Fail("DllRegisterServer of %s failed: 0x%08lX", dll.c_str(),
             static_cast<unsigned long>(hr));
        return false;
    }
    return true;
}

int RunSets(const std::string& scratch, IWICImagingFactory* factory) {
    Pictures pictures;
    if (!MakePictures(factory, &pictures)) {
        return 1;
    }
    std::string download = scratch + "\\download";
    if (!MakeFolders(download) ||
        !SetRegistryString(HKEY_CURRENT_USER, kPropertiesKey, "TempDirectory", download) ||
        !SetRegistryDword(HKEY_CURRENT_USER, kDriverKey, "CapacityMB", 4096) ||
        !SetRegistryDword(HKEY_CURRENT_USER, kDriverKey, "FileDelayMs", 0) ||
        !SetRegistryDword(HKEY_CURRENT_USER, kDriverKey, "FailAtFile", 0)) {
        Fail("cannot set up the download folder and the driver's settings");
        return 1;
    }

    CWnd frame;
    if (!frame.CreateEx(0, nullptr, "Fotoloft tray benchmark", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                        CRect(0, 0, 600, 400), nullptr, 0)) {
        Fail("cannot create a window: is there a display?");
        return 1;
    }
    CSlideTray tray;
    if (!tray.Create(nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, kTrayRect,
                     &frame, 1)) {
        Fail("the thumbnail tray could not be created");
        frame.DestroyWindow();
        return 1;
    }
    // Set up as the main window sets up its tray.
    try {
        tray.SetSelectionMode(-1);
        tray.SetDragSource(FALSE);
        tray.SetDropTarget(FALSE);
        tray.SetShowFrames(FALSE);
        tray.ShowTooltips(FALSE);
        tray.SetRedraw(TRUE);
    } catch (CException* e) {
        e->Delete();
    }
    tray.UpdateWindow();

    int status = 0;
    for (const PictureSet& set : kSets) {
        std::string camera = scratch + "\\camera" + set.name;
        std::vector<std::string> files;
        ULONGLONG bytes = 0;
        if (!FillCamera(camera, set, pictures, &files, &bytes) ||
            !SetRegistryString(HKEY_CURRENT_USER, kDriverKey, "CameraFolder", camera)) {
            status = 1;
            break;
        }
        double copyMs = 0.0;
        MeasureCopy(set.name, files, bytes, scratch + "\\copy", &copyMs);
        MeasureDownloadParts(set.name, bytes, download);
        MeasureDownload(set, bytes, copyMs, &frame, &tray);
        EmptyTray(&tray);
        MeasureThumbnails(set.name, files, set.exif);
        MeasureDecode(set.name, factory, files.front());
        if (!RemoveTree(camera)) {
            Fail("could not remove all of %s", camera.c_str());
        }
    }
    tray.DestroyWindow();
    frame.DestroyWindow();
    return status;
}

} // namespace

int main() {
    char temp[MAX_PATH];
    DWORD length = ::GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp) {
        Fail("no temp path");
        return 1;
    }
    char name[64];
    snprintf(name, sizeof name, "fotoloft-bench-tray-%lu", ::GetCurrentProcessId());
    std::string scratch = std::string(temp) + name;
    std::string classKey = TrayClassKey();
    if (classKey.empty() || !MakeFolders(scratch)) {
        Fail("cannot make %s", scratch.c_str());
        return 1;
    }

    HRESULT hr = ::OleInitialize(nullptr);
    if (FAILED(hr)) {
        Fail("OleInitialize failed: 0x%08lX", static_cast<unsigned long>(hr));
        RemoveTree(scratch);
        return 1;
    }
    int status = 1;
    {
        CRegistrySnapshot saved;
        saved.Save(HKEY_CURRENT_USER, kDriverKey, "CameraFolder");
        saved.Save(HKEY_CURRENT_USER, kDriverKey, "CapacityMB");
        saved.Save(HKEY_CURRENT_USER, kDriverKey, "FileDelayMs");
        saved.Save(HKEY_CURRENT_USER, kDriverKey, "FailAtFile");
        saved.Save(HKEY_CURRENT_USER, kPropertiesKey, "TempDirectory");
        saved.Save(HKEY_LOCAL_MACHINE, classKey, nullptr);
        saved.Save(HKEY_LOCAL_MACHINE, classKey + "\\InprocServer32", nullptr);
        saved.Save(HKEY_LOCAL_MACHINE, classKey + "\\InprocServer32", "ThreadingModel");

        CComRef<IWICImagingFactory> factory;
        hr = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Out()));
        if (FAILED(hr)) {
            Fail("no WIC imaging factory: 0x%08lX", static_cast<unsigned long>(hr));
        } else if (RegisterTray()) {
            status = RunSets(scratch, factory.Get());
        }
    }
    ::CoFreeUnusedLibraries();
    ::OleUninitialize();
    if (!RemoveTree(scratch)) {
        Fail("could not remove all of %s", scratch.c_str());
    }
    return status;
}
