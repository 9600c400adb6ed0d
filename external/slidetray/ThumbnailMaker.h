// Thumbnails of a camera's stills and clips for the tray: the camera's EXIF preview when there
// is one, else the decoded picture (a JPEG through libjpeg-turbo at a reduced scale, other
// formats through WIC) or a clip's first frame, area-averaged down to size and turned the way
// the camera was held. Safe to call on any thread; owns no global state.
#pragma once

#include <cstdint>
#include <vector>

// Top-down rows; each pixel 0x00RRGGBB (B, G, R, 0 in memory, as a 32-bpp DIB); width*height.
struct ThumbnailImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

enum class ThumbnailSource { ExifThumbnail, Decoded, VideoFrame, Placeholder };

// A thumbnail of a JPEG/BMP/PNG/TIFF/GIF picture or an AVI clip that fits maxWidth x maxHeight
// with its aspect kept and never larger than the source, in EXIF orientation. A clip's frame
// gets film perforations along its left and right edges. When the file cannot be read (missing,
// empty, truncated, not a picture) `out` holds a drawn broken-picture glyph (a film glyph for a
// clip) of maxWidth x maxHeight (each 1..1024), the source is Placeholder and the result false.
// A box side below 1 counts as 1.
// Initialises COM on the calling thread when needed and balances it; never throws.
// A caller making many thumbnails may lend `fileBuffer`: a picture read whole goes into it, and
// its memory (up to kKeptFileBufferBytes) is kept for the next call instead of being fetched
// from the system afresh for every file.
bool MakeThumbnail(const char* path, int maxWidth, int maxHeight, ThumbnailImage* out,
                   ThumbnailSource* source, std::vector<uint8_t>* fileBuffer = nullptr);
constexpr size_t kKeptFileBufferBytes = size_t(16) << 20;

// The size that fits maxWidth x maxHeight with width:height kept, never above width x height
// and at least 1x1 (all inputs positive).
void FitThumbnailSize(int width, int height, int maxWidth, int maxHeight, int* fitWidth,
                      int* fitHeight);

// Area-averages a top-down picture of 3- or 4-byte B, G, R pixels, `stride` bytes a row, down to
// width x height (each no larger than the source's). False on bad arguments.
bool ShrinkPicture(const uint8_t* bits, int srcWidth, int srcHeight, int stride, int bytesPerPixel,
                   int width, int height, ThumbnailImage* out);

// Turns a picture as stored into the way the camera was held (EXIF orientation 1..8; others
// leave it as it is). Orientations 5..8 swap width and height.
void OrientThumbnail(ThumbnailImage* image, int orientation);
