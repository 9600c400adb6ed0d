// Holds a slim reader/writer lock exclusively for a scope.
#pragma once

#include <windows.h>

class CLockGuard {
public:
    explicit CLockGuard(SRWLOCK* lock) : m_lock(lock) { ::AcquireSRWLockExclusive(m_lock); }
    ~CLockGuard() { ::ReleaseSRWLockExclusive(m_lock); }
    CLockGuard(const CLockGuard&) = delete;
    CLockGuard& operator=(const CLockGuard&) = delete;

private:
    SRWLOCK* m_lock;
};
