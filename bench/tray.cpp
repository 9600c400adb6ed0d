// How fast the camera download and the thumbnail tray are, and how much memory the tray takes,
// on camera contents made here.
//
// Three sets of stills: A, 200 of 4000x3000 with an EXIF block holding a 160x120 preview (as a
// camera writes them); B, 50 of 4000x3000 without one, which the tray must decode; C, 5,000
// small ones (640x480, no preview), for the tray's memory. For each set it prints one line
// per figure:
//   copy        CopyFileA of the same files into a scratch folder: the yardstick;
//   download    the camera driver's copy alone, then the program's connection with a sink that
//               does nothing, then the program's own code as the main window runs it: a
//               CCameraConnection downloading on a worker thread, each finished file added to a
//               real thumbnail tray (the SlideTray component hosted with CreateControl) while
//               the UI thread pumps messages, as the main window and its download dialog do;
//               then the time from the start of the download, and from the last file written,
//               to the last thumbnail drawn;
//   memory      (set C) the process's private bytes once every thumbnail of the set is made;
//   thumbnail   MakeThumbnail, the tray's own engine, called directly on the files (at most
//               the first 500);
//   decode      a plain WIC decode of one whole picture to 32-bpp BGR.
// MB are 10^6 bytes. The figures depend on the machine; nothing here passes or fails.
//
// The camera and download folders are made under the temp path and removed at the end. The
// driver's settings, the program's settings and the tray's class registration are set aside
// for the run and put back as they were (the test support's scratch keys). Needs a display
// (the tray is a window), SlideTray.dll, camlnk1.dll and Vantix2.dll beside the executable,
// and about 1.5 GB of free disk; it takes a few minutes. Run it from the checkout:
//   scripts/wine-env wine build/bin/bench_tray.exe
#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <psapi.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/BenchClock.h"
#include "camera/CameraConnection.h"
#include "camera/CameraDriver.h"
#include "camera/DownloadProgressSink.h"
#include "controls/SlideTray.h"
#include "external/slidetray/SlideTrayControl.h"
#include "external/slidetray/ThumbnailMaker.h"
#include "external/slidetray/TrayLayout.h"
#include "framework/Exception.h"
#include "framework/WinThread.h"
#include "tests/external/imaging/ImagingTestSupport.h"
#include "tests/support/ExifFiles.h"
#include "tests/support/ScratchFiles.h"
#include "tests/support/ScratchRegistry.h"
#include "tests/support/ServerRegistration.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr int kPreviewWidth = 160;
constexpr int kPreviewHeight = 120;
// Distinct pictures; the camera files repeat them under their own names.
constexpr int kDistinctPictures = 4;
constexpr int kDecodeRuns = 5;
// MakeThumbnail is timed on at most this many files of a set.
constexpr size_t kMostTimedThumbnails = 500;
// Past this the download is called off and the figure reported as missing.
constexpr double kThumbnailTimeoutMs = 300000;
// Where the program's main window puts its tray, in its client area.
const RECT kTrayRect = {24, 103, 555, 327};

const char kDriverKey[] = "Software\\Orvex\\Kestrel Camera Driver";
const char kPropertiesKey[] = "SOFTWARE\\Orvex\\Lumora2\\LMShell\\Properties";

struct PictureSet {
    char name;
    int count;
    int width;
    int height;
    bool exif;
    int grain;               // sensor-like noise, which gives the files a camera's size
    int thumbnailGoalMs;     // for MakeThumbnail's mean; 0 for none
    int lastThumbnailGoalMs; // for the last thumbnail after the last file; 0 for none
    int memoryGoalMB;        // private bytes with the set's thumbnails made; 0: not reported
};
const PictureSet kSets[] = {
    {'A', 200, 4000, 3000, true, 24, 0, 500, 0},
    {'B', 50, 4000, 3000, false, 24, 40, 1000, 0},
    {'C', 5000, 640, 480, false, 6, 0, 0, 200},
};

// --- output --------------------------------------------------------------------------------

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

// The process's private bytes in MB: PrivateUsage, or PagefileUsage where that is 0 (Wine
// leaves it so; its PagefileUsage is the process's private memory in use, and on Windows the
// two are the same charge). Negative when unknown.
double PrivateMegabytes() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(),
                                reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                sizeof counters)) {
        return -1.0;
    }
    return Megabytes(counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage);
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

// --- generated pictures --------------------------------------------------------------------

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

// The picture as a JPEG file's bytes: libjpeg-turbo at quality 75, which makes a 12-megapixel
// picture of about 2.3 MB, as a compact camera's.
std::string EncodePicture(int width, int height, int variant, int grain) {
    imaging_test::Picture picture{width, height, 3, RenderPicture(width, height, variant, grain)};
    imaging_test::JpegOptions options;
    options.quality = 75;
    return imaging_test::EncodeJpeg(picture, options);
}

// The distinct camera files of a set: each picture as a camera writes it, with EXIF holding a
// preview when the set has one. Empty when the preview does not fit an EXIF segment.
std::vector<std::string> MakePictures(const PictureSet& set) {
    std::vector<std::string> pictures;
    for (int variant = 0; variant < kDistinctPictures; ++variant) {
        std::string picture = EncodePicture(set.width, set.height, variant, set.grain);
        if (set.exif) {
            std::string preview = EncodePicture(kPreviewWidth, kPreviewHeight, variant, 0);
            scratch::ExifBlock exif = scratch::MakeExifBlock(false, 1, preview);
            if (exif.tiff.size() + 8 > 0xFFFF) {
                Fail("the preview of picture %d does not fit an EXIF segment", variant);
                return {};
            }
            picture = scratch::InsertSegment(picture, scratch::ExifSegment(exif), false);
        }
        pictures.push_back(std::move(picture));
    }
    return pictures;
}

// Fills a camera folder laid out like a card; the files' paths and their bytes in all.
bool FillCamera(const std::string& camera, const PictureSet& set,
                const std::vector<std::string>& pictures, std::vector<std::string>* files,
                ULONGLONG* bytes) {
    std::string folder = camera + "\\DCIM\\100KSTRL";
    if (!scratch::MakeDirectories(folder)) {
        Fail("cannot make %s", folder.c_str());
        return false;
    }
    *bytes = 0;
    for (int i = 0; i < set.count; ++i) {
        char name[32];
        snprintf(name, sizeof name, "\\KSTR%04d.JPG", i + 1);
        const std::string& content = pictures[static_cast<size_t>(i % kDistinctPictures)];
        files->push_back(folder + name);
        if (!scratch::WriteBytes(files->back(), content)) {
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
    if (!scratch::MakeDirectories(target)) {
        Fail("cannot make %s", target.c_str());
        return;
    }
    double start = NowMs();
    for (const std::string& file : files) {
        std::string copy = target + file.substr(file.find_last_of('\\'));
        if (!::CopyFileA(file.c_str(), copy.c_str(), FALSE)) {
            Fail("CopyFileA %s failed with %lu", file.c_str(), ::GetLastError());
            scratch::RemoveTree(target);
            return;
        }
    }
    *ms = NowMs() - start;
    Figure(set, "copy %zu files (%.0f MB): %.0f ms, %.0f MB/s", files.size(), Megabytes(bytes), *ms,
           MegabytesPerSecond(bytes, *ms));
    scratch::RemoveTree(target);
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
        m_lastFile = NowMs();
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
    double LastFile() const { return m_lastFile; }

private:
    CCameraConnection* m_connection;
    CSlideTray* m_tray;
    HWND m_window;
    int m_started = 0; // worker thread only
    std::atomic<int> m_added{0};
    std::atomic<double> m_lastFile{0.0};
};

// What the download worker does, as the download dialog's RunDownload does it.
struct DownloadJob {
    CCameraConnection* connection = nullptr;
    CBenchSink* sink = nullptr;
    double start = 0.0;
    double openedAt = 0.0;
    double end = 0.0;
    int total = 0;
    BOOL opened = FALSE;
    BOOL downloaded = FALSE;
    std::atomic<bool> done{false};

    static UINT Run(LPVOID param) {
        auto* job = static_cast<DownloadJob*>(param);
        job->start = NowMs();
        job->opened = job->connection->Open(job->sink);
        job->openedAt = NowMs();
        if (job->opened) {
            job->total = job->connection->GetTotalCount();
            job->downloaded = job->connection->Download();
            job->connection->Close();
        }
        job->end = NowMs();
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

// Every download starts from an empty folder, as the program's does.
void EmptyFolder(const std::string& folder) {
    scratch::RemoveTree(folder);
    scratch::MakeDirectories(folder);
}

// Where the download's time goes: the driver's copy alone, then the program's connection with
// a sink that does nothing; the live tray follows in MeasureDownload.
void MeasureDownloadParts(char set, ULONGLONG bytes, const std::string& download) {
    DriverOnly names{download};
    double start = NowMs();
    DWORD camera = KCAMAPI_Init(&DriverOnly::Name, &DriverOnly::Done, &names, nullptr, nullptr);
    const DWORD status = camera != 0 ? KCAMAPI_Download(camera) : 1;
    KCAMAPI_Reset(camera);
    double ms = NowMs() - start;
    if (status != 0) {
        Fail("set %c: the driver alone failed", set);
        return;
    }
    Figure(set, "download, the driver alone: %.0f ms, %.0f MB/s", ms,
           MegabytesPerSecond(bytes, ms));
    EmptyFolder(download);

    CCameraConnection connection;
    CNullSink sink;
    start = NowMs();
    BOOL done = connection.Open(&sink) && connection.Download();
    connection.Close();
    ms = NowMs() - start;
    if (!done) {
        Fail("set %c: the connection's download failed", set);
        return;
    }
    Figure(set, "download, the connection with a sink that does nothing: %.0f ms, %.0f MB/s", ms,
           MegabytesPerSecond(bytes, ms));
    EmptyFolder(download);
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
    const double privateBefore = PrivateMegabytes();
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

    // The UI thread pumps as the download dialog's modal loop does, and watches the tray: it
    // sleeps while nothing arrives (waking at least every 10 ms to look at the tray), not
    // every millisecond, which would take a good part of a core from the download.
    double drawn = 0.0;
    long ready = 0;
    const double waitStart = NowMs();
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
                drawn = NowMs();
                break;
            }
        }
        if (NowMs() - waitStart > kThumbnailTimeoutMs) {
            connection.SetAbortFlag();
            break;
        }
        ::MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    ::WaitForSingleObject(worker->m_hThread, INFINITE);
    delete worker;

    if (!job.opened || !job.downloaded || job.total != files || sink.Added() != files) {
        Fail("set %c: download %s, %d of %d files reached the tray", set,
             !job.opened ? "found no camera" : (job.downloaded ? "done" : "failed"), sink.Added(),
             files);
        return;
    }
    double downloadMs = job.end - job.start;
    Figure(set, "download %d files (%.0f MB): %.0f ms, %.0f MB/s", files, Megabytes(bytes),
           downloadMs, MegabytesPerSecond(bytes, downloadMs));
    Figure(set, "camera open (item list, counts) within it: %.0f ms", job.openedAt - job.start);
    if (copyMs > 0.0) {
        Figure(set, "download speed against plain copy: %.0f%%", 100.0 * copyMs / downloadMs);
    }
    if (ready < 0) {
        Fail("the tray does not answer ThumbnailsReady: is SlideTray.dll beside the bench?");
        return;
    }
    if (drawn == 0.0) {
        Figure(set, "last thumbnail: not drawn within %.0f s (%ld of %d made)",
               kThumbnailTimeoutMs / 1000, ready, files);
        return;
    }
    Figure(set, "last thumbnail drawn after download start: %.0f ms", drawn - job.start);
    char goal[32] = "";
    if (pictures.lastThumbnailGoalMs > 0) {
        snprintf(goal, sizeof goal, " (goal %d ms)", pictures.lastThumbnailGoalMs);
    }
    Figure(set, "last thumbnail drawn after last file: %.0f ms%s", drawn - sink.LastFile(), goal);
    if (pictures.memoryGoalMB > 0) {
        Figure(set,
               "private bytes with the tray's %d thumbnails made: %.0f MB (goal %d MB); "
               "%.0f MB before the download",
               files, PrivateMegabytes(), pictures.memoryGoalMB, privateBefore);
    }
}

void MeasureThumbnails(const PictureSet& set, const std::vector<std::string>& files) {
    const ThumbnailSource expected =
        set.exif ? ThumbnailSource::ExifThumbnail : ThumbnailSource::Decoded;
    const size_t timed = std::min(files.size(), kMostTimedThumbnails);
    double first = 0.0;
    double sum = 0.0;
    double most = 0.0;
    int unexpected = 0;
    for (size_t i = 0; i < timed; ++i) {
        ThumbnailImage image;
        ThumbnailSource source = ThumbnailSource::Placeholder;
        double start = NowMs();
        bool made = MakeThumbnail(files[i].c_str(), CTrayLayout::kThumbWidth,
                                  CTrayLayout::kThumbHeight, &image, &source);
        double ms = NowMs() - start;
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
    Figure(set.name, "MakeThumbnail first call: %.1f ms", first);
    if (timed > 1) {
        char goal[32] = "";
        if (set.thumbnailGoalMs > 0) {
            snprintf(goal, sizeof goal, " (goal %d ms)", set.thumbnailGoalMs);
        }
        Figure(set.name,
               "MakeThumbnail per %dx%d picture (%zu more, %s): mean %.1f ms%s, max %.1f ms",
               set.width, set.height, timed - 1, set.exif ? "EXIF preview" : "no EXIF preview",
               sum / static_cast<double>(timed - 1), goal, most);
    }
    if (unexpected > 0) {
        Figure(set.name, "MakeThumbnail: %d of %zu not made from the %s", unexpected, timed,
               set.exif ? "EXIF preview" : "decoded picture");
    }
}

// The whole picture decoded and converted to 32-bpp BGR, as a plain program would.
bool DecodeFully(IWICImagingFactory* factory, const std::wstring& path, std::vector<BYTE>* pixels) {
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    UINT width = 0;
    UINT height = 0;
    if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&width, &height)) ||
        FAILED(factory->CreateFormatConverter(&converter)) ||
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

void MeasureDecode(const PictureSet& set, IWICImagingFactory* factory, const std::string& file) {
    std::wstring path = Wide(file);
    std::vector<BYTE> pixels;
    double sum = 0.0;
    for (int run = 0; run < kDecodeRuns; ++run) {
        double start = NowMs();
        if (!DecodeFully(factory, path, &pixels)) {
            Fail("WIC could not decode %s", file.c_str());
            return;
        }
        sum += NowMs() - start;
    }
    Figure(set.name, "WIC full decode %dx%d to 32bppBGR: %.0f ms per picture (mean of %d)",
           set.width, set.height, sum / kDecodeRuns, kDecodeRuns);
}

// --- the run -------------------------------------------------------------------------------

int RunSets(const std::string& root, IWICImagingFactory* factory, scratch::RegistryKey* driver) {
    std::string download = root + "\\download";
    scratch::RegistryKey properties(HKEY_CURRENT_USER, kPropertiesKey);
    if (!scratch::MakeDirectories(download) || !properties.IsReady() ||
        !properties.SetString("TempDirectory", download) || !driver->SetDword("CapacityMB", 4096) ||
        !driver->SetDword("FileDelayMs", 0) || !driver->SetDword("FailAtFile", 0)) {
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
        std::string camera = root + "\\camera" + set.name;
        std::vector<std::string> files;
        ULONGLONG bytes = 0;
        {
            // Only the files on disk stay for the measurements, not the pictures' bytes.
            std::vector<std::string> pictures = MakePictures(set);
            if (pictures.empty() || !FillCamera(camera, set, pictures, &files, &bytes) ||
                !driver->SetString("CameraFolder", camera)) {
                status = 1;
                break;
            }
        }
        double copyMs = 0.0;
        MeasureCopy(set.name, files, bytes, root + "\\copy", &copyMs);
        MeasureDownloadParts(set.name, bytes, download);
        MeasureDownload(set, bytes, copyMs, &frame, &tray);
        EmptyTray(&tray);
        EmptyFolder(download);
        MeasureThumbnails(set, files);
        MeasureDecode(set, factory, files.front());
        if (!scratch::RemoveTree(camera)) {
            Fail("could not remove all of %s", camera.c_str());
        }
    }
    tray.DestroyWindow();
    frame.DestroyWindow();
    return status;
}

} // namespace

int main() {
    scratch::Directory folder("fotoloft-bench-tray");
    if (!folder.IsReady()) {
        Fail("cannot make a scratch folder under the temp path");
        return 1;
    }
    HRESULT hr = ::OleInitialize(nullptr);
    if (FAILED(hr)) {
        Fail("OleInitialize failed: 0x%08lX", static_cast<unsigned long>(hr));
        return 1;
    }
    int status = 1;
    {
        // The driver's knobs from an earlier run (a failure at file N, slow files) must not
        // count; everything set aside is put back at the end.
        scratch::RegistryKey driver(HKEY_CURRENT_USER, kDriverKey);
        scratch::ServerRegistration registration(CLSID_SlideTray,
                                                 scratch::ExeFolder() + "\\SlideTray.dll");
        ComPtr<IWICImagingFactory> factory;
        hr = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&factory));
        if (!driver.IsReady()) {
            Fail("cannot set the driver's settings aside");
        } else if (FAILED(hr)) {
            Fail("no WIC imaging factory: 0x%08lX", static_cast<unsigned long>(hr));
        } else if (FAILED(registration.Result())) {
            Fail("registering SlideTray.dll from %s failed: 0x%08lX", scratch::ExeFolder().c_str(),
                 static_cast<unsigned long>(registration.Result()));
        } else {
            status = RunSets(folder.Path(), factory.Get(), &driver);
        }
    }
    ::CoFreeUnusedLibraries();
    ::OleUninitialize();
    return status;
}
