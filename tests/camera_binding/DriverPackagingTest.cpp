// Runs from a folder that holds both packagings of the driver (camlnk1.dll, and camlnk2.dll
// with camldr2.dll), so that the fallback from one to the other can be watched. The binding
// lives once per process, so the stages run in one test, in order.
#include <gtest/gtest.h>

#include <string>

#include "camera/CameraConnection.h"
#include "camera/CameraDriver.h"
#include "tests/camera/CameraTestSupport.h"

using cameratest::CameraTest;
using cameratest::RecordingSink;

TEST_F(CameraTest, ProbeFallsBackToTheTwoLibrariesAndAFailedLoadIsRetried) {
    AddFile("LQ.JPG", 640, 480);
    AddFile("XGA.JPG", 1600, 1200);
    AddFile("CLIP.AVI");
    const std::string bulk = scratch::ExeFolder() + "\\camldr2.dll";
    const std::string parked = bulk + ".parked";
    ASSERT_TRUE(scratch::FileExists(bulk)) << bulk;
    ASSERT_TRUE(scratch::FileExists(scratch::ExeFolder() + "\\camlnk1.dll"));

    {
        SCOPED_TRACE("single library refuses the probe, bulk library missing");
        driver.SetDword("BulkInitFails", 1);
        ASSERT_TRUE(::MoveFileA(bulk.c_str(), parked.c_str())) << ::GetLastError();
        EXPECT_EQ(kCameraDriverFailure, LoadCameraDriver());
        EXPECT_EQ(nullptr, ::GetModuleHandleA("camlnk1.dll")) << "freed after the failed probe";
        EXPECT_EQ(nullptr, ::GetModuleHandleA("camlnk2.dll")) << "freed after the failed load";

        // Every guarded function answers with its fallback, without a driver.
        DWORD value = 77;
        EXPECT_EQ(0u, BULK_Init(0));
        EXPECT_EQ(0u, BULK_GetImgCount(1));
        EXPECT_EQ(0u, BULK_GetNthSize(1, 0));
        BULK_Reset(1);
        EXPECT_EQ(0u, KCAMAPI_Init(nullptr, nullptr, nullptr, nullptr, nullptr));
        EXPECT_EQ(kCameraDriverFailure, KCAMAPI_Download(1));
        EXPECT_EQ(kCameraDriverFailure, KCAMAPI_Reset(1));
        EXPECT_EQ(kCameraDriverFailure, KCAMAPI_ClearCamera(1));
        EXPECT_EQ(kCameraDriverFailure, KCAMAPI_GetNumLQImg(1, &value));
        EXPECT_EQ(kCameraDriverFailure, KCAMAPI_GetFreeMemory(1, &value));
        EXPECT_EQ(77u, value) << "no fallback writes the value";

        CCameraConnection connection;
        RecordingSink sink;
        EXPECT_FALSE(connection.Open(&sink));
        EXPECT_FALSE(connection.Download());
        ASSERT_TRUE(::MoveFileA(parked.c_str(), bulk.c_str())) << ::GetLastError();
    }
    {
        SCOPED_TRACE("the next call retries and binds the two libraries");
        EXPECT_EQ(0u, LoadCameraDriver());
        EXPECT_EQ(nullptr, ::GetModuleHandleA("camlnk1.dll"));
        EXPECT_NE(nullptr, ::GetModuleHandleA("camlnk2.dll"));
        EXPECT_NE(nullptr, ::GetModuleHandleA("camldr2.dll"));
    }
    {
        SCOPED_TRACE("the two-library driver counts no XGA pictures but downloads them");
        driver.SetDword("BulkInitFails", 0);
        CCameraConnection connection;
        RecordingSink sink;
        ASSERT_TRUE(connection.Open(&sink));
        EXPECT_EQ(2, connection.GetTotalCount()) << "the XGA count has no export";
        EXPECT_GT(connection.GetItemSize(2), 0u) << "the bulk library lists every item";
        DWORD value = 5;
        EXPECT_EQ(kCameraDriverFailure, KCAMAPI_GetNumXGAImg(1, &value));
        EXPECT_EQ(5u, value);
        ASSERT_TRUE(connection.Download());
        EXPECT_EQ(3, connection.GetItemCount());
        EXPECT_EQ("SF1 SF2 SF4 ", sink.trail) << "CLIP, LQ, XGA in name order";
        connection.Close();
    }
}
