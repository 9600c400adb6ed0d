// A JPEG held in memory decoded through libjpeg-turbo for the tray: shrunk for a thumbnail at
// the smallest of libjpeg's DCT scales that still covers the wanted size (most of the work of
// a large picture is never done), area-averaged the rest of the way; or whole, as the rows of a
// DIB. Colour, grey and CMYK pictures, baseline and progressive. A truncated or corrupt picture
// fails: libjpeg's damage warnings count as errors (see JpegErrorTrap.h for the jumps).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "external/jpegsupport/JpegErrorTrap.h"
#include "external/slidetray/ThumbnailMaker.h"

class CBoxShrinker;

// Each decoder serves one ReadHeader and then one decode.
class CJpegDecoder {
public:
    CJpegDecoder(const uint8_t* data, size_t size);
    ~CJpegDecoder();
    CJpegDecoder(const CJpegDecoder&) = delete;
    CJpegDecoder& operator=(const CJpegDecoder&) = delete;

    // The picture's size as stored; false when it is no JPEG libjpeg reads, its header is
    // damaged, or its colours cannot be shown.
    bool ReadHeader(int* width, int* height);
    // After ReadHeader: decodes at 1/8, 1/4, 1/2 or full size, the first whose output is at
    // least width x height (each no larger than the picture), and area-averages that down to
    // width x height. The powers of two because their reduced inverse DCTs average nearly as
    // the area filter does; libjpeg's other eighths resample instead.
    bool DecodeShrunk(int width, int height, ThumbnailImage* out);
    // After ReadHeader: the whole picture as bottom-up B, G, R rows, each padded to 4 bytes.
    bool DecodeDib(std::vector<uint8_t>* bits);

private:
    // Sets the scale DecodeShrunk decodes at; false when even the whole picture is smaller.
    bool ChooseScale(int width, int height);
    // Decodes every row at the scale set; to `shrinker`, or with none into `dib` bottom-up.
    bool DecodeRows(CBoxShrinker* shrinker, std::vector<uint8_t>* dib);

    const uint8_t* m_data;
    size_t m_size;
    jpegsupport::JpegErrorTrap m_trap{};
    jpeg_decompress_struct m_jpeg{};
    bool m_headerRead = false;
    // CMYK and YCCK come out of libjpeg as CMYK; each row is turned into BGR.
    bool m_cmykRows = false;
    std::vector<uint8_t> m_rows;    // a band of decoded rows
    std::vector<uint8_t> m_cmykRow; // one of them turned into BGR
};
