#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/File.h"

namespace {

// 2001-09-09 01:46:40 UTC, one billion seconds after 1970 began.
const __time64_t kBillion = 1000000000;
// 2009-02-13 23:31:30 UTC.
const __time64_t kLater = 1234567890;

FILETIME ToFileTime(__time64_t seconds) {
    ULONGLONG ticks = static_cast<ULONGLONG>(seconds) * 10000000ULL + 116444736000000000ULL;
    FILETIME fileTime;
    fileTime.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFF);
    fileTime.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return fileTime;
}

// A scratch folder under the user's temporary folder, removed with all it holds.
class FileStatusTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        DWORD length = GetTempPathA(MAX_PATH, temp);
        ASSERT_TRUE(length > 0 && length < MAX_PATH) << "GetTempPathA failed";
        m_dir = std::string(temp) + "fotoloft-filestatus-" + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryA(m_dir.c_str(), nullptr))
            << "cannot create " << m_dir << ", error " << GetLastError();
    }

    void TearDown() override {
        for (auto it = m_created.rbegin(); it != m_created.rend(); ++it) {
            DWORD attributes = GetFileAttributesA(it->c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
                RemoveDirectoryA(it->c_str());
            } else {
                SetFileAttributesA(it->c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(it->c_str());
            }
        }
        RemoveDirectoryA(m_dir.c_str());
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(m_dir.c_str()))
            << "scratch folder left behind: " << m_dir;
    }

    // Creates a file of `size` bytes whose three times are set to `time`.
    std::string MakeFile(const std::string& name, DWORD size, __time64_t time) {
        std::string path = m_dir + "\\" + name;
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, file) << "cannot create " << path;
        if (file == INVALID_HANDLE_VALUE) {
            return path;
        }
        m_created.push_back(path);
        std::string bytes(size, 'b');
        DWORD written = 0;
        EXPECT_TRUE(WriteFile(file, bytes.data(), size, &written, nullptr));
        EXPECT_EQ(size, written);
        FILETIME fileTime = ToFileTime(time);
        EXPECT_TRUE(SetFileTime(file, &fileTime, &fileTime, &fileTime));
        CloseHandle(file);
        return path;
    }

    std::string MakeDirectory(const std::string& name) {
        std::string path = m_dir + "\\" + name;
        EXPECT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << "cannot create " << path;
        m_created.push_back(path);
        return path;
    }

    std::string m_dir;
    std::vector<std::string> m_created;
};

// Changes the current folder for one test and restores it.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& path) {
        m_saved[0] = '\0';
        GetCurrentDirectoryA(MAX_PATH, m_saved);
        m_changed = SetCurrentDirectoryA(path.c_str()) != FALSE;
    }
    ~CurrentDirectory() {
        if (m_changed) {
            SetCurrentDirectoryA(m_saved);
        }
    }
    bool Changed() const { return m_changed; }

private:
    char m_saved[MAX_PATH];
    bool m_changed = false;
};

} // namespace

TEST(Time, ConvertsFileTimesToSecondsSince1970) {
    struct Case {
        const char* name;
        FILETIME fileTime;
        __time64_t expected;
    } cases[] = {
        {"the start of 1970", ToFileTime(0), 0},
        {"one billion seconds", ToFileTime(kBillion), kBillion},
        {"past 2038", ToFileTime(4102444800LL), 4102444800LL},
        {"a zero file time (no time kept)", FILETIME{0, 0}, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, CTime(c.fileTime).GetTime()) << c.name;
    }
    EXPECT_EQ(0, CTime().GetTime());
    EXPECT_EQ(kLater, CTime(kLater).GetTime());
}

TEST_F(FileStatusTest, FileGivesFullNameSizeAttributesAndTimes) {
    std::string path = MakeFile("Snapshot0000.jpg", 12345, kBillion);
    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(path.c_str(), status));
    EXPECT_STRCASEEQ(path.c_str(), status.m_szFullName);
    EXPECT_EQ(12345u, status.m_size);
    EXPECT_EQ(0, status.m_attribute & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(0, status.m_attribute & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(kBillion, status.m_mtime.GetTime());
    EXPECT_EQ(kBillion, status.m_ctime.GetTime());
    EXPECT_EQ(kBillion, status.m_atime.GetTime());
}

TEST_F(FileStatusTest, SizesBeyondFourGigabytesAreKept) {
    std::string path = MakeFile("large.avi", 0, kBillion);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    LARGE_INTEGER size;
    size.QuadPart = 0x100000010LL;
    BOOL grown = SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    if (!grown) {
        GTEST_SKIP() << "the file system cannot hold a file of 4 GB";
    }
    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(path.c_str(), status));
    EXPECT_EQ(0x100000010ULL, status.m_size);
}

TEST_F(FileStatusTest, ReadOnlyAttributeIsReported) {
    std::string path = MakeFile("locked.jpg", 1, kLater);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(path.c_str(), status));
    EXPECT_EQ(FILE_ATTRIBUTE_READONLY, status.m_attribute & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(kLater, status.m_mtime.GetTime());
}

TEST_F(FileStatusTest, DirectoryHasTheDirectoryAttribute) {
    std::string path = MakeDirectory("Gallery");
    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(path.c_str(), status));
    EXPECT_EQ(0x10, status.m_attribute & 0x10);
    EXPECT_STRCASEEQ(path.c_str(), status.m_szFullName);
    EXPECT_NE(0, status.m_mtime.GetTime());
}

TEST_F(FileStatusTest, RelativeNameGivesTheFullName) {
    std::string path = MakeFile("relative.jpg", 10, kBillion);
    MakeDirectory("sub");
    CurrentDirectory inScratch(m_dir);
    ASSERT_TRUE(inScratch.Changed());
    for (const char* name : {"relative.jpg", ".\\relative.jpg", "sub\\..\\relative.jpg"}) {
        SCOPED_TRACE(name);
        CFileStatus status;
        ASSERT_TRUE(CFile::GetStatus(name, status));
        EXPECT_STRCASEEQ(path.c_str(), status.m_szFullName);
        EXPECT_EQ(10u, status.m_size);
    }
}

TEST_F(FileStatusTest, NamesThatAreNoExistingFileGiveFalseAndAClearedStatus) {
    MakeFile("a1.jpg", 1, kBillion);
    MakeFile("b.jpg", 1, kBillion);
    std::string longName = m_dir + "\\" + std::string(MAX_PATH, 'n') + ".jpg";
    std::string missing = m_dir + "\\missing.jpg";
    std::string inMissingFolder = m_dir + "\\nowhere\\b.jpg";
    std::string question = m_dir + "\\a?.jpg";
    std::string star = m_dir + "\\*";
    std::string starFile = m_dir + "\\*.jpg";
    struct Case {
        const char* name;
        const char* fileName;
    } cases[] = {
        {"null", nullptr},
        {"empty", ""},
        {"missing file", missing.c_str()},
        {"missing folder", inMissingFolder.c_str()},
        {"'?' matching an existing file", question.c_str()},
        {"'*' alone", star.c_str()},
        {"'*' matching existing files", starFile.c_str()},
        {"full name longer than MAX_PATH", longName.c_str()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CFileStatus status;
        status.m_size = 77;
        status.m_attribute = 0x20;
        strcpy(status.m_szFullName, "left over");
        EXPECT_FALSE(CFile::GetStatus(c.fileName, status));
        EXPECT_STREQ("", status.m_szFullName);
        EXPECT_EQ(0u, status.m_size);
        EXPECT_EQ(0, status.m_attribute);
    }
}
