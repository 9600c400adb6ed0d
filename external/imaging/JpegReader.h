// Reads a JPEG file held in memory through libjpeg-turbo: its header for the file information,
// or the whole picture into a bitmap record, as the camera stored it (no EXIF rotation).
//
// libjpeg's errors, and the warnings that mean missing or corrupt data, jump back to the entry
// method that started the work (jpegsupport's trap), which returns the matching result. No
// object with a destructor lives in the frames jumped over; what must be cleaned up (the
// decoder, pixel memory not yet handed over, the lower band's thread) is held in members and
// released by the destructor.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <thread>

#include <jpeglib.h>

#include "ImagingRecords.h"
#include "external/jpegsupport/JpegErrorTrap.h"

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
    // A large picture is decoded in two bands at once when there is more than one processor:
    // the upper on the calling thread, the lower by a second reader on a thread of its own.
    int Load(const JpegDecodeOptions& options, int bitsPerPixel, IMGBITMAP* bitmap);
    // The lower band: decodes the rows from `firstRow` to the end into the whole picture's
    // memory at `pixels` (laid out as Load lays it out: bottom-up, `bytesPerLine` bytes a
    // row) and reads on to the end marker. kOk or the failure's result.
    int LoadLowerBand(const JpegDecodeOptions& options, int bitsPerPixel, JDIMENSION firstRow,
                      uint8_t* pixels, int32_t bytesPerLine);

private:
    // Pictures smaller than this decode on one thread: a second one would not pay for itself.
    static constexpr unsigned long long kSplitPixels = 1u << 20;

    // The result of what the trap caught.
    int TrappedResult() const;
    void ReadHeader();
    // Reads the header, chooses the output, lays it out (the row size and the whole size) and
    // starts the decoder: kOk, or the reason it cannot be decoded.
    int StartDecoding(const JpegDecodeOptions& options, int bitsPerPixel, int32_t* bytesPerLine,
                      size_t* bytes);
    int32_t FormatCode() const;
    int Orientation() const;
    // Picks libjpeg's output colour space for the asked depth: kOk, or kUnsupported when
    // the picture cannot come at that depth or in colour at all.
    int ChooseOutput(int bitsPerPixel);
    // The first row of the lower band, or the height when the picture is decoded in one.
    JDIMENSION BandSplit() const;
    // Starts the lower band's thread; returns the row where the upper band ends (the height
    // when there is no second thread).
    JDIMENSION StartLowerBand(const JpegDecodeOptions& options, int bitsPerPixel,
                              int32_t bytesPerLine);
    // Waits for the lower band's thread, if one runs, and returns its result (kOk if none).
    int FinishLowerBand();
    // Decodes the rows from the decoder's current one up to `endRow` (not included) into the
    // whole picture's memory at `pixels`, bottom-up.
    void DecodeRows(uint8_t* pixels, int32_t bytesPerLine, JDIMENSION endRow);

    const uint8_t* m_data;
    size_t m_size;
    jpegsupport::JpegErrorTrap m_trap{};
    jpeg_decompress_struct m_jpeg{};
    // CMYK and YCCK come out of libjpeg as CMYK; the reader turns each row into BGR.
    bool m_cmykRows = false;
    // The decoded picture until the record takes it over.
    uint8_t* m_pixels = nullptr;
    // The lower band's thread and its result, while it runs.
    std::thread m_lowerThread;
    int m_lowerResult = 0;
};

} // namespace imaging
