// KCAMAPI_ClearCamera: erases the stills and clips the camera holds now, and nothing else.
#include "KestrelTestSupport.h"

using namespace kestrel_test;

namespace {

class ClearCameraTest : public DriverTest {
protected:
    void SetUp() override {
        DriverTest::SetUp();
        ASSERT_TRUE(m_camera.IsReady());
        for (const char* item : kItems) {
            ASSERT_TRUE(scratch::WriteBytes(m_camera / item, scratch::JpegHeader(640, 480)));
        }
        for (const char* other : kOthers) {
            ASSERT_TRUE(scratch::WriteBytes(m_camera / other, "keep me"));
        }
        ASSERT_TRUE(scratch::MakeDirectories(m_camera / "DCIM\\101CAM\\EMPTY"));
        UseCamera(m_camera.Path());
    }

    static constexpr const char* kItems[] = {"top.jpg", "DCIM\\100CAM\\A.JPG",
                                             "DCIM\\100CAM\\b.jpeg", "DCIM\\100CAM\\C.Avi",
                                             "DCIM\\101CAM\\deep\\d.JPEG"};
    static constexpr const char* kOthers[] = {"DCIM\\100CAM\\notes.txt", "DCIM\\100CAM\\e.png",
                                              "MISC\\f.jpg.bak", "g"};

    scratch::Directory m_camera{"clear"};
};

constexpr const char* ClearCameraTest::kItems[];
constexpr const char* ClearCameraTest::kOthers[];

TEST_F(ClearCameraTest, DeletesTheItemsAndKeepsOtherFilesAndFolders) {
    DWORD camera = OpenCamera();
    ASSERT_NE(0u, camera);
    // Taken after Init: the erase works on what the camera holds now.
    ASSERT_TRUE(
        scratch::WriteBytes(m_camera / "DCIM\\100CAM\\LATER.JPG", scratch::JpegHeader(640, 480)));

    EXPECT_EQ(Hex(kOk), Hex(D().clearCamera(camera)));
    for (const char* item : kItems) {
        EXPECT_FALSE(scratch::FileExists(m_camera / item)) << item << " was not erased";
    }
    EXPECT_FALSE(scratch::FileExists(m_camera / "DCIM\\100CAM\\LATER.JPG"))
        << "LATER.JPG was not erased";
    for (const char* other : kOthers) {
        EXPECT_TRUE(scratch::FileExists(m_camera / other)) << other << " was erased";
    }
    for (const char* folder : {"DCIM\\100CAM", "DCIM\\101CAM\\deep", "DCIM\\101CAM\\EMPTY"}) {
        EXPECT_TRUE(scratch::DirectoryExists(m_camera / folder))
            << "folder " << folder << " was removed";
    }
    EXPECT_EQ(0u, BulkSizes(D()).size()) << "a new bulk list still shows items";
}

// A protected (read-only) still stays; the erase goes on with the others and reports failure.
TEST_F(ClearCameraTest, AnItemThatCannotBeDeletedFailsTheErase) {
    std::string locked = m_camera / "DCIM\\100CAM\\A.JPG";
    ASSERT_TRUE(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    DWORD camera = OpenCamera();
    ASSERT_NE(0u, camera);

    EXPECT_EQ(Hex(kFail), Hex(D().clearCamera(camera)));
    EXPECT_TRUE(scratch::FileExists(locked));
    EXPECT_EQ(1u, BulkSizes(D()).size()) << "only the protected still should be left";
}

TEST_F(ClearCameraTest, FailsWhenTheCameraFolderIsGone) {
    scratch::Directory vanishing("vanishing");
    ASSERT_TRUE(vanishing.IsReady());
    UseCamera(vanishing.Path());
    DWORD camera = OpenCamera();
    ASSERT_NE(0u, camera);
    ASSERT_TRUE(RemoveDirectoryA(vanishing.Path().c_str()));
    EXPECT_EQ(Hex(kFail), Hex(D().clearCamera(camera)));
}

} // namespace
