// Reads a Windows bitmap file held in memory: uncompressed 24-bit, 32-bit (the fourth byte
// ignored) and 8-bit with a colour table, bottom-up or top-down. An 8-bit picture whose
// colour table holds only grays comes as 8-bit gray, any other as 24-bit BGR.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ImagingRecords.h"

namespace imaging {

class CBmpReader {
public:
    CBmpReader(const uint8_t* data, size_t size);

    // Reads the headers only and fills `info` on success.
    int ReadInfo(IMGFILEINFO* info);
    // Reads the picture into `bitmap` at `bitsPerPixel` (0 as the file suggests, 24 colour,
    // 8 only for a gray picture); the record is written only on success.
    int Load(int bitsPerPixel, IMGBITMAP* bitmap);

private:
    // Checks the headers and that the file holds every pixel row they promise.
    int ParseHeaders();
    bool IsGray() const;
    void ConvertRow(const uint8_t* source, uint8_t* target, int depth) const;

    const uint8_t* m_data;
    size_t m_size;
    int32_t m_width = 0;
    int32_t m_height = 0; // rows, positive
    bool m_topDown = false;
    int m_bitCount = 0;
    const uint8_t* m_colours = nullptr; // 4 bytes each (blue, green, red, unused)
    unsigned m_colourCount = 0;
    const uint8_t* m_rows = nullptr; // the first row in the file
    size_t m_stride = 0;             // bytes from one row in the file to the next
};

} // namespace imaging
