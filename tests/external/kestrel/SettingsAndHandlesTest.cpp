// The driver's registry settings (no camera, the fault knobs) and its handles: unknown ones,
// null pointers, and handles made on several threads at once.
#include "KestrelTestSupport.h"

#include <set>
#include <thread>

using namespace kestrel_test;

namespace {

// A camera with one LQ still and one clip, attached for each test.
class AttachedCameraTest : public DriverTest {
protected:
    void SetUp() override {
        DriverTest::SetUp();
        ASSERT_TRUE(m_camera.IsReady());
        ASSERT_TRUE(scratch::WriteBytes(m_camera / "DCIM\\a.jpg", scratch::JpegHeader(640, 480)));
        ASSERT_TRUE(scratch::WriteBytes(m_camera / "DCIM\\b.avi", "clip"));
        UseCamera(m_camera.Path());
    }

    scratch::Directory m_camera{"attached"};
};

struct NoCameraCase {
    const char* name;
    bool setFolder;
    std::string folder;
};

// Without a camera the camera does not open, but the bulk library still answers with an
// empty list: the program probes the single library with BULK_Init.
TEST_F(DriverTest, WithoutACameraOnlyTheBulkListOpens) {
    scratch::Directory folder("nocamera");
    ASSERT_TRUE(folder.IsReady());
    ASSERT_TRUE(scratch::WriteBytes(folder / "plain.jpg", scratch::JpegHeader(640, 480)));
    const NoCameraCase cases[] = {
        {"CameraFolder not set", false, ""},
        {"CameraFolder empty", true, ""},
        {"folder missing", true, folder / "gone"},
        {"a file, not a folder", true, folder / "plain.jpg"},
    };
    for (const NoCameraCase& noCamera : cases) {
        SCOPED_TRACE(noCamera.name);
        ASSERT_TRUE(m_settings.Clear());
        if (noCamera.setFolder) {
            UseCamera(noCamera.folder);
        }
        EXPECT_EQ(0u, OpenCamera());
        DWORD bulk = D().bulkInit(0);
        ASSERT_NE(0u, bulk);
        EXPECT_EQ(0u, D().bulkGetImgCount(bulk));
        EXPECT_EQ(0u, D().bulkGetNthSize(bulk, 0));
        EXPECT_EQ(kOk, D().bulkReset(bulk));
    }
}

TEST_F(AttachedCameraTest, InitFailsKeepsTheCameraClosedUntilCleared) {
    ASSERT_TRUE(m_settings.SetDword("InitFails", 1));
    EXPECT_EQ(0u, OpenCamera());
    EXPECT_EQ(2u, BulkSizes(D()).size()) << "the bulk list should not depend on InitFails";
    ASSERT_TRUE(m_settings.SetDword("InitFails", 0));
    EXPECT_NE(0u, OpenCamera()) << "InitFails should be read again at the next Init";
}

TEST_F(AttachedCameraTest, BulkInitFailsFailsOnlyTheBulkList) {
    ASSERT_TRUE(m_settings.SetDword("BulkInitFails", 1));
    EXPECT_EQ(0u, D().bulkInit(0));
    EXPECT_NE(0u, OpenCamera());
}

TEST_F(AttachedCameraTest, FreeMemoryFailsFailsOnlyTheFreeMemory) {
    ASSERT_TRUE(m_settings.SetDword("FreeMemoryFails", 1));
    DWORD camera = OpenCamera();
    ASSERT_NE(0u, camera);
    DWORD freePercent = 12345;
    EXPECT_EQ(kFail, D().getFreeMemory(camera, &freePercent));
    EXPECT_EQ(12345u, freePercent) << "a failing KCAMAPI_GetFreeMemory must write nothing";
    Counts counts;
    std::string error;
    EXPECT_TRUE(ReadCounts(D(), camera, counts, &error)) << error;
    EXPECT_EQ(1u, counts.lq);
}

TEST_F(AttachedCameraTest, UnknownHandlesAreRefused) {
    DWORD closed = OpenCamera();
    ASSERT_NE(0u, closed);
    ASSERT_EQ(kOk, D().reset(closed));
    DWORD bulk = D().bulkInit(0);
    ASSERT_NE(0u, bulk);
    DWORD closedBulk = D().bulkInit(0);
    ASSERT_NE(0u, closedBulk);
    ASSERT_EQ(kOk, D().bulkReset(closedBulk));

    const struct {
        const char* name;
        DWORD handle;
    } handles[] = {{"0", 0}, {"a closed camera", closed}, {"a bulk handle", bulk}};
    for (const auto& handle : handles) {
        SCOPED_TRACE(std::string("handle: ") + handle.name);
        const struct {
            const char* name;
            PFN_KCAMAPI_GetValue get;
        } values[] = {{"GetNumLQImg", D().getNumLQ},    {"GetNumHQImg", D().getNumHQ},
                      {"GetNumXGAImg", D().getNumXGA},  {"GetNumVdoClip", D().getNumVideo},
                      {"GetNumBurst", D().getNumBurst}, {"GetFreeMemory", D().getFreeMemory}};
        for (const auto& value : values) {
            DWORD written = 777;
            EXPECT_EQ(Hex(kBadHandle), Hex(value.get(handle.handle, &written))) << value.name;
            EXPECT_EQ(777u, written) << value.name << " wrote through a refused call";
        }
        EXPECT_EQ(Hex(kBadHandle), Hex(D().download(handle.handle))) << "Download";
        EXPECT_EQ(Hex(kBadHandle), Hex(D().clearCamera(handle.handle))) << "ClearCamera";
        EXPECT_EQ(Hex(kBadHandle), Hex(D().reset(handle.handle))) << "Reset";
    }
    // A camera handle is no bulk handle either.
    DWORD camera = OpenCamera();
    ASSERT_NE(0u, camera);
    for (DWORD handle : {DWORD(0), closedBulk, camera}) {
        EXPECT_EQ(0u, D().bulkGetImgCount(handle)) << "handle " << Hex(handle);
        EXPECT_EQ(0u, D().bulkGetNthSize(handle, 0)) << "handle " << Hex(handle);
        EXPECT_EQ(Hex(kBadHandle), Hex(D().bulkReset(handle))) << "handle " << Hex(handle);
    }
    EXPECT_EQ(kOk, D().bulkReset(bulk));
}

TEST_F(AttachedCameraTest, NullValuePointersAndOutOfRangeIndexesAreRefused) {
    DWORD camera = OpenCamera();
    ASSERT_NE(0u, camera);
    for (PFN_KCAMAPI_GetValue get : {D().getNumLQ, D().getNumHQ, D().getNumXGA, D().getNumVideo,
                                     D().getNumBurst, D().getFreeMemory}) {
        EXPECT_EQ(Hex(kBadPointer), Hex(get(camera, nullptr)));
    }
    DWORD bulk = D().bulkInit(0);
    ASSERT_NE(0u, bulk);
    ASSERT_EQ(2u, D().bulkGetImgCount(bulk));
    EXPECT_NE(0u, D().bulkGetNthSize(bulk, 1));
    EXPECT_EQ(0u, D().bulkGetNthSize(bulk, 2));
    EXPECT_EQ(0u, D().bulkGetNthSize(bulk, 0xFFFFFFFF));
    EXPECT_EQ(kOk, D().bulkReset(bulk));
}

// Several threads open and close cameras and bulk lists at once: every handle works, is
// nonzero, and none is given twice.
TEST_F(AttachedCameraTest, HandlesFromManyThreadsAreUnique) {
    const int kThreads = 4;
    const int kRounds = 25;
    std::vector<std::vector<DWORD>> handles(kThreads);
    std::vector<std::string> failures(kThreads);
    std::vector<std::thread> threads;
    const Driver& driver = D();
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < kRounds; ++round) {
                DWORD camera = driver.init(nullptr, nullptr, nullptr, nullptr, nullptr);
                DWORD bulk = driver.bulkInit(0);
                DWORD clips = 0;
                if (camera == 0 || bulk == 0 || driver.getNumVideo(camera, &clips) != kOk ||
                    clips != 1 || driver.bulkGetImgCount(bulk) != 2) {
                    failures[t] = "round " + std::to_string(round) + " failed";
                }
                handles[t].push_back(camera);
                handles[t].push_back(bulk);
                if (driver.reset(camera) != kOk || driver.bulkReset(bulk) != kOk) {
                    failures[t] = "round " + std::to_string(round) + ": closing failed";
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    std::set<DWORD> unique;
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ("", failures[t]) << "thread " << t;
        unique.insert(handles[t].begin(), handles[t].end());
    }
    EXPECT_EQ(0u, unique.count(0));
    EXPECT_EQ(static_cast<size_t>(kThreads * kRounds * 2), unique.size())
        << "some handle was given twice";
}

} // namespace
