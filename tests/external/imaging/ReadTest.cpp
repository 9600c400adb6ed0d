// Reading JPEG and Windows bitmap files: what the file-information entry reports, and that a
// load hands back exactly libjpeg-turbo's decode or the bitmap's own pixels.
#include "ImagingTestSupport.h"

using namespace imaging_test;

namespace {

class ReadTest : public ImagingTest {};

TEST_F(ReadTest, JpegInfoAndPixelsAsStored) {
    const JpegOptions progressive{true, 0, false};
    // The camera held sideways: the orientation is reported, the pixels stay as stored.
    const JpegOptions turned{false, 6, false};
    const JpegOptions turnedBigEndian{false, 8, true};
    const struct {
        const char* name;
        Picture picture;
        JpegOptions options;
        LONG format;
        LONG orientation;
    } cases[] = {
        {"baseline colour", Pattern(37, 23, 3), {}, IMG_FORMAT_JPEG, 0},
        {"progressive colour", Pattern(64, 48, 3), progressive, IMG_FORMAT_JPEG_PROGRESSIVE, 0},
        {"gray", Pattern(33, 17, 1), {}, IMG_FORMAT_JPEG_GRAY, 0},
        {"progressive gray", Pattern(20, 30, 1), progressive, IMG_FORMAT_JPEG_GRAY, 0},
        {"EXIF orientation 6", Pattern(40, 24, 3), turned, IMG_FORMAT_JPEG, 6},
        {"EXIF orientation 8, big-endian", Pattern(16, 8, 3), turnedBigEndian, IMG_FORMAT_JPEG, 8},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        std::string jpeg = EncodeJpeg(test.picture, test.options);
        std::string path = WriteFile("in.jpg", jpeg);
        IMGFILEINFO info{};
        ASSERT_EQ(1, L().fileInfo(path.c_str(), &info));
        EXPECT_EQ(test.format, info.format);
        EXPECT_EQ(test.picture.width, info.width);
        EXPECT_EQ(test.picture.height, info.height);
        EXPECT_EQ(test.picture.components * 8, info.bitsPerPixel);
        EXPECT_EQ(test.orientation, info.orientation);
        IMGBITMAP bitmap{};
        ASSERT_EQ(1, Load(path, &bitmap));
        EXPECT_TRUE(SamePixels(DecodeJpeg(jpeg), bitmap));
    }
}

// A picture of a megapixel or more is decoded in two bands on two threads: every sampling,
// progressive or not, the fast settings too, an upper band whose last block row is cut by
// the split, and a height that does not end on a block row: the same pixels as one decode.
TEST_F(ReadTest, LargePicturesDecodedInBandsAreOneDecode) {
    const struct {
        const char* name;
        Picture picture;
        JpegOptions options;
    } cases[] = {
        {"4:2:0, height not a whole block row", Pattern(1280, 833, 3), {}},
        {"4:2:2", Pattern(1283, 820, 3), {false, 0, false, {2, 1}}},
        {"4:4:4", Pattern(1024, 1031, 3), {false, 0, false, {1, 1}}},
        {"4:4:0", Pattern(1030, 1030, 3), {false, 0, false, {1, 2}}},
        {"gray", Pattern(1100, 1000, 1), {}},
        {"progressive 4:2:0", Pattern(1280, 840, 3), {true, 0, false}},
        {"progressive gray", Pattern(1024, 1030, 1), {true, 0, false}},
    };
    for (bool fast : {false, true}) {
        ASSERT_EQ(1, L().setOption(IMG_OPTION_JPEG_DECODE, fast ? 1 : 0, 0));
        for (const auto& test : cases) {
            SCOPED_TRACE(std::string(test.name) + (fast ? ", fast" : ""));
            std::string jpeg = EncodeJpeg(test.picture, test.options);
            IMGBITMAP bitmap{};
            ASSERT_EQ(1, Load(WriteFile("large.jpg", jpeg), &bitmap));
            EXPECT_TRUE(SamePixels(DecodeJpeg(jpeg, fast), bitmap));
        }
    }
    L().setOption(IMG_OPTION_JPEG_DECODE, 0, 0);
}

// Adobe-style inverted CMYK: the left half cyan ink alone, the right half no ink at all.
TEST_F(ReadTest, CmykJpegReadAsColour) {
    Picture cmyk{16, 8, 4, {}};
    for (int i = 0; i < 16 * 8; ++i) {
        cmyk.pixels.insert(cmyk.pixels.end(), {BYTE(i % 16 < 8 ? 0 : 255), 255, 255, 255});
    }
    std::string path = WriteFile("cmyk.jpg", EncodeJpeg(cmyk));
    IMGFILEINFO info{};
    ASSERT_EQ(1, L().fileInfo(path.c_str(), &info));
    EXPECT_EQ(IMG_FORMAT_JPEG_OTHER, info.format);
    EXPECT_EQ(32, info.bitsPerPixel);
    IMGBITMAP bitmap{};
    ASSERT_EQ(1, Load(path, &bitmap));
    ASSERT_EQ(24, bitmap.bitsPerPixel);
    const BYTE* cyan = ImgRow(bitmap, 4) + 2 * 3;
    const BYTE* white = ImgRow(bitmap, 4) + 13 * 3;
    const int expectedCyan[3] = {255, 255, 0}; // blue, green, red
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(expectedCyan[c], cyan[c], 6) << "component " << c;
        EXPECT_NEAR(255, white[c], 6) << "component " << c;
    }
}

TEST_F(ReadTest, BitmapInfoAndPixels) {
    const struct {
        const char* name;
        int bitCount;
        bool topDown;
        bool grayPalette; // for 8-bit: the grays, or a table of colours
    } cases[] = {
        {"24-bit bottom-up", 24, false, false},      {"24-bit top-down", 24, true, false},
        {"32-bit bottom-up", 32, false, false},      {"8-bit gray", 8, false, true},
        {"8-bit colours, top-down", 8, true, false},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        Picture source = Pattern(13, 7, test.bitCount == 8 ? 1 : 3);
        Picture expected = source;
        std::vector<BYTE> palette = GrayPalette();
        if (test.bitCount == 8 && !test.grayPalette) {
            for (size_t i = 0; i < palette.size(); ++i) {
                palette[i] = static_cast<BYTE>(i * (i % 4 + 1));
            }
            expected = Picture{source.width, source.height, 3, {}};
            for (BYTE index : source.pixels) {
                expected.pixels.insert(expected.pixels.end(), &palette[index * 4],
                                       &palette[index * 4 + 3]);
            }
        }
        std::string path =
            WriteFile("in.bmp", EncodeBmp(source, test.bitCount, test.topDown,
                                          test.bitCount == 8 ? palette : std::vector<BYTE>{}));
        IMGFILEINFO info{};
        ASSERT_EQ(1, L().fileInfo(path.c_str(), &info));
        EXPECT_EQ(IMG_FORMAT_BMP, info.format);
        EXPECT_EQ(13, info.width);
        EXPECT_EQ(7, info.height);
        EXPECT_EQ(test.bitCount, info.bitsPerPixel);
        IMGBITMAP bitmap{};
        ASSERT_EQ(1, Load(path, &bitmap));
        EXPECT_TRUE(SamePixels(expected, bitmap));
    }
}

} // namespace
