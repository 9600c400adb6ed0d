#include "external/jpegsupport/CmykRows.h"

namespace jpegsupport {

void CmykToBgr(const JSAMPLE* cmyk, JSAMPLE* bgr, JDIMENSION width, bool inverted) {
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
        bgr[0] = static_cast<JSAMPLE>((y * k + 127) / 255);
        bgr[1] = static_cast<JSAMPLE>((m * k + 127) / 255);
        bgr[2] = static_cast<JSAMPLE>((c * k + 127) / 255);
    }
}

bool ChooseBgrOutput(jpeg_decompress_struct* jpeg, bool keepGray, bool* cmykRows) {
    switch (jpeg->jpeg_color_space) {
    case JCS_GRAYSCALE:
        jpeg->out_color_space = keepGray ? JCS_GRAYSCALE : JCS_EXT_BGR;
        return true;
    case JCS_YCbCr:
    case JCS_RGB:
        jpeg->out_color_space = JCS_EXT_BGR;
        return true;
    case JCS_CMYK:
    case JCS_YCCK:
        // libjpeg turns YCCK into CMYK but neither into RGB.
        jpeg->out_color_space = JCS_CMYK;
        *cmykRows = true;
        return true;
    default:
        return false;
    }
}

} // namespace jpegsupport
