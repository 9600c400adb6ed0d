// The imaging library's picture memory off Windows (PictureMemory.cpp takes the process heap):
// malloc, so that AddressSanitizer watches the pixel buffers.
#include <cstdlib>

#include "external/imaging/PictureMemory.h"

namespace imaging {

uint8_t* AllocatePixels(size_t bytes) {
    return static_cast<uint8_t*>(std::malloc(bytes));
}

bool FreePixels(uint8_t* bits) {
    std::free(bits);
    return bits != nullptr;
}

} // namespace imaging
