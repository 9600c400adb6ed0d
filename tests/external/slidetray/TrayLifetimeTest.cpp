// The tray while its workers are busy: clearing, tearing down, the parent window going first,
// the DLL being freed and the process ending with a control still alive.
#include "TrayTestFixture.h"

namespace tray_test {
namespace {

const uint32_t kSlowColour = 0xC02020;
const uint32_t kQuickColour = 0x2020C0;

class TrayLifetimeTest : public TrayTest {
protected:
    void SetUp() override {
        TrayTest::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        // Large enough that each thumbnail of it keeps a worker busy for a while.
        ASSERT_TRUE(WriteBmp(m_pictures / "slow.bmp", 2400, 1800, kSlowColour));
        ASSERT_TRUE(WriteBmp(m_pictures / "quick.bmp", 160, 120, kQuickColour));
    }

    void AddSlowItems(int count) {
        for (int i = 0; i < count; ++i) {
            ASSERT_TRUE(m_host.AddItem(m_pictures / "slow.bmp", "slow " + std::to_string(i)));
        }
    }

    double CellShare(int index, int count, uint32_t colour) {
        ClientPixels pixels;
        if (!pixels.Capture(m_host.Tray())) {
            return -1.0;
        }
        return pixels.Share(Layout(count).ThumbRect(index, m_host.ScrollPos()), colour);
    }
};

// A thumbnail of a cleared item that arrives late must not land on the new item at its index.
TEST_F(TrayLifetimeTest, ClearWhileThumbnailsAreMade) {
    AddSlowItems(8);
    PumpFor(50);
    EXPECT_EQ(0, m_host.ClearItems());
    ASSERT_TRUE(m_host.AddItem(m_pictures / "quick.bmp", "quick 0"));
    ASSERT_TRUE(m_host.AddItem(m_pictures / "quick.bmp", "quick 1"));
    bool shown = PumpUntil(
        [this] {
            return CellShare(0, 2, kQuickColour) > 0.9 && CellShare(1, 2, kQuickColour) > 0.9;
        },
        20000);
    EXPECT_TRUE(shown) << "the new items' thumbnails did not show";
    // Time for any thumbnail of the old items still being made to arrive.
    PumpFor(800);
    for (int i = 0; i < 2; ++i) {
        EXPECT_GT(CellShare(i, 2, kQuickColour), 0.9) << "cell " << i << " lost its thumbnail";
        EXPECT_EQ(0.0, CellShare(i, 2, kSlowColour)) << "a cleared item's thumbnail in cell " << i;
    }
    EXPECT_EQ("quick 1", m_host.ItemLabel(1));
    EXPECT_EQ("", m_host.ItemPath(2));
}

// The workers are told to stop; shutting down waits for no more than the thumbnails in hand.
TEST_F(TrayLifetimeTest, TornDownWhileWorkersRun) {
    AddSlowItems(40);
    PumpFor(100);
    DWORD start = ::GetTickCount();
    EXPECT_EQ(S_OK, m_host.Close());
    DWORD took = ::GetTickCount() - start;
    EXPECT_LT(took, 2000u) << "tearing down took " << took << " ms";
    PumpFor(200);
}

// COM frees the DLL once nothing of it lives; the workers give their hold on it back as they
// leave, so it leaves the process instead of being torn from under them.
TEST_F(TrayLifetimeTest, DllLeavesTheProcessAfterTheLastControl) {
    AddSlowItems(40);
    PumpFor(100);
    ASSERT_NE(nullptr, ::GetModuleHandleA("SlideTray.dll"));
    ASSERT_EQ(S_OK, m_host.Close());
    bool unloaded = PumpUntil(
        [] {
            ::CoFreeUnusedLibrariesEx(0, 0);
            return ::GetModuleHandleA("SlideTray.dll") == nullptr;
        },
        10000);
    EXPECT_TRUE(unloaded) << "SlideTray.dll stayed loaded";
    // It loads again for the next control.
    std::string error;
    TrayHost again;
    ASSERT_TRUE(again.Open(200, 200, &error)) << error;
    EXPECT_TRUE(again.AddItem(m_pictures / "quick.bmp", "again"));
    EXPECT_EQ(S_OK, again.Close());
}

TEST_F(TrayLifetimeTest, ParentWindowDestroyedFirst) {
    AddSlowItems(10);
    PumpFor(50);
    HWND tray = m_host.Tray();
    ASSERT_TRUE(::DestroyWindow(m_host.Parent()));
    EXPECT_FALSE(::IsWindow(tray));
    // Calls still work on the control without its window, AddItem too.
    EXPECT_TRUE(m_host.AddItem(m_pictures / "quick.bmp", "late"));
    EXPECT_EQ("late", m_host.ItemLabel(10));
    m_host.SetRedraw(false);
    m_host.SetRedraw(true);
    PumpFor(100);
    CTestSite& site = m_host.Site();
    site.AddRef();
    EXPECT_EQ(S_OK, m_host.Close());
    EXPECT_EQ(1, site.deactivations);
    site.Release();
}

// The program may end without releasing the tray (a crash path, or a leak): the process must
// still exit at once although its workers are in the middle of thumbnails.
TEST(TrayExitTest, ProcessEndsWithAControlStillMakingThumbnails) {
    // The child process writes the picture; this one removes it afterwards.
    char temp[MAX_PATH] = {};
    ASSERT_NE(0u, ::GetTempPathA(sizeof temp, temp));
    const std::string slow = std::string(temp) + "slidetray-exit-slow.bmp";
    DWORD start = ::GetTickCount();
    EXPECT_EXIT(
        {
            ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            std::string error;
            auto* host = new TrayHost();
            if (!RegisterTray(&error) || !WriteBmp(slow, 2400, 1800, kSlowColour) ||
                !host->Open(300, 200, &error)) {
                ::ExitProcess(2);
            }
            for (int i = 0; i < 40; ++i) {
                host->AddItem(slow, "slow");
            }
            PumpFor(150);
            ::ExitProcess(0);
        },
        ::testing::ExitedWithCode(0), "");
    DWORD took = ::GetTickCount() - start;
    EXPECT_LT(took, 20000u) << "the process took " << took << " ms to end";
    ::DeleteFileA(slow.c_str());
}

} // namespace
} // namespace tray_test
