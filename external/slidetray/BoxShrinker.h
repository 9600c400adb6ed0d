// Area-averaging reduction fed one source row at a time, so that only a band of the source and
// one row of sums are held: what every thumbnail goes through on its way down to size.
#pragma once

#include <cstdint>
#include <vector>

#include "external/slidetray/ThumbnailMaker.h"

// Source pixel i covers [i*w, (i+1)*w) and output pixel x covers [x*sw, (x+1)*sw) on one axis;
// each source pixel adds its colour times the overlap, and an output pixel is its sums over
// sw*sh. Reduction only: a source pixel spans at most two outputs.
class CBoxShrinker {
public:
    // Largest side a source may have: JPEG's own limit, and small enough for 64-bit sums.
    static constexpr int kMaxSourceSide = 65535;

    // False when a size is not positive, the output is larger than the source on either axis,
    // or the source is larger than kMaxSourceSide.
    bool Start(int srcWidth, int srcHeight, int width, int height);
    // The next source row, top first: B, G, R at `bytesPerPixel` apart.
    void AddRow(const uint8_t* row, int bytesPerPixel);
    // The result, once every source row is in.
    bool Finish(ThumbnailImage* out);

private:
    struct Column {
        int x;          // the output column the source column starts in
        uint32_t first; // its overlap with that column; the rest falls into x + 1
    };

    void Accumulate(uint64_t weight);
    void EmitRow();

    int m_srcWidth = 0;
    int m_srcHeight = 0;
    int m_width = 0;
    int m_height = 0;
    int m_srcRow = 0;
    int m_outRow = 0;
    std::vector<Column> m_columns;
    std::vector<uint32_t> m_rowSums; // the current source row, summed across
    std::vector<uint64_t> m_sums;    // the output row being filled
    ThumbnailImage m_image;
};
