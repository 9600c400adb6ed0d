// Turns a bitmap record into the bytes of a Windows bitmap file: BITMAPFILEHEADER, a 40-byte
// BITMAPINFOHEADER, bottom-up rows; 24-bit, or 8-bit with a 256-entry gray colour table for a
// gray picture. That is the layout every version of the system's bitmap loader reads. Plain
// C++: the writer (BmpWriter.h) puts the bytes into a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "ImagingRecords.h"

namespace imaging {

class CBmpEncoder {
public:
    // Takes the file's bytes in order, in pieces of about a megabyte; false stops the encoding.
    using Sink = std::function<bool(const uint8_t* bytes, size_t count)>;

    explicit CBmpEncoder(const IMGBITMAP& bitmap);

    // Chooses the depth written (`bitsPerPixel` 0 as held; 24 also for a gray picture): kOk, or
    // kBadArgument when the record holds no picture this encoder understands or cannot be
    // written at that depth.
    int Prepare(int bitsPerPixel);
    // The whole file, given to `sink`; false when the sink refused a piece. After Prepare only.
    bool Encode(const Sink& sink);

private:
    // The record holds a picture this encoder understands, readable in full.
    bool IsValid() const;
    bool Put(const Sink& sink, const uint8_t* bytes, size_t count);
    bool Flush(const Sink& sink);

    const IMGBITMAP& m_bitmap;
    int m_depth = 0;
    std::vector<uint8_t> m_buffer;
};

} // namespace imaging
