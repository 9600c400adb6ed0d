#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "framework/WinThread.h"

namespace {

// Only a hang guard: every thread here ends at once unless the code under test hangs.
const DWORD kHangGuardMs = 30000;

struct Job {
    int input = 0;
    std::atomic<int> seen{0};
    std::atomic<DWORD> threadId{0};
};

UINT RecordAndDouble(LPVOID param) {
    Job* job = static_cast<Job*>(param);
    job->threadId = GetCurrentThreadId();
    job->seen = job->input;
    return static_cast<UINT>(job->input * 2);
}

UINT ReturnParamAsCode(LPVOID param) {
    return static_cast<UINT>(reinterpret_cast<uintptr_t>(param));
}

// A second handle to the thread, valid after an auto-deleting object has closed its own.
HANDLE DuplicateThreadHandle(HANDLE thread) {
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &copy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
        return nullptr;
    }
    return copy;
}

// Waits for the thread and returns its exit code; the handle is closed.
DWORD WaitForExitCode(HANDLE thread) {
    DWORD waited = WaitForSingleObject(thread, kHangGuardMs);
    EXPECT_EQ(WAIT_OBJECT_0, waited) << "the thread did not end";
    DWORD exitCode = STILL_ACTIVE;
    EXPECT_TRUE(GetExitCodeThread(thread, &exitCode));
    CloseHandle(thread);
    return exitCode;
}

// Counts its own destruction, to show that a self-deleting thread object really goes away.
class CountedThread : public CWinThread {
public:
    CountedThread(AFX_THREADPROC proc, LPVOID param, std::atomic<int>& destroyed)
        : CWinThread(proc, param), m_destroyed(destroyed) {}
    ~CountedThread() override { ++m_destroyed; }

private:
    std::atomic<int>& m_destroyed;
};

} // namespace

TEST(WinThread, RunsTheProcWithItsParameterAndExitsWithItsResult) {
    Job job;
    job.input = 21;
    CWinThread* thread =
        AfxBeginThread(RecordAndDouble, &job, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, thread);
    thread->m_bAutoDelete = FALSE;
    EXPECT_NE(nullptr, thread->m_hThread);
    EXPECT_NE(0u, thread->m_nThreadID);
    EXPECT_EQ(1u, thread->ResumeThread()) << "the thread should have been suspended once";

    DWORD waited = WaitForSingleObject(thread->m_hThread, kHangGuardMs);
    ASSERT_EQ(WAIT_OBJECT_0, waited);
    DWORD exitCode = 0;
    EXPECT_TRUE(GetExitCodeThread(thread->m_hThread, &exitCode));
    EXPECT_EQ(42u, exitCode);
    EXPECT_EQ(21, job.seen.load());
    EXPECT_EQ(thread->m_nThreadID, job.threadId.load());
    EXPECT_NE(GetCurrentThreadId(), job.threadId.load());
    delete thread;
}

TEST(WinThread, ExitCodeCarriesTheWholeResult) {
    for (uintptr_t code : {uintptr_t{0}, uintptr_t{1}, uintptr_t{0xFFFFFFFE}}) {
        CWinThread* thread = AfxBeginThread(ReturnParamAsCode, reinterpret_cast<LPVOID>(code),
                                            THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
        ASSERT_NE(nullptr, thread);
        HANDLE copy = DuplicateThreadHandle(thread->m_hThread);
        ASSERT_NE(nullptr, copy);
        thread->ResumeThread();
        EXPECT_EQ(static_cast<DWORD>(code), WaitForExitCode(copy));
    }
}

TEST(WinThread, CreateSuspendedWaitsForResume) {
    Job job;
    job.input = 5;
    CWinThread* thread =
        AfxBeginThread(RecordAndDouble, &job, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, thread);
    thread->m_bAutoDelete = FALSE;
    EXPECT_EQ(1u, thread->SuspendThread()) << "previous suspend count";
    EXPECT_EQ(2u, thread->ResumeThread());
    EXPECT_EQ(0, job.seen.load()) << "a suspended thread must not have run";
    EXPECT_EQ(1u, thread->ResumeThread());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread->m_hThread, kHangGuardMs));
    EXPECT_EQ(5, job.seen.load());
    delete thread;
}

TEST(WinThread, AppliesTheRequestedPriority) {
    for (int priority : {THREAD_PRIORITY_LOWEST, THREAD_PRIORITY_BELOW_NORMAL,
                         THREAD_PRIORITY_NORMAL, THREAD_PRIORITY_ABOVE_NORMAL}) {
        CWinThread* thread =
            AfxBeginThread(ReturnParamAsCode, nullptr, priority, 0, CREATE_SUSPENDED);
        ASSERT_NE(nullptr, thread);
        thread->m_bAutoDelete = FALSE;
        EXPECT_EQ(priority, thread->GetThreadPriority());
        EXPECT_TRUE(thread->SetThreadPriority(THREAD_PRIORITY_IDLE));
        EXPECT_EQ(THREAD_PRIORITY_IDLE, thread->GetThreadPriority());
        thread->ResumeThread();
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread->m_hThread, kHangGuardMs));
        delete thread;
    }
}

TEST(WinThread, AutoDeleteObjectDeletesItselfAndClosesItsHandle) {
    std::atomic<int> destroyed{0};
    Job job;
    job.input = 3;
    CountedThread* thread = new CountedThread(RecordAndDouble, &job, destroyed);
    ASSERT_TRUE(thread->CreateThread(CREATE_SUSPENDED));
    HANDLE original = thread->m_hThread;
    HANDLE copy = DuplicateThreadHandle(original);
    ASSERT_NE(nullptr, copy);
    thread->ResumeThread();
    // The object may be gone from here on.
    EXPECT_EQ(6u, WaitForExitCode(copy));
    EXPECT_EQ(1, destroyed.load());
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(original, &flags)) << "the object's handle must be closed";
}

TEST(WinThread, ManyAutoDeleteThreadsEndCleanly) {
    const int kThreads = 64;
    std::vector<HANDLE> copies;
    std::atomic<int> destroyed{0};
    for (int i = 0; i < kThreads; ++i) {
        CountedThread* thread =
            new CountedThread(ReturnParamAsCode, reinterpret_cast<LPVOID>(uintptr_t(i)), destroyed);
        ASSERT_TRUE(thread->CreateThread(CREATE_SUSPENDED));
        HANDLE copy = DuplicateThreadHandle(thread->m_hThread);
        ASSERT_NE(nullptr, copy);
        copies.push_back(copy);
        thread->ResumeThread();
    }
    for (int i = 0; i < kThreads; ++i) {
        EXPECT_EQ(static_cast<DWORD>(i), WaitForExitCode(copies[static_cast<size_t>(i)]));
    }
    EXPECT_EQ(kThreads, destroyed.load());

    // AfxBeginThread's own objects, started running at once.
    Job jobs[8];
    for (Job& job : jobs) {
        job.input = 1;
        ASSERT_NE(nullptr, AfxBeginThread(RecordAndDouble, &job));
    }
    for (Job& job : jobs) {
        for (int tries = 0; job.seen.load() == 0 && tries < 3000; ++tries) {
            Sleep(10);
        }
        EXPECT_EQ(1, job.seen.load()) << "an auto-delete thread did not run";
    }
}

TEST(WinThread, NonAutoDeleteObjectOutlivesItsThread) {
    std::atomic<int> destroyed{0};
    Job job;
    CountedThread* thread = new CountedThread(RecordAndDouble, &job, destroyed);
    thread->m_bAutoDelete = FALSE;
    ASSERT_TRUE(thread->CreateThread());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread->m_hThread, kHangGuardMs));
    EXPECT_EQ(0, destroyed.load());
    DWORD flags = 0;
    EXPECT_TRUE(GetHandleInformation(thread->m_hThread, &flags)) << "the handle stays open";
    EXPECT_FALSE(thread->CreateThread()) << "one object runs one thread";
    delete thread;
    EXPECT_EQ(1, destroyed.load());
}

TEST(WinThread, WithoutAProcNoThreadIsStarted) {
    EXPECT_EQ(nullptr, AfxBeginThread(nullptr, nullptr));
    CWinThread idle(nullptr, nullptr);
    EXPECT_FALSE(idle.CreateThread());
    EXPECT_EQ(nullptr, idle.m_hThread);
}
