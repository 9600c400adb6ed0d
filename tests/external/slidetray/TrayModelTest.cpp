// The tray's model on its own: while items keep arriving, one worker at a time makes
// thumbnails; the others take work once arrivals pause.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

#include "external/slidetray/TrayModel.h"

namespace {

TEST(TrayModelTest, WhileItemsArriveASecondWorkerWaitsForAPause) {
    CTrayModel model;
    model.Add("a.jpg", "A");
    model.Add("b.jpg", "B");
    TrayJob first;
    ASSERT_TRUE(model.NextJob(&first));

    std::atomic<ULONGLONG> tookAt{0};
    TrayJob second;
    std::thread worker([&] {
        if (model.NextJob(&second)) {
            tookAt = ::GetTickCount64();
        }
    });
    // Items keep coming for a while: the second worker stays out.
    ULONGLONG lastAdd = 0;
    for (int i = 0; i < 6; ++i) {
        ::Sleep(20);
        model.Add("more.jpg", "More");
        lastAdd = ::GetTickCount64();
        EXPECT_EQ(0u, tookAt.load()) << "a second job was taken while items arrived";
    }
    // Then they stop, and it takes the next item without the first finishing.
    worker.join();
    ASSERT_NE(0u, tookAt.load());
    EXPECT_GE(tookAt.load() - lastAdd, CTrayModel::kArrivalQuietMs / 2);
    EXPECT_EQ(1u, second.index);

    // Once the first job is done, nothing holds a worker back.
    model.Finish(first, nullptr);
    model.Finish(second, nullptr);
    TrayJob third;
    ASSERT_TRUE(model.NextJob(&third));
    model.Finish(third, nullptr);
    model.Stop(1000);
}

} // namespace
