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

#include <windows.h>

#include <csetjmp>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include "DecoderOptions.h"
#include "ImagingLibrary.h"

namespace imaging {

// Each reader serves one ReadInfo or one Load.
class CJpegReader {
public:
    CJpegReader(const BYTE* data, size_t size);
    ~CJpegReader();
    CJpegReader(const CJpegReader&) = delete;
    CJpegReader& operator=(const CJpegReader&) = delete;

    // Reads the header only (up to the first scan) and fills `info` on success.
    int ReadInfo(IMGFILEINFO* info);
    // Decodes the picture into `bitmap` at `bitsPerPixel` (0 as stored, 24 colour, 8 only for
    // a gray picture); the record is written only on success.
    // A large picture is decoded in two bands at once when there is more than one processor:
    // the upper on the calling thread, the lower by a second reader on a thread of its own.
    int Load(const JpegDecodeOptions& options, int bitsPerPixel, IMGBITMAP* bitmap);
    // The lower band: decodes the rows from `firstRow` to the end into `pixels` (the first of
    // them at `pixels`, each `bytesPerLine` bytes apart, as Load lays out the whole picture)
    // and reads on to the end marker. kOk or the failure's result.
    int LoadLowerBand(const JpegDecodeOptions& options, int bitsPerPixel, JDIMENSION firstRow,
                      BYTE* pixels, LONG bytesPerLine);

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

    // Pictures smaller than this decode on one thread: a second one would not pay for itself.
    static constexpr unsigned long long kSplitPixels = 1u << 20;

    void ReadHeader();
    // Reads the header, chooses the output, lays it out (the row size and the whole size) and
    // starts the decoder: kOk, or the reason it cannot be decoded.
    int StartDecoding(const JpegDecodeOptions& options, int bitsPerPixel, LONG* bytesPerLine,
                      size_t* bytes);
    // The first row of the lower band, or the height when the picture is decoded in one.
    JDIMENSION BandSplit() const;
    // Starts the lower band's thread; returns the row where the upper band ends (the height
    // when there is no second thread).
    JDIMENSION StartLowerBand(const JpegDecodeOptions& options, int bitsPerPixel,
                              LONG bytesPerLine);
    // Waits for the lower band's thread, if one runs, and returns its result (kOk if none).
    int FinishLowerBand();
    LONG FormatCode() const;
    int Orientation() const;
    // Picks libjpeg's output colour space for the asked depth: kOk, or kUnsupported when
    // the picture cannot come at that depth or in colour at all.
    int ChooseOutput(int bitsPerPixel);
    // Decodes the rows from the decoder's current one up to `endRow` (not included); the
    // current row goes to `pixels`.
    void DecodeRows(BYTE* pixels, LONG bytesPerLine, JDIMENSION endRow);

    const BYTE* m_data;
    size_t m_size;
    ErrorManager m_error{};
    jpeg_decompress_struct m_jpeg{};
    // CMYK and YCCK come out of libjpeg as CMYK; the reader turns each row into BGR.
    bool m_cmykRows = false;
    // The decoded picture until the record takes it over.
    BYTE* m_pixels = nullptr;
    // The lower band's thread and its work while it runs.
    HANDLE m_lowerThread = nullptr;
    void* m_lowerBand = nullptr;
};

} // namespace imaging
