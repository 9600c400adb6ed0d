// How fast a snapshot opens in the viewer, against a bare decode of the same file.
//
// Makes a 12-megapixel (4000 x 3000) and a 24-megapixel (6000 x 4000) JPEG of a photo-like
// gradient with noise under the temp path, then for each, nine rounds, best of each (the
// machines these run on are shared, and a round in a busy moment says nothing of the code):
//   decode    libjpeg-turbo alone: the file decoded to 24-bit pixels in memory;
//   open      what opening the thumbnail does: CImportDib's load (the imaging library's
//             decode, the temporary bitmap, the DIB section) and the viewer up to its first
//             painted frame (the end of its first paint);
//   scroll    one page of scrolling in the viewer, repainted at once (mean of 20 pages, down
//             to the end and back).
// It prints the milliseconds and the open/decode ratio, and where the opening's time goes: the
// load (of which the library's decode and bitmap file, and the DIB section made from that
// file, each timed apart) and the window. The figures depend on the machine;
// nothing here passes or fails. Needs a display, and LTFIL80N.dll and LTKRN80N.dll beside it:
//   scripts/wine-env wine build/bin/bench_viewer.exe
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// clang-format off
#include <jpeglib.h>
// clang-format on

#include "bench/BenchClock.h"
#include "framework/WinApp.h"
#include "media/ImageViewerDlg.h"
#include "media/ImagingBinding.h"
#include "media/ImportDib.h"

namespace {

constexpr int kRounds = 9;
constexpr int kScrollPages = 20;

bool WriteJpeg(const std::string& path, int width, int height) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width) * 3);
    unsigned seed = 1;
    while (info.next_scanline < info.image_height) {
        const int y = static_cast<int>(info.next_scanline);
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = static_cast<int>((seed >> 16) & 15);
            row[static_cast<size_t>(x) * 3] = static_cast<JSAMPLE>((x * 255 / width + noise) & 255);
            row[static_cast<size_t>(x) * 3 + 1] = static_cast<JSAMPLE>((y * 255 / height + noise) & 255);
            row[static_cast<size_t>(x) * 3 + 2] = static_cast<JSAMPLE>(((x + y) / 32 + noise) & 255);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
    return true;
}

// The yardstick: the whole picture decoded into memory, 24 bits a pixel.
double BareDecodeMs(const std::string& path) {
    const double start = NowMs();
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return -1;
    }
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    const size_t stride = (static_cast<size_t>(info.output_width) * 3 + 3) & ~size_t{3};
    std::vector<JSAMPLE> pixels(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[1] = {pixels.data() + stride * info.output_scanline};
        jpeg_read_scanlines(&info, rows, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return NowMs() - start;
}

// The load's parts on their own, best of the rounds: the imaging library's decode, its bitmap
// file (with the release of its picture memory), then the DIB section made from that file.
void ConversionMs(const std::string& path, double* decode, double* write, double* section) {
    const CImagingBinding* library = CImagingBinding::Get();
    if (library == nullptr) {
        return;
    }
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string bitmapPath = std::string(temp) + "fotoloft-bench-convert.bmp";
    double start = NowMs();
    IMGBITMAP bitmap{};
    if (library->loadFile(path.c_str(), &bitmap, 0, 1) != 1) {
        return;
    }
    *decode = std::min(*decode, NowMs() - start);
    start = NowMs();
    const int saved = library->saveFile(bitmapPath.c_str(), &bitmap, IMG_FORMAT_BMP, 0, 0);
    library->freeBitmap(&bitmap);
    *write = std::min(*write, NowMs() - start);
    start = NowMs();
    CDib dib;
    if (saved == 1 && dib.LoadFromFile(bitmapPath.c_str())) {
        *section = std::min(*section, NowMs() - start);
    }
    ::DeleteFileA(bitmapPath.c_str());
}

// The viewer, timed: the end of its first paint is the first painted frame; then it pages
// down and ends.
class CTimedViewer : public CImageViewerDlg {
public:
    const CMessageMap* GetMessageMap() const override {
        static const CMessageMap map(CImageViewerDlg::GetMessageMap(), {
            MapPaint(&CTimedViewer::OnTimedPaint),
            MapTimer(&CTimedViewer::OnTimer),
        });
        return &map;
    }
    CTimedViewer(CDib* image) : CImageViewerDlg(image, nullptr) {}

    double paintedAt = 0;
    double scrollMs = 0;

private:
    void OnTimedPaint() {
        OnPaint();
        if (paintedAt == 0) {
            paintedAt = NowMs();
            SetTimer(1, 1);
        }
    }

    void OnTimer(UINT_PTR id) {
        KillTimer(id);
        HWND bar = ::GetDlgItem(m_hWnd, IDC_VSCROLL);
        // Down to the end and back up: every page moves the view and repaints it.
        WPARAM request = SB_PAGEDOWN;
        const double start = NowMs();
        for (int page = 0; page < kScrollPages; ++page) {
            const int before = ::GetScrollPos(bar, SB_CTL);
            SendMessage(WM_VSCROLL, request, reinterpret_cast<LPARAM>(bar));
            if (::GetScrollPos(bar, SB_CTL) == before) {
                request = request == SB_PAGEDOWN ? SB_PAGEUP : SB_PAGEDOWN;
                SendMessage(WM_VSCROLL, request, reinterpret_cast<LPARAM>(bar));
            }
        }
        scrollMs = (NowMs() - start) / kScrollPages;
        EndDialog(IDOK);
    }
};

void Measure(const std::string& path, const char* name) {
    double bestDecode = 1e9, bestOpen = 1e9, bestScroll = 1e9, bestLoad = 1e9;
    double bestLibraryDecode = 1e9, bestWrite = 1e9, bestSection = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        bestDecode = std::min(bestDecode, BareDecodeMs(path));
        ConversionMs(path, &bestLibraryDecode, &bestWrite, &bestSection);
        const double start = NowMs();
        CImportDib image;
        if (!image.LoadFromFile(path.c_str())) {
            std::printf("%s: the picture did not load (imaging library beside the program?)\n", name);
            return;
        }
        bestLoad = std::min(bestLoad, NowMs() - start);
        CTimedViewer viewer(&image);
        viewer.SetCaption(name);
        viewer.DoModal();
        bestOpen = std::min(bestOpen, viewer.paintedAt - start);
        bestScroll = std::min(bestScroll, viewer.scrollMs);
    }
    std::printf("%s: decode %.0f ms, open to first paint %.0f ms (%.2f x decode), page scroll %.1f ms\n",
                name, bestDecode, bestOpen, bestOpen / bestDecode, bestScroll);
    std::printf("%s: of which the load %.0f ms (library decode %.0f ms, bitmap file %.0f ms, DIB "
                "section from the file %.0f ms), the window %.0f ms\n",
                name, bestLoad, bestLibraryDecode, bestWrite, bestSection, bestOpen - bestLoad);
}

}  // namespace

int main() {
    CWinApp app;
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string twelve = std::string(temp) + "fotoloft-bench-12mp.jpg";
    const std::string twentyFour = std::string(temp) + "fotoloft-bench-24mp.jpg";
    if (!WriteJpeg(twelve, 4000, 3000) || !WriteJpeg(twentyFour, 6000, 4000)) {
        std::printf("could not write the test pictures\n");
        return 1;
    }
    Measure(twelve, "12 MP");
    Measure(twentyFour, "24 MP");
    ::DeleteFileA(twelve.c_str());
    ::DeleteFileA(twentyFour.c_str());
    return 0;
}
