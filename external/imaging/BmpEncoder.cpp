#include "BmpEncoder.h"

#include <algorithm>
#include <cstring>

#include "ImagingResult.h"
#include "PictureMemory.h"

namespace imaging {

namespace {

// Rows go out in chunks of about this size: one write per row costs a system call each, and
// under Wine much larger writes are markedly slower than 64 KiB ones.
constexpr size_t kChunkBytes = 64 << 10;
// Rows written straight from the picture need no staging, and there larger writes are the
// faster ones (a 36 MB picture: 1 MiB writes take about four fifths of the time of 64 KiB).
constexpr size_t kDirectChunkBytes = 1 << 20;
constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;

void PutU16(std::vector<uint8_t>* out, uint32_t value) {
    out->push_back(static_cast<uint8_t>(value));
    out->push_back(static_cast<uint8_t>(value >> 8));
}

void PutU32(std::vector<uint8_t>* out, uint32_t value) {
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

} // namespace

CBmpEncoder::CBmpEncoder(const IMGBITMAP& bitmap) : m_bitmap(bitmap) {}

bool CBmpEncoder::IsValid() const {
    int32_t packedLine = 0;
    size_t bytes = 0;
    if (m_bitmap.bits == nullptr || (m_bitmap.bitsPerPixel != 8 && m_bitmap.bitsPerPixel != 24) ||
        !PixelLayout(m_bitmap.width, m_bitmap.height, m_bitmap.bitsPerPixel, &packedLine, &bytes)) {
        return false;
    }
    // Rows may be padded more than needed, never less.
    return m_bitmap.bytesPerLine >= m_bitmap.width * (m_bitmap.bitsPerPixel / 8) &&
           static_cast<unsigned long long>(m_bitmap.bytesPerLine) * m_bitmap.height <=
               kMaxPixelBytes;
}

int CBmpEncoder::Prepare(int bitsPerPixel) {
    m_depth = 0;
    if (!IsValid()) {
        return kBadArgument;
    }
    int depth = bitsPerPixel == 0 ? m_bitmap.bitsPerPixel : bitsPerPixel;
    if (depth != 24 && !(depth == 8 && m_bitmap.bitsPerPixel == 8)) {
        return kBadArgument;
    }
    m_depth = depth;
    return kOk;
}

bool CBmpEncoder::Encode(const Sink& sink) {
    if (m_depth == 0) {
        return false;
    }
    const int32_t width = m_bitmap.width;
    const int32_t height = m_bitmap.height;
    const size_t fileLine = (static_cast<size_t>(width) * m_depth + 31) / 32 * 4;
    const uint32_t tableBytes = m_depth == 8 ? 256 * 4 : 0;
    const uint32_t headersBytes = kFileHeaderBytes + kInfoHeaderBytes + tableBytes;
    const uint32_t pixelBytes = static_cast<uint32_t>(fileLine * height);

    m_buffer.clear();
    m_buffer.reserve(kChunkBytes + fileLine);
    PutU16(&m_buffer, 0x4D42); // "BM"
    PutU32(&m_buffer, headersBytes + pixelBytes);
    PutU32(&m_buffer, 0);
    PutU32(&m_buffer, headersBytes);
    PutU32(&m_buffer, kInfoHeaderBytes);
    PutU32(&m_buffer, static_cast<uint32_t>(width));
    PutU32(&m_buffer, static_cast<uint32_t>(height)); // positive: bottom-up
    PutU16(&m_buffer, 1);                             // planes
    PutU16(&m_buffer, static_cast<uint32_t>(m_depth));
    PutU32(&m_buffer, 0); // BI_RGB
    PutU32(&m_buffer, pixelBytes);
    PutU32(&m_buffer, 0); // resolution: none stated
    PutU32(&m_buffer, 0);
    PutU32(&m_buffer, m_depth == 8 ? 256 : 0); // colours used
    PutU32(&m_buffer, 0);                      // colours important: all
    for (uint32_t i = 0; i < 256 && m_depth == 8; ++i) {
        PutU32(&m_buffer, i | i << 8 | i << 16);
    }
    if (m_depth == m_bitmap.bitsPerPixel && static_cast<size_t>(m_bitmap.bytesPerLine) == fileLine) {
        // The record holds the rows as the file does: they go out straight from it.
        if (!Flush(sink)) {
            return false;
        }
        for (size_t done = 0; done < pixelBytes;) {
            const size_t count = std::min(kDirectChunkBytes, pixelBytes - done);
            if (!sink(m_bitmap.bits + done, count)) {
                return false;
            }
            done += count;
        }
        return true;
    }
    // Rows padded more than the file's, or a gray picture written as colour: row by row.
    std::vector<uint8_t> line(fileLine, 0);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* source = m_bitmap.bits + static_cast<size_t>(y) * m_bitmap.bytesPerLine;
        if (m_depth == m_bitmap.bitsPerPixel) {
            std::memcpy(line.data(), source, static_cast<size_t>(width) * (m_depth / 8));
        } else {
            // A gray picture written as colour.
            for (int32_t x = 0; x < width; ++x) {
                std::memset(&line[static_cast<size_t>(x) * 3], source[x], 3);
            }
        }
        if (!Put(sink, line.data(), line.size())) {
            return false;
        }
    }
    return Flush(sink);
}

bool CBmpEncoder::Put(const Sink& sink, const uint8_t* bytes, size_t count) {
    if (m_buffer.size() + count > kChunkBytes && !Flush(sink)) {
        return false;
    }
    m_buffer.insert(m_buffer.end(), bytes, bytes + count);
    return true;
}

bool CBmpEncoder::Flush(const Sink& sink) {
    if (!m_buffer.empty() && !sink(m_buffer.data(), m_buffer.size())) {
        return false;
    }
    m_buffer.clear();
    return true;
}

} // namespace imaging
