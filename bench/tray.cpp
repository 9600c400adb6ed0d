// How fast the camera download and the thumbnail tray are, and how much memory the tray takes,
// on camera contents made here.
//
// Three sets of stills: A, 200 of 4000x3000 with an EXIF block holding a 160x120 preview (as a
// camera writes them); B, 50 of 4000x3000 without one, which the tray must decode; C, 5,000
// small ones (640x480, no preview), for the tray's memory. For each set it prints:
//   rounds      (three for A and B, one for C) of, in turn: CopyFileA of the same files into a
//               scratch folder, the yardstick; the camera driver's copy alone; the program's
//               connection with a sink that does nothing; the program's download dialog
//               (CDownloadProgressDlg, its worker, its text and bar) without a tray; and the
//               same with each finished file added to a real thumbnail tray (the SlideTray
//               component hosted with CreateControl), as the main window runs a refresh,
//               then the time from the start of the download, and from the last file
//               written, to the last thumbnail drawn. Each download's opening of the camera
//               (item list, counts) is shown within it;
//   summary     the best of each kind over the rounds, the download into the live tray against
//               the copy, and the median time from the last file to the last thumbnail;
//   memory      (set C) the process's private bytes once every thumbnail of the set is made;
//   thumbnail   MakeThumbnail, the tray's own engine, called directly on the files (at most
//               the first 500);
//   decode      a plain WIC decode of one whole picture to 32-bpp BGR.
// An argument naming sets ("A", "BC") measures only those.
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
#include <thread>
#include <vector>

#include "bench/BenchClock.h"
#include "camera/CameraConnection.h"
#include "camera/CameraDriver.h"
#include "camera/DownloadOwner.h"
#include "camera/DownloadProgressDlg.h"
#include "camera/DownloadProgressSink.h"
#include "controls/SlideTray.h"
#include "external/slidetray/SlideTrayControl.h"
#include "external/slidetray/ThumbnailMaker.h"
#include "external/slidetray/TrayLayout.h"
#include "framework/Exception.h"
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
    int rounds;              // of the copy and the three downloads, in turn
};
const PictureSet kSets[] = {
    {'A', 200, 4000, 3000, true, 24, 0, 500, 0, 3},
    {'B', 50, 4000, 3000, false, 24, 40, 1000, 0, 3},
    {'C', 5000, 640, 480, false, 6, 0, 0, 200, 1},
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

// Deleting a few hundred MB of files keeps this machine's kernel busy for a while after the
// calls return (it gives the memory back to the host); the next measurement waits for that.
void Settle() {
    ::Sleep(300);
}

// The plain copy's time in ms; 0 when it failed.
double MeasureCopy(const std::vector<std::string>& files, const std::string& target) {
    if (!scratch::MakeDirectories(target)) {
        Fail("cannot make %s", target.c_str());
        return 0.0;
    }
    double start = NowMs();
    for (const std::string& file : files) {
        std::string copy = target + file.substr(file.find_last_of('\\'));
        if (!::CopyFileA(file.c_str(), copy.c_str(), FALSE)) {
            Fail("CopyFileA %s failed with %lu", file.c_str(), ::GetLastError());
            scratch::RemoveTree(target);
            return 0.0;
        }
    }
    double ms = NowMs() - start;
    scratch::RemoveTree(target);
    Settle();
    return ms;
}

// Stands in for the main window as the download dialog's owner: each finished file goes to
// the tray on the worker thread, as the main window's OnItemAdded does (or nowhere, for the
// dialog's own share of the time). The download's span is taken from the worker's start to
// the moment the driver's download returned.
class CBenchOwner final : public CDownloadOwner {
public:
    CBenchOwner(CCameraConnection* connection, CSlideTray* tray)
        : m_connection(connection), m_tray(tray) {
        connection->SetStageHook([this](DownloadStage stage) {
            if (stage == DownloadStage::WorkerStarting) {
                m_start = NowMs();
            }
        });
    }
    ~CBenchOwner() { m_connection->SetStageHook(nullptr); }

    void OnItemAdded(int index) override {
        m_lastFile = NowMs();
        const CameraItem* item = m_connection->GetItem(index);
        if (item == nullptr || m_tray == nullptr) {
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
    void SetTransferIdle(BOOL idle) override {
        (idle ? m_end : m_opened) = NowMs();
    }

    int Added() const { return m_added; }
    double Start() const { return m_start; }
    double Opened() const { return m_opened; }
    double End() const { return m_end; }
    double LastFile() const { return m_lastFile; }

private:
    CCameraConnection* m_connection;
    CSlideTray* m_tray;
    std::atomic<int> m_added{0};
    std::atomic<double> m_start{0.0};
    std::atomic<double> m_opened{0.0};
    std::atomic<double> m_end{0.0};
    std::atomic<double> m_lastFile{0.0};
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
    Settle();
}

// One download's time and the part of it spent opening the camera (item list and counts), in
// ms; ms is 0 when the download failed.
struct Timing {
    double ms = 0.0;
    double openMs = 0.0;
};

// The driver's copy alone, with callbacks that only name the files.
Timing MeasureDriverAlone(char set, const std::string& download) {
    Timing timing;
    DriverOnly names{download};
    double start = NowMs();
    DWORD camera = KCAMAPI_Init(&DriverOnly::Name, &DriverOnly::Done, &names, nullptr, nullptr);
    const double opened = NowMs();
    const DWORD status = camera != 0 ? KCAMAPI_Download(camera) : 1;
    KCAMAPI_Reset(camera);
    if (status != 0) {
        Fail("set %c: the driver alone failed", set);
    } else {
        timing.ms = NowMs() - start;
        timing.openMs = opened - start;
    }
    EmptyFolder(download);
    return timing;
}

// The program's connection with a sink that does nothing, on a thread of its own as the
// download dialog's worker runs it.
Timing MeasureNullSink(char set, const std::string& download) {
    Timing timing;
    BOOL done = FALSE;
    std::thread worker([&] {
        CCameraConnection connection;
        CNullSink sink;
        double start = NowMs();
        done = connection.Open(&sink);
        const double opened = NowMs();
        done = done && connection.Download();
        connection.Close();
        timing.ms = NowMs() - start;
        timing.openMs = opened - start;
    });
    worker.join();
    if (!done) {
        Fail("set %c: the connection's download failed", set);
        timing = Timing();
    }
    EmptyFolder(download);
    return timing;
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

// The program's own download: its progress dialog runs the connection on its worker thread
// and, with a tray, each finished file goes to it; then the UI thread waits for the last
// thumbnail to be drawn. Drawn figures are 0 when that did not happen in time.
struct LiveRun {
    Timing download;
    double drawnAfterStart = 0.0;
    double drawnAfterLastFile = 0.0;
};

LiveRun MeasureDialogDownload(const PictureSet& pictures, CWnd* frame, CSlideTray* tray) {
    LiveRun run;
    const char set = pictures.name;
    const int files = pictures.count;
    const double privateBefore = PrivateMegabytes();
    CCameraConnection connection;
    CBenchOwner owner(&connection, tray);
    CDownloadProgressDlg dialog(frame);
    dialog.SetConnection(&connection);
    dialog.SetOwner(&owner);
    const INT_PTR outcome = dialog.DoModal();
    if (outcome != DOWNLOAD_RESULT_DONE || connection.GetTotalCount() != files ||
        (tray != nullptr && owner.Added() != files)) {
        Fail("set %c: download outcome %d, %d of %d files reached the tray", set,
             static_cast<int>(outcome), owner.Added(), files);
        return run;
    }
    run.download.ms = owner.End() - owner.Start();
    run.download.openMs = owner.Opened() - owner.Start();
    if (tray == nullptr) {
        return run;
    }

    // The UI thread pumps as the main window's does once the dialog has closed, and watches
    // the tray, sleeping while nothing arrives.
    long ready = 0;
    const double waitStart = NowMs();
    for (;;) {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        ready = ThumbnailsReady(*tray);
        if (ready < 0) {
            Fail("the tray does not answer ThumbnailsReady: is SlideTray.dll beside the bench?");
            return run;
        }
        if (ready >= owner.Added()) {
            ::RedrawWindow(tray->GetSafeHwnd(), nullptr, nullptr,
                           RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            ::UpdateWindow(tray->GetSafeHwnd());
            run.drawnAfterStart = NowMs() - owner.Start();
            run.drawnAfterLastFile = NowMs() - owner.LastFile();
            break;
        }
        if (NowMs() - waitStart > kThumbnailTimeoutMs) {
            Figure(set, "last thumbnail: not drawn within %.0f s (%ld of %d made)",
                   kThumbnailTimeoutMs / 1000, ready, files);
            return run;
        }
        ::MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    if (pictures.memoryGoalMB > 0) {
        Figure(set,
               "private bytes with the tray's %d thumbnails made: %.0f MB (goal %d MB); "
               "%.0f MB before the download",
               files, PrivateMegabytes(), pictures.memoryGoalMB, privateBefore);
    }
    return run;
}

void MeasureThumbnails(const PictureSet& set, const std::vector<std::string>& files) {
    const ThumbnailSource expected =
        set.exif ? ThumbnailSource::ExifThumbnail : ThumbnailSource::Decoded;
    const size_t timed = std::min(files.size(), kMostTimedThumbnails);
    // As a tray worker does: one buffer for the files read whole.
    std::vector<uint8_t> fileBuffer;
    double first = 0.0;
    double sum = 0.0;
    double most = 0.0;
    int unexpected = 0;
    for (size_t i = 0; i < timed; ++i) {
        ThumbnailImage image;
        ThumbnailSource source = ThumbnailSource::Placeholder;
        double start = NowMs();
        bool made = MakeThumbnail(files[i].c_str(), CTrayLayout::kThumbWidth,
                                  CTrayLayout::kThumbHeight, &image, &source, &fileBuffer);
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

double Best(const std::vector<double>& values) {
    double best = 0.0;
    for (double value : values) {
        if (value > 0.0 && (best == 0.0 || value < best)) {
            best = value;
        }
    }
    return best;
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The copy and the three downloads in turn, set.rounds times, so that the machine's moods
// (other processes, the host reclaiming freed memory) fall on all of them alike. Each round
// is printed; the summary compares the best of each.
void MeasureDownloads(const PictureSet& set, const std::vector<std::string>& files,
                      ULONGLONG bytes, const std::string& copyFolder, const std::string& download,
                      CWnd* frame, CSlideTray* tray) {
    std::vector<double> copy, driver, connection, dialog, live, afterLastFile;
    for (int round = 1; round <= set.rounds; ++round) {
        copy.push_back(MeasureCopy(files, copyFolder));
        Timing alone = MeasureDriverAlone(set.name, download);
        Timing bare = MeasureNullSink(set.name, download);
        Timing shown = MeasureDialogDownload(set, frame, nullptr).download;
        EmptyFolder(download);
        LiveRun run = MeasureDialogDownload(set, frame, tray);
        EmptyTray(tray);
        EmptyFolder(download);
        driver.push_back(alone.ms);
        connection.push_back(bare.ms);
        dialog.push_back(shown.ms);
        live.push_back(run.download.ms);
        afterLastFile.push_back(run.drawnAfterLastFile);
        Figure(set.name,
               "round %d: copy %.0f ms; driver alone %.0f ms (open %.0f); connection, null sink "
               "%.0f ms (open %.0f); progress dialog %.0f ms (open %.0f); with the live tray "
               "%.0f ms (open %.0f), last thumbnail %.0f ms after the start, %.0f ms after the "
               "last file",
               round, copy.back(), alone.ms, alone.openMs, bare.ms, bare.openMs, shown.ms,
               shown.openMs, run.download.ms, run.download.openMs, run.drawnAfterStart,
               run.drawnAfterLastFile);
    }
    const char* of = set.rounds > 1 ? ", best of the rounds" : "";
    const double copyMs = Best(copy);
    Figure(set.name, "copy %zu files (%.0f MB): %.0f ms, %.0f MB/s%s", files.size(),
           Megabytes(bytes), copyMs, MegabytesPerSecond(bytes, copyMs), of);
    Figure(set.name, "download, the driver alone: %.0f ms, %.0f MB/s", Best(driver),
           MegabytesPerSecond(bytes, Best(driver)));
    Figure(set.name, "download, the connection with a sink that does nothing: %.0f ms, %.0f MB/s",
           Best(connection), MegabytesPerSecond(bytes, Best(connection)));
    Figure(set.name, "download, the progress dialog without a tray: %.0f ms, %.0f MB/s",
           Best(dialog), MegabytesPerSecond(bytes, Best(dialog)));
    const double liveMs = Best(live);
    Figure(set.name, "download %zu files (%.0f MB) into the live tray: %.0f ms, %.0f MB/s%s",
           files.size(), Megabytes(bytes), liveMs, MegabytesPerSecond(bytes, liveMs), of);
    if (copyMs > 0.0 && liveMs > 0.0) {
        Figure(set.name, "download speed against plain copy: %.0f%%", 100.0 * copyMs / liveMs);
    }
    char goal[32] = "";
    if (set.lastThumbnailGoalMs > 0) {
        snprintf(goal, sizeof goal, " (goal %d ms)", set.lastThumbnailGoalMs);
    }
    if (std::count(afterLastFile.begin(), afterLastFile.end(), 0.0) != 0) {
        Figure(set.name, "last thumbnail: not drawn in every round");
    } else {
        Figure(set.name, "last thumbnail drawn after last file: %.0f ms%s%s",
               Median(afterLastFile), set.rounds > 1 ? ", median of the rounds" : "", goal);
    }
}

int RunSets(const std::string& root, IWICImagingFactory* factory, scratch::RegistryKey* driver,
            const char* only) {
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
        if (only != nullptr && std::strchr(only, set.name) == nullptr) {
            continue;
        }
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
        MeasureDownloads(set, files, bytes, root + "\\copy", download, &frame, &tray);
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

// With an argument ("A", "BC"), only the sets it names are measured.
int main(int argc, char** argv) {
    const char* only = argc > 1 ? argv[1] : nullptr;
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
            status = RunSets(folder.Path(), factory.Get(), &driver, only);
        }
    }
    ::CoFreeUnusedLibraries();
    ::OleUninitialize();
    return status;
}
