// Damaged, truncated, hostile and foreign files: the entries fail with a result other than 1,
// without crashing or stalling, and the program's conversion (information, option, load,
// save, release) leaves no output file behind.
#include "ImagingTestSupport.h"

#include <random>

using namespace imaging_test;

namespace {

std::string Garbage(const std::string& start) {
    std::mt19937 random(12345);
    std::string bytes = start;
    while (bytes.size() < 4000) {
        bytes += static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

// `bytes` put at `offset` from the JPEG's frame marker (SOF0): 1 is the marker's code, 5 the
// height, 7 the width.
std::string PatchFrame(std::string jpeg, size_t offset, const std::string& bytes) {
    size_t sof = jpeg.find("\xFF\xC0");
    EXPECT_NE(std::string::npos, sof);
    return sof == std::string::npos ? jpeg : jpeg.replace(sof + offset, bytes.size(), bytes);
}

class DamagedInputTest : public ImagingTest {
protected:
    // The program's conversion of `source` into out.bmp; the load's result.
    int Convert(const std::string& source) {
        IMGFILEINFO info{};
        if (L().fileInfo(source.c_str(), &info) == 1 && info.format >= IMG_FORMAT_JPEG) {
            L().setOption(IMG_OPTION_JPEG_DECODE, 0, 0);
        }
        IMGBITMAP bitmap{};
        int loaded = L().load(source.c_str(), &bitmap, 0, 1);
        if (loaded == 1) {
            L().save((m_folder / "out.bmp").c_str(), &bitmap, IMG_FORMAT_BMP, 0, 0);
            L().freeBitmap(&bitmap);
        }
        return loaded;
    }
};

TEST_F(DamagedInputTest, FailsCleanlyAndWritesNothing) {
    const std::string baseline = EncodeJpeg(Pattern(64, 48, 3));
    const std::string progressive = EncodeJpeg(Pattern(64, 48, 3), {true, 0, false});
    // Large enough to be decoded in two bands: damage in either must fail the load.
    const std::string large = EncodeJpeg(Pattern(1280, 960, 3));
    std::string badUpperBand = large;
    badUpperBand.replace(large.size() / 4, 4, "\xFF\xD3\xFF\xD5");
    std::string restarts = baseline;
    restarts.replace(baseline.size() / 2, 4, "\xFF\xD3\xFF\xD5");
    const std::string bitmap = EncodeBmp(Pattern(20, 10, 3), 24, false);
    std::string giantBitmap = bitmap;
    giantBitmap.replace(18, 8, "\xA0\x86\x01\x00\xA0\x86\x01\x00"); // 100000 x 100000
    std::string bitmap16 = bitmap;
    bitmap16[28] = 16;
    const struct {
        const char* name;
        std::string file;
        bool infoReadable; // the header is intact: the information comes, the load fails
    } cases[] = {
        {"empty file", "", false},
        {"garbage", Garbage(""), false},
        {"a JPEG start, then garbage", Garbage("\xFF\xD8\xFF"), false},
        {"JPEG cut in its header", baseline.substr(0, 120), false},
        {"baseline JPEG cut in its scan", baseline.substr(0, baseline.size() / 2), true},
        {"progressive JPEG cut in a later scan", progressive.substr(0, progressive.size() * 3 / 4),
         true},
        {"JPEG without its end marker", baseline.substr(0, baseline.size() - 2), true},
        {"large JPEG cut in its upper band", large.substr(0, large.size() / 3), true},
        {"large JPEG cut in its lower band", large.substr(0, large.size() * 9 / 10), true},
        {"large JPEG without its end marker", large.substr(0, large.size() - 2), true},
        {"large JPEG with stray markers in its upper band", badUpperBand, true},
        {"restart markers inside the scan", restarts, true},
        {"an unknown marker instead of the frame", PatchFrame(baseline, 1, "\xF7"), false},
        {"zero width", PatchFrame(baseline, 7, std::string("\0\0", 2)), false},
        {"65000 x 65000 pixels", PatchFrame(baseline, 5, "\xFD\xE8\xFD\xE8"), true},
        {"bitmap cut in its rows", bitmap.substr(0, bitmap.size() - 100), false},
        {"bitmap claiming 100000 x 100000", giantBitmap, false},
        {"16-bit bitmap", bitmap16, false},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        std::string source = WriteFile("source", test.file);
        IMGFILEINFO info{};
        EXPECT_EQ(test.infoReadable, L().fileInfo(source.c_str(), &info) == 1);
        DWORD started = GetTickCount();
        EXPECT_NE(1, Convert(source));
        EXPECT_LT(GetTickCount() - started, 5000u) << "refused at the header, not after decoding";
        EXPECT_EQ("source", scratch::ListFiles(m_folder.Path()));
    }
}

TEST_F(DamagedInputTest, MissingFileAndBadArguments) {
    std::string missing = m_folder / "missing.jpg";
    std::string good = WriteFile("good.jpg", EncodeJpeg(Pattern(8, 8, 3)));
    IMGFILEINFO info{};
    IMGBITMAP bitmap{};
    EXPECT_NE(1, L().fileInfo(missing.c_str(), &info));
    EXPECT_NE(1, L().load(missing.c_str(), &bitmap, 0, 1));
    EXPECT_NE(1, L().load(good.c_str(), nullptr, 0, 1));
    EXPECT_NE(1, L().load(good.c_str(), &bitmap, 16, 1)) << "no 16-bit pixels";
    EXPECT_NE(1, L().load(good.c_str(), &bitmap, 8, 1)) << "colour never comes as gray";
    EXPECT_NE(1, L().load(good.c_str(), &bitmap, 0, 0)) << "BGR order only";
    EXPECT_EQ(nullptr, bitmap.bits);
}

} // namespace
