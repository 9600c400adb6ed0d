// LTKRN80N.dll's entry: releasing a bitmap record's picture memory, exported by ordinal only
// (LTKRN80N.def). The memory comes from LTFIL80N.dll's loads, through the process heap that
// both use (PictureMemory.h).
#include <windows.h>

#include "ImagingLibrary.h"
#include "ImagingResult.h"
#include "PictureMemory.h"

using namespace imaging;

extern "C" int WINAPI ImgFreeBitmap(IMGBITMAP* bitmap) {
    if (bitmap == nullptr || bitmap->bits == nullptr) {
        return kEmpty;
    }
    if (!FreePixels(bitmap->bits)) {
        return kBadArgument; // not memory of a load; the record stays as it was
    }
    // Emptied whole, so that a second release answers kEmpty and nothing reads freed memory.
    bitmap->bits = nullptr;
    bitmap->width = 0;
    bitmap->height = 0;
    bitmap->bitsPerPixel = 0;
    bitmap->bytesPerLine = 0;
    return kOk;
}
