// The tray's model on its own: while items keep arriving, nothing is made during the first
// moments of the burst, then only the items on screen, one at a time; the rest wait for a
// pause, and then every worker joins in.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

#include "external/slidetray/TrayModel.h"

namespace {

struct Taken {
    size_t index;
    ULONGLONG takenAt;
    ULONGLONG finishedAt;
};

TEST(TrayModelTest, ABurstMakesNothingAtFirstThenItemsOnScreenOneAtATimeAndTheRestAfterIt) {
    CTrayModel model;
    model.SetVisible(0, 2);
    const ULONGLONG burstStart = ::GetTickCount64();
    model.Add("a.jpg", "A");
    model.Add("b.jpg", "B");
    model.Add("c.jpg", "C");

    std::mutex lock;
    std::vector<Taken> taken;
    auto work = [&] {
        TrayJob job;
        while (model.NextJob(&job)) {
            const ULONGLONG takenAt = ::GetTickCount64();
            ::Sleep(10);
            model.Finish(job, nullptr);
            std::lock_guard<std::mutex> guard(lock);
            taken.push_back({job.index, takenAt, ::GetTickCount64()});
        }
    };
    std::thread first(work);
    std::thread second(work);

    // Items keep coming for twice the grace.
    ULONGLONG lastAdd = burstStart;
    while (lastAdd - burstStart < 2 * CTrayModel::kBurstGraceMs) {
        ::Sleep(CTrayModel::kArrivalQuietMs / 3);
        model.Add("more.jpg", "More");
        lastAdd = ::GetTickCount64();
    }
    const size_t itemCount = 3 + static_cast<size_t>(2 * CTrayModel::kBurstGraceMs /
                                                     (CTrayModel::kArrivalQuietMs / 3)) + 1;
    for (int i = 0; i < 200 && model.ReadyCount() < itemCount - 3; ++i) {
        ::Sleep(10);
    }
    model.Stop(1000);
    first.join();
    second.join();

    std::vector<Taken> during;
    size_t afterCount = 0;
    ULONGLONG firstAfter = ~0ULL;
    for (const Taken& t : taken) {
        // The tick counts of two threads may differ by a tick.
        EXPECT_GE(t.takenAt + 20, burstStart + CTrayModel::kBurstGraceMs)
            << "item " << t.index << " was made in the first moments of the burst";
        if (t.takenAt < lastAdd) {
            during.push_back(t);
        } else {
            ++afterCount;
            firstAfter = std::min(firstAfter, t.takenAt);
        }
    }
    ASSERT_EQ(2u, during.size()) << "the two items on screen, while items still arrived";
    EXPECT_EQ(0u, during[0].index);
    EXPECT_EQ(1u, during[1].index);
    EXPECT_GE(during[1].takenAt, during[0].finishedAt) << "two were made at once while arriving";
    EXPECT_GE(afterCount, 3u);
    EXPECT_GE(firstAfter - lastAdd, CTrayModel::kArrivalQuietMs / 2);
}

} // namespace
