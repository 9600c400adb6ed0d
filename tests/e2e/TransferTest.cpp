// Get All and Get Selected into a gallery, the save dialog's questions and New Gallery, seen
// from outside the running program.
#include <memory>

#include "tests/e2e/ProgramTestSupport.h"
#include "tests/support/ShellDriver.h"

using e2etest::kAppCaption;
using e2etest::kComplete;
using e2etest::kCreate;
using e2etest::kMainTitle;
using e2etest::kNewTitle;
using e2etest::kSaveTitle;
using e2etest::kTimeout;
using e2etest::kWindowTimeout;
using e2etest::ProgramTest;

namespace {

const char kReplace[] =
    "The selected gallery already has images with the same names. \nReplace existing images?";

}  // namespace

class TransferTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        installed.SetString("GalleriesPath", galleries.Path());
        fotoloft.SetString("DefaultGallery", "Party");
        ASSERT_TRUE(::CreateDirectoryA((galleries / "Party").c_str(), nullptr));
    }

    // A still, a clip and a still on the camera; the program started and their counts shown.
    HWND StartOnThreeItems() {
        AddFile("A.JPG", 3000);
        AddFile("B.AVI", 5000);
        AddFile("C.JPG", 4000);
        m_program = std::make_unique<e2e::Program>();
        HWND main = m_program->WaitForWindow(kMainTitle, kWindowTimeout);
        if (main != nullptr) {
            const std::string counts = "2 Snapshots Taken";
            EXPECT_TRUE(e2e::WaitForControlText(main, IDC_SNAPSHOTS_FIELD, counts, kTimeout));
        }
        return main;
    }

    // Opens the save dialog with `command`, types the prefix and presses Save.
    HWND OpenSaveDialog(HWND main, int command) {
        e2e::Click(main, command);
        return m_program->WaitForWindow(kSaveTitle, kWindowTimeout);
    }
    static void Save(HWND dialog, const char* prefix) {
        ::SetDlgItemTextA(dialog, IDC_PREFIX, prefix);
        e2e::Click(dialog, IDOK);
    }

    // Waits for a message box with `caption` (other than `except`), checks its text, presses.
    void Answer(const char* caption, HWND except, const std::string& expected, int button) {
        std::string text;
        HWND box = m_program->WaitForMessageBox(caption, except, kTimeout, &text);
        ASSERT_NE(nullptr, box) << "no box for: " << expected;
        EXPECT_EQ(expected, text);
        ASSERT_TRUE(ui::PressButton(box, button));
        ASSERT_TRUE(ui::WaitUntil([&] { return !::IsWindow(box); }, kTimeout));
    }

    std::string Gallery(const std::string& name = "") const {
        return galleries / (name.empty() ? std::string("Party") : "Party\\" + name);
    }
    std::string CameraFile(const char* name) const { return scratch::ReadBytes(camera / name); }

    scratch::RegistryKey installed{HKEY_CURRENT_USER, "Software\\Orvex\\LumoraInstalled\\Lumora2"};
    scratch::RegistryKey fotoloft{HKEY_CURRENT_USER, "SOFTWARE\\Orvex\\Lumora2\\Fotoloft"};
    scratch::Directory galleries{"e2e-galleries"};
    std::unique_ptr<e2e::Program> m_program;
};

TEST_F(TransferTest, GetAllNamesTheFilesInOrderThenGetSelectedSavesTheThirdAlone) {
    HWND main = StartOnThreeItems();
    ASSERT_NE(nullptr, main);
    HWND dialog = OpenSaveDialog(main, IDC_GET_ALL);
    ASSERT_NE(nullptr, dialog);
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog, IDOK))) << "Save waits for a prefix";
    Save(dialog, "PARTY");
    Answer(kMainTitle, main, kComplete, IDOK);
    EXPECT_EQ("PARTY_0001.jpg PARTY_0002.avi PARTY_0003.jpg", scratch::ListFiles(Gallery()));
    EXPECT_EQ(CameraFile("A.JPG"), scratch::ReadBytes(Gallery("PARTY_0001.jpg")));
    EXPECT_EQ(CameraFile("B.AVI"), scratch::ReadBytes(Gallery("PARTY_0002.avi")));
    EXPECT_EQ(CameraFile("C.JPG"), scratch::ReadBytes(Gallery("PARTY_0003.jpg")));

    // The third thumbnail alone: it keeps its number.
    for (const char* name : {"PARTY_0001.jpg", "PARTY_0002.avi", "PARTY_0003.jpg"}) {
        ::DeleteFileA(Gallery(name).c_str());
    }
    e2etest::ClickThumbnail(main, 2);
    dialog = OpenSaveDialog(main, IDC_GET_SELECTED);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ("PARTY", e2e::ControlText(dialog, IDC_PREFIX)) << "the last prefix is kept";
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog, IDOK)));
    e2e::Click(dialog, IDOK);
    Answer(kMainTitle, main, kComplete, IDOK);
    EXPECT_EQ("PARTY_0003.jpg", scratch::ListFiles(Gallery()));
}

TEST_F(TransferTest, ReplacingAsksAndAMissingFolderIsOfferedToBeMade) {
    HWND main = StartOnThreeItems();
    ASSERT_NE(nullptr, main);
    ASSERT_TRUE(scratch::WriteBytes(Gallery("PARTY_0002.avi"), "older clip"));
    HWND dialog = OpenSaveDialog(main, IDC_GET_ALL);
    ASSERT_NE(nullptr, dialog);
    Save(dialog, "PARTY");
    Answer(kMainTitle, main, kReplace, IDNO);
    ASSERT_TRUE(::IsWindow(dialog)) << "No keeps the dialog open";
    DWORD start = 0, end = 0;
    ::SendMessageA(::GetDlgItem(dialog, IDC_PREFIX), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(5u, start) << "the caret at the end of the prefix";
    EXPECT_EQ(5u, end);
    EXPECT_EQ("older clip", scratch::ReadBytes(Gallery("PARTY_0002.avi")));

    // The gallery's folder and the root above it go away meanwhile.
    ::DeleteFileA(Gallery("PARTY_0002.avi").c_str());
    ASSERT_TRUE(::RemoveDirectoryA(Gallery().c_str()));
    ASSERT_TRUE(::RemoveDirectoryA(galleries.Path().c_str()));
    e2e::Click(dialog, IDOK);
    Answer(kAppCaption, main, kCreate, IDNO);
    ASSERT_TRUE(::IsWindow(dialog));
    EXPECT_FALSE(scratch::DirectoryExists(galleries.Path()));
    e2e::Click(dialog, IDOK);
    Answer(kAppCaption, main, kCreate, IDYES);
    Answer(kMainTitle, main, kComplete, IDOK);
    EXPECT_EQ("PARTY_0001.jpg PARTY_0002.avi PARTY_0003.jpg", scratch::ListFiles(Gallery()));
}

TEST_F(TransferTest, NewGalleryRefusesEmptyListedAndInvalidNamesAndMakesAGoodOne) {
    HWND main = StartOnThreeItems();
    ASSERT_NE(nullptr, main);
    HWND dialog = OpenSaveDialog(main, IDC_GET_ALL);
    ASSERT_NE(nullptr, dialog);
    auto openNew = [&] {
        return m_program->WaitForWindow(kNewTitle, kWindowTimeout);
    };
    e2e::Click(dialog, IDC_NEW_GALLERY);
    HWND ask = openNew();
    ASSERT_NE(nullptr, ask);
    EXPECT_EQ(30, ::SendMessageA(::GetDlgItem(ask, IDC_GALLERY_NAME), EM_GETLIMITTEXT, 0, 0));
    e2e::Click(ask, IDOK);
    Answer(kAppCaption, main,
           "The Gallery name contains invalid characters. Please enter a different name", IDOK);
    ::SetDlgItemTextA(ask, IDC_GALLERY_NAME, "Party");
    e2e::Click(ask, IDOK);
    Answer(kAppCaption, main,
           "The Gallery \"Party\" already exists.  Please enter a different name.", IDOK);
    HWND again = m_program->WaitForWindow(kNewTitle, kWindowTimeout, ask);
    ASSERT_NE(nullptr, again) << "a fresh dialog follows";
    EXPECT_EQ("", e2e::ControlText(again, IDC_GALLERY_NAME));
    ::SetDlgItemTextA(again, IDC_GALLERY_NAME, "What?");
    e2e::Click(again, IDOK);
    std::string text;
    HWND error = m_program->WaitForMessageBox("Error", main, kTimeout, &text);
    ASSERT_NE(nullptr, error);
    EXPECT_NE("", text) << "the system's own text";
    ui::PressButton(error, IDOK);

    e2e::Click(dialog, IDC_NEW_GALLERY);
    ask = openNew();
    ASSERT_NE(nullptr, ask);
    ::SetDlgItemTextA(ask, IDC_GALLERY_NAME, "Summer 2001");
    e2e::Click(ask, IDOK);
    ASSERT_TRUE(ui::WaitUntil([&] { return scratch::DirectoryExists(galleries / "Summer 2001"); },
                              kTimeout));
    HWND list = ::FindWindowExA(::GetDlgItem(dialog, IDC_GALLERY_PLACEHOLDER), nullptr,
                                "ComboBox", nullptr);
    EXPECT_TRUE(ui::WaitUntil(
        [&] { return ::SendMessageA(list, CB_FINDSTRINGEXACT, -1,
                                    reinterpret_cast<LPARAM>("Summer 2001")) >= 0; },
        kTimeout))
        << "the list shows the new gallery";
    e2e::Click(dialog, IDCANCEL);
}

TEST_F(TransferTest, GetAllOnAnEmptyTrayRefreshesFirst) {
    driver.Delete("CameraFolder");
    AddFile("A.JPG");
    m_program = std::make_unique<e2e::Program>();
    HWND main = m_program->WaitForWindow(kMainTitle, kWindowTimeout);
    ASSERT_NE(nullptr, main);
    Answer(kMainTitle, main, e2etest::kNoCamera, IDCANCEL);
    driver.SetString("CameraFolder", camera.Path());
    e2e::Click(main, IDC_GET_ALL);
    EXPECT_NE(nullptr, m_program->WaitForWindow(e2etest::kDownloadTitle, kWindowTimeout));
    HWND dialog = m_program->WaitForWindow(kSaveTitle, kWindowTimeout);
    ASSERT_NE(nullptr, dialog) << "Get All follows the refresh";
    EXPECT_EQ("1 Snapshot Taken", e2e::ControlText(main, IDC_SNAPSHOTS_FIELD));
    e2e::Click(dialog, IDCANCEL);
}

// With the shell program running, each saved file is announced to it, and a gallery left
// unnamed is the shell's current one. (A refusal and a shell that ends during the transfer are
// rows of the fault matrix.)
TEST_F(TransferTest, TheShellProgramHearsOfEachSavedFile) {
    PROCESS_INFORMATION shellProcess = shelltest::StartShell("");
    ASSERT_NE(nullptr, shellProcess.hProcess);
    HWND shell = shelltest::WaitForShellWindow();
    ASSERT_NE(nullptr, shell);
    HWND main = StartOnThreeItems();
    ASSERT_NE(nullptr, main);

    HWND dialog = OpenSaveDialog(main, IDC_GET_ALL);
    ASSERT_NE(nullptr, dialog);
    Save(dialog, "PARTY");
    Answer(kMainTitle, main, kComplete, IDOK);
    EXPECT_TRUE(shelltest::ShowsLine(shell, "Gallery opened: \"Party\""));
    for (const char* name : {"PARTY_0001.jpg", "PARTY_0002.avi", "PARTY_0003.jpg"}) {
        EXPECT_TRUE(shelltest::ShowsLine(shell, "File added to gallery \"Party\": " + Gallery(name)));
    }

    // No gallery chosen: the files go to the galleries root, announced to the shell's own.
    fotoloft.SetString("DefaultGallery", "");
    dialog = OpenSaveDialog(main, IDC_GET_ALL);
    ASSERT_NE(nullptr, dialog);
    e2e::Click(dialog, IDOK);
    Answer(kMainTitle, main, kComplete, IDOK);
    EXPECT_TRUE(shelltest::ShowsLine(
        shell, "File added to gallery \"Party\": " + (galleries / "PARTY_0003.jpg")));

    EXPECT_EQ(0u, shelltest::CloseShell(shell));
    ::CloseHandle(shellProcess.hProcess);
}
