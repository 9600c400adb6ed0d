// The three packagings of the driver export exactly their names, undecorated, as the program
// resolves them with GetProcAddress.
#include "KestrelTestSupport.h"

#include <algorithm>

using namespace kestrel_test;

namespace {

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

const std::vector<std::string> kBulkExports = {"BULK_Init", "BULK_Reset", "BULK_GetImgCount",
                                               "BULK_GetNthSize"};

// The interface library has no KCAMAPI_GetNumXGAImg: the program counts no XGA stills then.
const std::vector<std::string> kInterfaceExports = {
    "KCAMAPI_Init",          "KCAMAPI_Download",    "KCAMAPI_Reset",
    "KCAMAPI_ClearCamera",   "KCAMAPI_GetNumLQImg", "KCAMAPI_GetNumHQImg",
    "KCAMAPI_GetNumVdoClip", "KCAMAPI_GetNumBurst", "KCAMAPI_GetFreeMemory"};

std::vector<std::string> AllExports() {
    std::vector<std::string> all = kBulkExports;
    all.insert(all.end(), kInterfaceExports.begin(), kInterfaceExports.end());
    all.push_back("KCAMAPI_GetNumXGAImg");
    return all;
}

struct Packaging {
    const char* file; // relative to the test executable's folder
    std::vector<std::string> exports;
};

TEST(ExportTableTest, EachLibraryExportsExactlyItsNames) {
    const Packaging packagings[] = {
        {"camlnk1.dll", AllExports()},
        {"binding\\camlnk1.dll", AllExports()},
        {"binding\\camlnk2.dll", kInterfaceExports},
        {"binding\\camldr2.dll", kBulkExports},
    };
    for (const Packaging& packaging : packagings) {
        SCOPED_TRACE(packaging.file);
        std::string path = scratch::ExeFolder() + "\\" + packaging.file;
        HMODULE module = LoadLibraryA(path.c_str());
        ASSERT_NE(nullptr, module) << "cannot load " << path << ", error " << GetLastError();
        EXPECT_EQ(Sorted(packaging.exports), ExportNames(module));
        for (const std::string& name : AllExports()) {
            bool expected =
                std::count(packaging.exports.begin(), packaging.exports.end(), name) != 0;
            EXPECT_EQ(expected, GetProcAddress(module, name.c_str()) != nullptr)
                << name << (expected ? " should resolve" : " should not resolve");
        }
        FreeLibrary(module);
    }
}

TEST(ExportTableTest, BindingFolderHoldsACopyOfTheSingleLibrary) {
    const std::string singlePath = scratch::ExeFolder() + "\\camlnk1.dll";
    const std::string copyPath = scratch::ExeFolder() + "\\binding\\camlnk1.dll";
    std::string single = scratch::ReadBytes(singlePath);
    std::string copy = scratch::ReadBytes(copyPath);
    ASSERT_FALSE(single.empty()) << "cannot read " << singlePath;
    ASSERT_FALSE(copy.empty()) << "cannot read " << copyPath;
    EXPECT_TRUE(single == copy) << "bin\\binding\\camlnk1.dll differs from bin\\camlnk1.dll ("
                                << copy.size() << " vs " << single.size() << " bytes)";
}

// The two-library packaging, loaded together, serves the same camera as the single one.
class TwoLibraryTest : public DriverTest {};

TEST_F(TwoLibraryTest, BulkAndInterfaceLibrariesServeTheCamera) {
    scratch::Directory camera("twolib");
    ASSERT_TRUE(camera.IsReady());
    ASSERT_TRUE(scratch::WriteBytes(camera / "DCIM\\a.jpg", scratch::JpegHeader(640, 480, 10)));
    ASSERT_TRUE(scratch::WriteBytes(camera / "DCIM\\b.avi", "clip"));
    UseCamera(camera.Path());

    HMODULE bulkLibrary = LoadLibraryA((scratch::ExeFolder() + "\\binding\\camldr2.dll").c_str());
    HMODULE interfaceLibrary =
        LoadLibraryA((scratch::ExeFolder() + "\\binding\\camlnk2.dll").c_str());
    ASSERT_NE(nullptr, bulkLibrary);
    ASSERT_NE(nullptr, interfaceLibrary);
    auto bulkInit = reinterpret_cast<PFN_BULK_Init>(GetProcAddress(bulkLibrary, "BULK_Init"));
    auto bulkCount =
        reinterpret_cast<PFN_BULK_GetImgCount>(GetProcAddress(bulkLibrary, "BULK_GetImgCount"));
    auto bulkReset = reinterpret_cast<PFN_BULK_Reset>(GetProcAddress(bulkLibrary, "BULK_Reset"));
    auto init =
        reinterpret_cast<PFN_KCAMAPI_Init>(GetProcAddress(interfaceLibrary, "KCAMAPI_Init"));
    auto getLQ = reinterpret_cast<PFN_KCAMAPI_GetValue>(
        GetProcAddress(interfaceLibrary, "KCAMAPI_GetNumLQImg"));
    auto getVideo = reinterpret_cast<PFN_KCAMAPI_GetValue>(
        GetProcAddress(interfaceLibrary, "KCAMAPI_GetNumVdoClip"));
    auto reset =
        reinterpret_cast<PFN_KCAMAPI_Reset>(GetProcAddress(interfaceLibrary, "KCAMAPI_Reset"));
    ASSERT_TRUE(bulkInit && bulkCount && bulkReset && init && getLQ && getVideo && reset);

    DWORD bulk = bulkInit(0);
    ASSERT_NE(0u, bulk);
    EXPECT_EQ(2u, bulkCount(bulk));
    EXPECT_EQ(kOk, bulkReset(bulk));

    DWORD handle = init(nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(0u, handle);
    DWORD lq = 0;
    DWORD video = 0;
    EXPECT_EQ(kOk, getLQ(handle, &lq));
    EXPECT_EQ(kOk, getVideo(handle, &video));
    EXPECT_EQ(1u, lq);
    EXPECT_EQ(1u, video);
    EXPECT_EQ(kOk, reset(handle));

    FreeLibrary(interfaceLibrary);
    FreeLibrary(bulkLibrary);
}

} // namespace
