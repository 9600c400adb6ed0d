// CFile::GetStatus and the CTime and CFileStatus it fills.
#pragma once

#include <windows.h>

// A moment as seconds since 1970-01-01 00:00 UTC.
class CTime {
public:
    CTime() = default;
    explicit CTime(__time64_t time) : m_time(time) {}
    // A zero FILETIME (a time the file system does not keep) gives 0.
    explicit CTime(const FILETIME& fileTime);

    __time64_t GetTime() const { return m_time; }

private:
    __time64_t m_time = 0;
};

struct CFileStatus {
    CTime m_ctime;        // creation
    CTime m_mtime;        // last write
    CTime m_atime;        // last access
    ULONGLONG m_size = 0; // bytes; 0 for a directory
    BYTE m_attribute = 0; // low byte of the FILE_ATTRIBUTE_ flags
    char m_szFullName[MAX_PATH] = {};
};

class CFile {
public:
    // Fills status for an existing file or directory. FALSE, with status cleared, for a null
    // or empty name, a name with wildcards, a missing file, or a full path of MAX_PATH or more.
    static BOOL GetStatus(const char* fileName, CFileStatus& status);
};
