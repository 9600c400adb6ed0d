// The orientation tag of a JPEG's EXIF data.
#pragma once

#include <cstddef>
#include <cstdint>

namespace imaging {

// The orientation (1-8) in the first image directory of an APP1 segment's payload
// ("Exif\0\0" and a TIFF structure, either byte order); 0 when the payload is no EXIF data,
// has no orientation, or the value is out of range. Reads nothing outside the payload.
int ExifOrientation(const uint8_t* payload, size_t size);

} // namespace imaging
