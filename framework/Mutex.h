// CMutex: a Win32 mutex, optionally named so that processes share it.
#pragma once

#include "framework/SyncObject.h"

// A name that already exists opens that mutex; initiallyOwn is then not granted, as with
// CreateMutexA. When creation fails m_hObject stays null and Lock fails.
class CMutex : public CSyncObject {
public:
    explicit CMutex(BOOL initiallyOwn = FALSE, const char* name = nullptr,
                    LPSECURITY_ATTRIBUTES sa = nullptr);

    // Releases one acquisition by the calling thread; FALSE when it does not own the mutex.
    BOOL Unlock() override;
};
