#include "BmpReader.h"

#include <climits>
#include <cstring>

#include "ImagingResult.h"
#include "PictureMemory.h"

namespace imaging {

namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr size_t kInfoHeaderBytes = 40; // BITMAPINFOHEADER; later versions only add fields
constexpr size_t kBitfieldMasksAt = kFileHeaderBytes + kInfoHeaderBytes;
// Compression codes of the info header.
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;

unsigned ReadU16(const uint8_t* at) {
    return at[0] | at[1] << 8;
}

uint32_t ReadU32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

} // namespace

CBmpReader::CBmpReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

int CBmpReader::ParseHeaders() {
    if (m_size < kFileHeaderBytes + kInfoHeaderBytes || m_data[0] != 'B' || m_data[1] != 'M') {
        return kDamaged;
    }
    const uint8_t* header = m_data + kFileHeaderBytes;
    uint32_t headerBytes = ReadU32(header);
    if (headerBytes == 12) {
        return kUnsupported; // the old OS/2 header
    }
    if (headerBytes < kInfoHeaderBytes || headerBytes > m_size - kFileHeaderBytes) {
        return kDamaged;
    }
    int32_t width = static_cast<int32_t>(ReadU32(header + 4));
    int32_t height = static_cast<int32_t>(ReadU32(header + 8));
    unsigned planes = ReadU16(header + 12);
    m_bitCount = static_cast<int>(ReadU16(header + 14));
    uint32_t compression = ReadU32(header + 16);
    uint32_t coloursUsed = ReadU32(header + 32);
    if (width <= 0 || height == 0 || height == INT32_MIN || planes != 1) {
        return kDamaged;
    }
    m_width = width;
    m_topDown = height < 0;
    m_height = m_topDown ? -height : height;

    if (m_bitCount != 8 && m_bitCount != 24 && m_bitCount != 32) {
        return kUnsupported;
    }
    if (compression == kBiBitfields && m_bitCount == 32) {
        // Only the masks that describe the plain layout (blue in the lowest byte).
        if (m_size < kBitfieldMasksAt + 12 || ReadU32(m_data + kBitfieldMasksAt) != 0xFF0000 ||
            ReadU32(m_data + kBitfieldMasksAt + 4) != 0xFF00 ||
            ReadU32(m_data + kBitfieldMasksAt + 8) != 0xFF) {
            return kUnsupported;
        }
    } else if (compression != kBiRgb) {
        return kUnsupported;
    }
    if (m_bitCount == 8) {
        m_colourCount = coloursUsed == 0 ? 256 : coloursUsed;
        size_t tableAt = kFileHeaderBytes + headerBytes;
        if (m_colourCount > 256 || (m_size - tableAt) / 4 < m_colourCount) {
            return kDamaged;
        }
        m_colours = m_data + tableAt;
    }

    // The header's numbers may be anything: 64-bit arithmetic, and a division rather than a
    // product that could wrap.
    unsigned long long stride =
        (static_cast<unsigned long long>(m_width) * m_bitCount + 31) / 32 * 4;
    unsigned long long rowsAt = ReadU32(m_data + 10);
    if (rowsAt > m_size || (m_size - rowsAt) / stride < static_cast<unsigned long long>(m_height)) {
        return kDamaged; // cut short, or claiming far more rows than it holds
    }
    m_rows = m_data + rowsAt;
    m_stride = static_cast<size_t>(stride);
    return kOk;
}

int CBmpReader::ReadInfo(IMGFILEINFO* info) {
    int parsed = ParseHeaders();
    if (parsed != kOk) {
        return parsed;
    }
    IMGFILEINFO read{};
    read.format = IMG_FORMAT_BMP;
    read.width = m_width;
    read.height = m_height;
    read.bitsPerPixel = m_bitCount;
    *info = read;
    return kOk;
}

bool CBmpReader::IsGray() const {
    if (m_bitCount != 8) {
        return false;
    }
    for (unsigned i = 0; i < m_colourCount; ++i) {
        const uint8_t* colour = m_colours + i * 4;
        if (colour[0] != colour[1] || colour[1] != colour[2]) {
            return false;
        }
    }
    return true;
}

int CBmpReader::Load(int bitsPerPixel, IMGBITMAP* bitmap) {
    int parsed = ParseHeaders();
    if (parsed != kOk) {
        return parsed;
    }
    bool gray = IsGray();
    if (bitsPerPixel == 8 && !gray) {
        return kUnsupported;
    }
    int32_t depth = (gray && bitsPerPixel != 24) ? 8 : 24;
    int32_t bytesPerLine = 0;
    size_t bytes = 0;
    if (!PixelLayout(m_width, m_height, depth, &bytesPerLine, &bytes)) {
        return kTooLarge;
    }
    uint8_t* pixels = AllocatePixels(bytes);
    if (pixels == nullptr) {
        return kNoMemory;
    }
    for (int32_t y = 0; y < m_height; ++y) {
        int32_t fileRow = m_topDown ? y : m_height - 1 - y;
        uint8_t* target = pixels + static_cast<size_t>(m_height - 1 - y) * bytesPerLine;
        ConvertRow(m_rows + static_cast<size_t>(fileRow) * m_stride, target, depth);
        size_t used = static_cast<size_t>(m_width) * (depth / 8);
        std::memset(target + used, 0, static_cast<size_t>(bytesPerLine) - used);
    }
    IMGBITMAP loaded{};
    loaded.width = m_width;
    loaded.height = m_height;
    loaded.bitsPerPixel = depth;
    loaded.bytesPerLine = bytesPerLine;
    loaded.bits = pixels;
    *bitmap = loaded;
    return kOk;
}

void CBmpReader::ConvertRow(const uint8_t* source, uint8_t* target, int depth) const {
    // A colour index past the table (which may be shorter than 256) shows as black.
    static const uint8_t kBlack[4] = {0, 0, 0, 0};
    switch (m_bitCount) {
    case 8:
        for (int32_t x = 0; x < m_width; ++x) {
            const uint8_t* colour = source[x] < m_colourCount ? m_colours + source[x] * 4 : kBlack;
            if (depth == 8) {
                *target++ = colour[0];
            } else {
                std::memcpy(target, colour, 3);
                target += 3;
            }
        }
        break;
    case 24:
        std::memcpy(target, source, static_cast<size_t>(m_width) * 3);
        break;
    case 32:
        for (int32_t x = 0; x < m_width; ++x, source += 4, target += 3) {
            std::memcpy(target, source, 3);
        }
        break;
    }
}

} // namespace imaging
