#include "JpegReader.h"

#include <climits>
#include <cstring>

#include <jerror.h>

#include "ExifOrientation.h"
#include "ImagingResult.h"
#include "PictureMemory.h"
#include "external/jpegsupport/CmykRows.h"

namespace imaging {

namespace {

int ResultOfError(int code) {
    switch (code) {
    case JERR_OUT_OF_MEMORY:
        return kNoMemory;
    case JERR_NO_BACKING_STORE: // the working memory limit was reached
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW:
        return kTooLarge;
    case JERR_CONVERSION_NOTIMPL:
    case JERR_BAD_PRECISION:
    case JERR_NOT_COMPILED:
    case JERR_SOF_UNSUPPORTED:
    case JERR_ARITH_NOTIMPL:
        return kUnsupported;
    default:
        // Damage warnings too.
        return kDamaged;
    }
}

} // namespace

CJpegReader::CJpegReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {
    m_jpeg.err = m_trap.Install();
}

CJpegReader::~CJpegReader() {
    FinishLowerBand();
    // Safe on a decoder never created (the structure is zeroed) and on one left mid-decode.
    jpeg_destroy_decompress(&m_jpeg);
    if (m_pixels != nullptr) {
        FreePixels(m_pixels);
    }
}

int CJpegReader::TrappedResult() const {
    return ResultOfError(m_trap.code);
}

void CJpegReader::ReadHeader() {
    jpeg_create_decompress(&m_jpeg);
    // Bounds the decoder's own working memory (a progressive picture's coefficients), which
    // a damaged header could otherwise make enormous.
    m_jpeg.mem->max_memory_to_use = static_cast<long>(kMaxPixelBytes);
    jpeg_mem_src(&m_jpeg, m_data, static_cast<unsigned long>(m_size));
    jpeg_save_markers(&m_jpeg, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&m_jpeg, TRUE);
}

int CJpegReader::ReadInfo(IMGFILEINFO* info) {
    // jpeg_mem_src takes a 32-bit size on Windows.
    if (m_size > ULONG_MAX) {
        return kTooLarge;
    }
    if (setjmp(m_trap.jump) != 0) {
        return TrappedResult();
    }
    ReadHeader();
    IMGFILEINFO read{};
    read.format = FormatCode();
    read.width = static_cast<int32_t>(m_jpeg.image_width);
    read.height = static_cast<int32_t>(m_jpeg.image_height);
    read.bitsPerPixel = m_jpeg.num_components * BITS_IN_JSAMPLE;
    read.orientation = Orientation();
    *info = read;
    return kOk;
}

int CJpegReader::Load(const JpegDecodeOptions& options, int bitsPerPixel, IMGBITMAP* bitmap) {
    if (m_size > ULONG_MAX) {
        return kTooLarge;
    }
    if (setjmp(m_trap.jump) != 0) {
        // The lower band's thread may still be writing into the pixels: it ends first.
        FinishLowerBand();
        return TrappedResult();
    }
    int32_t bytesPerLine = 0;
    size_t bytes = 0;
    int started = StartDecoding(options, bitsPerPixel, &bytesPerLine, &bytes);
    if (started != kOk) {
        return started;
    }
    m_pixels = AllocatePixels(bytes);
    if (m_pixels == nullptr) {
        return kNoMemory;
    }
    const JDIMENSION split = StartLowerBand(options, bitsPerPixel, bytesPerLine);
    DecodeRows(m_pixels, bytesPerLine, split);
    if (split < m_jpeg.output_height) {
        // The lower band's decoder reads on to the end marker.
        jpeg_abort_decompress(&m_jpeg);
        const int lower = FinishLowerBand();
        if (lower != kOk) {
            return lower;
        }
    } else {
        // Reads on to the end marker, so that a file cut short after its last scan fails too.
        jpeg_finish_decompress(&m_jpeg);
    }

    IMGBITMAP loaded{};
    loaded.width = static_cast<int32_t>(m_jpeg.output_width);
    loaded.height = static_cast<int32_t>(m_jpeg.output_height);
    loaded.bitsPerPixel = m_jpeg.out_color_space == JCS_GRAYSCALE ? 8 : 24;
    loaded.bytesPerLine = bytesPerLine;
    loaded.bits = m_pixels;
    m_pixels = nullptr;
    *bitmap = loaded;
    return kOk;
}

int CJpegReader::StartDecoding(const JpegDecodeOptions& options, int bitsPerPixel,
                               int32_t* bytesPerLine, size_t* bytes) {
    ReadHeader();
    int chosen = ChooseOutput(bitsPerPixel);
    if (chosen != kOk) {
        return chosen;
    }
    m_jpeg.dct_method = options.fast ? JDCT_IFAST : JDCT_ISLOW;
    m_jpeg.do_fancy_upsampling = options.fast ? FALSE : TRUE;
    jpeg_calc_output_dimensions(&m_jpeg);
    const int32_t depth = m_jpeg.out_color_space == JCS_GRAYSCALE ? 8 : 24;
    if (!PixelLayout(static_cast<int32_t>(m_jpeg.output_width),
                     static_cast<int32_t>(m_jpeg.output_height), depth, bytesPerLine, bytes)) {
        return kTooLarge;
    }
    jpeg_start_decompress(&m_jpeg);
    return kOk;
}

int CJpegReader::LoadLowerBand(const JpegDecodeOptions& options, int bitsPerPixel,
                               JDIMENSION firstRow, uint8_t* pixels, int32_t bytesPerLine) {
    if (m_size > ULONG_MAX) {
        return kTooLarge;
    }
    if (setjmp(m_trap.jump) != 0) {
        return TrappedResult();
    }
    int32_t fullLine = 0;
    size_t bytes = 0;
    int started = StartDecoding(options, bitsPerPixel, &fullLine, &bytes);
    if (started != kOk) {
        return started;
    }
    if (fullLine != bytesPerLine || firstRow >= m_jpeg.output_height) {
        return kBadArgument;
    }
    // Only the entropy-coded data of the rows above is read, not turned into pixels.
    jpeg_skip_scanlines(&m_jpeg, firstRow);
    DecodeRows(pixels, bytesPerLine, m_jpeg.output_height);
    jpeg_finish_decompress(&m_jpeg);
    return kOk;
}

JDIMENSION CJpegReader::BandSplit() const {
    const JDIMENSION height = m_jpeg.output_height;
    if (m_cmykRows ||
        static_cast<unsigned long long>(m_jpeg.output_width) * height < kSplitPixels ||
        std::thread::hardware_concurrency() < 2) {
        return height;
    }
    // The lower band's decoder first reads the upper band's compressed data without making
    // pixels of it (in a sequential file about half the work of decoding those rows, measured
    // on camera-like pictures; in a progressive one all of it is read before the first row
    // anyway), so the upper band is the larger: an even share of the work.
    const double upperShare = m_jpeg.progressive_mode ? 0.5 : 0.7;
    const JDIMENSION rowsPerBlockRow =
        static_cast<JDIMENSION>(m_jpeg.max_v_samp_factor * m_jpeg.min_DCT_scaled_size);
    const JDIMENSION split =
        static_cast<JDIMENSION>(height * upperShare) / rowsPerBlockRow * rowsPerBlockRow;
    return split == 0 ? height : split;
}

JDIMENSION CJpegReader::StartLowerBand(const JpegDecodeOptions& options, int bitsPerPixel,
                                       int32_t bytesPerLine) {
    const JDIMENSION split = BandSplit();
    if (split >= m_jpeg.output_height) {
        return m_jpeg.output_height;
    }
    uint8_t* pixels = m_pixels;
    m_lowerResult = kDamaged;
    try {
        m_lowerThread = std::thread([=] {
            CJpegReader lower(m_data, m_size);
            m_lowerResult = lower.LoadLowerBand(options, bitsPerPixel, split, pixels,
                                                bytesPerLine);
        });
    } catch (...) {
        // No second thread to be had: this one does it all.
        return m_jpeg.output_height;
    }
    return split;
}

int CJpegReader::FinishLowerBand() {
    if (!m_lowerThread.joinable()) {
        return kOk;
    }
    m_lowerThread.join();
    return m_lowerResult;
}

int32_t CJpegReader::FormatCode() const {
    if (m_jpeg.num_components == 1) {
        return IMG_FORMAT_JPEG_GRAY;
    }
    if (m_jpeg.num_components == 3 &&
        (m_jpeg.jpeg_color_space == JCS_YCbCr || m_jpeg.jpeg_color_space == JCS_RGB)) {
        return m_jpeg.progressive_mode ? IMG_FORMAT_JPEG_PROGRESSIVE : IMG_FORMAT_JPEG;
    }
    return IMG_FORMAT_JPEG_OTHER;
}

int CJpegReader::Orientation() const {
    // APP1 also carries XMP; the first segment holding an orientation counts.
    for (jpeg_saved_marker_ptr marker = m_jpeg.marker_list; marker != nullptr;
         marker = marker->next) {
        int orientation = ExifOrientation(marker->data, marker->data_length);
        if (orientation != 0) {
            return orientation;
        }
    }
    return 0;
}

int CJpegReader::ChooseOutput(int bitsPerPixel) {
    if (!jpegsupport::ChooseBgrOutput(&m_jpeg, bitsPerPixel != 24, &m_cmykRows)) {
        return kUnsupported;
    }
    // Only a gray picture comes at 8 bits.
    return bitsPerPixel == 8 && m_jpeg.out_color_space != JCS_GRAYSCALE ? kUnsupported : kOk;
}

void CJpegReader::DecodeRows(uint8_t* pixels, int32_t bytesPerLine, JDIMENSION endRow) {
    const JDIMENSION width = m_jpeg.output_width;
    const size_t used =
        static_cast<size_t>(width) * (m_jpeg.out_color_space == JCS_GRAYSCALE ? 1 : 3);
    // From libjpeg's image pool: released with the decoder, also after a jump.
    JSAMPARRAY cmyk = nullptr;
    if (m_cmykRows) {
        cmyk = (*m_jpeg.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&m_jpeg), JPOOL_IMAGE,
                                           width * 4, 1);
    }
    const JDIMENSION height = m_jpeg.output_height;
    while (m_jpeg.output_scanline < endRow) {
        // Bottom-up, as the bitmap record holds the rows.
        uint8_t* row =
            pixels + static_cast<size_t>(height - 1 - m_jpeg.output_scanline) * bytesPerLine;
        JSAMPROW target = m_cmykRows ? cmyk[0] : row;
        if (jpeg_read_scanlines(&m_jpeg, &target, 1) != 1) {
            // Only a suspending data source returns no row, and memory never suspends.
            ERREXIT(&m_jpeg, JERR_INPUT_EOF);
        }
        if (m_cmykRows) {
            jpegsupport::CmykToBgr(cmyk[0], row, width, m_jpeg.saw_Adobe_marker);
        }
        std::memset(row + used, 0, static_cast<size_t>(bytesPerLine) - used);
    }
}

} // namespace imaging
