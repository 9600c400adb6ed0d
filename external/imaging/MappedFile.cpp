#include "MappedFile.h"

#include "ImagingResult.h"

namespace imaging {

CMappedFile::~CMappedFile() {
    if (m_view != nullptr) {
        UnmapViewOfFile(m_view);
    }
    if (m_mapping != nullptr) {
        CloseHandle(m_mapping);
    }
    if (m_file != INVALID_HANDLE_VALUE) {
        CloseHandle(m_file);
    }
}

int CMappedFile::Open(const char* path) {
    // Others may read the file meanwhile but not write it: a file cut short under a mapping
    // would fault on the next read of a page that is gone.
    m_file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (m_file == INVALID_HANDLE_VALUE) {
        return kCannotOpen;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(m_file, &size) || size.QuadPart < 0) {
        return kCannotOpen;
    }
    if (size.QuadPart == 0) {
        // A mapping of an empty file cannot be made; there is nothing to read anyway.
        return kOk;
    }
    m_mapping = CreateFileMappingA(m_file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (m_mapping == nullptr) {
        return kCannotOpen;
    }
    m_view = static_cast<const BYTE*>(MapViewOfFile(m_mapping, FILE_MAP_READ, 0, 0, 0));
    if (m_view == nullptr) {
        return kCannotOpen;
    }
    m_size = static_cast<size_t>(size.QuadPart);
    return kOk;
}

} // namespace imaging
