// CSyncObject: a kernel object that threads wait on, owned by this object.
#pragma once

#include <windows.h>

class CSyncObject {
public:
    CSyncObject(const CSyncObject&) = delete;
    CSyncObject& operator=(const CSyncObject&) = delete;
    virtual ~CSyncObject();

    // Waits for the object; an abandoned mutex counts as acquired. FALSE on timeout or error.
    virtual BOOL Lock(DWORD timeout = INFINITE);
    virtual BOOL Unlock() = 0;

    operator HANDLE() const { return m_hObject; }

    HANDLE m_hObject = nullptr; // null when the object could not be created

protected:
    CSyncObject() = default;
};
