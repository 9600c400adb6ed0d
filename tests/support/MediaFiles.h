// Pictures and clips made by the tests: Windows bitmap files with known pixels, and short
// uncompressed AVI clips written through AVIFile.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace scratch {

// The colour a test picture has at (x, y); distinct enough to tell rows and columns apart.
COLORREF TestColor(int x, int y);

// A bottom-up bitmap file of 24 bits (colours from `color`, TestColor by default) or 8 bits
// (a 256-entry gray table, gray level (x + y) & 255).
bool WriteBitmapFile(const std::string& path, int width, int height, int bitsPerPixel = 24,
                     const std::function<COLORREF(int, int)>& color = TestColor);

// An uncompressed 24-bit clip of `frames` frames at 15 frames per second.
bool WriteClip(const std::string& path, int width, int height, int frames);

}  // namespace scratch
