// The pixel memory of bitmap records, shared by both DLLs of the imaging library.
//
// LTFIL80N.dll allocates it when it loads a picture and LTKRN80N.dll releases it, so both must
// use one allocator. They take it from the process heap: an allocator every module of the
// process reaches by itself, so neither DLL imports from the other and the pairing does not
// rest on how the C runtime happens to be linked (each DLL links its runtime statically).
#pragma once

#include <cstddef>
#include <cstdint>

namespace imaging {

// Bytes in one row of `width` pixels of `bitsPerPixel`, padded to a multiple of four; the
// size of the whole picture in `bytes`. False when a dimension is not positive or the picture
// would need more than kMaxPixelBytes.
bool PixelLayout(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t* bytesPerLine,
                 size_t* bytes);

// Null when the heap refuses. (PictureMemory.cpp: the process heap.)
uint8_t* AllocatePixels(size_t bytes);
// False when `bits` did not come from AllocatePixels (the heap says so).
bool FreePixels(uint8_t* bits);

} // namespace imaging
