#include <cstring>

#include "camera/CameraDriver.h"
#include "framework/Wnd.h"
#include "tests/camera/CameraTestSupport.h"

using cameratest::CameraTest;
using cameratest::RecordingSink;

namespace {

struct ExpectedItem {
    int kind;
    const char* file;
    const char* label;
};

void ExpectItems(const CCameraConnection& connection, const std::string& folder,
                 const std::vector<ExpectedItem>& expected) {
    ASSERT_EQ(static_cast<int>(expected.size()), connection.GetItemCount());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("item " + std::to_string(i));
        const CameraItem* item = connection.GetItem(static_cast<int>(i));
        ASSERT_NE(nullptr, item);
        EXPECT_EQ(expected[i].kind, item->kind);
        EXPECT_STREQ((folder + "\\" + expected[i].file).c_str(), item->path);
        EXPECT_STREQ(expected[i].label, item->label);
    }
}

}  // namespace

TEST_F(CameraTest, StillVideoStillAreNamedAndLabelledByPositionAndByVideo) {
    AddFile("DCIM\\100KSTRL\\A.JPG");
    AddFile("DCIM\\100KSTRL\\B.avi");
    AddFile("DCIM\\100KSTRL\\C.jpg", 1280, 960);
    CCameraConnection connection;
    RecordingSink sink;
    ASSERT_TRUE(connection.Open(&sink));
    EXPECT_TRUE(connection.Open(nullptr)) << "a null dialog only reports the open handle";
    ASSERT_TRUE(connection.Download());
    connection.Close();
    EXPECT_FALSE(connection.Open(nullptr));

    ExpectItems(connection, downloads.Path(),
                {{2, "Snapshot0000.jpg", "Snapshot 1"},
                 {1, "Snapshot0001.avi", "Video 1"},
                 {3, "Snapshot0002.jpg", "Snapshot 3"}});
    EXPECT_EQ(2, connection.GetSnapshotCount());
    EXPECT_EQ(1, connection.GetVideoCount());
    EXPECT_EQ("SF2 SF1 SF3 ", sink.trail);
    EXPECT_EQ(scratch::ReadBytes(camera / "DCIM\\100KSTRL\\B.avi"),
              scratch::ReadBytes(connection.GetItem(1)->path));
    EXPECT_EQ("Snapshot0000.jpg Snapshot0001.avi Snapshot0002.jpg",
              scratch::ListFiles(downloads.Path()));
}

TEST_F(CameraTest, CountsSizesAndMemoryOfAGeneratedCardTree) {
    // The way a user's own card looks: nested folders, mixed case, files that are no items.
    AddFile("DCIM\\100KSTRL\\KSTR0001.JPG", 640, 480);     // LQ
    AddFile("DCIM\\100KSTRL\\KSTR0002.JPG", 1280, 1024);   // HQ
    AddFile("DCIM\\100KSTRL\\KSTR0003.jpeg", 2048, 1536);  // XGA
    AddFile("DCIM\\100KSTRL\\KSTR0004.AVI");
    AddFile("DCIM\\101KSTRL\\BURST0001.JPG", 640, 480);
    AddFile("DCIM\\101KSTRL\\BURST0002.JPG", 640, 480);
    ASSERT_TRUE(scratch::WriteBytes(camera / "DCIM\\100KSTRL\\NOTES.TXT", "not a picture"));
    ASSERT_TRUE(scratch::WriteBytes(camera / "MISC\\CARD.PNG", "\x89PNG"));
    driver.SetDword("CapacityMB", 1);

    CCameraConnection connection;
    EXPECT_DOUBLE_EQ(100.0, connection.GetPercentFull()) << "nothing read yet";
    RecordingSink sink;
    ASSERT_TRUE(connection.Open(&sink));
    EXPECT_EQ(6, connection.GetTotalCount());
    EXPECT_DOUBLE_EQ(1.0, connection.GetPercentFull()) << "a few hundred bytes of 1 MB";

    DWORD sum = 0;
    for (int i = 0; i < 6; ++i) {
        EXPECT_GT(connection.GetItemSize(i), 0u) << "size " << i;
        sum += connection.GetItemSize(i);
    }
    EXPECT_EQ(sum, connection.GetTotalSize());
    EXPECT_EQ(0u, connection.GetItemSize(6));
    EXPECT_EQ(0u, connection.GetItemSize(-1));

    ASSERT_TRUE(connection.Download());
    EXPECT_EQ("SF2 SF3 SF4 SF1 SF5 SF5 ", sink.trail);
    EXPECT_EQ(5, connection.GetSnapshotCount());
    EXPECT_EQ(1, connection.GetVideoCount());
    EXPECT_STREQ("Video 1", connection.GetItem(3)->label);
    EXPECT_STREQ("Snapshot 6", connection.GetItem(5)->label);
}

TEST_F(CameraTest, FreeMemoryThatCannotBeReadKeepsThePreviousFigure) {
    AddFile("A.JPG");
    driver.SetDword("CapacityMB", 1);
    CCameraConnection connection;
    RecordingSink sink;
    driver.SetDword("FreeMemoryFails", 1);
    ASSERT_TRUE(connection.Open(&sink));
    EXPECT_DOUBLE_EQ(100.0, connection.GetPercentFull()) << "a new connection knows no free memory";

    driver.SetDword("FreeMemoryFails", 0);
    ASSERT_TRUE(connection.Open(&sink));
    EXPECT_DOUBLE_EQ(1.0, connection.GetPercentFull());

    driver.SetDword("FreeMemoryFails", 1);
    driver.SetDword("CapacityMB", 2);
    ASSERT_TRUE(connection.Open(&sink));
    EXPECT_DOUBLE_EQ(1.0, connection.GetPercentFull()) << "the last successful reading stays";
}

TEST_F(CameraTest, NoCameraFailsTheOpen) {
    CCameraConnection connection;
    RecordingSink sink;
    driver.Delete("CameraFolder");
    EXPECT_FALSE(connection.Open(&sink)) << "no folder set";
    driver.SetString("CameraFolder", camera / "missing");
    EXPECT_FALSE(connection.Open(&sink)) << "folder gone";
    EXPECT_EQ(0, connection.GetTotalCount());
    EXPECT_FALSE(connection.Open(nullptr));
}

TEST_F(CameraTest, FailedOpenStillThrowsAwayThePreviousDownload) {
    AddFile("A.JPG");
    AddFile("B.AVI");
    CCameraConnection connection;
    RecordingSink sink;
    ASSERT_TRUE(connection.Open(&sink));
    ASSERT_TRUE(connection.Download());
    connection.Close();
    std::string first = connection.GetItem(0)->path;
    ASSERT_TRUE(scratch::FileExists(first));
    const double percent = connection.GetPercentFull();

    driver.SetDword("InitFails", 1);
    EXPECT_FALSE(connection.Open(&sink));
    EXPECT_FALSE(scratch::FileExists(first));
    EXPECT_EQ("", scratch::ListFiles(downloads.Path()));
    EXPECT_EQ(0, connection.GetItemCount());
    EXPECT_EQ(0, connection.GetSnapshotCount());
    EXPECT_EQ(0, connection.GetVideoCount());
    // The records stay, with cleared paths, until the next download frees them.
    ASSERT_NE(nullptr, connection.GetItem(1));
    const CameraItem* second = connection.GetItem(1);
    EXPECT_EQ(std::string(MAX_PATH, '\0'), std::string(second->path, MAX_PATH));
    EXPECT_STREQ("Video 1", second->label);
    EXPECT_EQ(2, connection.GetTotalCount()) << "the last successful open's figures stay";
    EXPECT_DOUBLE_EQ(percent, connection.GetPercentFull());
}

TEST_F(CameraTest, EmptyCameraDownloadsNothing) {
    CCameraConnection connection;
    RecordingSink sink;
    ASSERT_TRUE(connection.Open(&sink));
    EXPECT_EQ(0, connection.GetTotalCount());
    EXPECT_TRUE(connection.Download());
    EXPECT_EQ(0, connection.GetItemCount());
    EXPECT_EQ(nullptr, connection.GetItem(0));
    EXPECT_EQ(nullptr, connection.GetItem(-1));
    EXPECT_EQ("", sink.trail);
}

TEST_F(CameraTest, AbortStopsBeforeTheNextFileWithoutARecord) {
    AddFile("A.JPG");
    AddFile("B.JPG");
    AddFile("C.JPG");
    CCameraConnection connection;
    RecordingSink sink;
    sink.connection = &connection;

    // Set before the first file: nothing is named, nothing written.
    ASSERT_TRUE(connection.Open(&sink));
    connection.SetAbortFlag();
    EXPECT_FALSE(connection.Download());
    EXPECT_EQ(0, connection.GetItemCount());
    EXPECT_EQ(nullptr, connection.GetItem(0));
    EXPECT_EQ("", scratch::ListFiles(downloads.Path()));
    connection.Close();

    // Set while the first file is reported: the second file gets no record.
    // Opening keeps an abort asked for: only the start of a run clears it.
    ASSERT_TRUE(connection.Open(&sink));
    EXPECT_TRUE(connection.IsAbortSet());
    connection.Close();
    connection.ClearAbortFlag();
    sink.abortAtFinish = 1;
    ASSERT_TRUE(connection.Open(&sink));
    EXPECT_FALSE(connection.Download());
    EXPECT_EQ(1, connection.GetItemCount());
    EXPECT_EQ(nullptr, connection.GetItem(1));
    EXPECT_EQ("SF2 ", sink.trail);
    EXPECT_EQ("Snapshot0000.jpg", scratch::ListFiles(downloads.Path()));
}

TEST_F(CameraTest, FailureAtAFileStopsTheDownloadAndLeavesNoPartOfIt) {
    AddFile("A.JPG");
    AddFile("B.JPG");
    AddFile("C.JPG");
    driver.SetDword("FailAtFile", 2);
    CCameraConnection connection;
    RecordingSink sink;
    ASSERT_TRUE(connection.Open(&sink));
    EXPECT_FALSE(connection.Download());
    EXPECT_EQ("SF2 S", sink.trail) << "the failed file starts but never finishes";
    EXPECT_EQ(2, connection.GetItemCount());
    EXPECT_EQ("Snapshot0000.jpg", scratch::ListFiles(downloads.Path()));
}

TEST_F(CameraTest, EraseEmptiesTheCameraButKeepsTheDownload) {
    AddFile("DCIM\\A.JPG");
    AddFile("DCIM\\B.AVI");
    ASSERT_TRUE(scratch::WriteBytes(camera / "DCIM\\README.TXT", "stays"));
    CCameraConnection connection;
    RecordingSink sink;
    ASSERT_TRUE(connection.Open(&sink));
    ASSERT_TRUE(connection.Download());
    connection.Close();

    EXPECT_FALSE(connection.ClearCamera(nullptr));
    EXPECT_EQ(2, connection.GetTotalCount());

    CWnd desktop;
    desktop.Attach(::GetDesktopWindow());
    EXPECT_TRUE(connection.ClearCamera(&desktop));
    desktop.Detach();
    EXPECT_EQ(0, connection.GetTotalCount());
    EXPECT_EQ("README.TXT", scratch::ListFiles(camera / "DCIM"));
    EXPECT_FALSE(connection.Open(nullptr)) << "erasing closes its own handle";
    ASSERT_NE(nullptr, connection.GetItem(1));
    EXPECT_TRUE(scratch::FileExists(connection.GetItem(1)->path));
    EXPECT_EQ(1, connection.GetVideoCount());

    ASSERT_TRUE(connection.Open(&sink));
    EXPECT_EQ(0, connection.GetTotalCount());
}

TEST_F(CameraTest, EraseWithoutACameraFails) {
    driver.Delete("CameraFolder");
    CCameraConnection connection;
    CWnd desktop;
    desktop.Attach(::GetDesktopWindow());
    EXPECT_FALSE(connection.ClearCamera(&desktop));
    desktop.Detach();
}

TEST_F(CameraTest, TheTenThousandAndFirstFileGetsFiveDigits) {
    CCameraConnection connection;
    char path[KCAM_PATH_BYTES];
    DWORD abort = 0;
    for (int i = 0; i < 10001; ++i) {
        std::memset(path, 0, sizeof path);
        CCameraConnection::FileNameCallback(&connection, i == 9999 ? 1 : 2, path, &abort, 0);
        ASSERT_EQ(0u, abort) << "file " << i;
    }
    EXPECT_EQ(downloads / "Snapshot10000.jpg", path);
    EXPECT_STREQ("Snapshot 10001", connection.GetItem(10000)->label);
    EXPECT_STREQ((downloads / "Snapshot9999.avi").c_str(), connection.GetItem(9999)->path);
    EXPECT_STREQ("Video 1", connection.GetItem(9999)->label);
    EXPECT_STREQ((downloads / "Snapshot0000.jpg").c_str(), connection.GetItem(0)->path);
}

TEST_F(CameraTest, CallbacksWithoutAConnectionOrAfterAFailureAskToStop) {
    char path[KCAM_PATH_BYTES] = {};
    DWORD abort = 0;
    CCameraConnection::FileNameCallback(nullptr, 2, path, &abort, 0);
    EXPECT_EQ(1u, abort);
    EXPECT_STREQ("", path);

    CCameraConnection connection;
    abort = 0;
    CCameraConnection::FileDoneCallback(&connection, 0x80004005, 0, &abort);
    EXPECT_EQ(1u, abort);

    // An unknown kind is named after the folder alone and stops once it is done.
    abort = 0;
    CCameraConnection::FileNameCallback(&connection, 9, path, &abort, 0);
    EXPECT_EQ(0u, abort);
    EXPECT_EQ(downloads.Path() + "\\", path);
    EXPECT_STREQ("", connection.GetItem(0)->label);
    EXPECT_EQ(1, connection.GetSnapshotCount());
    CCameraConnection::FileDoneCallback(&connection, 0, 0, &abort);
    EXPECT_EQ(1u, abort);
}

// A temporary directory so long that a file's path would not fit in a record: the file is
// refused and the download fails, instead of writing to a cut path.
TEST_F(CameraTest, TemporaryDirectoryTooLongForAPathFailsTheDownloadCleanly) {
    AddFile("A.JPG");
    std::string longDir = downloads.Path() + "\\";
    longDir += std::string(250 - longDir.size(), 'd');
    ASSERT_EQ(250u, longDir.size());
    ::CreateDirectoryA(longDir.c_str(), nullptr);  // may be refused as too long; not needed
    properties.SetString("TempDirectory", longDir);

    CCameraConnection connection;
    RecordingSink sink;
    ASSERT_TRUE(connection.Open(&sink));
    EXPECT_FALSE(connection.Download());
    EXPECT_EQ(0, connection.GetItemCount());
    EXPECT_EQ("", sink.trail);
    EXPECT_EQ("", scratch::ListFiles(longDir));
    EXPECT_EQ("", scratch::ListFiles(downloads.Path()));
}

TEST_F(CameraTest, TemporaryDirectoryThatJustFitsStillWorks) {
    AddFile("A.JPG");
    // 242 + "\" + "Snapshot0000.jpg" = 259 characters, the longest path a record holds.
    std::string dir = downloads.Path() + "\\";
    dir += std::string(242 - dir.size(), 'e');
    ASSERT_TRUE(::CreateDirectoryA(dir.c_str(), nullptr)) << ::GetLastError();
    properties.SetString("TempDirectory", dir);

    CCameraConnection connection;
    RecordingSink sink;
    ASSERT_TRUE(connection.Open(&sink));
    ASSERT_TRUE(connection.Download());
    ASSERT_EQ(1, connection.GetItemCount());
    EXPECT_EQ(259u, std::strlen(connection.GetItem(0)->path));
    EXPECT_TRUE(scratch::FileExists(connection.GetItem(0)->path));
}

TEST_F(CameraTest, DestroyingTheConnectionDeletesItsTemporaryFiles) {
    AddFile("A.JPG");
    {
        CCameraConnection connection;
        RecordingSink sink;
        ASSERT_TRUE(connection.Open(&sink));
        ASSERT_TRUE(connection.Download());
        ASSERT_EQ("Snapshot0000.jpg", scratch::ListFiles(downloads.Path()));
    }
    EXPECT_EQ("", scratch::ListFiles(downloads.Path()));
}

TEST(CameraBinding, SingleLibraryBindsWithEveryExport) {
    ASSERT_EQ(0u, LoadCameraDriver());
    EXPECT_NE(nullptr, ::GetModuleHandleA("camlnk1.dll"));
    EXPECT_EQ(nullptr, ::GetModuleHandleA("camlnk2.dll"));
    EXPECT_EQ(0u, LoadCameraDriver()) << "a bound driver stays bound";
    DWORD value = 12345;
    EXPECT_EQ(0x80070006u, KCAMAPI_GetNumXGAImg(0, &value))
        << "the driver itself answers a bad handle";
}
