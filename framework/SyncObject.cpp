#include "framework/SyncObject.h"

CSyncObject::~CSyncObject() {
    if (m_hObject != nullptr) {
        ::CloseHandle(m_hObject);
    }
}

BOOL CSyncObject::Lock(DWORD timeout) {
    if (m_hObject == nullptr) {
        return FALSE;
    }
    DWORD result = ::WaitForSingleObject(m_hObject, timeout);
    return (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) ? TRUE : FALSE;
}
