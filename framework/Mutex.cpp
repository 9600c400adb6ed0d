#include "framework/Mutex.h"

CMutex::CMutex(BOOL initiallyOwn, const char* name, LPSECURITY_ATTRIBUTES sa) {
    m_hObject = ::CreateMutexA(sa, initiallyOwn, name);
}

BOOL CMutex::Unlock() {
    if (m_hObject == nullptr) {
        return FALSE;
    }
    return ::ReleaseMutex(m_hObject);
}
