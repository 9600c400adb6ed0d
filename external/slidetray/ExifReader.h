// Reads what a JPEG's EXIF block says about showing the picture: its orientation and where the
// camera's own small preview lies. WIC under Wine reads no EXIF, hence a parser of our own.
#pragma once

#include <cstddef>
#include <cstdint>

class CExifReader {
public:
    // A file's EXIF block sits in its first segments; the APP1 segment is at most 64 KB.
    static constexpr size_t kHeadBytes = 128 * 1024;

    // Parses the first bytes of a JPEG file. False ("no EXIF") when there is no EXIF block or
    // its TIFF header or first directory is damaged; a damaged second directory only drops the
    // preview. Never reads outside data[0, size).
    bool Parse(const uint8_t* data, size_t size);

    // 1..8 as the camera wrote it (2, 4, 5, 7 mirror; 3, 6, 8 turn); 1 when absent or invalid.
    int Orientation() const { return m_orientation; }
    // The embedded JPEG preview, as a byte range of the parsed buffer; it starts with SOI.
    bool HasThumbnail() const { return m_thumbnailLength != 0; }
    size_t ThumbnailOffset() const { return m_thumbnailOffset; }
    size_t ThumbnailLength() const { return m_thumbnailLength; }

private:
    void Reset();
    bool ParseTiff(const uint8_t* tiff, size_t size, size_t tiffStart);

    int m_orientation = 1;
    size_t m_thumbnailOffset = 0;
    size_t m_thumbnailLength = 0;
};
