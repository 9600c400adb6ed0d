// Reads a JPEG file held in memory through libjpeg-turbo: its header for the file information,
// or the whole picture into a bitmap record, as the camera stored it (no EXIF rotation).
//
// libjpeg reports a fatal error by calling back, and the callback must not return: it jumps
// (longjmp) back to the entry method that started the work, which returns the error's
// result. No object with a destructor lives in the frames jumped over; what must be cleaned
// up (the decoder, pixel memory not yet handed over) is held in members and released by the
// destructor. Warnings that mean missing or corrupt data (a truncated file, a bad code in the
// compressed data) fail the read the same way: libjpeg would otherwise fill the rest of the
// picture with gray and carry on.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

#include "ImagingRecords.h"

namespace imaging {

// How the JPEG decoder works, as IMG_OPTION_JPEG_DECODE sets it (see DecoderOptions.h).
struct JpegDecodeOptions {
    // Value 1 of the option's first value: the faster, less exact inverse DCT and plain
    // chroma upsampling. 0, the default, decodes as exactly as the library can.
    bool fast = false;
};

// Each reader serves one ReadInfo or one Load.
class CJpegReader {
public:
    CJpegReader(const uint8_t* data, size_t size);
    ~CJpegReader();
    CJpegReader(const CJpegReader&) = delete;
    CJpegReader& operator=(const CJpegReader&) = delete;

    // Reads the header only (up to the first scan) and fills `info` on success.
    int ReadInfo(IMGFILEINFO* info);
    // Decodes the picture into `bitmap` at `bitsPerPixel` (0 as stored, 24 colour, 8 only for
    // a gray picture); the record is written only on success.
    int Load(const JpegDecodeOptions& options, int bitsPerPixel, IMGBITMAP* bitmap);

private:
    // libjpeg's error manager first, so that libjpeg's pointer to it is a pointer to this.
    struct ErrorManager {
        jpeg_error_mgr base;
        jmp_buf jump;
        int result;
    };

    static void OnError(j_common_ptr common);
    static void OnMessage(j_common_ptr common, int level);
    static void OnOutput(j_common_ptr common);

    void ReadHeader();
    int32_t FormatCode() const;
    int Orientation() const;
    // Picks libjpeg's output colour space for the asked depth: kOk, or kUnsupported when
    // the picture cannot come at that depth or in colour at all.
    int ChooseOutput(int bitsPerPixel);
    void DecodeRows(int32_t bytesPerLine);

    const uint8_t* m_data;
    size_t m_size;
    ErrorManager m_error{};
    jpeg_decompress_struct m_jpeg{};
    // CMYK and YCCK come out of libjpeg as CMYK; the reader turns each row into BGR.
    bool m_cmykRows = false;
    // The decoded picture until the record takes it over.
    uint8_t* m_pixels = nullptr;
};

} // namespace imaging
