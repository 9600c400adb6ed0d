#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "framework/Mutex.h"
#include "framework/SingleLock.h"

namespace {

// Only a hang guard: every thread here finishes at once unless the code under test hangs.
const DWORD kHangGuardMs = 30000;

// Runs work on a thread of its own and waits for it to end.
void RunOnOtherThread(const std::function<void()>& work) {
    struct Start {
        static DWORD WINAPI Entry(LPVOID param) {
            (*static_cast<const std::function<void()>*>(param))();
            return 0;
        }
    };
    HANDLE thread = CreateThread(nullptr, 0, Start::Entry,
                                 const_cast<std::function<void()>*>(&work), 0, nullptr);
    ASSERT_NE(nullptr, thread) << "CreateThread failed, error " << GetLastError();
    DWORD waited = WaitForSingleObject(thread, kHangGuardMs);
    CloseHandle(thread);
    ASSERT_EQ(WAIT_OBJECT_0, waited) << "the other thread did not finish";
}

// Whether another thread gets the object with timeout 0; it lets go again at once.
bool OtherThreadCanLock(CSyncObject& object) {
    BOOL acquired = FALSE;
    BOOL released = FALSE;
    RunOnOtherThread([&] {
        acquired = object.Lock(0);
        if (acquired) {
            released = object.Unlock();
        }
    });
    EXPECT_EQ(acquired, released) << "the other thread could not release what it took";
    return acquired != FALSE;
}

// A mutex name of this test alone, so parallel runs do not meet.
std::string UniqueName() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string("Fotoloft.SyncTest.") + test->name() + "." +
           std::to_string(GetCurrentProcessId());
}

} // namespace

TEST(Mutex, NamedMutexHeldByOneThreadIsRefusedToAnotherUntilReleased) {
    std::string name = UniqueName();
    CMutex mutex(FALSE, name.c_str());
    ASSERT_NE(nullptr, mutex.m_hObject);
    EXPECT_TRUE(OtherThreadCanLock(mutex)) << "a new mutex is free";

    CSingleLock lock(&mutex);
    EXPECT_FALSE(lock.IsLocked());
    ASSERT_TRUE(lock.Lock(0));
    EXPECT_TRUE(lock.IsLocked());
    EXPECT_FALSE(OtherThreadCanLock(mutex));

    EXPECT_TRUE(lock.Unlock());
    EXPECT_FALSE(lock.IsLocked());
    EXPECT_TRUE(OtherThreadCanLock(mutex));
}

TEST(Mutex, SecondObjectWithTheSameNameSharesTheLock) {
    std::string name = UniqueName();
    CMutex first(FALSE, name.c_str());
    CMutex second(FALSE, name.c_str());
    ASSERT_NE(nullptr, first.m_hObject);
    ASSERT_NE(nullptr, second.m_hObject);
    EXPECT_NE(first.m_hObject, second.m_hObject) << "each object has a handle of its own";

    CSingleLock lock(&first, TRUE);
    ASSERT_TRUE(lock.IsLocked());
    EXPECT_FALSE(OtherThreadCanLock(second));
    lock.Unlock();
    EXPECT_TRUE(OtherThreadCanLock(second));

    CMutex unrelated(FALSE, (name + ".other").c_str());
    CSingleLock again(&first, TRUE);
    EXPECT_TRUE(OtherThreadCanLock(unrelated)) << "another name is another mutex";
}

TEST(Mutex, InitiallyOwnedMutexBelongsToItsCreator) {
    std::string name = UniqueName();
    CMutex mutex(TRUE, name.c_str());
    ASSERT_NE(nullptr, mutex.m_hObject);
    EXPECT_FALSE(OtherThreadCanLock(mutex));
    EXPECT_TRUE(mutex.Unlock());
    EXPECT_TRUE(OtherThreadCanLock(mutex));
}

TEST(Mutex, ExistingNameIsOpenedWithoutGrantingOwnership) {
    std::string name = UniqueName();
    CMutex existing(FALSE, name.c_str());
    ASSERT_NE(nullptr, existing.m_hObject);
    BOOL openedOwned = FALSE;
    BOOL releasedByOpener = FALSE;
    RunOnOtherThread([&] {
        CMutex opened(TRUE, name.c_str());
        openedOwned = opened.m_hObject != nullptr;
        // The opener does not own it, so it has nothing to release.
        releasedByOpener = opened.Unlock();
    });
    EXPECT_TRUE(openedOwned);
    EXPECT_FALSE(releasedByOpener);
    EXPECT_TRUE(OtherThreadCanLock(existing)) << "no thread may be left owning it";
}

TEST(Mutex, AbandonedMutexCountsAsAcquired) {
    std::string name = UniqueName();
    CMutex mutex(FALSE, name.c_str());
    ASSERT_NE(nullptr, mutex.m_hObject);
    BOOL takenByLeaver = FALSE;
    RunOnOtherThread([&] { takenByLeaver = mutex.Lock(0); }); // ends without Unlock
    ASSERT_TRUE(takenByLeaver);

    CSingleLock lock(&mutex);
    EXPECT_TRUE(lock.Lock(0));
    EXPECT_TRUE(lock.IsLocked());
    EXPECT_FALSE(OtherThreadCanLock(mutex));
    EXPECT_TRUE(lock.Unlock());
    EXPECT_TRUE(OtherThreadCanLock(mutex));
}

TEST(Mutex, UnnamedMutexesAreSeparate) {
    CMutex first;
    CMutex second;
    ASSERT_NE(nullptr, first.m_hObject);
    ASSERT_NE(nullptr, second.m_hObject);
    CSingleLock lock(&first, TRUE);
    EXPECT_FALSE(OtherThreadCanLock(first));
    EXPECT_TRUE(OtherThreadCanLock(second));
}

TEST(Mutex, UnlockWithoutOwnershipFails) {
    CMutex mutex;
    ASSERT_NE(nullptr, mutex.m_hObject);
    EXPECT_FALSE(mutex.Unlock());
    EXPECT_TRUE(OtherThreadCanLock(mutex));
}

TEST(Mutex, FailedCreationLeavesAnObjectThatNeverLocks) {
    // A name in a namespace that does not exist cannot be created.
    CMutex mutex(FALSE, "NoSuchNamespace\\Fotoloft.SyncTest");
    ASSERT_EQ(nullptr, mutex.m_hObject);
    EXPECT_FALSE(mutex.Lock(0));
    EXPECT_FALSE(mutex.Unlock());
    CSingleLock lock(&mutex);
    EXPECT_FALSE(lock.Lock(0));
    EXPECT_FALSE(lock.IsLocked());
    EXPECT_TRUE(lock.Unlock()) << "an unlocked guard has nothing to release";
}

TEST(SingleLock, DestructorReleasesTheLock) {
    CMutex mutex;
    ASSERT_NE(nullptr, mutex.m_hObject);
    {
        CSingleLock lock(&mutex, TRUE);
        ASSERT_TRUE(lock.IsLocked());
        EXPECT_FALSE(OtherThreadCanLock(mutex));
    }
    EXPECT_TRUE(OtherThreadCanLock(mutex));
}

TEST(SingleLock, RepeatedLockNeedsOnlyOneUnlock) {
    CMutex mutex;
    ASSERT_NE(nullptr, mutex.m_hObject);
    CSingleLock lock(&mutex);
    ASSERT_TRUE(lock.Lock());
    EXPECT_TRUE(lock.Lock(0));
    EXPECT_TRUE(lock.Unlock());
    EXPECT_FALSE(lock.IsLocked());
    EXPECT_TRUE(OtherThreadCanLock(mutex)) << "the second Lock must not have taken it again";
    EXPECT_TRUE(lock.Unlock()) << "unlocking twice is harmless";
}

TEST(SingleLock, RefusedLockLeavesTheGuardUnlocked) {
    CMutex mutex;
    ASSERT_NE(nullptr, mutex.m_hObject);
    CSingleLock holder(&mutex, TRUE);
    ASSERT_TRUE(holder.IsLocked());
    BOOL locked = TRUE;
    BOOL lockedAfter = TRUE;
    RunOnOtherThread([&] {
        CSingleLock waiter(&mutex);
        locked = waiter.Lock(0);
        lockedAfter = waiter.IsLocked();
    });
    EXPECT_FALSE(locked);
    EXPECT_FALSE(lockedAfter);
    EXPECT_TRUE(holder.IsLocked());
}

TEST(SingleLock, NullObjectNeverLocks) {
    CSingleLock lock(nullptr, TRUE);
    EXPECT_FALSE(lock.IsLocked());
    EXPECT_FALSE(lock.Lock(0));
    EXPECT_TRUE(lock.Unlock());
}
