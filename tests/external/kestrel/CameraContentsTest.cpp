// What the camera holds: which files are items, their order, their kinds and sizes, and how
// full the memory is.
#include "KestrelTestSupport.h"

#include <iterator>

using namespace kestrel_test;

namespace {

enum class Content { Jpeg, Avi, Corrupt, Other };

struct TreeFile {
    const char* path;
    Content content;
    WORD width;
    WORD height;
    int kind; // 0: not an item
};

// A card's tree, in the order the camera must list its items; the other files are not items.
const TreeFile kTree[] = {
    {"top.JPG", Content::Jpeg, 320, 240, KCAM_KIND_LQ},
    {"readme.txt", Content::Other, 0, 0, 0},
    {"DCIM\\100CAM\\BURST0004.JPG", Content::Jpeg, 2048, 1536, KCAM_KIND_BURST},
    {"DCIM\\100CAM\\img_0001.jpg", Content::Jpeg, 640, 480, KCAM_KIND_LQ},
    {"DCIM\\100CAM\\IMG_0002.JPG", Content::Jpeg, 641, 480, KCAM_KIND_HQ},
    {"DCIM\\100CAM\\IMG_0003.jpg", Content::Jpeg, 640, 481, KCAM_KIND_HQ},
    {"DCIM\\100CAM\\MOV_0005.AVI", Content::Avi, 0, 0, KCAM_KIND_VIDEO},
    {"DCIM\\100CAM\\burst.png", Content::Other, 0, 0, 0},
    {"DCIM\\100CAM\\notes.txt", Content::Other, 0, 0, 0},
    // A folder's subfolders come right after it, before a sibling whose name extends it.
    {"DCIM\\100CAM\\SUB\\burst_b.jpeg", Content::Jpeg, 320, 240, KCAM_KIND_BURST},
    {"DCIM\\100CAM\\SUB\\x.jpg.txt", Content::Other, 0, 0, 0},
    {"DCIM\\100CAM-OLD\\old.jpg", Content::Jpeg, 1280, 1024, KCAM_KIND_HQ},
    {"DCIM\\101CAM\\broken.jpg", Content::Corrupt, 0, 0, KCAM_KIND_HQ},
    {"DCIM\\101CAM\\Clip.Avi", Content::Avi, 0, 0, KCAM_KIND_VIDEO},
    {"DCIM\\101CAM\\P1281.JPEG", Content::Jpeg, 1281, 1024, KCAM_KIND_XGA},
    {"DCIM\\101CAM\\P1282.jpeg", Content::Jpeg, 1280, 1025, KCAM_KIND_XGA},
    {"DCIM\\101CAM\\portrait.Jpg", Content::Jpeg, 480, 640, KCAM_KIND_LQ},
    {"DCIM\\101CAM\\tall.jpg", Content::Jpeg, 1024, 1280, KCAM_KIND_HQ},
    // A folder named like a picture is a folder; what it holds counts.
    {"DCIM\\101CAM\\folder.jpg\\inner.jpg", Content::Jpeg, 100, 100, KCAM_KIND_LQ},
    // The burst naming applies to stills only.
    {"MISC\\BURST.avi", Content::Avi, 0, 0, KCAM_KIND_VIDEO},
};

// Distinct sizes, so that the bulk list shows the order.
std::string TreeFileBytes(const TreeFile& file, size_t index) {
    size_t padding = 100 * (index + 1);
    switch (file.content) {
    case Content::Jpeg:
        return scratch::JpegHeader(file.width, file.height, padding);
    case Content::Avi:
        return "RIFF....AVI LIST" + std::string(padding, 'v');
    case Content::Corrupt:
        // A segment that claims more bytes than the file has.
        return std::string("\xFF\xD8\xFF\xE0\xFF\xFF", 6) + std::string(padding, 'c');
    case Content::Other:
        return std::string(padding, 'o');
    }
    return std::string();
}

class CameraTreeTest : public DriverTest {
protected:
    void SetUp() override {
        DriverTest::SetUp();
        ASSERT_TRUE(m_camera.IsReady());
        // Written last to first, so that the order on disk is no help.
        for (size_t i = std::size(kTree); i-- > 0;) {
            m_bytes.insert(m_bytes.begin(), TreeFileBytes(kTree[i], i));
            ASSERT_TRUE(scratch::WriteBytes(m_camera / kTree[i].path, m_bytes.front()))
                << "cannot write " << kTree[i].path;
        }
        UseCamera(m_camera.Path());
    }

    scratch::Directory m_camera{"tree"};
    std::vector<std::string> m_bytes; // per kTree entry
    scratch::Directory m_output{"tree-out"};
};

TEST_F(CameraTreeTest, BulkListsTheItemSizesInCameraOrder) {
    std::vector<DWORD> expected;
    for (size_t i = 0; i < std::size(kTree); ++i) {
        if (kTree[i].kind != 0) {
            expected.push_back(static_cast<DWORD>(m_bytes[i].size()));
        }
    }
    EXPECT_EQ(expected, BulkSizes(D()));
}

TEST_F(CameraTreeTest, CountsItemsByKind) {
    DWORD camera = OpenCamera();
    ASSERT_NE(0u, camera);
    Counts expected;
    expected.video = 3;
    expected.lq = 4;
    expected.hq = 5;
    expected.xga = 2;
    expected.burst = 2;
    ExpectCounts(D(), camera, expected);
}

TEST_F(CameraTreeTest, DownloadGivesEachItemWithItsKindInCameraOrder) {
    ASSERT_TRUE(m_output.IsReady());
    DownloadRecorder recorder;
    recorder.outputFolder = m_output.Path();
    DWORD camera = OpenCamera(&recorder);
    ASSERT_NE(0u, camera);

    ASSERT_EQ(kOk, D().download(camera)) << "events: " << testing::PrintToString(recorder.events);
    std::vector<std::string> expectedEvents;
    std::vector<size_t> items;
    for (size_t i = 0; i < std::size(kTree); ++i) {
        if (kTree[i].kind != 0) {
            expectedEvents.push_back(NameEvent(kTree[i].kind));
            expectedEvents.push_back(DoneEvent(kOk));
            items.push_back(i);
        }
    }
    EXPECT_EQ(expectedEvents, recorder.events);
    EXPECT_TRUE(recorder.breaches.empty()) << testing::PrintToString(recorder.breaches);
    ASSERT_EQ(items.size(), recorder.paths.size());
    for (size_t n = 0; n < items.size(); ++n) {
        EXPECT_TRUE(scratch::FileExists(recorder.paths[n])) << "no file at " << recorder.paths[n];
        EXPECT_TRUE(scratch::ReadBytes(recorder.paths[n]) == m_bytes[items[n]])
            << "file " << n + 1 << " should be a copy of " << kTree[items[n]].path;
    }
}

// One camera with 1 clip, 2 LQ, 3 HQ, 4 XGA and 5 burst stills: each count export counts
// its own kind.
TEST_F(DriverTest, EachCountExportCountsItsOwnKind) {
    scratch::Directory camera("counts");
    ASSERT_TRUE(camera.IsReady());
    ASSERT_TRUE(scratch::WriteBytes(camera / "v1.avi", "clip"));
    const struct {
        const char* prefix;
        int count;
        int width;
        int height;
    } stills[] = {
        {"lq", 2, 160, 120}, {"hq", 3, 1024, 768}, {"xga", 4, 1600, 1200}, {"burst", 5, 160, 120}};
    for (const auto& still : stills) {
        for (int i = 0; i < still.count; ++i) {
            std::string name = still.prefix + std::to_string(i) + ".jpg";
            ASSERT_TRUE(
                scratch::WriteBytes(camera / name, scratch::JpegHeader(still.width, still.height)))
                << name;
        }
    }
    UseCamera(camera.Path());
    DWORD handle = OpenCamera();
    ASSERT_NE(0u, handle);
    Counts expected;
    expected.video = 1;
    expected.lq = 2;
    expected.hq = 3;
    expected.xga = 4;
    expected.burst = 5;
    ExpectCounts(D(), handle, expected);
}

struct JpegCase {
    const char* name;
    std::string bytes;
    int kind;
};

// A frame header of the given marker and size, with one component.
std::string Frame(BYTE marker, WORD width, WORD height) {
    std::string payload = "\x08";
    payload += static_cast<char>(height >> 8);
    payload += static_cast<char>(height & 0xFF);
    payload += static_cast<char>(width >> 8);
    payload += static_cast<char>(width & 0xFF);
    payload += std::string("\x01\x01\x11\x00", 4);
    return scratch::JpegSegment(marker, payload);
}

const std::string kStart("\xFF\xD8", 2);

// Broken files must count as HQ without crashing or hanging; unusual but valid ones must be
// read right.
TEST_F(DriverTest, ReadsThePictureSizeOnlyFromAWellFormedFrameHeader) {
    const JpegCase cases[] = {
        {"text named .jpg", "not a picture at all", KCAM_KIND_HQ},
        {"empty file", "", KCAM_KIND_HQ},
        {"start of image only", kStart, KCAM_KIND_HQ},
        {"segment length 0", kStart + std::string("\xFF\xE0\x00\x00", 4) + Frame(0xC0, 160, 120),
         KCAM_KIND_HQ},
        {"segment length past the end", kStart + std::string("\xFF\xE1\xFF\xF0JUNK", 8),
         KCAM_KIND_HQ},
        {"frame header cut short", kStart + std::string("\xFF\xC0\x00\x11\x08\x00", 6),
         KCAM_KIND_HQ},
        {"zero height", kStart + Frame(0xC0, 160, 0), KCAM_KIND_HQ},
        {"scan before any frame",
         kStart + scratch::JpegSegment(0xDA, "scan") + Frame(0xC0, 160, 120), KCAM_KIND_HQ},
        {"endless fill bytes", kStart + std::string(100000, '\xFF'), KCAM_KIND_HQ},
        {"progressive frame", kStart + Frame(0xC2, 3000, 2000), KCAM_KIND_XGA},
        {"fill bytes and restart marker before the frame",
         kStart + std::string("\xFF\xFF\xFF\xD0", 4) + Frame(0xC0, 320, 240), KCAM_KIND_LQ},
        // Huffman tables share the marker range; read as a frame they would give 16x16.
        {"Huffman tables before the frame",
         kStart + scratch::JpegSegment(0xC4, std::string("\x08\x00\x10\x00\x10\x01", 6)) +
             Frame(0xC0, 2000, 1500),
         KCAM_KIND_XGA},
        {"frame after two large metadata segments",
         kStart + scratch::JpegSegment(0xE1, std::string(65000, 'e')) +
             scratch::JpegSegment(0xE2, std::string(65000, 'i')) + Frame(0xC1, 320, 240),
         KCAM_KIND_LQ},
    };
    for (const JpegCase& jpegCase : cases) {
        SCOPED_TRACE(jpegCase.name);
        scratch::Directory camera("jpeg");
        ASSERT_TRUE(camera.IsReady());
        ASSERT_TRUE(scratch::WriteBytes(camera / "IMG_0001.JPG", jpegCase.bytes));
        UseCamera(camera.Path());
        DWORD handle = OpenCamera();
        ASSERT_NE(0u, handle);
        Counts expected;
        expected.lq = jpegCase.kind == KCAM_KIND_LQ;
        expected.hq = jpegCase.kind == KCAM_KIND_HQ;
        expected.xga = jpegCase.kind == KCAM_KIND_XGA;
        ExpectCounts(D(), handle, expected);
    }
}

struct SizedFile {
    const char* path;
    DWORD size;
};

struct FreeMemoryCase {
    const char* name;
    DWORD capacityMB; // kNoCapacity: value not set
    std::vector<SizedFile> files;
    DWORD freePercent;
};

const DWORD kNoCapacity = 0xFFFFFFFF;
const DWORD kMiB = 1024 * 1024;

TEST_F(DriverTest, FreeMemoryIsTheShareOfCapacityNotUsedByAnyFile) {
    const FreeMemoryCase cases[] = {
        {"empty camera", kNoCapacity, {}, 100},
        {"default capacity is 128 MiB", kNoCapacity, {{"DCIM\\a.jpg", kMiB}}, 99},
        {"0 means the default", 0, {{"DCIM\\a.avi", 2 * kMiB}}, 98},
        {"other files count too", 1, {{"a.jpg", 200 * 1024}, {"DCIM\\x\\b.txt", 100 * 1024}}, 70},
        {"rounded down", 1, {{"DCIM\\one.bin", 1}}, 99},
        {"half", 2, {{"a.avi", kMiB}}, 50},
        {"exactly full", 1, {{"a.avi", kMiB / 2}, {"DCIM\\b.avi", kMiB / 2}}, 0},
        {"more than the capacity", 1, {{"a.avi", kMiB + 1}, {"b.txt", kMiB}}, 0},
    };
    for (const FreeMemoryCase& memoryCase : cases) {
        SCOPED_TRACE(memoryCase.name);
        scratch::Directory camera("memory");
        ASSERT_TRUE(camera.IsReady());
        for (const SizedFile& file : memoryCase.files) {
            ASSERT_TRUE(scratch::WriteBytes(camera / file.path, std::string(file.size, 'm')));
        }
        ASSERT_TRUE(scratch::MakeDirectories(camera / "DCIM\\empty"));
        ASSERT_TRUE(m_settings.Clear());
        UseCamera(camera.Path());
        if (memoryCase.capacityMB != kNoCapacity) {
            ASSERT_TRUE(m_settings.SetDword("CapacityMB", memoryCase.capacityMB));
        }
        DWORD handle = OpenCamera();
        ASSERT_NE(0u, handle);
        DWORD freePercent = 12345;
        EXPECT_EQ(kOk, D().getFreeMemory(handle, &freePercent));
        EXPECT_EQ(memoryCase.freePercent, freePercent);
    }
}

TEST_F(DriverTest, ItemsOfFourGigabytesOrMoreListTheLargestSize) {
    scratch::Directory camera("huge");
    ASSERT_TRUE(camera.IsReady());
    ASSERT_TRUE(scratch::WriteBytes(camera / "a.jpg", scratch::JpegHeader(640, 480)));
    // 4 GiB + 5 bytes, sparse where the file system allows; cut to 32 bits it would read 5.
    std::string path = camera / "HUGE.AVI";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << "cannot create " << path;
    LARGE_INTEGER end;
    end.QuadPart = 0x100000005LL;
    BOOL sized = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    ASSERT_TRUE(sized) << "cannot make a 4 GiB file, error " << GetLastError();
    UseCamera(camera.Path());

    std::vector<DWORD> expected = {static_cast<DWORD>(scratch::JpegHeader(640, 480).size()),
                                   0xFFFFFFFF};
    EXPECT_EQ(expected, BulkSizes(D()));
}

// Each handle works on what the camera held when it was opened; each Init reads the
// settings again.
TEST_F(DriverTest, EachHandleKeepsTheCameraAsItWasAtInit) {
    scratch::Directory first("snapshot-a");
    scratch::Directory second("snapshot-b");
    ASSERT_TRUE(first.IsReady() && second.IsReady());
    ASSERT_TRUE(scratch::WriteBytes(first / "a.avi", "clip"));
    ASSERT_TRUE(scratch::WriteBytes(second / "b1.avi", "clip"));
    ASSERT_TRUE(scratch::WriteBytes(second / "b2.avi", "clip"));
    ASSERT_TRUE(scratch::WriteBytes(second / "b3.avi", "clip"));
    UseCamera(first.Path());
    DWORD before = OpenCamera();
    ASSERT_NE(0u, before);
    ASSERT_TRUE(scratch::WriteBytes(first / "later.avi", "clip"));
    DWORD after = OpenCamera();
    ASSERT_NE(0u, after);
    UseCamera(second.Path());
    DWORD other = OpenCamera();
    ASSERT_NE(0u, other);

    const struct {
        const char* name;
        DWORD handle;
        DWORD clips;
    } handles[] = {{"opened before the new clip", before, 1},
                   {"opened after it", after, 2},
                   {"opened on the second folder", other, 3}};
    for (const auto& handle : handles) {
        DWORD clips = 0;
        EXPECT_EQ(kOk, D().getNumVideo(handle.handle, &clips)) << handle.name;
        EXPECT_EQ(handle.clips, clips) << handle.name;
    }
}

} // namespace
