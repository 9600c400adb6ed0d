// KCAMAPI_Download: complete copies at the paths the program names, callbacks in order, and
// every way a download stops short leaving no half-written or temporary file behind.
#include "KestrelTestSupport.h"

using namespace kestrel_test;

namespace {

// Three items: an LQ still, a clip larger than one copy chunk, an XGA still.
class DownloadTest : public DriverTest {
protected:
    void SetUp() override {
        DriverTest::SetUp();
        ASSERT_TRUE(m_camera.IsReady());
        ASSERT_TRUE(m_output.IsReady());
        m_sources = {scratch::JpegHeader(640, 480, 5000), std::string(),
                     scratch::JpegHeader(2000, 1500, 70000)};
        for (size_t i = 0; i < 700000; ++i) {
            m_sources[1] += static_cast<char>((i * 7919) >> 3);
        }
        ASSERT_TRUE(scratch::WriteBytes(m_camera / "DCIM\\100CAM\\IMG_0001.JPG", m_sources[0]));
        ASSERT_TRUE(scratch::WriteBytes(m_camera / "DCIM\\100CAM\\IMG_0002.AVI", m_sources[1]));
        ASSERT_TRUE(scratch::WriteBytes(m_camera / "DCIM\\100CAM\\IMG_0003.JPG", m_sources[2]));
        ASSERT_TRUE(scratch::WriteBytes(m_camera / "DCIM\\100CAM\\INFO.TXT", "not an item"));
        UseCamera(m_camera.Path());
        m_recorder.outputFolder = m_output.Path();
    }

    // Runs the download with the recorder as it is set up; returns the status.
    DWORD Download() {
        DWORD camera = OpenCamera(&m_recorder);
        EXPECT_NE(0u, camera);
        return camera == 0 ? kFail : D().download(camera);
    }

    // The output file of download number n (1-based) holds exactly item n.
    void ExpectCopied(int number) {
        std::string path = m_recorder.PathFor(number, kKinds[number - 1]);
        ASSERT_TRUE(scratch::FileExists(path)) << "no file at " << path;
        std::string copy = scratch::ReadBytes(path);
        EXPECT_TRUE(copy == m_sources[number - 1])
            << path << " is not a copy of item " << number << " (" << copy.size() << " vs "
            << m_sources[number - 1].size() << " bytes)";
    }

    // What the output folder holds, as scratch::ListFiles names it, after the first `count`
    // copies.
    static std::string FirstCopies(int count) {
        const char* lists[] = {"", "001.jpg", "001.jpg 002.avi", "001.jpg 002.avi 003.jpg"};
        return lists[count];
    }

    static constexpr int kKinds[3] = {KCAM_KIND_LQ, KCAM_KIND_VIDEO, KCAM_KIND_XGA};

    scratch::Directory m_camera{"download"};
    scratch::Directory m_output{"download-out"};
    std::vector<std::string> m_sources;
    DownloadRecorder m_recorder;
};

constexpr int DownloadTest::kKinds[3];

TEST_F(DownloadTest, CopiesEveryItemToThePathItsNameCallbackGave) {
    EXPECT_EQ(Hex(kOk), Hex(Download()));
    std::vector<std::string> expected = {NameEvent(KCAM_KIND_LQ),    DoneEvent(kOk),
                                         NameEvent(KCAM_KIND_VIDEO), DoneEvent(kOk),
                                         NameEvent(KCAM_KIND_XGA),   DoneEvent(kOk)};
    EXPECT_EQ(expected, m_recorder.events);
    EXPECT_TRUE(m_recorder.breaches.empty()) << testing::PrintToString(m_recorder.breaches);
    for (int number = 1; number <= 3; ++number) {
        ExpectCopied(number);
    }
    EXPECT_EQ(FirstCopies(3), scratch::ListFiles(m_output.Path()))
        << "the target folder holds strays";
}

TEST_F(DownloadTest, ReplacesAFileAlreadyAtThePath) {
    ASSERT_TRUE(scratch::WriteBytes(m_output / "002.avi", std::string(2 * 1024 * 1024, 'o')));
    EXPECT_EQ(Hex(kOk), Hex(Download()));
    ExpectCopied(2);
}

struct StopCase {
    const char* name;
    int abortAtName;
    int abortAtDone;
    std::vector<std::string> events;
    int copies; // complete copies expected in the output folder
};

// The program's cancel reaches the driver through either callback's abort flag; the driver
// stops there with E_ABORT and writes nothing more.
TEST_F(DownloadTest, StopsWithEAbortWhereACallbackAsksTo) {
    const StopCase cases[] = {
        {"name callback of file 1", 1, 0, {NameEvent(KCAM_KIND_LQ)}, 0},
        {"name callback of file 2",
         2,
         0,
         {NameEvent(KCAM_KIND_LQ), DoneEvent(kOk), NameEvent(KCAM_KIND_VIDEO)},
         1},
        {"done callback of file 1", 0, 1, {NameEvent(KCAM_KIND_LQ), DoneEvent(kOk)}, 1},
        {"done callback of file 3",
         0,
         3,
         {NameEvent(KCAM_KIND_LQ), DoneEvent(kOk), NameEvent(KCAM_KIND_VIDEO), DoneEvent(kOk),
          NameEvent(KCAM_KIND_XGA), DoneEvent(kOk)},
         3},
    };
    for (const StopCase& stop : cases) {
        SCOPED_TRACE(stop.name);
        scratch::Directory output("stop-out");
        ASSERT_TRUE(output.IsReady());
        m_recorder = DownloadRecorder();
        m_recorder.outputFolder = output.Path();
        m_recorder.abortAtName = stop.abortAtName;
        m_recorder.abortAtDone = stop.abortAtDone;
        EXPECT_EQ(Hex(kAbort), Hex(Download()));
        EXPECT_EQ(stop.events, m_recorder.events);
        EXPECT_EQ(FirstCopies(stop.copies), scratch::ListFiles(output.Path()));
    }
}

TEST_F(DownloadTest, FailAtFileFailsThatFileLeavingNothingOfIt) {
    DWORD camera = OpenCamera(&m_recorder);
    ASSERT_NE(0u, camera);
    // Read at the download, not at Init.
    ASSERT_TRUE(m_settings.SetDword("FailAtFile", 2));
    EXPECT_EQ(Hex(kFail), Hex(D().download(camera)));
    std::vector<std::string> expected = {NameEvent(KCAM_KIND_LQ), DoneEvent(kOk),
                                         NameEvent(KCAM_KIND_VIDEO), DoneEvent(kFail)};
    EXPECT_EQ(expected, m_recorder.events);
    ExpectCopied(1);
    EXPECT_FALSE(scratch::FileExists(m_recorder.PathFor(2, KCAM_KIND_VIDEO)))
        << "file 2 was written";
    EXPECT_EQ(FirstCopies(1), scratch::ListFiles(m_output.Path())) << "a temporary file was left";
}

TEST_F(DownloadTest, FailAtFileKeepsAnEarlierFileAtThePath) {
    ASSERT_TRUE(scratch::WriteBytes(m_output / "001.jpg", "from before"));
    ASSERT_TRUE(m_settings.SetDword("FailAtFile", 1));
    EXPECT_EQ(Hex(kFail), Hex(Download()));
    EXPECT_EQ("from before", scratch::ReadBytes(m_output / "001.jpg"))
        << "a failed file must not touch what the path held";
    EXPECT_EQ(FirstCopies(1), scratch::ListFiles(m_output.Path()));
}

struct BadPathCase {
    const char* name;
    int emptyAt;
    int unterminatedAt;
    const char* overridePath; // relative to the output folder; null: none
};

// A path the driver cannot write to fails the download at that file, reported through the
// done callback.
TEST_F(DownloadTest, FailsAtAFileWhosePathCannotBeWritten) {
    const BadPathCase cases[] = {
        {"empty path", 2, 0, nullptr},
        {"path without terminator", 0, 2, nullptr},
        {"missing folder", 0, 0, "no such folder\\002.avi"},
        {"path naming a folder", 0, 0, "sub"},
    };
    for (const BadPathCase& bad : cases) {
        SCOPED_TRACE(bad.name);
        scratch::Directory output("badpath-out");
        ASSERT_TRUE(output.IsReady());
        ASSERT_TRUE(scratch::MakeDirectories(output / "sub"));
        m_recorder = DownloadRecorder();
        m_recorder.outputFolder = output.Path();
        m_recorder.emptyPathAt = bad.emptyAt;
        m_recorder.unterminatedPathAt = bad.unterminatedAt;
        if (bad.overridePath != nullptr) {
            m_recorder.overridePath = output / bad.overridePath;
            m_recorder.overridePathAt = 2;
        }
        EXPECT_EQ(Hex(kFail), Hex(Download()));
        std::vector<std::string> expected = {NameEvent(KCAM_KIND_LQ), DoneEvent(kOk),
                                             NameEvent(KCAM_KIND_VIDEO), DoneEvent(kFail)};
        EXPECT_EQ(expected, m_recorder.events);
        EXPECT_EQ(FirstCopies(1), scratch::ListFiles(output.Path()));
        EXPECT_EQ("", scratch::ListFiles(output / "sub")) << "something landed in sub";
    }
}

// The driver copies the next files ahead into the folder of the last one; a name in another
// folder still gets its own item, and no copy made ahead stays behind in either folder.
TEST_F(DownloadTest, AFileNamedInAnotherFolderGetsItsItemAndNothingStraysInEither) {
    ASSERT_TRUE(scratch::MakeDirectories(m_output / "sub"));
    m_recorder.overridePath = m_output / "sub\\002.avi";
    m_recorder.overridePathAt = 2;
    EXPECT_EQ(Hex(kOk), Hex(Download()));
    EXPECT_TRUE(scratch::ReadBytes(m_output / "sub\\002.avi") == m_sources[1])
        << "sub\\002.avi is not a copy of item 2";
    ExpectCopied(1);
    ExpectCopied(3);
    EXPECT_EQ("001.jpg 003.jpg", scratch::ListFiles(m_output.Path()));
    EXPECT_EQ("002.avi", scratch::ListFiles(m_output / "sub"));
}

TEST_F(DownloadTest, WithoutCallbacksRefusesToStart) {
    DWORD camera = OpenCamera();
    ASSERT_NE(0u, camera);
    EXPECT_EQ(Hex(kBadPointer), Hex(D().download(camera)));
    EXPECT_EQ("", scratch::ListFiles(m_output.Path()));
}

TEST_F(DownloadTest, AnEmptyCameraSucceedsWithoutCallbacks) {
    scratch::Directory empty("empty");
    ASSERT_TRUE(empty.IsReady());
    ASSERT_TRUE(scratch::WriteBytes(empty / "DCIM\\readme.txt", "no pictures"));
    UseCamera(empty.Path());
    EXPECT_EQ(Hex(kOk), Hex(Download()));
    EXPECT_TRUE(m_recorder.events.empty()) << testing::PrintToString(m_recorder.events);
}

TEST_F(DownloadTest, FileDelayMsSlowsEachFile) {
    const DWORD kDelayMs = 150;
    ASSERT_TRUE(m_settings.SetDword("FileDelayMs", kDelayMs));
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(Hex(kOk), Hex(Download()));
    ULONGLONG elapsed = GetTickCount64() - start;
    // Timer granularity allows a little less than three full delays.
    EXPECT_GE(elapsed, 3 * kDelayMs - 30) << "three files took only " << elapsed << " ms";
}

} // namespace
