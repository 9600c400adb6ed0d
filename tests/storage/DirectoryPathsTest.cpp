// Gallery folder checks and creation: paths made full and tidy, every missing level made, and
// a failed creation that leaves the disk and the current directory as they were.
#include <gtest/gtest.h>

#include "storage/DirectoryPaths.h"
#include "tests/support/ScratchFiles.h"

namespace {

std::string CurrentDirectory() {
    char path[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, path);
    return path;
}

TEST(DirectoryPaths, ExistsMakesThePathFullAndDropsItsTrailingBackslash) {
    scratch::Directory root("paths");
    ASSERT_TRUE(scratch::MakeDirectories(root / "Party"));
    ASSERT_TRUE(scratch::WriteBytes(root / "photo.jpg", "x"));

    CString path = (root / "Party\\").c_str();
    EXPECT_TRUE(CDirectoryPaths::DirectoryExists(path));
    EXPECT_STREQ((root / "Party").c_str(), path);

    const std::string before = CurrentDirectory();
    ASSERT_TRUE(::SetCurrentDirectoryA(root.Path().c_str()));
    CString relative = "Party";
    EXPECT_TRUE(CDirectoryPaths::DirectoryExists(relative));
    EXPECT_STREQ((root / "Party").c_str(), relative) << "the full path is left in the argument";
    ::SetCurrentDirectoryA(before.c_str());

    CString file = (root / "photo.jpg").c_str();
    EXPECT_FALSE(CDirectoryPaths::DirectoryExists(file)) << "a file is no directory";
    CString empty;
    EXPECT_FALSE(CDirectoryPaths::DirectoryExists(empty));
    CString drive = "C:\\";
    EXPECT_TRUE(CDirectoryPaths::DirectoryExists(drive));
    EXPECT_STREQ("C:\\", drive) << "a root keeps its backslash";
}

TEST(DirectoryPaths, CreationMakesEveryLevelOrUndoesExactlyWhatItMade) {
    scratch::Directory root("paths");
    const std::string before = CurrentDirectory();

    EXPECT_TRUE(CDirectoryPaths::CreateDirectoryPath((root / "A\\B\\C\\").c_str()));
    EXPECT_TRUE(scratch::DirectoryExists(root / "A\\B\\C"));
    EXPECT_TRUE(CDirectoryPaths::CreateDirectoryPath((root / "A\\B").c_str())) << "already there";
    EXPECT_EQ(before, CurrentDirectory());

    // A level that cannot be made two levels down: the ones made above it go again.
    EXPECT_FALSE(CDirectoryPaths::CreateDirectoryPath((root / "A\\N\\M\\Bad?\\W").c_str()));
    EXPECT_FALSE(scratch::DirectoryExists(root / "A\\N")) << "a level it made was left behind";
    EXPECT_TRUE(scratch::DirectoryExists(root / "A\\B\\C")) << "what was there stays";
    // A file in the way.
    ASSERT_TRUE(scratch::WriteBytes(root / "A\\Y", "a file named Y"));
    EXPECT_FALSE(CDirectoryPaths::CreateDirectoryPath((root / "A\\Y\\Z").c_str()));
    EXPECT_EQ("a file named Y", scratch::ReadBytes(root / "A\\Y"));
    EXPECT_EQ(before, CurrentDirectory()) << "the current directory must come back on failure";
    EXPECT_FALSE(CDirectoryPaths::CreateDirectoryPath(""));
}

}  // namespace
