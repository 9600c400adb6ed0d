#include "BmpWriter.h"

#include <windows.h>

#include <string>

#include "BmpEncoder.h"
#include "ImagingResult.h"
#include "external/filesupport/NewTemporaryFile.h"

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
    // In the target's folder, so that the rename cannot cross volumes.
    HANDLE file = filesupport::CreateNewTemporary(folder, "bmp", tempPath);
    if (file == INVALID_HANDLE_VALUE) {
        return kCannotWrite;
    }
    auto toFile = [file](const uint8_t* bytes, size_t count) {
        DWORD written = 0;
        return WriteFile(file, bytes, static_cast<DWORD>(count), &written, nullptr) &&
               written == count;
    };
    const bool encoded = encoder.Encode(toFile);
    return filesupport::FinishTemporary(file, tempPath, fullPath, encoded) ? kOk : kCannotWrite;
}

} // namespace imaging
