// The form the tray keeps made thumbnails in: a small JPEG, a fifth to a tenth of the pixels'
// size, so that thousands of items stay within a modest amount of memory; the window expands
// only the ones it draws.
#pragma once

#include <cstdint>
#include <vector>

#include "external/slidetray/ThumbnailMaker.h"

// Compresses a thumbnail at a quality where it looks as made (full colour resolution, no
// chroma subsampling); false for an empty image or when libjpeg fails.
bool CompressThumbnail(const ThumbnailImage& image, std::vector<uint8_t>* jpeg);

// A compressed thumbnail as the bottom-up B, G, R rows of a 24-bpp DIB, each padded to 4
// bytes; false unless it decodes to width x height.
bool ExpandThumbnail(const std::vector<uint8_t>& jpeg, int width, int height,
                     std::vector<uint8_t>* bits);
