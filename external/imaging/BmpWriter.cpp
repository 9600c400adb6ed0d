#include "BmpWriter.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "BmpEncoder.h"
#include "ImagingResult.h"

namespace imaging {

namespace {

// Creates a new, empty file "~bmpXXXX.tmp" in `folder` (with its trailing backslash) and names
// it in `path`. A file of its own from the start, never an empty one opened again and
// truncated: Wine writes such a file back to disk when it is closed, which costs more than
// the whole conversion.
HANDLE CreateNewTemporary(const std::string& folder, char (&path)[MAX_PATH]) {
    static std::atomic<unsigned> counter{GetTickCount()};
    for (int attempt = 0; attempt < 64; ++attempt) {
        const unsigned number = counter++ & 0xFFFF;
        if (snprintf(path, MAX_PATH, "%s~bmp%04X.tmp", folder.c_str(), number) >= MAX_PATH) {
            return INVALID_HANDLE_VALUE;
        }
        HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
            return file;
        }
    }
    return INVALID_HANDLE_VALUE;
}

} // namespace

CBmpWriter::CBmpWriter(const IMGBITMAP& bitmap) : m_bitmap(bitmap) {}

int CBmpWriter::Save(const char* path, int bitsPerPixel) {
    if (path == nullptr) {
        return kBadArgument;
    }
    CBmpEncoder encoder(m_bitmap);
    int prepared = encoder.Prepare(bitsPerPixel);
    if (prepared != kOk) {
        return prepared;
    }
    char fullPath[MAX_PATH];
    char* name = nullptr;
    DWORD length = GetFullPathNameA(path, MAX_PATH, fullPath, &name);
    if (length == 0 || length >= MAX_PATH || name == nullptr) {
        return kCannotWrite;
    }
    std::string folder(fullPath, name);
    char tempPath[MAX_PATH];
    // In the target's folder, so that the rename cannot cross volumes.
    HANDLE file = CreateNewTemporary(folder, tempPath);
    if (file == INVALID_HANDLE_VALUE) {
        return kCannotWrite;
    }
    auto toFile = [file](const uint8_t* bytes, size_t count) {
        DWORD written = 0;
        return WriteFile(file, bytes, static_cast<DWORD>(count), &written, nullptr) &&
               written == count;
    };
    int result = encoder.Encode(toFile) ? kOk : kCannotWrite;
    if (!CloseHandle(file) && result == kOk) {
        result = kCannotWrite;
    }
    if (result == kOk && !MoveFileExA(tempPath, fullPath, MOVEFILE_REPLACE_EXISTING)) {
        result = kCannotWrite;
    }
    if (result != kOk) {
        DeleteFileA(tempPath);
    }
    return result;
}

} // namespace imaging
