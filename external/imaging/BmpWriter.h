// Writes a bitmap record as a Windows bitmap file: BITMAPFILEHEADER, a 40-byte
// BITMAPINFOHEADER, bottom-up rows; 24-bit, or 8-bit with a 256-entry gray colour table for a
// gray picture. That is the layout every version of the system's bitmap loader reads.
//
// The file is written under a temporary name beside the target and renamed over it only once
// complete, so a failed save leaves no half file and an existing target as it was.
#pragma once

#include <windows.h>

#include <vector>

#include "ImagingLibrary.h"

namespace imaging {

class CBmpWriter {
public:
    explicit CBmpWriter(const IMGBITMAP& bitmap);

    // Writes the picture at `bitsPerPixel` (0 as held; 24 also for a gray one).
    int Save(const char* path, int bitsPerPixel);

private:
    // The record holds a picture this writer understands, readable in full.
    bool IsValid() const;
    int WriteFileContents(HANDLE file, int depth);
    // Appends to the output buffer, writing it out when full; false on a write error.
    bool Put(HANDLE file, const BYTE* bytes, size_t count);
    bool Flush(HANDLE file);

    const IMGBITMAP& m_bitmap;
    std::vector<BYTE> m_buffer;
};

} // namespace imaging
