// Saving as a Windows bitmap: the system's LoadImage reads back the very pixels that were
// loaded, a save replaces the file at its path, and a refused save leaves nothing behind.
#include "ImagingTestSupport.h"

using namespace imaging_test;

namespace {

class SaveTest : public ImagingTest {};

TEST_F(SaveTest, LoadImageReadsTheSavedPixels) {
    const struct {
        const char* name;
        std::string file;
        int bitsPerPixel; // asked of the save
        int savedBits;
    } cases[] = {
        {"colour JPEG, odd width", EncodeJpeg(Pattern(37, 23, 3)), 0, 24},
        {"large colour JPEG (two bands, several writes)", EncodeJpeg(Pattern(1501, 901, 3)), 0, 24},
        {"progressive JPEG", EncodeJpeg(Pattern(64, 48, 3), {true, 0, false}), 0, 24},
        {"gray JPEG", EncodeJpeg(Pattern(33, 17, 1)), 0, 8},
        {"gray JPEG saved as colour", EncodeJpeg(Pattern(33, 17, 1)), 24, 24},
        {"8-bit gray bitmap", EncodeBmp(Pattern(5, 3, 1), 8, true, GrayPalette()), 0, 8},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        std::string source = WriteFile("source", test.file);
        // The program saves over the empty temporary file it has just made.
        std::string saved = WriteFile("DFT1.tmp", "");
        IMGBITMAP bitmap{};
        ASSERT_EQ(1, Load(source, &bitmap));
        ASSERT_EQ(1, L().save(saved.c_str(), &bitmap, IMG_FORMAT_BMP, test.bitsPerPixel, 0));
        EXPECT_EQ("DFT1.tmp source", scratch::ListFiles(m_folder.Path()));

        Picture system;
        ASSERT_TRUE(LoadWithSystem(saved, &system)) << "LoadImage refused " << saved;
        ASSERT_EQ(test.savedBits, system.components * 8);
        IMGBITMAP expected{};
        ASSERT_EQ(1, Load(source, &expected, test.savedBits));
        EXPECT_TRUE(SamePixels(system, expected));
    }
}

TEST_F(SaveTest, RefusedSavesWriteNothing) {
    std::string source = WriteFile("source.jpg", EncodeJpeg(Pattern(8, 8, 3)));
    IMGBITMAP colour{};
    ASSERT_EQ(1, Load(source, &colour));
    IMGBITMAP noPixels = colour;
    noPixels.bits = nullptr;
    IMGBITMAP giant = colour;
    giant.height = 0x7FFFFFFF;
    const std::string target = m_folder / "out.bmp";
    const struct {
        const char* name;
        std::string path;
        IMGBITMAP* bitmap;
        int format;
        int bitsPerPixel;
    } cases[] = {
        {"a JPEG format code", target, &colour, IMG_FORMAT_JPEG, 0},
        {"colour as 8-bit", target, &colour, IMG_FORMAT_BMP, 8},
        {"no pixels", target, &noPixels, IMG_FORMAT_BMP, 0},
        {"a giant record", target, &giant, IMG_FORMAT_BMP, 0},
        {"a missing folder", m_folder / "missing\\out.bmp", &colour, IMG_FORMAT_BMP, 0},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_NE(1, L().save(test.path.c_str(), test.bitmap, test.format, test.bitsPerPixel, 0));
        EXPECT_EQ("source.jpg", scratch::ListFiles(m_folder.Path()));
    }
}

} // namespace
