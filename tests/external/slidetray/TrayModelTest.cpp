// The tray's model on its own: while items keep arriving, only the items on screen get their
// thumbnails, one at a time; the rest wait for a pause, and then every worker joins in.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

#include "external/slidetray/TrayModel.h"

namespace {

TEST(TrayModelTest, WhileItemsArriveOnlyItemsOnScreenAreMadeOneAtATime) {
    CTrayModel model;
    model.SetVisible(0, 2);
    model.Add("a.jpg", "A");
    model.Add("b.jpg", "B");
    model.Add("c.jpg", "C");
    TrayJob first;
    ASSERT_TRUE(model.NextJob(&first));
    EXPECT_EQ(0u, first.index);

    std::atomic<ULONGLONG> tookAt{0};
    std::atomic<bool> tookOnScreen{false};
    TrayJob second;
    TrayJob third;
    std::thread worker([&] {
        // The second item on screen, once the first is done, while items still arrive ...
        if (model.NextJob(&second)) {
            tookOnScreen = true;
        }
        model.Finish(second, nullptr);
        // ... and the one off screen only after the pause.
        if (model.NextJob(&third)) {
            tookAt = ::GetTickCount64();
        }
    });
    ULONGLONG lastAdd = 0;
    for (int i = 0; i < 8; ++i) {
        ::Sleep(CTrayModel::kArrivalQuietMs / 3);
        if (i == 0) {
            EXPECT_FALSE(tookOnScreen.load()) << "a second job was taken beside the first";
        }
        if (i == 2) {
            model.Finish(first, nullptr);
        }
        model.Add("more.jpg", "More");
        lastAdd = ::GetTickCount64();
        EXPECT_EQ(0u, tookAt.load()) << "an item off screen was made while items arrived";
    }
    worker.join();
    EXPECT_TRUE(tookOnScreen.load());
    EXPECT_EQ(1u, second.index);
    ASSERT_NE(0u, tookAt.load());
    EXPECT_GE(tookAt.load() - lastAdd, CTrayModel::kArrivalQuietMs / 2);
    EXPECT_EQ(2u, third.index);

    // After the pause nothing holds a second worker back.
    TrayJob fourth;
    ASSERT_TRUE(model.NextJob(&fourth));
    EXPECT_EQ(3u, fourth.index);
    model.Finish(third, nullptr);
    model.Finish(fourth, nullptr);
    model.Stop(1000);
}

} // namespace
