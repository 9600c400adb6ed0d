#include "external/slidetray/BoxShrinker.h"

#include <algorithm>

bool CBoxShrinker::Start(int srcWidth, int srcHeight, int width, int height) {
    if (srcWidth <= 0 || srcHeight <= 0 || width <= 0 || height <= 0 || width > srcWidth ||
        height > srcHeight || srcWidth > kMaxSourceSide || srcHeight > kMaxSourceSide) {
        return false;
    }
    m_srcWidth = srcWidth;
    m_srcHeight = srcHeight;
    m_width = width;
    m_height = height;
    m_srcRow = 0;
    m_outRow = 0;
    m_columns.resize(size_t(srcWidth));
    for (int i = 0; i < srcWidth; ++i) {
        int64_t start = int64_t(i) * width;
        int x = static_cast<int>(start / srcWidth);
        int64_t boundary = int64_t(x + 1) * srcWidth;
        int64_t first = std::min<int64_t>(start + width, boundary) - start;
        m_columns[size_t(i)] = Column{x, static_cast<uint32_t>(first)};
    }
    m_rowSums.assign(size_t(width) * 3, 0);
    m_sums.assign(size_t(width) * 3, 0);
    m_image.width = width;
    m_image.height = height;
    m_image.pixels.assign(size_t(width) * size_t(height), 0);
    return true;
}

void CBoxShrinker::AddRow(const uint8_t* row, int bytesPerPixel) {
    if (m_srcRow >= m_srcHeight) {
        return;
    }
    std::fill(m_rowSums.begin(), m_rowSums.end(), 0);
    const uint32_t weight = static_cast<uint32_t>(m_width);
    for (int i = 0; i < m_srcWidth; ++i, row += bytesPerPixel) {
        const Column& column = m_columns[size_t(i)];
        uint32_t* sum = &m_rowSums[size_t(column.x) * 3];
        sum[0] += row[0] * column.first;
        sum[1] += row[1] * column.first;
        sum[2] += row[2] * column.first;
        uint32_t rest = weight - column.first;
        if (rest != 0) {
            sum[3] += row[0] * rest;
            sum[4] += row[1] * rest;
            sum[5] += row[2] * rest;
        }
    }

    int64_t start = int64_t(m_srcRow) * m_height;
    int64_t end = start + m_height;
    int64_t boundary = int64_t(m_outRow + 1) * m_srcHeight;
    int64_t first = std::min(end, boundary) - start;
    Accumulate(static_cast<uint64_t>(first));
    if (end >= boundary) {
        EmitRow();
        Accumulate(static_cast<uint64_t>(end - boundary));
    }
    ++m_srcRow;
}

bool CBoxShrinker::Finish(ThumbnailImage* out) {
    if (m_srcRow != m_srcHeight || m_outRow != m_height) {
        return false;
    }
    *out = std::move(m_image);
    return true;
}

void CBoxShrinker::Accumulate(uint64_t weight) {
    if (weight == 0) {
        return;
    }
    for (size_t i = 0; i < m_sums.size(); ++i) {
        m_sums[i] += uint64_t(m_rowSums[i]) * weight;
    }
}

void CBoxShrinker::EmitRow() {
    if (m_outRow >= m_height) {
        return;
    }
    const uint64_t area = uint64_t(m_srcWidth) * uint64_t(m_srcHeight);
    uint32_t* out = &m_image.pixels[size_t(m_outRow) * size_t(m_width)];
    for (int x = 0; x < m_width; ++x) {
        const uint64_t* sum = &m_sums[size_t(x) * 3];
        uint32_t b = static_cast<uint32_t>((sum[0] + area / 2) / area);
        uint32_t g = static_cast<uint32_t>((sum[1] + area / 2) / area);
        uint32_t r = static_cast<uint32_t>((sum[2] + area / 2) / area);
        out[x] = (r << 16) | (g << 8) | b;
    }
    std::fill(m_sums.begin(), m_sums.end(), 0);
    ++m_outRow;
}
