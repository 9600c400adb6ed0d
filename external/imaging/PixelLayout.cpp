// The layout half of PictureMemory.h: plain arithmetic, shared by the readers and the writer.
#include "PictureMemory.h"

#include "ImagingResult.h"

namespace imaging {

bool PixelLayout(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t* bytesPerLine,
                 size_t* bytes) {
    if (width <= 0 || height <= 0 || bitsPerPixel <= 0) {
        return false;
    }
    // 64-bit arithmetic: a 32-bit product of header values would wrap and pass the check.
    unsigned long long line = (static_cast<unsigned long long>(width) * bitsPerPixel + 31) / 32 * 4;
    unsigned long long total = line * static_cast<unsigned long long>(height);
    if (total > kMaxPixelBytes) {
        return false;
    }
    *bytesPerLine = static_cast<int32_t>(line);
    *bytes = static_cast<size_t>(total);
    return true;
}

} // namespace imaging
