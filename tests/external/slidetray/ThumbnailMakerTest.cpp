// Thumbnails of real files made as the tests run: EXIF previews, decoded pictures of several
// formats, clips, and every kind of unreadable file; their sizes, where they came from and
// their colours, and for JPEG their pixels against a reference decode.
#include <windows.h>
#include <objbase.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "ThumbnailTestFiles.h"
#include "external/slidetray/CompactThumbnail.h"
#include "external/slidetray/ExifReader.h"
#include "external/slidetray/ThumbnailMaker.h"
#include "tests/external/imaging/ImagingTestSupport.h"
#include "tests/support/ScratchFiles.h"

using namespace thumbnail_test;

namespace {

// JPEG, clip and placeholder colours differ from what was written by a little.
const int kTolerance = 48;
const uint32_t kFilmBase = 0x262626;

const char* SourceName(ThumbnailSource source) {
    switch (source) {
    case ThumbnailSource::ExifThumbnail:
        return "ExifThumbnail";
    case ThumbnailSource::Decoded:
        return "Decoded";
    case ThumbnailSource::VideoFrame:
        return "VideoFrame";
    case ThumbnailSource::Placeholder:
        return "Placeholder";
    }
    return "?";
}

struct Made {
    bool ok = false;
    ThumbnailSource source = ThumbnailSource::ExifThumbnail;
    ThumbnailImage image;

    // The pixel at a fraction of the width and height.
    uint32_t At(double fx, double fy) const {
        int x = std::min(image.width - 1, static_cast<int>(fx * image.width));
        int y = std::min(image.height - 1, static_cast<int>(fy * image.height));
        return image.pixels[size_t(y) * size_t(image.width) + size_t(x)];
    }
    std::string Size() const {
        return std::to_string(image.width) + "x" + std::to_string(image.height);
    }
};

Made Make(const std::string& path, int maxWidth, int maxHeight) {
    Made made;
    made.ok = MakeThumbnail(path.c_str(), maxWidth, maxHeight, &made.image, &made.source);
    EXPECT_EQ(size_t(made.image.width) * size_t(made.image.height), made.image.pixels.size())
        << path << ": pixel count does not match the size";
    return made;
}

// Where a thumbnail's colour is checked, as fractions of its size, and what it must be.
struct Probe {
    double fx;
    double fy;
    uint32_t colour;
};

void ExpectColours(const Made& made, const std::vector<Probe>& probes, const std::string& what) {
    if (made.image.pixels.empty()) {
        ADD_FAILURE() << what << ": no pixels";
        return;
    }
    for (const Probe& probe : probes) {
        uint32_t got = made.At(probe.fx, probe.fy);
        EXPECT_LE(ColourDistance(probe.colour, got), kTolerance)
            << what << " at (" << probe.fx << ", " << probe.fy << "): expected "
            << Hex(probe.colour) << ", got " << Hex(got);
    }
}

// Where a picture red on top and blue at the bottom shows its colours once turned the way the
// orientation says.
std::vector<Probe> RedTopBlueBottomShown(int orientation) {
    switch (orientation) {
    case 3:
        return {{0.5, 0.15, kBlue}, {0.5, 0.85, kRed}};
    case 6:
        return {{0.85, 0.5, kRed}, {0.15, 0.5, kBlue}};
    case 8:
        return {{0.15, 0.5, kRed}, {0.85, 0.5, kBlue}};
    default:
        return {{0.5, 0.15, kRed}, {0.5, 0.85, kBlue}};
    }
}

size_t DistinctColours(const ThumbnailImage& image) {
    return std::set<uint32_t>(image.pixels.begin(), image.pixels.end()).size();
}

// JPEG pictures go through libjpeg-turbo at a reduced DCT scale; their thumbnails are compared
// by pixels with a reference: the whole picture decoded by libjpeg-turbo with its defaults (the
// imaging tests' DecodeJpeg), shrunk by the same area filter and turned by OrientThumbnail,
// whose turns OrientThumbnailTest checks on their own.
// How far a thumbnail may stray from the reference. A reduced inverse DCT is the block as its
// lowest coefficients describe it, not an average of the decoded pixels, and at 1/8 the colour
// planes are averaged over a whole 16x16 block before they are spread out again: where an edge
// crosses a block the two differ by up to some twenty levels (24 seen, at the disc's rim);
// elsewhere they agree within a level or two. A wrong turn, mirror, scale, shift or channel
// order moves the mean by tens of levels, or an edge pixel by a hundred and more.
const int kPixelTolerance = 32;
const double kMeanTolerance = 1.0;

// Colour ramps across and down with a dark block and a bright disc on them, as photographs
// have: edges to show a turn, mirror or shift, colours no more saturated than a camera's.
imaging_test::Picture Scene(int width, int height, int components = 3) {
    imaging_test::Picture picture{width, height, components, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int r = 60 + 150 * x / width;
            int g = 50 + 160 * y / height;
            int b = 200 - 140 * (x + y) / (width + height);
            if (x >= width / 5 && x < width / 2 && y >= height / 4 && y < height / 2) {
                r = g = b = 40;
            }
            int dx = x - width * 7 / 10;
            int dy = y - height * 6 / 10;
            if (dx * dx + dy * dy < height * height / 36) {
                r = 240;
                g = 215;
                b = 130;
            }
            if (components == 1) {
                picture.pixels.push_back(uint8_t((r + 2 * g + b) / 4));
            } else {
                picture.pixels.insert(picture.pixels.end(), {uint8_t(b), uint8_t(g), uint8_t(r)});
            }
        }
    }
    return picture;
}

// The reference thumbnail of a JPEG file's bytes, for the box and the orientation given.
ThumbnailImage Reference(const std::string& jpeg, int orientation, int box) {
    imaging_test::Picture full = imaging_test::DecodeJpeg(jpeg);
    std::vector<uint8_t> bgr;
    for (size_t i = 0; i < full.pixels.size(); i += size_t(full.components)) {
        for (int c = 0; c < 3; ++c) {
            bgr.push_back(full.pixels[i + (full.components == 1 ? 0 : size_t(c))]);
        }
    }
    const bool turned = orientation >= 5;
    int width = 0;
    int height = 0;
    FitThumbnailSize(turned ? full.height : full.width, turned ? full.width : full.height, box, box,
                     &width, &height);
    ThumbnailImage image;
    EXPECT_TRUE(ShrinkPicture(bgr.data(), full.width, full.height, full.width * 3, 3,
                              turned ? height : width, turned ? width : height, &image));
    OrientThumbnail(&image, orientation);
    return image;
}

::testing::AssertionResult CloseTo(const ThumbnailImage& expected, const ThumbnailImage& got) {
    if (got.width != expected.width || got.height != expected.height) {
        return ::testing::AssertionFailure()
               << "size " << got.width << "x" << got.height << ", expected " << expected.width
               << "x" << expected.height;
    }
    int worst = -1;
    size_t at = 0;
    double sum = 0.0;
    for (size_t i = 0; i < expected.pixels.size(); ++i) {
        for (int shift : {0, 8, 16}) {
            sum += std::abs(int((expected.pixels[i] >> shift) & 0xFF) -
                            int((got.pixels[i] >> shift) & 0xFF));
        }
        int distance = ColourDistance(expected.pixels[i], got.pixels[i]);
        if (distance > worst) {
            worst = distance;
            at = i;
        }
    }
    double mean = sum / (3.0 * double(expected.pixels.size()));
    if (worst > kPixelTolerance || mean > kMeanTolerance) {
        return ::testing::AssertionFailure()
               << "mean difference " << mean << " levels; worst pixel (" << at % size_t(got.width)
               << ", " << at / size_t(got.width) << ") is " << Hex(got.pixels[at]) << ", expected "
               << Hex(expected.pixels[at]);
    }
    return ::testing::AssertionSuccess();
}

class ThumbnailMakerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.IsReady()); }

    std::string Write(const std::string& name, const std::string& bytes) {
        std::string path = m_folder / name;
        EXPECT_TRUE(scratch::WriteBytes(path, bytes)) << "cannot write " << path;
        return path;
    }

    // A 640x480 green picture whose EXIF holds a 160x120 red-over-blue preview.
    std::string JpegWithPreview(const std::string& name, bool bigEndian, int orientation) {
        std::string preview = Encode(TopAndBottom(160, 120, kRed, kBlue), Encoding::JpegColour);
        std::string main = Encode(Solid(640, 480, kGreen), Encoding::JpegColour);
        std::string exif = ExifSegment(MakeExifBlock(bigEndian, orientation, preview));
        return Write(name, InsertSegment(main, exif, false));
    }

    scratch::Directory m_folder{"thumbs"};
};

TEST_F(ThumbnailMakerTest, ExifPreviewTurnedAsTheCameraWasHeld) {
    const struct {
        int orientation;
        bool bigEndian;
        const char* size;
    } kCases[] = {{1, false, "96x72"}, {3, true, "96x72"}, {6, false, "72x96"}, {8, true, "72x96"}};
    for (const auto& test : kCases) {
        std::string what = "orientation " + std::to_string(test.orientation);
        Made made = Make(JpegWithPreview("preview.jpg", test.bigEndian, test.orientation), 96, 96);
        EXPECT_TRUE(made.ok) << what;
        EXPECT_STREQ("ExifThumbnail", SourceName(made.source)) << what;
        EXPECT_EQ(test.size, made.Size()) << what;
        ExpectColours(made, RedTopBlueBottomShown(test.orientation), what);
    }
}

TEST_F(ThumbnailMakerTest, ExifPreviewIsUsedWithoutDecodingThePicture) {
    // Only the header of a 4000x3000 picture: decoding it would fail.
    std::string preview = Encode(Solid(160, 120, kBlue), Encoding::JpegColour);
    std::string exif = ExifSegment(MakeExifBlock(false, 6, preview));
    std::string path = Write("big.jpg", InsertSegment(scratch::JpegHeader(4000, 3000), exif, true));

    Made made = Make(path, 160, 160);

    EXPECT_TRUE(made.ok);
    EXPECT_STREQ("ExifThumbnail", SourceName(made.source));
    EXPECT_EQ("120x160", made.Size());
    ExpectColours(made, {{0.5, 0.5, kBlue}}, "preview");
}

TEST_F(ThumbnailMakerTest, PictureIsDecodedWhenThePreviewCannotServe) {
    std::string green = Encode(Solid(640, 480, kGreen), Encoding::JpegColour);
    std::string bluePreview = Encode(Solid(160, 120, kBlue), Encoding::JpegColour);
    ExifBlock broken = MakeExifBlock(true, 1, std::string("\xFF\xD8\xFF\xC0", 4) + "garbage");
    const struct {
        const char* name;
        std::string exif;
        int box;
        const char* size;
    } kCases[] = {
        {"preview smaller than the box", ExifSegment(MakeExifBlock(false, 1, bluePreview)), 320,
         "320x240"},
        {"preview that does not decode", ExifSegment(broken), 96, "96x72"},
        {"no preview", ExifSegment(MakeExifBlock(false, 1, "")), 96, "96x72"},
    };
    for (const auto& test : kCases) {
        Made made =
            Make(Write("green.jpg", InsertSegment(green, test.exif, false)), test.box, test.box);
        EXPECT_TRUE(made.ok) << test.name;
        EXPECT_STREQ("Decoded", SourceName(made.source)) << test.name;
        EXPECT_EQ(test.size, made.Size()) << test.name;
        ExpectColours(made, {{0.5, 0.5, kGreen}}, test.name);
    }
}

TEST_F(ThumbnailMakerTest, DecodedPictureTurnedByItsExifOrientation) {
    std::string jpeg = Encode(TopAndBottom(640, 480, kRed, kBlue), Encoding::JpegColour);
    for (int orientation : {1, 3, 6, 8}) {
        std::string what = "orientation " + std::to_string(orientation);
        std::string exif = ExifSegment(MakeExifBlock(orientation % 2 == 0, orientation, ""));
        Made made = Make(Write("turned.jpg", InsertSegment(jpeg, exif, true)), 100, 100);
        EXPECT_TRUE(made.ok) << what;
        EXPECT_STREQ("Decoded", SourceName(made.source)) << what;
        EXPECT_EQ(orientation >= 5 ? "75x100" : "100x75", made.Size()) << what;
        ExpectColours(made, RedTopBlueBottomShown(orientation), what);
    }
}

TEST_F(ThumbnailMakerTest, PicturesOfEachFormat) {
    const struct {
        const char* name;
        Encoding encoding;
        uint32_t top;
        uint32_t bottom;
    } kCases[] = {
        {"colour.jpg", Encoding::JpegColour, kRed, kBlue},
        {"grey.jpg", Encoding::JpegGray, kWhite, kBlack},
        {"picture.png", Encoding::Png, kRed, kBlue},
        {"picture.bmp", Encoding::Bmp, kRed, kBlue},
        {"picture.tif", Encoding::Tiff, kRed, kBlue},
    };
    for (const auto& test : kCases) {
        std::string bytes = Encode(TopAndBottom(300, 200, test.top, test.bottom), test.encoding);
        ASSERT_FALSE(bytes.empty()) << test.name;
        if (test.encoding == Encoding::JpegGray) {
            ASSERT_EQ(1, JpegComponents(bytes)) << "the grey JPEG is not stored as grey";
        }
        Made made = Make(Write(test.name, bytes), 90, 90);
        EXPECT_TRUE(made.ok) << test.name;
        EXPECT_STREQ("Decoded", SourceName(made.source)) << test.name;
        EXPECT_EQ("90x60", made.Size()) << test.name;
        ExpectColours(made, {{0.5, 0.2, test.top}, {0.5, 0.8, test.bottom}}, test.name);
    }
}

TEST_F(ThumbnailMakerTest, SmallPictureIsNotEnlarged) {
    Made made = Make(Write("small.png", Encode(Solid(40, 30, kGreen), Encoding::Png)), 96, 96);

    EXPECT_TRUE(made.ok);
    EXPECT_EQ("40x30", made.Size());
    ExpectColours(made, {{0, 0, kGreen}, {0.99, 0.99, kGreen}}, "small picture");
}

TEST_F(ThumbnailMakerTest, CheckerAveragesToGrey) {
    Picture checker = Solid(2, 2, kBlack);
    checker.pixels[0] = checker.pixels[3] = kWhite;

    Made made = Make(Write("checker.bmp", Encode(checker, Encoding::Bmp)), 1, 1);

    ASSERT_TRUE(made.ok);
    ASSERT_EQ("1x1", made.Size());
    EXPECT_EQ(Hex(0x808080), Hex(made.image.pixels[0])) << "the 2x2 checker is not averaged";
}

// Rows of grey levels shrunk to a size that does not divide them: each output pixel is the
// average over its share of the source, partial pixels weighted by how much of them it covers.
TEST(ShrinkPictureTest, AveragesOverEachOutputPixelsArea) {
    const struct {
        std::vector<uint8_t> levels;
        int width;
        std::vector<uint8_t> expected;
    } kCases[] = {
        {{0, 90, 180}, 2, {30, 150}},      {{0, 60, 120, 180, 240}, 2, {48, 192}},
        {{0, 255, 0, 255}, 2, {128, 128}}, {{10, 20, 30, 40}, 4, {10, 20, 30, 40}},
        {{10, 20, 30, 40}, 1, {25}},
    };
    for (const auto& test : kCases) {
        int srcWidth = int(test.levels.size());
        // The same levels across a row and down a column, in 3- and 4-byte pixels.
        for (int bytesPerPixel : {3, 4}) {
            std::vector<uint8_t> row;
            for (uint8_t level : test.levels) {
                row.insert(row.end(), size_t(bytesPerPixel), level);
            }
            ThumbnailImage across;
            ASSERT_TRUE(ShrinkPicture(row.data(), srcWidth, 1, int(row.size()), bytesPerPixel,
                                      test.width, 1, &across));
            ThumbnailImage down;
            ASSERT_TRUE(ShrinkPicture(row.data(), 1, srcWidth, bytesPerPixel, bytesPerPixel, 1,
                                      test.width, &down));
            for (size_t i = 0; i < test.expected.size(); ++i) {
                uint32_t grey = test.expected[i] * 0x010101u;
                EXPECT_EQ(Hex(grey), Hex(across.pixels[i]))
                    << srcWidth << " to " << test.width << " across, pixel " << i;
                EXPECT_EQ(Hex(grey), Hex(down.pixels[i]))
                    << srcWidth << " to " << test.width << " down, pixel " << i;
            }
        }
    }
}

TEST(ShrinkPictureTest, KeepsChannelsApartAndRefusesToEnlarge) {
    // B, G, R: a blue pixel and a red one.
    const uint8_t bits[] = {255, 0, 0, 0, 0, 255};
    ThumbnailImage image;

    ASSERT_TRUE(ShrinkPicture(bits, 2, 1, 6, 3, 1, 1, &image));
    EXPECT_EQ(Hex(0x800080), Hex(image.pixels[0]));
    EXPECT_FALSE(ShrinkPicture(bits, 2, 1, 6, 3, 3, 1, &image)) << "enlarging must be refused";
    EXPECT_FALSE(ShrinkPicture(bits, 2, 1, 5, 3, 1, 1, &image)) << "a stride too short";
    EXPECT_FALSE(ShrinkPicture(bits, 2, 1, 6, 2, 1, 1, &image)) << "2-byte pixels";
}

TEST(FitThumbnailSizeTest, KeepsAspectWithinTheBox) {
    const struct {
        int width, height, maxWidth, maxHeight;
        int fitWidth, fitHeight;
    } kCases[] = {
        {640, 480, 96, 96, 96, 72},   {480, 640, 96, 96, 72, 96},   {40, 30, 96, 96, 40, 30},
        {4000, 10, 100, 100, 100, 1}, {10, 4000, 100, 100, 1, 100}, {300, 200, 90, 90, 90, 60},
        {641, 481, 96, 72, 96, 72},   {100, 100, 1, 1, 1, 1},
    };
    for (const auto& test : kCases) {
        int width = 0;
        int height = 0;
        FitThumbnailSize(test.width, test.height, test.maxWidth, test.maxHeight, &width, &height);
        EXPECT_EQ(std::to_string(test.fitWidth) + "x" + std::to_string(test.fitHeight),
                  std::to_string(width) + "x" + std::to_string(height))
            << test.width << "x" << test.height << " in " << test.maxWidth << "x" << test.maxHeight;
    }
}

TEST_F(ThumbnailMakerTest, ClipShowsItsFirstFrameWithPerforations) {
    const struct {
        ClipCodec codec;
        const char* what;
    } kCases[] = {{ClipCodec::MsVideo1, "MS Video 1"},
                  {ClipCodec::Uncompressed, "uncompressed"},
                  {ClipCodec::UncompressedTopDown, "uncompressed top-down"}};
    for (const auto& test : kCases) {
        std::string path = m_folder / "clip.avi";
        ASSERT_TRUE(WriteClip(path, TopAndBottom(160, 120, kRed, kBlue), 5, test.codec))
            << test.what;

        Made made = Make(path, 96, 96);

        EXPECT_TRUE(made.ok) << test.what;
        EXPECT_STREQ("VideoFrame", SourceName(made.source)) << test.what;
        EXPECT_EQ("96x72", made.Size()) << test.what;
        ExpectColours(made, {{0.5, 0.15, kRed}, {0.5, 0.85, kBlue}}, test.what);
        // The outer columns are film: dark with light holes, whatever the frame has there.
        for (int side : {0, made.image.width - 3}) {
            int dark = 0;
            int light = 0;
            int other = 0;
            for (int y = 0; y < made.image.height; ++y) {
                for (int x = side; x < side + 3; ++x) {
                    uint32_t colour = made.image.pixels[size_t(y) * made.image.width + x];
                    if (colour == kFilmBase) {
                        ++dark;
                    } else if (ColourDistance(colour, kWhite) < 0x30) {
                        ++light;
                    } else {
                        ++other;
                    }
                }
            }
            EXPECT_TRUE(dark > 0 && light > 0 && other == 0)
                << test.what << ": columns from " << side << " are not film: " << dark << " dark, "
                << light << " light, " << other << " other pixels";
        }
    }
}

TEST_F(ThumbnailMakerTest, ClipNamedLikeAPictureIsStillAClip) {
    std::string path = m_folder / "clip.jpg";
    ASSERT_TRUE(WriteClip(path, Solid(64, 48, kGreen), 2, ClipCodec::MsVideo1));

    Made made = Make(path, 64, 64);

    EXPECT_TRUE(made.ok);
    EXPECT_STREQ("VideoFrame", SourceName(made.source));
    ExpectColours(made, {{0.5, 0.5, kGreen}}, "clip");
}

// Files that cannot give a thumbnail: a placeholder of the box's size with a glyph on it.
TEST_F(ThumbnailMakerTest, UnreadableFilesGivePlaceholders) {
    std::string jpeg = Encode(TopAndBottom(320, 240, kRed, kBlue), Encoding::JpegColour);
    std::string clipPath = m_folder / "whole.avi";
    ASSERT_TRUE(WriteClip(clipPath, Solid(160, 120, kGreen), 30, ClipCodec::Uncompressed));
    std::string clip = scratch::ReadBytes(clipPath);
    // Found by bench_fuzz: a format claiming more rows than the stored frames hold (read past
    // the frame), and bytes inserted into the movie data, which shift every chunk after them
    // (clips like that made Wine's AVIFile read outside its memory while opening them; the
    // ones found are under tests/data/fuzz/avi_structure).
    std::string tallFormat = clip;
    size_t format = tallFormat.find("strf");
    ASSERT_NE(format, std::string::npos);
    tallFormat.replace(format + 16, 4, std::string("\xFF\xFF\x00\x00", 4));
    std::string shifted = clip;
    shifted.insert(clip.find("movi") + 4 + 8 + 700, 236, '\0');
    const struct {
        const char* name;
        std::string bytes;
        bool write;
    } kCases[] = {
        {"truncated.jpg", jpeg.substr(0, jpeg.size() / 2), true},
        {"text.jpg", "Holiday pictures, not a picture.\r\n", true},
        {"empty.jpg", "", true},
        {"missing.jpg", "", false},
        {"noise.png", std::string(2000, '\x5A'), true},
        {"truncated.avi", clip.substr(0, clip.size() * 2 / 3), true},
        {"text.avi", "not a clip", true},
        {"empty.avi", "", true},
        {"header-only.avi", clip.substr(0, 24), true},
        {"jpeg.avi", jpeg, true},
        {"tall-format.avi", tallFormat, true},
        {"shifted-chunks.avi", shifted, true},
    };
    for (const auto& test : kCases) {
        std::string path = m_folder / test.name;
        if (test.write) {
            ASSERT_TRUE(scratch::WriteBytes(path, test.bytes)) << test.name;
        }
        Made made = Make(path, 96, 72);
        EXPECT_FALSE(made.ok) << test.name;
        EXPECT_STREQ("Placeholder", SourceName(made.source)) << test.name;
        EXPECT_EQ("96x72", made.Size()) << test.name;
        EXPECT_GE(DistinctColours(made.image), 3u) << test.name << ": no glyph drawn";
    }
}

// A bitmap header claiming 60000x60000 pixels over 100 bytes of data: refused before the
// decoder sets out to allocate for it (Wine's BMP decoder takes gigabytes otherwise).
TEST_F(ThumbnailMakerTest, ForgedHugePictureIsRefusedWithoutAllocatingForIt) {
    auto le = [](uint32_t value, int bytes) {
        std::string text;
        for (int i = 0; i < bytes; ++i) {
            text += static_cast<char>((value >> (8 * i)) & 0xFF);
        }
        return text;
    };
    std::string bmp = "BM" + le(54 + 100, 4) + le(0, 4) + le(54, 4) + le(40, 4) + le(60000, 4) +
                      le(60000, 4) + le(1, 2) + le(24, 2) + le(0, 24) + std::string(100, '\x10');
    std::string path = Write("forged.bmp", bmp);
    PROCESS_MEMORY_COUNTERS before = {};
    ASSERT_TRUE(::GetProcessMemoryInfo(::GetCurrentProcess(), &before, sizeof(before)));

    Made made = Make(path, 96, 96);

    PROCESS_MEMORY_COUNTERS after = {};
    ASSERT_TRUE(::GetProcessMemoryInfo(::GetCurrentProcess(), &after, sizeof(after)));
    EXPECT_FALSE(made.ok);
    EXPECT_STREQ("Placeholder", SourceName(made.source));
    EXPECT_LT(after.PeakWorkingSetSize, before.PeakWorkingSetSize + (256u << 20))
        << "peak working set went from " << (before.PeakWorkingSetSize >> 20) << " MB to "
        << (after.PeakWorkingSetSize >> 20) << " MB";
}

TEST_F(ThumbnailMakerTest, PlaceholdersTellClipsFromStills) {
    Made still = Make(m_folder / "gone.jpg", 120, 90);
    Made clip = Make(m_folder / "gone.AVI", 120, 90);

    EXPECT_EQ(still.Size(), clip.Size());
    EXPECT_NE(still.image.pixels, clip.image.pixels) << "a clip's placeholder looks like a still's";
}

TEST_F(ThumbnailMakerTest, PlaceholderSizeStaysSensible) {
    const struct {
        int maxWidth, maxHeight;
        const char* size;
    } kCases[] = {{0, 0, "1x1"}, {-5, 40, "1x40"}, {5000, 3000, "1024x1024"}, {4, 3, "4x3"}};
    for (const auto& test : kCases) {
        Made made = Make(m_folder / "missing.jpg", test.maxWidth, test.maxHeight);
        EXPECT_FALSE(made.ok);
        EXPECT_EQ(test.size, made.Size()) << "box " << test.maxWidth << "x" << test.maxHeight;
    }
}

TEST_F(ThumbnailMakerTest, NullArgumentsAreRefused) {
    std::string path = Write("ok.png", Encode(Solid(40, 30, kGreen), Encoding::Png));
    ThumbnailImage image;
    ThumbnailSource source = ThumbnailSource::Decoded;

    EXPECT_FALSE(MakeThumbnail(path.c_str(), 96, 96, nullptr, &source));
    EXPECT_STREQ("Placeholder", SourceName(source));
    EXPECT_TRUE(MakeThumbnail(path.c_str(), 96, 96, &image, nullptr));
    EXPECT_FALSE(MakeThumbnail(nullptr, 96, 96, &image, &source));
    EXPECT_STREQ("Placeholder", SourceName(source));
}

TEST_F(ThumbnailMakerTest, FilesAreNotHeldOpen) {
    std::string still = JpegWithPreview("held.jpg", false, 1);
    std::string plain = Write("plain.png", Encode(Solid(40, 30, kGreen), Encoding::Png));
    std::string clip = m_folder / "held.avi";
    ASSERT_TRUE(WriteClip(clip, Solid(64, 48, kGreen), 2, ClipCodec::MsVideo1));
    for (const std::string& path : {still, plain, clip}) {
        Made made = Make(path, 64, 64);
        EXPECT_TRUE(made.ok) << path;
        EXPECT_TRUE(::DeleteFileA(path.c_str()))
            << path << " cannot be deleted afterwards: error " << ::GetLastError();
    }
}

// On a thread of its own, as the tray's workers call it: COM is started for the call and left
// as it was found. A clip is checked on a thread already in the multithreaded apartment only:
// Wine's AVIFileExit does not undo the OleInitialize of its AVIFileInit, so under Wine a clip
// leaves a bare thread in a single-threaded apartment.
TEST_F(ThumbnailMakerTest, LeavesTheThreadsComAsItFoundIt) {
    std::string still = Write("still.png", Encode(Solid(40, 30, kGreen), Encoding::Png));
    std::string clip = m_folder / "clip.avi";
    ASSERT_TRUE(WriteClip(clip, Solid(64, 48, kGreen), 2, ClipCodec::MsVideo1));
    const struct {
        const std::string& path;
        bool threadInMta;
    } kCases[] = {{still, false}, {still, true}, {clip, true}};
    for (const auto& test : kCases) {
        bool made = false;
        HRESULT before = E_FAIL;
        HRESULT after = E_FAIL;
        std::thread worker([&] {
            if (test.threadInMta) {
                before = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            }
            ThumbnailImage image;
            made = MakeThumbnail(test.path.c_str(), 32, 32, &image, nullptr);
            // S_OK: COM was not running on the thread; S_FALSE: it still runs as it was.
            after = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            if (SUCCEEDED(after)) {
                ::CoUninitialize();
            }
            if (SUCCEEDED(before)) {
                ::CoUninitialize();
            }
        });
        worker.join();
        std::string what =
            test.path + (test.threadInMta ? " on an MTA thread" : " on a bare thread");
        EXPECT_TRUE(made) << what;
        EXPECT_EQ(test.threadInMta ? S_FALSE : S_OK, after) << what;
    }
}

TEST_F(ThumbnailMakerTest, ThreadsMakeThumbnailsAtTheSameTime) {
    std::vector<std::string> paths = {
        JpegWithPreview("a.jpg", false, 6),
        Write("b.jpg", Encode(TopAndBottom(200, 150, kRed, kBlue), Encoding::JpegColour)),
        Write("c.png", Encode(Solid(100, 80, kGreen), Encoding::Png)),
        m_folder / "d.avi",
    };
    ASSERT_TRUE(WriteClip(paths[3], Solid(64, 48, kGreen), 2, ClipCodec::MsVideo1));
    const ThumbnailSource kExpected[] = {ThumbnailSource::ExifThumbnail, ThumbnailSource::Decoded,
                                         ThumbnailSource::Decoded, ThumbnailSource::VideoFrame};
    std::atomic<int> failures{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t) {
        workers.emplace_back([&, t] {
            for (int round = 0; round < 10; ++round) {
                size_t which = size_t(t + round) % paths.size();
                ThumbnailImage image;
                ThumbnailSource source = ThumbnailSource::Placeholder;
                if (!MakeThumbnail(paths[which].c_str(), 48, 48, &image, &source) ||
                    source != kExpected[which]) {
                    ++failures;
                }
            }
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    EXPECT_EQ(0, failures.load())
        << "thumbnails made side by side failed or came from the wrong source";
}

// A 3x2 picture a b c / d e f, and how each EXIF orientation shows it.
TEST(OrientThumbnailTest, TurnsAndMirrorsAsExifSays) {
    const struct {
        int orientation;
        const char* shown; // rows top to bottom, separated by '/'
    } kCases[] = {
        {1, "abc/def"},  {2, "cba/fed"},  {3, "fed/cba"},  {4, "def/abc"},
        {5, "ad/be/cf"}, {6, "da/eb/fc"}, {7, "fc/eb/da"}, {8, "cf/be/ad"},
    };
    for (const auto& test : kCases) {
        ThumbnailImage image;
        image.width = 3;
        image.height = 2;
        for (char name : std::string("abcdef")) {
            image.pixels.push_back(uint32_t(name));
        }
        OrientThumbnail(&image, test.orientation);
        std::string shown;
        for (int y = 0; y < image.height; ++y) {
            shown += y > 0 ? "/" : "";
            for (int x = 0; x < image.width; ++x) {
                shown += char(image.pixels[size_t(y) * size_t(image.width) + size_t(x)]);
            }
        }
        EXPECT_EQ(test.shown, shown) << "orientation " << test.orientation;
    }
}

TEST_F(ThumbnailMakerTest, EveryOrientationWithAndWithoutAPreview) {
    // A grey main picture, so that a thumbnail made from it instead of the preview shows.
    const std::string preview = imaging_test::EncodeJpeg(Scene(320, 240));
    const std::string grey = imaging_test::EncodeJpeg(Scene(640, 480, 1));
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const bool bigEndian = orientation % 2 == 0;
        const std::string what = "orientation " + std::to_string(orientation);

        imaging_test::JpegOptions options;
        options.orientation = orientation;
        options.bigEndianExif = bigEndian;
        const std::string plain = imaging_test::EncodeJpeg(Scene(800, 600), options);
        Made decoded = Make(Write("plain.jpg", plain), 150, 150);
        EXPECT_TRUE(decoded.ok) << what;
        EXPECT_STREQ("Decoded", SourceName(decoded.source)) << what;
        EXPECT_TRUE(CloseTo(Reference(plain, orientation, 150), decoded.image))
            << what << ", no preview";

        ExifBlock exif = MakeExifBlock(bigEndian, orientation, preview);
        Made fromPreview =
            Make(Write("preview.jpg", InsertSegment(grey, ExifSegment(exif), true)), 100, 100);
        EXPECT_TRUE(fromPreview.ok) << what;
        EXPECT_STREQ("ExifThumbnail", SourceName(fromPreview.source)) << what;
        EXPECT_TRUE(CloseTo(Reference(preview, orientation, 100), fromPreview.image))
            << what << ", from the preview";
    }
}

// Grey and progressive pictures, small (read in one go with the EXIF block) and large (read
// again whole, past 128 KB); the box is met at 1/8, 1/4, 1/2 and full scale.
TEST_F(ThumbnailMakerTest, GreyAndProgressivePicturesAtEveryScale) {
    const struct {
        const char* what;
        int width;
        int height;
        int components;
        bool progressive;
        int box;
    } kCases[] = {
        {"colour at 1/8", 3200, 2400, 3, false, 160},
        {"grey at 1/8", 1600, 1200, 1, false, 200},
        {"progressive at 1/4", 1600, 1200, 3, true, 360},
        {"progressive grey at 1/2", 640, 480, 1, true, 300},
        {"colour at full scale", 200, 150, 3, false, 120},
        {"progressive at full scale", 120, 90, 3, true, 120},
    };
    for (const auto& test : kCases) {
        imaging_test::JpegOptions options;
        options.progressive = test.progressive;
        std::string jpeg =
            imaging_test::EncodeJpeg(Scene(test.width, test.height, test.components), options);
        if (test.width > 3000) {
            ASSERT_GT(jpeg.size(), CExifReader::kHeadBytes) << test.what << " is small";
        }
        Made made = Make(Write("picture.jpg", jpeg), test.box, test.box);
        EXPECT_TRUE(made.ok) << test.what;
        EXPECT_STREQ("Decoded", SourceName(made.source)) << test.what;
        EXPECT_TRUE(CloseTo(Reference(jpeg, 1, test.box), made.image)) << test.what;
    }
}

// CMYK as Adobe's applications store it (inverted): no ink but magenta and yellow is red.
TEST_F(ThumbnailMakerTest, CmykPictureShowsItsColours) {
    imaging_test::Picture red{64, 48, 4, {}};
    for (int i = 0; i < 64 * 48; ++i) {
        red.pixels.insert(red.pixels.end(), {255, 0, 0, 255});
    }
    Made made = Make(Write("cmyk.jpg", imaging_test::EncodeJpeg(red)), 32, 32);
    EXPECT_TRUE(made.ok);
    EXPECT_STREQ("Decoded", SourceName(made.source));
    ASSERT_EQ(32u * 24u, made.image.pixels.size());
    EXPECT_LE(ColourDistance(kRed, made.image.pixels[0]), 4) << Hex(made.image.pixels[0]);
}

// Pictures cut short or corrupt in their compressed data give the same placeholder as a
// missing file: libjpeg's grey filling of what it could not read is never shown.
TEST_F(ThumbnailMakerTest, DamagedPicturesGiveThePlaceholder) {
    imaging_test::JpegOptions progressive;
    progressive.progressive = true;
    const std::string small = imaging_test::EncodeJpeg(Scene(400, 300));
    const std::string large = imaging_test::EncodeJpeg(Scene(3200, 2400));
    const std::string layered = imaging_test::EncodeJpeg(Scene(400, 300), progressive);
    // An end marker in the middle of the scan.
    std::string marked = large;
    marked.replace(marked.size() / 2, 2, "\xFF\xD9");
    const struct {
        const char* what;
        std::string bytes;
    } kCases[] = {
        {"small, cut short", small.substr(0, small.size() * 3 / 4)},
        {"large, cut short", large.substr(0, large.size() * 3 / 4)},
        {"progressive, cut short", layered.substr(0, layered.size() * 3 / 4)},
        {"end marker inside the scan", marked},
        {"header only", scratch::JpegHeader(4000, 3000)},
    };
    ASSERT_GT(large.size() * 3 / 4, CExifReader::kHeadBytes) << "the large picture is small";
    Made missing = Make(m_folder / "missing.jpg", 96, 96);
    ASSERT_STREQ("Placeholder", SourceName(missing.source));
    for (const auto& test : kCases) {
        Made made = Make(Write("damaged.jpg", test.bytes), 96, 96);
        EXPECT_FALSE(made.ok) << test.what;
        EXPECT_STREQ("Placeholder", SourceName(made.source)) << test.what;
        EXPECT_TRUE(made.image.pixels == missing.image.pixels)
            << test.what << ": not the placeholder";
    }
}

// The form the tray keeps thumbnails in: a fraction of the pixels' size, given back as the
// bottom-up rows of a DIB, each padded to 4 bytes, close to what was kept.
TEST(CompactThumbnailTest, KeepsAThumbnailSmallAndGivesItBackAsADib) {
    const int width = 150;
    const int height = 113;
    imaging_test::Picture scene = Scene(width, height);
    ThumbnailImage image;
    image.width = width;
    image.height = height;
    for (size_t i = 0; i < scene.pixels.size(); i += 3) {
        image.pixels.push_back(uint32_t(scene.pixels[i + 2]) << 16 |
                               uint32_t(scene.pixels[i + 1]) << 8 | scene.pixels[i]);
    }
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(CompressThumbnail(image, &jpeg));
    EXPECT_LT(jpeg.size(), image.pixels.size() * 3 / 4) << "not a quarter of the pixels' size";

    std::vector<uint8_t> bits;
    ASSERT_TRUE(ExpandThumbnail(jpeg, width, height, &bits));
    const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
    ASSERT_EQ(stride * size_t(height), bits.size());
    ThumbnailImage back;
    back.width = width;
    back.height = height;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = &bits[stride * size_t(height - 1 - y)];
        for (int x = 0; x < width; ++x, row += 3) {
            back.pixels.push_back(uint32_t(row[2]) << 16 | uint32_t(row[1]) << 8 | row[0]);
        }
    }
    EXPECT_TRUE(CloseTo(image, back));

    EXPECT_FALSE(ExpandThumbnail(jpeg, height, width, &bits)) << "expanded to another size";
    std::vector<uint8_t> cut(jpeg.begin(), jpeg.begin() + ptrdiff_t(jpeg.size() / 2));
    EXPECT_FALSE(ExpandThumbnail(cut, width, height, &bits)) << "expanded when cut short";
    EXPECT_FALSE(CompressThumbnail(ThumbnailImage(), &jpeg)) << "an empty thumbnail compressed";
}

} // namespace
