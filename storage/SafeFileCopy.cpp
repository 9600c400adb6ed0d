#include "storage/SafeFileCopy.h"

#include <cstdio>
#include <cstring>

namespace {

// Temporary names tried before giving up: leftovers of a crash may hold some.
constexpr int kNameTries = 64;

BOOL SystemFreeSpace(const char* directory, ULARGE_INTEGER* freeBytes) {
    return ::GetDiskFreeSpaceExA(directory, freeBytes, nullptr, nullptr);
}

CSafeFileCopy::FreeSpaceQuery g_freeSpaceQuery = SystemFreeSpace;

// Copies `source` to a new file beside `target` whose name goes to `temporary`. The copy never
// opens an existing file: it fails on a name that is taken, and the next name is tried. (Under
// Wine a file truncated after its creation is written back to disk when it closes, where a new
// one stays cached like a plain copy's; copying by hand in large blocks is slower still.)
BOOL CopyBeside(const char* source, const char* target, char (&temporary)[MAX_PATH]) {
    const char* slash = std::strrchr(target, '\\');
    const size_t folderLength = slash != nullptr ? static_cast<size_t>(slash - target) + 1 : 0;
    const DWORD tick = ::GetTickCount();
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        char leaf[32];
        std::snprintf(leaf, sizeof leaf, "~FLT%04X.tmp",
                      static_cast<unsigned>((tick + static_cast<DWORD>(attempt) * 7919u) & 0xFFFF));
        if (folderLength + std::strlen(leaf) >= MAX_PATH) {
            return FALSE;
        }
        std::memcpy(temporary, target, folderLength);
        std::strcpy(temporary + folderLength, leaf);
        if (::CopyFileA(source, temporary, TRUE)) {
            return TRUE;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            ::DeleteFileA(temporary);  // whatever a failed copy left of its own
            ::SetLastError(error);
            return FALSE;
        }
    }
    return FALSE;
}

}  // namespace

BOOL CSafeFileCopy::Copy(const char* source, const char* target) {
    if (source == nullptr || target == nullptr) {
        return FALSE;
    }
    char temporary[MAX_PATH];
    if (!CopyBeside(source, target, temporary)) {
        return FALSE;
    }
    if (!::MoveFileExA(temporary, target, MOVEFILE_REPLACE_EXISTING)) {
        const DWORD error = ::GetLastError();
        ::DeleteFileA(temporary);
        ::SetLastError(error);
        return FALSE;
    }
    return TRUE;
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
