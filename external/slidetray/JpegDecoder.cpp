#include "external/slidetray/JpegDecoder.h"

#include <climits>
#include <cstring>

#include <jerror.h>

#include "external/jpegsupport/CmykRows.h"
#include "external/slidetray/BoxShrinker.h"

namespace {

// The decoder's own working memory (a progressive picture's coefficients), which a damaged
// header could otherwise make enormous; far above what a camera's pictures need.
const long kMaxWorkingBytes = 512L << 20;
// Rows asked of libjpeg at a time.
const int kBandRows = 16;

} // namespace

CJpegDecoder::CJpegDecoder(const uint8_t* data, size_t size) : m_data(data), m_size(size) {
    m_jpeg.err = m_trap.Install();
}

CJpegDecoder::~CJpegDecoder() {
    // Safe on a decoder never created (the structure is zeroed) and on one left mid-decode.
    jpeg_destroy_decompress(&m_jpeg);
}

bool CJpegDecoder::ReadHeader(int* width, int* height) {
    // jpeg_mem_src takes a 32-bit size on Windows.
    if (m_headerRead || m_data == nullptr || m_size > ULONG_MAX) {
        return false;
    }
    if (setjmp(m_trap.jump) != 0) {
        return false;
    }
    jpeg_create_decompress(&m_jpeg);
    m_jpeg.mem->max_memory_to_use = kMaxWorkingBytes;
    jpeg_mem_src(&m_jpeg, m_data, static_cast<unsigned long>(m_size));
    jpeg_read_header(&m_jpeg, TRUE);
    // libjpeg-turbo widens grey to colour itself.
    if (!jpegsupport::ChooseBgrOutput(&m_jpeg, false, &m_cmykRows)) {
        return false;
    }
    m_headerRead = true;
    *width = static_cast<int>(m_jpeg.image_width);
    *height = static_cast<int>(m_jpeg.image_height);
    return true;
}

bool CJpegDecoder::DecodeShrunk(int width, int height, ThumbnailImage* out) {
    if (!m_headerRead || width <= 0 || height <= 0 || !ChooseScale(width, height)) {
        return false;
    }
    CBoxShrinker shrinker;
    return shrinker.Start(static_cast<int>(m_jpeg.output_width),
                          static_cast<int>(m_jpeg.output_height), width, height) &&
           DecodeRows(&shrinker, nullptr) && shrinker.Finish(out);
}

bool CJpegDecoder::ChooseScale(int width, int height) {
    if (setjmp(m_trap.jump) != 0) {
        return false;
    }
    for (unsigned eighths = 1; eighths <= 8; eighths *= 2) {
        m_jpeg.scale_num = eighths;
        m_jpeg.scale_denom = 8;
        jpeg_calc_output_dimensions(&m_jpeg);
        if (m_jpeg.output_width >= JDIMENSION(width) &&
            m_jpeg.output_height >= JDIMENSION(height)) {
            return true;
        }
    }
    return false;
}

bool CJpegDecoder::DecodeDib(std::vector<uint8_t>* bits) {
    if (!m_headerRead) {
        return false;
    }
    return DecodeRows(nullptr, bits);
}

bool CJpegDecoder::DecodeRows(CBoxShrinker* shrinker, std::vector<uint8_t>* dib) {
    if (setjmp(m_trap.jump) != 0) {
        return false;
    }
    jpeg_start_decompress(&m_jpeg);
    const JDIMENSION width = m_jpeg.output_width;
    const JDIMENSION height = m_jpeg.output_height;
    const size_t rowBytes = size_t(width) * size_t(m_jpeg.output_components);
    const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
    if (dib != nullptr) {
        dib->assign(stride * height, 0);
    }
    // CMYK rows, and rows for the shrinker, go through a band of their own; colour rows for a
    // DIB are decoded straight into it. Memory is held in members: a jump back skips no
    // destructor.
    const bool band = shrinker != nullptr || m_cmykRows;
    if (band) {
        m_rows.resize(rowBytes * kBandRows);
    }
    m_cmykRow.resize(m_cmykRows ? size_t(width) * 3 : 0);
    while (m_jpeg.output_scanline < height) {
        const JDIMENSION first = m_jpeg.output_scanline;
        JSAMPROW rows[kBandRows];
        JDIMENSION asked = 0;
        for (; asked < JDIMENSION(kBandRows) && first + asked < height; ++asked) {
            rows[asked] =
                band ? &m_rows[rowBytes * asked] : &(*dib)[stride * (height - 1 - (first + asked))];
        }
        JDIMENSION got = jpeg_read_scanlines(&m_jpeg, rows, asked);
        if (got == 0) {
            // Only a suspending data source returns no row, and memory never suspends.
            ERREXIT(&m_jpeg, JERR_INPUT_EOF);
        }
        for (JDIMENSION i = 0; band && i < got; ++i) {
            const uint8_t* row = rows[i];
            if (m_cmykRows) {
                jpegsupport::CmykToBgr(row, m_cmykRow.data(), width, m_jpeg.saw_Adobe_marker);
                row = m_cmykRow.data();
            }
            if (shrinker != nullptr) {
                shrinker->AddRow(row, 3);
            } else {
                std::memcpy(&(*dib)[stride * (height - 1 - (first + i))], row, size_t(width) * 3);
            }
        }
    }
    // Reads on to the end marker, so that a file cut short after its last scan fails too.
    jpeg_finish_decompress(&m_jpeg);
    return true;
}
