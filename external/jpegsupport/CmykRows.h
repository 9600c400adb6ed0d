// CMYK and YCCK pictures come out of libjpeg as CMYK (it turns YCCK into CMYK but neither
// into RGB); readers that show them turn each row into BGR here, after choosing the output.
#pragma once

#include <cstdio>

#include <jpeglib.h>

namespace jpegsupport {

// Ink amounts to 3-byte BGR pixels, without a colour profile: what a viewer without colour
// management shows. Adobe's applications store CMYK inverted (0 is full ink) and mark it with
// their APP14 segment (libjpeg's saw_Adobe_marker): `inverted`.
void CmykToBgr(const JSAMPLE* cmyk, JSAMPLE* bgr, JDIMENSION width, bool inverted);

// Sets the decoder's output for BGR pixels once its header is read: BGR for colour, and for
// gray unless `keepGray`; CMYK for CMYK and YCCK, with `*cmykRows` set, for CmykToBgr to turn
// into BGR row by row. False for a colour space that cannot be shown as BGR.
bool ChooseBgrOutput(jpeg_decompress_struct* jpeg, bool keepGray, bool* cmykRows);

} // namespace jpegsupport
