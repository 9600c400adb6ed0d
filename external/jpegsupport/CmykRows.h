// CMYK and YCCK pictures come out of libjpeg as CMYK (it turns YCCK into CMYK but neither
// into RGB); readers that show them turn each row into BGR here.
#pragma once

#include <cstdio>

#include <jpeglib.h>

namespace jpegsupport {

// Ink amounts to 3-byte BGR pixels, without a colour profile: what a viewer without colour
// management shows. Adobe's applications store CMYK inverted (0 is full ink) and mark it with
// their APP14 segment (libjpeg's saw_Adobe_marker): `inverted`.
void CmykToBgr(const JSAMPLE* cmyk, JSAMPLE* bgr, JDIMENSION width, bool inverted);

} // namespace jpegsupport
