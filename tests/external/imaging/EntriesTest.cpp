// The entries as the program finds them (by ordinal, without names), the option entry as the
// diagnostic export sees it, and releasing a record.
#include "ImagingTestSupport.h"

#include <psapi.h>

using namespace imaging_test;

namespace {

class EntriesTest : public ImagingTest {};

TEST_F(EntriesTest, ProgramEntriesHaveOrdinalsButNoNames) {
    EXPECT_EQ(std::vector<std::string>{"ImgDiagnosticLastOption"}, ExportNames(L().file));
    EXPECT_EQ(std::vector<std::string>{}, ExportNames(L().kernel));
    EXPECT_EQ(nullptr, GetProcAddress(L().file, MAKEINTRESOURCEA(IMG_ORDINAL_FREE_BITMAP)));
}

TEST_F(EntriesTest, OptionCallsAreSeenByTheDiagnosticExport) {
    int last[3] = {-1, -1, -1};
    const int before = L().lastOption(nullptr, nullptr, nullptr);
    EXPECT_EQ(1, L().setOption(IMG_OPTION_JPEG_DECODE, 0, 0));
    EXPECT_EQ(before + 1, L().lastOption(&last[0], &last[1], &last[2]));
    EXPECT_EQ((std::vector<int>{IMG_OPTION_JPEG_DECODE, 0, 0}), std::vector<int>(last, last + 3));
    // An unknown option fails, and is seen all the same.
    EXPECT_NE(1, L().setOption(7, 1, 2));
    EXPECT_EQ(before + 2, L().lastOption(&last[0], &last[1], &last[2]));
    EXPECT_EQ((std::vector<int>{7, 1, 2}), std::vector<int>(last, last + 3));
}

// Value 1 is libjpeg-turbo's fast decode (fast inverse DCT, plain upsampling); loads after
// value 0 are exact again.
TEST_F(EntriesTest, FastDecodingThenTheDefaultAgain) {
    const std::string jpeg = EncodeJpeg(Pattern(48, 32, 3));
    std::string path = WriteFile("in.jpg", jpeg);
    ASSERT_EQ(1, L().setOption(IMG_OPTION_JPEG_DECODE, 1, 0));
    IMGBITMAP fast{};
    int loaded = Load(path, &fast);
    ASSERT_EQ(1, L().setOption(IMG_OPTION_JPEG_DECODE, 0, 0));
    ASSERT_EQ(1, loaded);
    EXPECT_TRUE(SamePixels(DecodeJpeg(jpeg, true), fast));
    EXPECT_FALSE(SamePixels(DecodeJpeg(jpeg), fast)) << "the option changed nothing";
    IMGBITMAP exact{};
    ASSERT_EQ(1, Load(path, &exact));
    EXPECT_TRUE(SamePixels(DecodeJpeg(jpeg), exact));
}

TEST_F(EntriesTest, FreeReleasesOnceAndEmptiesTheRecord) {
    std::string path = WriteFile("in.jpg", EncodeJpeg(Pattern(8, 8, 1)));
    IMGBITMAP bitmap{};
    ASSERT_EQ(1, L().load(path.c_str(), &bitmap, 0, 1));
    EXPECT_EQ(1, L().freeBitmap(&bitmap));
    EXPECT_EQ(nullptr, bitmap.bits);
    EXPECT_EQ(0, bitmap.width);
    EXPECT_EQ(0, L().freeBitmap(&bitmap));
    EXPECT_EQ(0, L().freeBitmap(nullptr));

    // Memory that no load gave is refused, and the record left as it was.
    BYTE foreign[64] = {};
    IMGBITMAP notLoaded{};
    notLoaded.width = 4;
    notLoaded.bits = foreign;
    EXPECT_EQ(-1, L().freeBitmap(&notLoaded));
    EXPECT_EQ(foreign, notLoaded.bits);
    EXPECT_EQ(4, notLoaded.width);
}

// A large picture's memory is given back after the release returns: loads and releases of
// many do not add up.
TEST_F(EntriesTest, LargePicturesReleasedOneAfterAnotherDoNotAddUp) {
    std::string path = WriteFile("large.jpg", EncodeJpeg(Pattern(1500, 1000, 3)));
    PROCESS_MEMORY_COUNTERS before{};
    ASSERT_TRUE(::GetProcessMemoryInfo(::GetCurrentProcess(), &before, sizeof before));
    const int kPictures = 40; // 4.5 MB each: 180 MB if none went back
    for (int i = 0; i < kPictures; ++i) {
        IMGBITMAP bitmap{};
        ASSERT_EQ(1, L().load(path.c_str(), &bitmap, 0, 1));
        ASSERT_EQ(1, L().freeBitmap(&bitmap));
        ASSERT_EQ(nullptr, bitmap.bits);
    }
    SIZE_T grown = 0;
    for (int wait = 0; wait < 100; ++wait) {
        PROCESS_MEMORY_COUNTERS now{};
        ASSERT_TRUE(::GetProcessMemoryInfo(::GetCurrentProcess(), &now, sizeof now));
        grown = now.PagefileUsage > before.PagefileUsage ? now.PagefileUsage - before.PagefileUsage : 0;
        if (grown < 40u << 20) {
            break;
        }
        ::Sleep(20);
    }
    EXPECT_LT(grown, SIZE_T{40} << 20) << "the released pictures' memory stayed";
}

} // namespace
