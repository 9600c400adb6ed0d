#include <gtest/gtest.h>

#include <string>

#include "external/vantix2/Vantix2.h"

namespace {

// A scratch folder under the user's temporary folder holding one file; removed afterwards.
class PathNameTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        DWORD length = GetTempPathA(MAX_PATH, temp);
        ASSERT_TRUE(length > 0 && length < MAX_PATH) << "GetTempPathA failed";
        m_dir = std::string(temp) + "fotoloft-pathname-" + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryA(m_dir.c_str(), nullptr))
            << "cannot create " << m_dir << ", error " << GetLastError();
        m_file = m_dir + "\\plain.txt";
        HANDLE file = CreateFileA(m_file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file) << "cannot create " << m_file;
        CloseHandle(file);
    }

    void TearDown() override {
        DeleteFileA(m_file.c_str());
        RemoveDirectoryA(m_dir.c_str());
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(m_dir.c_str()))
            << "scratch folder left behind (a probe file not removed?): " << m_dir;
    }

    // Names in the scratch folder other than the file SetUp made.
    int StrayEntries() const {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((m_dir + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            return -1;
        }
        int count = 0;
        do {
            std::string name = found.cFileName;
            if (name != "." && name != ".." && name != "plain.txt") {
                ++count;
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return count;
    }

    std::string m_dir;
    std::string m_file;
};

struct LegalCase {
    const char* label;
    std::string path;
    bool legal;
};

TEST_F(PathNameTest, IsLegalDirectoryAcceptsOnlyWritableExistingDirectories) {
    const LegalCase cases[] = {
        {"existing folder", m_dir, true},
        {"existing folder with trailing backslash", m_dir + "\\", true},
        {"missing folder", m_dir + "\\missing", false},
        {"missing folder with trailing backslash", m_dir + "\\missing\\", false},
        {"folder below a missing one", m_dir + "\\missing\\deeper", false},
        {"a file, not a folder", m_file, false},
        {"a file with trailing backslash", m_file + "\\", false},
        {"empty path", "", false},
        {"longer than a path may be", m_dir + "\\" + std::string(300, 'n'), false},
    };
    for (const LegalCase& c : cases) {
        SCOPED_TRACE(std::string(c.label) + ": " + c.path);
        CPathName path(nullptr);
        path.SetDirPath(c.path.c_str());

        int legal = path.IsLegalDirectory();

        EXPECT_EQ(c.legal, legal != 0) << "IsLegalDirectory returned " << legal;
        EXPECT_EQ(0, StrayEntries()) << "the check must leave nothing behind";
    }
}

TEST_F(PathNameTest, AnEmptyObjectIsNotALegalDirectory) {
    CPathName fromNull(nullptr);
    EXPECT_EQ(0, fromNull.IsLegalDirectory());

    CPathName cleared(m_dir.c_str());
    ASSERT_NE(0, cleared.IsLegalDirectory()) << "the folder given at construction";
    cleared.SetDirPath(nullptr);
    EXPECT_EQ(0, cleared.IsLegalDirectory()) << "after SetDirPath(null)";
}

TEST_F(PathNameTest, SetDirPathReplacesTheDirectoryBeingJudged) {
    CPathName path(nullptr);
    path.SetDirPath((m_dir + "\\missing").c_str());
    ASSERT_EQ(0, path.IsLegalDirectory());

    path.SetDirPath(m_dir.c_str());
    EXPECT_NE(0, path.IsLegalDirectory());
}

TEST_F(PathNameTest, AFolderThatTakesNoFilesIsNotLegal) {
    // Under Wine, Z: is the Unix root; /proc exists as a folder but refuses new files even
    // to root, which a plain existence check would miss.
    const char* readOnlyFolder = "Z:\\proc";
    DWORD attributes = GetFileAttributesA(readOnlyFolder);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        GTEST_SKIP() << readOnlyFolder << " is not a folder here";
    }
    CPathName path(readOnlyFolder);

    EXPECT_EQ(0, path.IsLegalDirectory());
}

TEST_F(PathNameTest, RepeatedChecksKeepWorking) {
    // Each check must remove its probe, or a later one could collide with it.
    CPathName path(m_dir.c_str());
    for (int i = 0; i < 20; ++i) {
        ASSERT_NE(0, path.IsLegalDirectory()) << "check " << i;
    }
    EXPECT_EQ(0, StrayEntries());
}

} // namespace
