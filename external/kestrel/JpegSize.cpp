#include "JpegSize.h"

namespace kestrel {

namespace {

// Bounds on the marker walk, so that a broken JPEG costs a few reads at most.
const int kMaxJpegSegments = 1024;
const int kMaxJpegFillBytes = 64;

// SOF0..SOF15 carry the frame size; C4 (Huffman tables), C8 and CC (arithmetic
// conditioning) share the range but are not frame headers.
bool IsFrameHeader(uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

} // namespace

bool CByteSource::Read(uint8_t* bytes, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        if (!ReadByte(bytes[i])) {
            return false;
        }
    }
    return true;
}

bool CMemorySource::ReadByte(uint8_t& byte) {
    if (m_next >= m_size) {
        return false;
    }
    byte = m_data[m_next++];
    return true;
}

bool CMemorySource::Skip(uint32_t count) {
    m_next = count > m_size - m_next ? m_size : m_next + count;
    return true;
}

bool ReadJpegSize(CByteSource& source, uint32_t& width, uint32_t& height) {
    uint8_t start[2];
    if (!source.Read(start, 2) || start[0] != 0xFF || start[1] != 0xD8) {
        return false;
    }
    for (int segment = 0; segment < kMaxJpegSegments; ++segment) {
        uint8_t marker = 0;
        if (!source.ReadByte(marker) || marker != 0xFF) {
            return false;
        }
        int fill = 0;
        while (marker == 0xFF) {
            if (++fill > kMaxJpegFillBytes || !source.ReadByte(marker)) {
                return false;
            }
        }
        bool standalone = marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7);
        if (standalone) {
            continue;
        }
        if (marker == 0x00 || marker == 0xD9 || marker == 0xDA) {
            return false;
        }
        uint8_t lengthBytes[2];
        if (!source.Read(lengthBytes, 2)) {
            return false;
        }
        uint32_t length = (static_cast<uint32_t>(lengthBytes[0]) << 8) | lengthBytes[1];
        if (length < 2) {
            return false;
        }
        if (IsFrameHeader(marker)) {
            uint8_t frame[5]; // precision, height, width
            if (length < 2 + sizeof(frame) || !source.Read(frame, sizeof(frame))) {
                return false;
            }
            height = (static_cast<uint32_t>(frame[1]) << 8) | frame[2];
            width = (static_cast<uint32_t>(frame[3]) << 8) | frame[4];
            return width != 0 && height != 0;
        }
        if (!source.Skip(length - 2)) {
            return false;
        }
    }
    return false;
}

} // namespace kestrel
