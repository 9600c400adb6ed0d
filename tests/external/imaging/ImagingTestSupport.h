// What the imaging library's tests share: the two DLLs loaded as the program loads them (by
// ordinal, from the test's folder), test pictures made with libjpeg-turbo and by hand, and
// a pixel comparison that names the first difference.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "external/imaging/ImagingLibrary.h"
#include "tests/support/ScratchFiles.h"

namespace imaging_test {

struct Library {
    HMODULE file = nullptr;
    HMODULE kernel = nullptr;
    PFN_IMG_FILE_INFO fileInfo = nullptr;
    PFN_IMG_LOAD_FILE load = nullptr;
    PFN_IMG_SAVE_FILE save = nullptr;
    PFN_IMG_SET_OPTION setOption = nullptr;
    PFN_IMG_FREE_BITMAP freeBitmap = nullptr;
    PFN_IMG_DIAGNOSTIC_LAST_OPTION lastOption = nullptr;
};

// The names in a loaded module's export table.
std::vector<std::string> ExportNames(HMODULE module);

// Packed top-down rows of 1 (gray), 3 (blue, green, red) or 4 (CMYK) bytes a pixel.
struct Picture {
    int width = 0;
    int height = 0;
    int components = 0;
    std::vector<BYTE> pixels;
};

// Gradients with sharp edges, different in every component.
Picture Pattern(int width, int height, int components);

struct JpegOptions {
    bool progressive = false;
    int orientation = 0; // written as an EXIF APP1 segment when not 0
    bool bigEndianExif = false;
    // Of a colour picture's luma, horizontally and vertically; 2, 2 is 4:2:0, 1, 1 is 4:4:4.
    int lumaSampling[2] = {2, 2};
    int quality = 90;
};
// Encodes gray, BGR or (Adobe-style, inverted) CMYK pixels.
std::string EncodeJpeg(const Picture& picture, const JpegOptions& options = {});
// libjpeg-turbo's own decode, with its defaults or its fast settings: what the library must
// hand back.
Picture DecodeJpeg(const std::string& jpeg, bool fast = false);

// A Windows bitmap file: 24- or 32-bit from BGR pixels, or 8-bit whose pixels are indexes
// into `palette` (4 bytes an entry).
std::string EncodeBmp(const Picture& picture, int bitCount, bool topDown,
                      const std::vector<BYTE>& palette = {});
std::vector<BYTE> GrayPalette();

// The record holds exactly `expected`: its size, depth, padded row length and every pixel.
::testing::AssertionResult SamePixels(const Picture& expected, const IMGBITMAP& bitmap);

// Reads a bitmap file with the system's LoadImage as a DIB section; false when it cannot.
bool LoadWithSystem(const std::string& path, Picture* picture);

// Loads the library (once), gives each test a scratch folder, and releases what a test
// loaded through Load.
class ImagingTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    const Library& L() const { return *m_library; }
    // Writes `bytes` into the scratch folder; the file's path.
    std::string WriteFile(const std::string& name, const std::string& bytes);
    // Loads `path` in BGR order; a copy of the record is released at the end, so a test that
    // releases a record itself loads it through L().load.
    int Load(const std::string& path, IMGBITMAP* bitmap, int bitsPerPixel = 0);

    scratch::Directory m_folder{"imaging"};
    const Library* m_library = nullptr;
    std::vector<IMGBITMAP> m_loaded;
};

} // namespace imaging_test
