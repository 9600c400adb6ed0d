#include "JpegReader.h"

#include <climits>
#include <cstring>

#include <jerror.h>

#include "ExifOrientation.h"
#include "ImagingResult.h"
#include "PictureMemory.h"

namespace imaging {

namespace {

// Warnings after which the picture is not what the file meant.
bool IsDamage(int code) {
    switch (code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
        return true;
    default:
        return false;
    }
}

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
        return kDamaged;
    }
}

// Ink amounts to BGR, without a colour profile: what a viewer without colour management
// shows. Adobe's applications store CMYK inverted (0 is full ink) and mark it with their
// APP14 segment.
void CmykToBgr(const JSAMPLE* cmyk, uint8_t* bgr, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        unsigned c = cmyk[0];
        unsigned m = cmyk[1];
        unsigned y = cmyk[2];
        unsigned k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        bgr[0] = static_cast<uint8_t>((y * k + 127) / 255);
        bgr[1] = static_cast<uint8_t>((m * k + 127) / 255);
        bgr[2] = static_cast<uint8_t>((c * k + 127) / 255);
    }
}

} // namespace

CJpegReader::CJpegReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {
    m_jpeg.err = jpeg_std_error(&m_error.base);
    m_error.base.error_exit = OnError;
    m_error.base.emit_message = OnMessage;
    m_error.base.output_message = OnOutput;
}

CJpegReader::~CJpegReader() {
    // Safe on a decoder never created (the structure is zeroed) and on one left mid-decode.
    jpeg_destroy_decompress(&m_jpeg);
    if (m_pixels != nullptr) {
        FreePixels(m_pixels);
    }
}

void CJpegReader::OnError(j_common_ptr common) {
    ErrorManager* error = reinterpret_cast<ErrorManager*>(common->err);
    error->result = ResultOfError(error->base.msg_code);
    longjmp(error->jump, 1);
}

void CJpegReader::OnMessage(j_common_ptr common, int level) {
    ErrorManager* error = reinterpret_cast<ErrorManager*>(common->err);
    if (level >= 0) {
        return; // trace messages
    }
    if (IsDamage(error->base.msg_code)) {
        error->result = kDamaged;
        longjmp(error->jump, 1);
    }
    ++error->base.num_warnings;
}

// A DLL has nowhere to print libjpeg's messages; the result code says what went wrong.
void CJpegReader::OnOutput(j_common_ptr) {}

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
    if (setjmp(m_error.jump) != 0) {
        return m_error.result;
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
    if (setjmp(m_error.jump) != 0) {
        return m_error.result;
    }
    ReadHeader();
    int chosen = ChooseOutput(bitsPerPixel);
    if (chosen != kOk) {
        return chosen;
    }
    m_jpeg.dct_method = options.fast ? JDCT_IFAST : JDCT_ISLOW;
    m_jpeg.do_fancy_upsampling = options.fast ? FALSE : TRUE;
    jpeg_calc_output_dimensions(&m_jpeg);

    int32_t width = static_cast<int32_t>(m_jpeg.output_width);
    int32_t height = static_cast<int32_t>(m_jpeg.output_height);
    int32_t depth = m_jpeg.out_color_space == JCS_GRAYSCALE ? 8 : 24;
    int32_t bytesPerLine = 0;
    size_t bytes = 0;
    if (!PixelLayout(width, height, depth, &bytesPerLine, &bytes)) {
        return kTooLarge;
    }
    m_pixels = AllocatePixels(bytes);
    if (m_pixels == nullptr) {
        return kNoMemory;
    }
    jpeg_start_decompress(&m_jpeg);
    DecodeRows(bytesPerLine);
    // Reads on to the end marker, so that a file cut short after its last scan fails too.
    jpeg_finish_decompress(&m_jpeg);

    IMGBITMAP loaded{};
    loaded.width = width;
    loaded.height = height;
    loaded.bitsPerPixel = depth;
    loaded.bytesPerLine = bytesPerLine;
    loaded.bits = m_pixels;
    m_pixels = nullptr;
    *bitmap = loaded;
    return kOk;
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
    switch (m_jpeg.jpeg_color_space) {
    case JCS_GRAYSCALE:
        m_jpeg.out_color_space = bitsPerPixel == 24 ? JCS_EXT_BGR : JCS_GRAYSCALE;
        return kOk;
    case JCS_YCbCr:
    case JCS_RGB:
        m_jpeg.out_color_space = JCS_EXT_BGR;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        // libjpeg turns YCCK into CMYK but neither into RGB.
        m_jpeg.out_color_space = JCS_CMYK;
        m_cmykRows = true;
        break;
    default:
        return kUnsupported;
    }
    return bitsPerPixel == 8 ? kUnsupported : kOk;
}

void CJpegReader::DecodeRows(int32_t bytesPerLine) {
    const JDIMENSION width = m_jpeg.output_width;
    const size_t used =
        static_cast<size_t>(width) * (m_jpeg.out_color_space == JCS_GRAYSCALE ? 1 : 3);
    // From libjpeg's image pool: released with the decoder, also after a jump.
    JSAMPARRAY cmyk = nullptr;
    if (m_cmykRows) {
        cmyk = (*m_jpeg.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&m_jpeg), JPOOL_IMAGE,
                                           width * 4, 1);
    }
    while (m_jpeg.output_scanline < m_jpeg.output_height) {
        uint8_t* row = m_pixels + static_cast<size_t>(m_jpeg.output_scanline) * bytesPerLine;
        JSAMPROW target = m_cmykRows ? cmyk[0] : row;
        if (jpeg_read_scanlines(&m_jpeg, &target, 1) != 1) {
            // Only a suspending data source returns no row, and memory never suspends.
            ERREXIT(&m_jpeg, JERR_INPUT_EOF);
        }
        if (m_cmykRows) {
            CmykToBgr(cmyk[0], row, width, m_jpeg.saw_Adobe_marker);
        }
        std::memset(row + used, 0, static_cast<size_t>(bytesPerLine) - used);
    }
}

} // namespace imaging
