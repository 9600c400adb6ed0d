// CSingleLock: scoped ownership of one synchronisation object by the current thread.
#pragma once

#include "framework/SyncObject.h"

// The lock is released when this object goes out of scope, so every return path unlocks.
class CSingleLock {
public:
    explicit CSingleLock(CSyncObject* object, BOOL initialLock = FALSE);
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;
    ~CSingleLock();

    // TRUE when acquired (or already held through this lock); FALSE on timeout or error.
    BOOL Lock(DWORD timeout = INFINITE);
    // TRUE when this lock no longer holds the object.
    BOOL Unlock();
    BOOL IsLocked() const { return m_bAcquired; }

private:
    CSyncObject* m_pObject;
    BOOL m_bAcquired = FALSE;
};
