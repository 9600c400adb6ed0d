#include "framework/File.h"

#include <cstring>

namespace {

// 100-nanosecond steps from 1601-01-01 (FILETIME's origin) to 1970-01-01.
const ULONGLONG kFileTimeAt1970 = 116444736000000000ULL;
const ULONGLONG kFileTimePerSecond = 10000000ULL;

} // namespace

CTime::CTime(const FILETIME& fileTime) {
    ULONGLONG ticks =
        (static_cast<ULONGLONG>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
    if (ticks == 0) {
        return;
    }
    long long seconds = static_cast<long long>(ticks / kFileTimePerSecond) -
                        static_cast<long long>(kFileTimeAt1970 / kFileTimePerSecond);
    m_time = static_cast<__time64_t>(seconds);
}

// GetFileAttributesExA is used rather than FindFirstFile so that a name never matches
// another file by pattern.
BOOL CFile::GetStatus(const char* fileName, CFileStatus& status) {
    status = CFileStatus();
    if (fileName == nullptr || *fileName == '\0' || std::strpbrk(fileName, "*?") != nullptr) {
        return FALSE;
    }
    char fullName[MAX_PATH];
    DWORD length = ::GetFullPathNameA(fileName, MAX_PATH, fullName, nullptr);
    if (length == 0 || length >= MAX_PATH) {
        return FALSE;
    }
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(fullName, GetFileExInfoStandard, &data)) {
        return FALSE;
    }
    std::memcpy(status.m_szFullName, fullName, length + 1);
    status.m_ctime = CTime(data.ftCreationTime);
    status.m_mtime = CTime(data.ftLastWriteTime);
    status.m_atime = CTime(data.ftLastAccessTime);
    status.m_size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    status.m_attribute = static_cast<BYTE>(data.dwFileAttributes & 0xFF);
    return TRUE;
}
