#include "storage/SafeFileCopy.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// Large enough that a 12-megapixel still takes a handful of reads.
constexpr DWORD kBufferBytes = 1024 * 1024;
// Temporary names tried before giving up: leftovers of a crash may hold some.
constexpr int kNameTries = 64;

BOOL SystemFreeSpace(const char* directory, ULARGE_INTEGER* freeBytes) {
    return ::GetDiskFreeSpaceExA(directory, freeBytes, nullptr, nullptr);
}

CSafeFileCopy::FreeSpaceQuery g_freeSpaceQuery = SystemFreeSpace;

// Closes a file handle when it goes out of scope.
struct CHandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using CFileHandle = std::unique_ptr<void, CHandleCloser>;

CFileHandle OpenHandle(HANDLE handle) {
    return CFileHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

// A new, empty file beside `target`, made with CREATE_NEW so that nothing is truncated (under
// Wine a truncated file is written back to disk when it closes; a new one stays cached like a
// plain copy's). Its name goes to `name`.
CFileHandle CreateTemporaryBeside(const char* target, char (&name)[MAX_PATH]) {
    const char* slash = std::strrchr(target, '\\');
    const size_t folderLength = slash != nullptr ? static_cast<size_t>(slash - target) + 1 : 0;
    const DWORD tick = ::GetTickCount();
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        char leaf[32];
        std::snprintf(leaf, sizeof leaf, "~FLT%04X.tmp",
                      static_cast<unsigned>((tick + static_cast<DWORD>(attempt) * 7919u) & 0xFFFF));
        if (folderLength + std::strlen(leaf) >= MAX_PATH) {
            return nullptr;
        }
        std::memcpy(name, target, folderLength);
        std::strcpy(name + folderLength, leaf);
        CFileHandle file = OpenHandle(::CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            return file;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS) {
            return nullptr;
        }
    }
    return nullptr;
}

// Copies every byte and the last-write time; FALSE on any short read or write.
BOOL CopyContents(HANDLE from, HANDLE to) {
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kBufferBytes]);
    if (!buffer) {
        return FALSE;
    }
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(from, buffer.get(), kBufferBytes, &read, nullptr)) {
            return FALSE;
        }
        if (read == 0) {
            break;
        }
        DWORD written = 0;
        if (!::WriteFile(to, buffer.get(), read, &written, nullptr) || written != read) {
            return FALSE;
        }
    }
    FILETIME created, accessed, modified;
    if (::GetFileTime(from, &created, &accessed, &modified)) {
        ::SetFileTime(to, nullptr, nullptr, &modified);  // a copy that keeps no time is still whole
    }
    return TRUE;
}

}  // namespace

BOOL CSafeFileCopy::Copy(const char* source, const char* target) {
    if (source == nullptr || target == nullptr) {
        return FALSE;
    }
    CFileHandle from = OpenHandle(::CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!from) {
        return FALSE;
    }
    char temporary[MAX_PATH];
    CFileHandle to = CreateTemporaryBeside(target, temporary);
    if (!to) {
        return FALSE;
    }
    BOOL copied = CopyContents(from.get(), to.get());
    to.reset();
    if (copied) {
        copied = ::MoveFileExA(temporary, target, MOVEFILE_REPLACE_EXISTING);
    }
    if (!copied) {
        const DWORD error = ::GetLastError();
        ::DeleteFileA(temporary);
        ::SetLastError(error);
    }
    return copied;
}

BOOL CSafeFileCopy::Fits(const char* directory, ULONGLONG bytes) {
    ULARGE_INTEGER freeBytes;
    freeBytes.QuadPart = 0;
    if (directory == nullptr) {
        return FALSE;
    }
    if (!g_freeSpaceQuery(directory, &freeBytes)) {
        return TRUE;
    }
    return bytes <= freeBytes.QuadPart;
}

BOOL CSafeFileCopy::FileSize(const char* path, ULONGLONG* bytes) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path == nullptr || bytes == nullptr ||
        !::GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
        return FALSE;
    }
    *bytes = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return TRUE;
}

void CSafeFileCopy::SetFreeSpaceQuery(FreeSpaceQuery query) {
    g_freeSpaceQuery = query != nullptr ? query : SystemFreeSpace;
}
