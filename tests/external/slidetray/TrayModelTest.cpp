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

// A card's files come a few milliseconds apart: the pause that ends such a burst is a few of
// its gaps, not the longest pause; a slow trickle keeps the longest, and a long pause starts
// afresh.
TEST(TrayModelTest, ThePauseThatEndsABurstFollowsTheGapsBetweenItsItems) {
    CTrayModel model;
    EXPECT_EQ(CTrayModel::kArrivalQuietMs, model.QuietMs());
    for (int i = 0; i < 40; ++i) {
        model.Add("quick.jpg", "Quick");
    }
    EXPECT_EQ(CTrayModel::kShortestQuietMs, model.QuietMs());

    ::Sleep(CTrayModel::kArrivalQuietMs + 20);
    model.Add("later.jpg", "Later");
    EXPECT_EQ(CTrayModel::kArrivalQuietMs, model.QuietMs()) << "a new burst starts afresh";
    for (int i = 0; i < 6; ++i) {
        ::Sleep(CTrayModel::kArrivalQuietMs / 3);
        model.Add("slow.jpg", "Slow");
    }
    EXPECT_EQ(CTrayModel::kArrivalQuietMs, model.QuietMs());
}

// Workers that made everything sleep until told; an item that comes after the short pause of
// a quick burst (but before the longest one) must still wake them.
TEST(TrayModelTest, AnItemAfterAShortPauseIsStillMade) {
    CTrayModel model;
    model.SetVisible(0, 0);
    std::thread worker([&] {
        TrayJob job;
        while (model.NextJob(&job)) {
            model.Finish(job, nullptr);
        }
    });
    // The worker is waiting for work before the burst comes.
    ::Sleep(20);
    for (int i = 0; i < 20; ++i) {
        model.Add("quick.jpg", "Quick");
    }
    const ULONGLONG lastAdd = ::GetTickCount64();
    ASSERT_EQ(CTrayModel::kShortestQuietMs, model.QuietMs());
    for (int i = 0; i < 3000 && model.ReadyCount() < 20; ++i) {
        ::Sleep(1);
    }
    ASSERT_EQ(20u, model.ReadyCount());
    // The worker waits without a limit now. The next item between the two pauses after the
    // last (a busy machine may come later, which only makes this a new burst):
    const ULONGLONG between = lastAdd + CTrayModel::kShortestQuietMs + 10;
    const ULONGLONG now = ::GetTickCount64();
    if (now < between) {
        ::Sleep(static_cast<DWORD>(between - now));
    }
    model.Add("late.jpg", "Late");
    for (int i = 0; i < 300 && model.ReadyCount() < 21; ++i) {
        ::Sleep(10);
    }
    EXPECT_EQ(21u, model.ReadyCount()) << "the late item was never made";
    model.Stop(1000);
    worker.join();
}

} // namespace
