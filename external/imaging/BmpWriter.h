// Writes a bitmap record as a Windows bitmap file (the bytes CBmpEncoder makes).
//
// The file is written under a temporary name beside the target and renamed over it only once
// complete, so a failed save leaves no half file and an existing target as it was.
#pragma once

#include "ImagingRecords.h"

namespace imaging {

class CBmpWriter {
public:
    explicit CBmpWriter(const IMGBITMAP& bitmap);

    // Writes the picture at `bitsPerPixel` (0 as held; 24 also for a gray one).
    int Save(const char* path, int bitsPerPixel);

private:
    const IMGBITMAP& m_bitmap;
};

} // namespace imaging
