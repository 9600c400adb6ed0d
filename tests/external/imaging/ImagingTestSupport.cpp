#include "ImagingTestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace imaging_test {

namespace {

Library LoadOnce() {
    Library l;
    l.file = LoadLibraryA((scratch::ExeFolder() + "\\LTFIL80N.dll").c_str());
    l.kernel = LoadLibraryA((scratch::ExeFolder() + "\\LTKRN80N.dll").c_str());
    if (l.file == nullptr || l.kernel == nullptr) {
        return {};
    }
    auto entry = [](HMODULE module, WORD ordinal) {
        return reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal)));
    };
    l.fileInfo = reinterpret_cast<PFN_IMG_FILE_INFO>(entry(l.file, IMG_ORDINAL_FILE_INFO));
    l.load = reinterpret_cast<PFN_IMG_LOAD_FILE>(entry(l.file, IMG_ORDINAL_LOAD_FILE));
    l.save = reinterpret_cast<PFN_IMG_SAVE_FILE>(entry(l.file, IMG_ORDINAL_SAVE_FILE));
    l.setOption = reinterpret_cast<PFN_IMG_SET_OPTION>(entry(l.file, IMG_ORDINAL_SET_OPTION));
    l.freeBitmap = reinterpret_cast<PFN_IMG_FREE_BITMAP>(entry(l.kernel, IMG_ORDINAL_FREE_BITMAP));
    l.lastOption = reinterpret_cast<PFN_IMG_DIAGNOSTIC_LAST_OPTION>(
        GetProcAddress(l.file, "ImgDiagnosticLastOption"));
    bool complete = l.fileInfo && l.load && l.save && l.setOption && l.freeBitmap && l.lastOption;
    return complete ? l : Library{};
}

// Little- or big-endian numbers of `bytes` bytes.
std::string Number(unsigned long value, int bytes, bool bigEndian = false) {
    std::string out;
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>(value >> 8 * (bigEndian ? bytes - 1 - i : i) & 0xFF);
    }
    return out;
}

// "Exif\0\0", a TIFF header, and one image directory holding the orientation alone.
std::string ExifSegment(int orientation, bool big) {
    return std::string("Exif\0\0", 6) + (big ? "MM" : "II") + Number(42, 2, big) +
           Number(8, 4, big) + Number(1, 2, big) + Number(0x0112, 2, big) + Number(3, 2, big) +
           Number(1, 4, big) + Number(orientation, 2, big) + Number(0, 2, big) + Number(0, 4, big);
}

} // namespace

std::vector<std::string> ExportNames(HMODULE module) {
    auto* base = reinterpret_cast<const BYTE*>(module);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    DWORD at = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress;
    std::vector<std::string> names;
    if (at != 0) {
        auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + at);
        auto* offsets = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
        for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
            names.push_back(reinterpret_cast<const char*>(base + offsets[i]));
        }
    }
    return names;
}

Picture Pattern(int width, int height, int components) {
    Picture picture{width, height, components, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width * components; ++x) {
            int c = x % components;
            int edge = (x / components / 8 + y / 8 + c) % 2 == 0 ? 0 : 90;
            picture.pixels.push_back(
                static_cast<BYTE>(x / components * (5 + c * 3) + y * (3 + c) + edge));
        }
    }
    return picture;
}

std::string EncodeJpeg(const Picture& picture, const JpegOptions& options) {
    jpeg_compress_struct jpeg{};
    jpeg_error_mgr error{};
    jpeg.err = jpeg_std_error(&error);
    jpeg_create_compress(&jpeg);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&jpeg, &buffer, &size);
    jpeg.image_width = picture.width;
    jpeg.image_height = picture.height;
    jpeg.input_components = picture.components;
    const J_COLOR_SPACE spaces[] = {JCS_GRAYSCALE, JCS_GRAYSCALE, JCS_EXT_BGR, JCS_EXT_BGR,
                                    JCS_CMYK};
    jpeg.in_color_space = spaces[picture.components];
    jpeg_set_defaults(&jpeg);
    jpeg_set_quality(&jpeg, options.quality, TRUE);
    if (options.progressive) {
        jpeg_simple_progression(&jpeg);
    }
    if (picture.components == 3) {
        jpeg.comp_info[0].h_samp_factor = options.lumaSampling[0];
        jpeg.comp_info[0].v_samp_factor = options.lumaSampling[1];
    }
    jpeg_start_compress(&jpeg, TRUE);
    if (options.orientation != 0) {
        std::string exif = ExifSegment(options.orientation, options.bigEndianExif);
        jpeg_write_marker(&jpeg, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(exif.data()),
                          static_cast<unsigned>(exif.size()));
    }
    const size_t rowBytes = static_cast<size_t>(picture.width) * picture.components;
    while (jpeg.next_scanline < jpeg.image_height) {
        JSAMPROW row = const_cast<BYTE*>(&picture.pixels[jpeg.next_scanline * rowBytes]);
        jpeg_write_scanlines(&jpeg, &row, 1);
    }
    jpeg_finish_compress(&jpeg);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&jpeg);
    free(buffer);
    return bytes;
}

Picture DecodeJpeg(const std::string& bytes, bool fast) {
    jpeg_decompress_struct jpeg{};
    jpeg_error_mgr error{};
    jpeg.err = jpeg_std_error(&error);
    jpeg_create_decompress(&jpeg);
    jpeg_mem_src(&jpeg, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&jpeg, TRUE);
    if (jpeg.jpeg_color_space != JCS_GRAYSCALE) {
        jpeg.out_color_space = JCS_EXT_BGR;
    }
    if (fast) {
        jpeg.dct_method = JDCT_IFAST;
        jpeg.do_fancy_upsampling = FALSE;
    }
    jpeg_start_decompress(&jpeg);
    Picture picture{static_cast<int>(jpeg.output_width),
                    static_cast<int>(jpeg.output_height),
                    jpeg.output_components,
                    {}};
    const size_t rowBytes = static_cast<size_t>(picture.width) * picture.components;
    picture.pixels.resize(rowBytes * picture.height);
    while (jpeg.output_scanline < jpeg.output_height) {
        JSAMPROW row = &picture.pixels[jpeg.output_scanline * rowBytes];
        jpeg_read_scanlines(&jpeg, &row, 1);
    }
    jpeg_finish_decompress(&jpeg);
    jpeg_destroy_decompress(&jpeg);
    return picture;
}

std::string EncodeBmp(const Picture& picture, int bitCount, bool topDown,
                      const std::vector<BYTE>& palette) {
    const size_t stride = (static_cast<size_t>(picture.width) * bitCount + 31) / 32 * 4;
    const unsigned long offBits = 14 + 40 + static_cast<unsigned long>(palette.size());
    std::string out = "BM" + Number(offBits + stride * picture.height, 4) + Number(0, 4) +
                      Number(offBits, 4) + Number(40, 4) + Number(picture.width, 4) +
                      Number(topDown ? -picture.height : picture.height, 4) + Number(1, 2) +
                      Number(bitCount, 2) + Number(BI_RGB, 4) + Number(stride * picture.height, 4) +
                      Number(0, 16) + std::string(palette.begin(), palette.end());
    for (int i = 0; i < picture.height; ++i) {
        int y = topDown ? i : picture.height - 1 - i;
        std::string row(stride, '\0');
        for (int x = 0; x < picture.width; ++x) {
            const size_t at = (static_cast<size_t>(y) * picture.width + x) * picture.components;
            std::memcpy(&row[x * bitCount / 8], &picture.pixels[at], picture.components);
        }
        out += row;
    }
    return out;
}

std::vector<BYTE> GrayPalette() {
    std::vector<BYTE> palette;
    for (int i = 0; i < 256; ++i) {
        palette.insert(palette.end(), {BYTE(i), BYTE(i), BYTE(i), 0});
    }
    return palette;
}

::testing::AssertionResult SamePixels(const Picture& expected, const IMGBITMAP& bitmap) {
    const LONG used = expected.width * expected.components;
    if (bitmap.width != expected.width || bitmap.height != expected.height ||
        bitmap.bitsPerPixel != expected.components * 8 ||
        bitmap.bytesPerLine != ((used + 3) & ~3) || bitmap.bits == nullptr) {
        return ::testing::AssertionFailure()
               << "expected " << expected.width << "x" << expected.height << " at "
               << expected.components * 8 << " bits; came " << bitmap.width << "x" << bitmap.height
               << " at " << bitmap.bitsPerPixel << " bits, " << bitmap.bytesPerLine
               << " bytes a row";
    }
    for (int y = 0; y < expected.height; ++y) {
        for (LONG i = 0; i < used; ++i) {
            BYTE want = expected.pixels[static_cast<size_t>(y) * used + i];
            BYTE got = ImgRow(bitmap, y)[i];
            if (want != got) {
                return ::testing::AssertionFailure()
                       << "row " << y << " byte " << i << ": expected " << int(want) << ", came "
                       << int(got);
            }
        }
    }
    return ::testing::AssertionSuccess();
}

bool LoadWithSystem(const std::string& path, Picture* picture) {
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                                     LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    DIBSECTION dib{};
    if (bitmap == nullptr) {
        return false;
    }
    if (GetObjectA(bitmap, sizeof dib, &dib) != sizeof dib) {
        DeleteObject(bitmap);
        return false;
    }
    *picture = Picture{dib.dsBm.bmWidth, dib.dsBm.bmHeight, dib.dsBm.bmBitsPixel / 8, {}};
    for (int y = 0; y < picture->height; ++y) {
        int row = dib.dsBmih.biHeight > 0 ? picture->height - 1 - y : y; // bottom-up or not
        const BYTE* bits = static_cast<const BYTE*>(dib.dsBm.bmBits) + row * dib.dsBm.bmWidthBytes;
        picture->pixels.insert(picture->pixels.end(), bits,
                               bits + picture->width * picture->components);
    }
    DeleteObject(bitmap);
    return true;
}

void ImagingTest::SetUp() {
    static const Library library = LoadOnce();
    ASSERT_NE(nullptr, library.file)
        << "LTFIL80N.dll or LTKRN80N.dll, or one of their entries, is missing in "
        << scratch::ExeFolder();
    m_library = &library;
    ASSERT_TRUE(m_folder.IsReady());
}

void ImagingTest::TearDown() {
    for (IMGBITMAP& bitmap : m_loaded) {
        m_library->freeBitmap(&bitmap);
    }
}

std::string ImagingTest::WriteFile(const std::string& name, const std::string& bytes) {
    std::string path = m_folder / name;
    EXPECT_TRUE(scratch::WriteBytes(path, bytes)) << path;
    return path;
}

int ImagingTest::Load(const std::string& path, IMGBITMAP* bitmap, int bitsPerPixel) {
    int result = L().load(path.c_str(), bitmap, bitsPerPixel, 1);
    if (result == 1) {
        m_loaded.push_back(*bitmap);
    }
    return result;
}

} // namespace imaging_test
