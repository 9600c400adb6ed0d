// CImportDib: where its temporary bitmap goes (the user's setting, else the machine's, else the
// system's folder), and that a resource loads exactly as through CDib.
#include <gtest/gtest.h>

#include <cstring>

#include "media/ImportDib.h"
#include "resource.h"
#include "tests/external/imaging/ImagingTestSupport.h"
#include "tests/support/MediaFiles.h"
#include "tests/support/ScratchFiles.h"
#include "tests/support/ScratchRegistry.h"

namespace {

const char kPropertiesKey[] = "SOFTWARE\\Orvex\\Lumora2\\LMShell\\Properties";

std::string SystemTemp() {
    char path[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, path);
    return path;
}

TEST(ImportDib, TheTemporaryFolderIsTheUsersTheMachinesOrTheSystems) {
    scratch::RegistryKey user(HKEY_CURRENT_USER, kPropertiesKey);
    scratch::RegistryKey machine(HKEY_LOCAL_MACHINE, kPropertiesKey);
    ASSERT_TRUE(user.IsReady() && machine.IsReady());
    scratch::Directory mine("import-user"), shared("import-machine");

    user.SetString("TempDirectory", mine.Path());
    machine.SetString("TempDirectory", shared.Path());
    EXPECT_STREQ(mine.Path().c_str(), CImportDib::TemporaryDirectory());

    user.Delete("TempDirectory");
    EXPECT_STREQ(shared.Path().c_str(), CImportDib::TemporaryDirectory()) << "the machine's";

    machine.Delete("TempDirectory");
    EXPECT_STREQ(SystemTemp().c_str(), CImportDib::TemporaryDirectory()) << "none at all";

    // A setting that names no usable folder counts as none, the machine's is not asked then.
    user.SetString("TempDirectory", mine / "missing");
    machine.SetString("TempDirectory", shared.Path());
    EXPECT_STREQ(SystemTemp().c_str(), CImportDib::TemporaryDirectory());
    ASSERT_TRUE(scratch::WriteBytes(mine / "file", "x"));
    user.SetString("TempDirectory", mine / "file");
    EXPECT_STREQ(SystemTemp().c_str(), CImportDib::TemporaryDirectory()) << "a file is no folder";
}

TEST(ImportDib, AResourceLoadsAsThroughCDib) {
    CDib plain;
    CImportDib imported;
    HINSTANCE module = ::GetModuleHandleA(nullptr);
    ASSERT_TRUE(plain.LoadFromResource(module, IDB_STATUS_TOP_LEFT));
    ASSERT_TRUE(imported.LoadFromResource(module, IDB_STATUS_TOP_LEFT));
    EXPECT_STREQ("CDib", imported.GetRuntimeClass()->m_lpszClassName);
    ASSERT_EQ(plain.m_bm.bmWidth, imported.m_bm.bmWidth);
    ASSERT_EQ(plain.m_bm.bmHeight, imported.m_bm.bmHeight);
    ASSERT_EQ(plain.m_bm.bmWidthBytes, imported.m_bm.bmWidthBytes);
    const size_t bytes = static_cast<size_t>(plain.m_bm.bmWidthBytes) * plain.m_bm.bmHeight;
    EXPECT_EQ(0, std::memcmp(plain.m_bm.bmBits, imported.m_bm.bmBits, bytes));
}

// A progressive JPEG (format 81) gets the decoder option (80, 0, 0), a bitmap does not; the
// picture arrives whole, and the temporary bitmap is gone afterwards.
TEST(ImportDib, ConvertsThroughTheImagingLibraryAndLeavesNoTemporaryFile) {
    scratch::RegistryKey user(HKEY_CURRENT_USER, kPropertiesKey);
    scratch::Directory temp("import-temp"), pictures("import-pictures");
    user.SetString("TempDirectory", temp.Path());
    imaging_test::JpegOptions progressive;
    progressive.progressive = true;
    ASSERT_TRUE(scratch::WriteBytes(pictures / "Snapshot0000.jpg",
                                    imaging_test::EncodeJpeg(imaging_test::Pattern(64, 48, 3), progressive)));
    ASSERT_TRUE(scratch::WriteBitmapFile(pictures / "plain.bmp", 30, 20));
    auto lastOption = reinterpret_cast<PFN_IMG_DIAGNOSTIC_LAST_OPTION>(reinterpret_cast<void*>(
        ::GetProcAddress(::LoadLibraryA("LTFIL80N.dll"), "ImgDiagnosticLastOption")));
    ASSERT_NE(nullptr, lastOption);
    int option = 0, first = -1, second = -1;
    const int callsBefore = lastOption(&option, &first, &second);

    CImportDib image;
    ASSERT_TRUE(image.LoadFromFile((pictures / "Snapshot0000.jpg").c_str()));
    EXPECT_EQ(64, image.GetWidth());
    EXPECT_EQ(48, image.GetHeight());
    EXPECT_EQ(callsBefore + 1, lastOption(&option, &first, &second));
    EXPECT_EQ(80, option);
    EXPECT_EQ(0, first);
    EXPECT_EQ(0, second);
    ASSERT_TRUE(image.LoadFromFile((pictures / "plain.bmp").c_str()));
    EXPECT_EQ(30, image.GetWidth());
    EXPECT_EQ(callsBefore + 1, lastOption(&option, &first, &second)) << "a bitmap needs no option";

    ASSERT_TRUE(scratch::WriteBytes(pictures / "damaged.jpg", scratch::JpegHeader(64, 48)));
    EXPECT_FALSE(image.LoadFromFile((pictures / "damaged.jpg").c_str()));
    EXPECT_EQ(30, image.GetWidth()) << "a failed conversion leaves the picture as it was";
    EXPECT_EQ("", scratch::ListFiles(temp.Path())) << "no DFT file may stay";
}

}  // namespace
