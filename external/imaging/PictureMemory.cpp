#include "PictureMemory.h"

#include <windows.h>

namespace imaging {

uint8_t* AllocatePixels(size_t bytes) {
    return static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, bytes));
}

bool FreePixels(uint8_t* bits) {
    return HeapFree(GetProcessHeap(), 0, bits) != FALSE;
}

} // namespace imaging
