#include "external/filesupport/NewTemporaryFile.h"

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <vector>

namespace filesupport {

HANDLE CreateNewTemporary(const std::string& folder, const char* prefix,
                          char (&path)[MAX_PATH]) {
    static std::atomic<unsigned> counter{::GetTickCount()};
    for (int attempt = 0; attempt < 64; ++attempt) {
        const unsigned number = counter++ & 0xFFFF;
        if (snprintf(path, MAX_PATH, "%s~%s%04X.tmp", folder.c_str(), prefix, number) >=
            MAX_PATH) {
            return INVALID_HANDLE_VALUE;
        }
        HANDLE file = ::CreateFileA(path, GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) {
            return file;
        }
    }
    return INVALID_HANDLE_VALUE;
}

namespace {

bool RenameOpenFile(HANDLE file, const char* target) {
    const int characters = ::MultiByteToWideChar(CP_ACP, 0, target, -1, nullptr, 0);
    if (characters <= 1) {
        return false;
    }
    const size_t nameBytes = static_cast<size_t>(characters - 1) * sizeof(WCHAR);
    std::vector<BYTE> buffer(offsetof(FILE_RENAME_INFO, FileName) + nameBytes + sizeof(WCHAR));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(nameBytes);
    ::MultiByteToWideChar(CP_ACP, 0, target, -1, info->FileName, characters);
    return ::SetFileInformationByHandle(file, FileRenameInfo, info,
                                        static_cast<DWORD>(buffer.size())) != FALSE;
}

} // namespace

// An empty file at `target` (a placeholder, as GetTempFileName makes) is deleted rather than
// replaced: on Linux file systems with delayed allocation (ext4, so also under Wine) a rename
// that replaces a file starts writing the renamed one to disk at once, which costs more than
// the whole write to the page cache did, and a later delete waits for it.
static void DeletePlaceholder(const char* target) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (::GetFileAttributesExA(target, GetFileExInfoStandard, &data) &&
        !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && data.nFileSizeHigh == 0 &&
        data.nFileSizeLow == 0) {
        ::DeleteFileA(target);
    }
}

bool FinishTemporary(HANDLE file, const char* path, const char* target, bool complete) {
    if (complete) {
        DeletePlaceholder(target);
    }
    const bool renamed = complete && RenameOpenFile(file, target);
    bool done = ::CloseHandle(file) != FALSE && complete;
    if (done && !renamed) {
        done = ::MoveFileExA(path, target, MOVEFILE_REPLACE_EXISTING) != FALSE;
    }
    if (!done) {
        ::DeleteFileA(renamed ? target : path);
    }
    return done;
}

} // namespace filesupport
