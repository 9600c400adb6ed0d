// Delete All, from the button and from its Retry, seen from outside the running program.
#include <memory>

#include "tests/e2e/ProgramTestSupport.h"

using e2etest::kAborted;
using e2etest::kMainTitle;
using e2etest::kNoCamera;
using e2etest::kTimeout;
using e2etest::kWindowTimeout;
using e2etest::PercentFull;
using e2etest::ProgramTest;

namespace {

const char kQuestion[] = "Are you sure you want to delete all snapshots and videos in the camera?";
const char kCleared[] = "Camera memory is empty now";
const char kAlreadyEmpty[] = "Camera Memory is Already Empty";
const char kZeros[] = "0 % of camera memory full | 0 Snapshot Taken | 0 Video Taken";

}  // namespace

class DeleteAllTest : public ProgramTest {
protected:
    // Starts the program on a camera of five items and waits for their counts.
    HWND StartOnFiveItems() {
        for (const char* name : {"A.JPG", "B.JPG", "C.AVI", "D.JPG", "E.AVI"}) {
            AddFile(std::string("DCIM\\100KSTRL\\") + name);
        }
        EXPECT_TRUE(scratch::WriteBytes(camera / "DCIM\\100KSTRL\\NOTES.TXT", "keep me"));
        m_program = std::make_unique<e2e::Program>();
        HWND main = m_program->WaitForWindow(kMainTitle, kWindowTimeout);
        if (main != nullptr) {
            const std::string counted = std::to_string(PercentFull(5 * 2000 + 7)) +
                                        " % of camera memory full | 3 Snapshots Taken | 2 Videos Taken";
            EXPECT_EQ(counted, WaitForStatus(main, counted));
        }
        return main;
    }

    // Waits for a message box of the main window, checks its text and presses `button`.
    void Answer(HWND main, const std::string& expectedText, int button) {
        std::string text;
        HWND box = m_program->WaitForMessageBox(kMainTitle, main, kTimeout, &text);
        ASSERT_NE(nullptr, box) << "no box for: " << expectedText;
        EXPECT_EQ(expectedText, text);
        ASSERT_TRUE(ui::PressButton(box, button));
        ASSERT_TRUE(ui::WaitUntil([&] { return !::IsWindow(box); }, kTimeout));
    }

    std::unique_ptr<e2e::Program> m_program;
};

TEST_F(DeleteAllTest, ConfirmedEraseEmptiesTheCameraThenSaysItIsAlreadyEmpty) {
    HWND main = StartOnFiveItems();
    ASSERT_NE(nullptr, main);
    e2e::Click(main, IDC_DELETE_ALL);
    Answer(main, kQuestion, IDYES);
    Answer(main, kCleared, IDOK);
    EXPECT_EQ(kZeros, Status(main));
    EXPECT_EQ("NOTES.TXT", scratch::ListFiles(camera / "DCIM\\100KSTRL"))
        << "the items go, other files stay";
    EXPECT_EQ("Snapshot0000.jpg Snapshot0001.jpg Snapshot0002.avi Snapshot0003.jpg Snapshot0004.avi",
              scratch::ListFiles(downloads.Path()))
        << "the downloaded copies stay until the next refresh";

    e2e::Click(main, IDC_DELETE_ALL);
    Answer(main, kAlreadyEmpty, IDOK);
}

TEST_F(DeleteAllTest, AnsweringNoChangesNothing) {
    HWND main = StartOnFiveItems();
    ASSERT_NE(nullptr, main);
    const std::string before = Status(main);
    e2e::Click(main, IDC_DELETE_ALL);
    Answer(main, kQuestion, IDNO);
    EXPECT_EQ(before, Status(main));
    EXPECT_EQ("A.JPG B.JPG C.AVI D.JPG E.AVI NOTES.TXT",
              scratch::ListFiles(camera / "DCIM\\100KSTRL"));
}

TEST_F(DeleteAllTest, RetryAsksAgainAndCancelLeavesTheMessageLine) {
    HWND main = StartOnFiveItems();
    ASSERT_NE(nullptr, main);
    driver.SetDword("InitFails", 1);
    e2e::Click(main, IDC_DELETE_ALL);
    Answer(main, kQuestion, IDYES);
    Answer(main, kNoCamera, IDRETRY);
    // The whole command runs again, question included.
    Answer(main, kQuestion, IDYES);
    Answer(main, kNoCamera, IDCANCEL);
    // The line changes once the box has gone.
    EXPECT_EQ(std::string("message: ") + kAborted,
              WaitForStatus(main, std::string("message: ") + kAborted));
    EXPECT_EQ("A.JPG B.JPG C.AVI D.JPG E.AVI NOTES.TXT",
              scratch::ListFiles(camera / "DCIM\\100KSTRL"));

    driver.SetDword("InitFails", 0);
    e2e::Click(main, IDC_DELETE_ALL);
    Answer(main, kQuestion, IDYES);
    Answer(main, kCleared, IDOK);
    EXPECT_EQ(kZeros, Status(main)) << "a successful erase shows the counts again";
}

// The driver erases what it can but reports the item it had to keep: no "empty now".
TEST_F(DeleteAllTest, AnEraseThatKeepsAnItemIsAFailureAndTheItemStaysCounted) {
    HWND main = StartOnFiveItems();
    ASSERT_NE(nullptr, main);
    struct ReadOnlyFile {
        std::string path;
        ~ReadOnlyFile() { ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL); }
    } kept{camera / "DCIM\\100KSTRL\\D.JPG"};
    ASSERT_TRUE(::SetFileAttributesA(kept.path.c_str(), FILE_ATTRIBUTE_READONLY));
    e2e::Click(main, IDC_DELETE_ALL);
    Answer(main, kQuestion, IDYES);
    Answer(main, kNoCamera, IDRETRY);
    Answer(main, kQuestion, IDYES);
    Answer(main, kNoCamera, IDCANCEL);
    // The line changes once the box has gone.
    EXPECT_EQ(std::string("message: ") + kAborted,
              WaitForStatus(main, std::string("message: ") + kAborted));
    EXPECT_EQ("D.JPG NOTES.TXT", scratch::ListFiles(camera / "DCIM\\100KSTRL"));
    // Still counted: a further Delete All asks again instead of calling the camera empty.
    e2e::Click(main, IDC_DELETE_ALL);
    Answer(main, kQuestion, IDNO);
}

TEST_F(DeleteAllTest, BeforeAnythingWasFoundTheCameraIsNotOpened) {
    e2e::Program program;
    HWND main = program.WaitForWindow(kMainTitle, kWindowTimeout);
    ASSERT_NE(nullptr, main);
    std::string text;
    HWND box = program.WaitForMessageBox(kMainTitle, main, kTimeout, &text);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("No snapshots or videos in camera memory.", text);
    ui::PressButton(box, IDOK);
    // A file arrives meanwhile; without a refresh the program knows nothing of it.
    AddFile("LATE.JPG");
    e2e::Click(main, IDC_DELETE_ALL);
    box = program.WaitForMessageBox(kMainTitle, main, kTimeout, &text);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(kAlreadyEmpty, text);
    ui::PressButton(box, IDOK);
    EXPECT_TRUE(scratch::FileExists(camera / "LATE.JPG"));
}
