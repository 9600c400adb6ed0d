#include "external/slidetray/ExifReader.h"

#include <cstring>

namespace {

const uint16_t kTagOrientation = 274;
const uint16_t kTagThumbnailOffset = 513; // JPEGInterchangeFormat
const uint16_t kTagThumbnailLength = 514; // JPEGInterchangeFormatLength
const uint16_t kTypeShort = 3;
const uint16_t kTypeLong = 4;
const uint16_t kTiffMagic = 42;
const size_t kTiffHeaderBytes = 8;
const size_t kEntryBytes = 12;

const uint8_t kMarkerStart = 0xD8;
const uint8_t kMarkerEnd = 0xD9;
const uint8_t kMarkerScan = 0xDA;
const uint8_t kMarkerApp1 = 0xE1;
const char kExifSignature[6] = {'E', 'x', 'i', 'f', '\0', '\0'};

// The TIFF block of an EXIF segment, read in the byte order its header names; every read is
// checked against the block's end.
class TiffView {
public:
    TiffView(const uint8_t* data, size_t size, bool bigEndian)
        : m_data(data), m_size(size), m_bigEndian(bigEndian) {}

    size_t Size() const { return m_size; }

    bool U16(size_t offset, uint16_t* value) const {
        if (offset > m_size || m_size - offset < 2) {
            return false;
        }
        const uint8_t* p = m_data + offset;
        *value = m_bigEndian ? static_cast<uint16_t>((p[0] << 8) | p[1])
                             : static_cast<uint16_t>((p[1] << 8) | p[0]);
        return true;
    }

    bool U32(size_t offset, uint32_t* value) const {
        if (offset > m_size || m_size - offset < 4) {
            return false;
        }
        const uint8_t* p = m_data + offset;
        if (m_bigEndian) {
            *value = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
        } else {
            *value = (uint32_t(p[3]) << 24) | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
        }
        return true;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    bool m_bigEndian;
};

// A directory whose count, entries and next-directory link all lie inside the block.
bool DirectoryFits(const TiffView& tiff, uint32_t offset, uint16_t* count) {
    if (offset < kTiffHeaderBytes || !tiff.U16(offset, count)) {
        return false;
    }
    size_t needed = 2 + size_t(*count) * kEntryBytes + 4;
    return needed <= tiff.Size() - offset;
}

// The value of an entry holding one SHORT or LONG, which sits in the entry itself.
bool EntryNumber(const TiffView& tiff, size_t entry, uint32_t* value) {
    uint16_t type = 0;
    uint32_t count = 0;
    if (!tiff.U16(entry + 2, &type) || !tiff.U32(entry + 4, &count) || count != 1) {
        return false;
    }
    if (type == kTypeLong) {
        return tiff.U32(entry + 8, value);
    }
    uint16_t shortValue = 0;
    if (type != kTypeShort || !tiff.U16(entry + 8, &shortValue)) {
        return false;
    }
    *value = shortValue;
    return true;
}

} // namespace

void CExifReader::Reset() {
    m_orientation = 1;
    m_thumbnailOffset = 0;
    m_thumbnailLength = 0;
}

bool CExifReader::Parse(const uint8_t* data, size_t size) {
    Reset();
    if (data == nullptr || size < 4 || data[0] != 0xFF || data[1] != kMarkerStart) {
        return false;
    }
    size_t pos = 2;
    while (size - pos >= 4) {
        if (data[pos] != 0xFF) {
            return false;
        }
        uint8_t marker = data[pos + 1];
        if (marker == 0xFF) {
            ++pos; // fill byte before a marker
            continue;
        }
        if (marker == kMarkerStart || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2; // markers without a length
            continue;
        }
        // The EXIF block comes before the picture data; past it there is none.
        if (marker == kMarkerScan || marker == kMarkerEnd) {
            return false;
        }
        size_t length = (size_t(data[pos + 2]) << 8) | data[pos + 3];
        if (length < 2 || length > size - pos - 2) {
            return false;
        }
        const uint8_t* payload = data + pos + 4;
        size_t payloadSize = length - 2;
        if (marker == kMarkerApp1 && payloadSize >= sizeof(kExifSignature) &&
            std::memcmp(payload, kExifSignature, sizeof(kExifSignature)) == 0) {
            size_t tiffStart = pos + 4 + sizeof(kExifSignature);
            return ParseTiff(data + tiffStart, payloadSize - sizeof(kExifSignature), tiffStart);
        }
        pos += 2 + length;
    }
    return false;
}

bool CExifReader::ParseTiff(const uint8_t* tiff, size_t size, size_t tiffStart) {
    if (size < kTiffHeaderBytes) {
        return false;
    }
    bool bigEndian = false;
    if (tiff[0] == 'M' && tiff[1] == 'M') {
        bigEndian = true;
    } else if (tiff[0] != 'I' || tiff[1] != 'I') {
        return false;
    }
    TiffView view(tiff, size, bigEndian);
    uint16_t magic = 0;
    uint32_t ifd0 = 0;
    uint16_t count0 = 0;
    if (!view.U16(2, &magic) || magic != kTiffMagic || !view.U32(4, &ifd0) ||
        !DirectoryFits(view, ifd0, &count0)) {
        return false;
    }
    for (size_t i = 0; i < count0; ++i) {
        size_t entry = ifd0 + 2 + i * kEntryBytes;
        uint16_t tag = 0;
        uint32_t value = 0;
        if (view.U16(entry, &tag) && tag == kTagOrientation && EntryNumber(view, entry, &value) &&
            value >= 1 && value <= 8) {
            m_orientation = static_cast<int>(value);
        }
    }

    // The preview's directory: only this one link is followed, so a looping chain cannot hold
    // us up; a link back to the first directory means there is none.
    uint32_t ifd1 = 0;
    uint16_t count1 = 0;
    if (!view.U32(ifd0 + 2 + size_t(count0) * kEntryBytes, &ifd1) || ifd1 == 0 || ifd1 == ifd0 ||
        !DirectoryFits(view, ifd1, &count1)) {
        return true;
    }
    uint32_t offset = 0;
    uint32_t length = 0;
    for (size_t i = 0; i < count1; ++i) {
        size_t entry = ifd1 + 2 + i * kEntryBytes;
        uint16_t tag = 0;
        if (!view.U16(entry, &tag)) {
            return true;
        }
        if (tag == kTagThumbnailOffset && !EntryNumber(view, entry, &offset)) {
            offset = 0;
        } else if (tag == kTagThumbnailLength && !EntryNumber(view, entry, &length)) {
            length = 0;
        }
    }
    if (offset < kTiffHeaderBytes || length < 4 || offset > size || length > size - offset) {
        return true;
    }
    if (tiff[offset] != 0xFF || tiff[offset + 1] != kMarkerStart) {
        return true;
    }
    m_thumbnailOffset = tiffStart + offset;
    m_thumbnailLength = length;
    return true;
}
