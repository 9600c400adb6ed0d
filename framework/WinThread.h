// CWinThread: a worker thread running a plain function, and AfxBeginThread to start one.
#pragma once

#include <windows.h>

typedef UINT (*AFX_THREADPROC)(LPVOID);

// With m_bAutoDelete (the default) the object deletes itself, closing its handle, when the
// thread ends: the creator must not touch it once the thread may have ended. To wait for a
// thread or read its exit code, start it with CREATE_SUSPENDED, clear m_bAutoDelete, call
// ResumeThread, and delete the object after the thread has ended.
class CWinThread {
public:
    CWinThread(AFX_THREADPROC proc, LPVOID param);
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;
    virtual ~CWinThread();

    // Starts the thread; FALSE when it cannot be created. With CREATE_SUSPENDED it waits for
    // ResumeThread.
    BOOL CreateThread(DWORD createFlags = 0, UINT stackSize = 0,
                      LPSECURITY_ATTRIBUTES sa = nullptr);

    // The previous suspend count, or (DWORD)-1 on failure.
    DWORD ResumeThread();
    DWORD SuspendThread();
    BOOL SetThreadPriority(int priority);
    int GetThreadPriority() const;

    operator HANDLE() const { return m_hThread; }

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    BOOL m_bAutoDelete = TRUE;

private:
    static unsigned __stdcall ThreadEntry(void* self);

    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
};

// Runs proc(param) on a new thread whose exit code is proc's result; null when the thread
// cannot be created. The returned object deletes itself at the end of the thread unless
// CREATE_SUSPENDED was given and m_bAutoDelete is cleared before ResumeThread.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD createFlags = 0,
                           LPSECURITY_ATTRIBUTES sa = nullptr);
