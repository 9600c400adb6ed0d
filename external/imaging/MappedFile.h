// A picture file mapped read-only into memory, whole. The readers parse it in place: reading
// only a header touches only the pages it needs, and a decode reads each byte once, without
// copies.
#pragma once

#include <windows.h>

#include <cstddef>

namespace imaging {

class CMappedFile {
public:
    CMappedFile() = default;
    ~CMappedFile();
    CMappedFile(const CMappedFile&) = delete;
    CMappedFile& operator=(const CMappedFile&) = delete;

    // kOk, or kCannotOpen when the file is missing or cannot be read or mapped. An empty file
    // opens with Size() 0: no reader recognises it.
    int Open(const char* path);

    const BYTE* Data() const { return m_view; }
    size_t Size() const { return m_size; }

private:
    HANDLE m_file = INVALID_HANDLE_VALUE;
    HANDLE m_mapping = nullptr;
    const BYTE* m_view = nullptr;
    size_t m_size = 0;
};

} // namespace imaging
