#include "framework/WinThread.h"

#include <process.h>

CWinThread::CWinThread(AFX_THREADPROC proc, LPVOID param)
    : m_pfnThreadProc(proc), m_pThreadParams(param) {}

CWinThread::~CWinThread() {
    if (m_hThread != nullptr) {
        ::CloseHandle(m_hThread);
    }
}

// The thread is always created suspended, so m_hThread and m_nThreadID are set before it can
// run (and, with auto-delete, delete this object).
BOOL CWinThread::CreateThread(DWORD createFlags, UINT stackSize, LPSECURITY_ATTRIBUTES sa) {
    if (m_hThread != nullptr || m_pfnThreadProc == nullptr) {
        return FALSE;
    }
    unsigned threadId = 0;
    uintptr_t handle =
        ::_beginthreadex(sa, stackSize, ThreadEntry, this, CREATE_SUSPENDED, &threadId);
    if (handle == 0) {
        return FALSE;
    }
    m_hThread = reinterpret_cast<HANDLE>(handle);
    m_nThreadID = threadId;
    if ((createFlags & CREATE_SUSPENDED) == 0 && ResumeThread() == static_cast<DWORD>(-1)) {
        // A thread that can never run would leak this object; stop it before it starts.
        ::TerminateThread(m_hThread, 0);
        ::CloseHandle(m_hThread);
        m_hThread = nullptr;
        m_nThreadID = 0;
        return FALSE;
    }
    return TRUE;
}

DWORD CWinThread::ResumeThread() {
    return ::ResumeThread(m_hThread);
}

DWORD CWinThread::SuspendThread() {
    return ::SuspendThread(m_hThread);
}

BOOL CWinThread::SetThreadPriority(int priority) {
    return ::SetThreadPriority(m_hThread, priority);
}

int CWinThread::GetThreadPriority() const {
    return ::GetThreadPriority(m_hThread);
}

// m_bAutoDelete is read after proc returns, so a creator may still clear it while the thread
// is suspended.
unsigned __stdcall CWinThread::ThreadEntry(void* self) {
    CWinThread* thread = static_cast<CWinThread*>(self);
    UINT exitCode = thread->m_pfnThreadProc(thread->m_pThreadParams);
    if (thread->m_bAutoDelete) {
        delete thread;
    }
    return exitCode;
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority, UINT stackSize,
                           DWORD createFlags, LPSECURITY_ATTRIBUTES sa) {
    if (proc == nullptr) {
        return nullptr;
    }
    CWinThread* thread = new CWinThread(proc, param);
    if (!thread->CreateThread(createFlags | CREATE_SUSPENDED, stackSize, sa)) {
        delete thread;
        return nullptr;
    }
    if (!thread->SetThreadPriority(priority)) {
        // The thread runs at normal priority rather than not at all.
        ::OutputDebugStringA("AfxBeginThread: SetThreadPriority failed\n");
    }
    if ((createFlags & CREATE_SUSPENDED) == 0 && thread->ResumeThread() == static_cast<DWORD>(-1)) {
        ::TerminateThread(thread->m_hThread, 0);
        delete thread;
        return nullptr;
    }
    return thread;
}
