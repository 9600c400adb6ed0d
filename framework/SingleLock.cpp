#include "framework/SingleLock.h"

CSingleLock::CSingleLock(CSyncObject* object, BOOL initialLock) : m_pObject(object) {
    if (initialLock) {
        Lock();
    }
}

CSingleLock::~CSingleLock() {
    Unlock();
}

BOOL CSingleLock::Lock(DWORD timeout) {
    if (m_pObject == nullptr) {
        return FALSE;
    }
    // A second Lock through the same guard would need a second Unlock that it never makes.
    if (!m_bAcquired) {
        m_bAcquired = m_pObject->Lock(timeout);
    }
    return m_bAcquired;
}

BOOL CSingleLock::Unlock() {
    if (m_bAcquired && m_pObject->Unlock()) {
        m_bAcquired = FALSE;
    }
    return m_bAcquired ? FALSE : TRUE;
}
