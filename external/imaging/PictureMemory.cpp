#include "PictureMemory.h"

#include "ImagingResult.h"

namespace imaging {

bool PixelLayout(LONG width, LONG height, LONG bitsPerPixel, LONG* bytesPerLine, size_t* bytes) {
    if (width <= 0 || height <= 0 || bitsPerPixel <= 0) {
        return false;
    }
    // 64-bit arithmetic: a 32-bit product of header values would wrap and pass the check.
    unsigned long long line = (static_cast<unsigned long long>(width) * bitsPerPixel + 31) / 32 * 4;
    unsigned long long total = line * static_cast<unsigned long long>(height);
    if (total > kMaxPixelBytes) {
        return false;
    }
    *bytesPerLine = static_cast<LONG>(line);
    *bytes = static_cast<size_t>(total);
    return true;
}

BYTE* AllocatePixels(size_t bytes) {
    return static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, bytes));
}

bool FreePixels(BYTE* bits) {
    return HeapFree(GetProcessHeap(), 0, bits) != FALSE;
}

} // namespace imaging
