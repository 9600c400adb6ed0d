#include "BmpWriter.h"

#include <windows.h>

#include <string>

#include "BmpEncoder.h"
#include "ImagingResult.h"

namespace imaging {

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
    // Creates the temporary file empty, in the target's folder so that the rename cannot
    // cross volumes.
    if (GetTempFileNameA(folder.c_str(), "bmp", 0, tempPath) == 0) {
        return kCannotWrite;
    }
    HANDLE file = CreateFileA(tempPath, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileA(tempPath);
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
