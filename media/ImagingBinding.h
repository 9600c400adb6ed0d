// The program's one way to the imaging library: LTFIL80N.dll and LTKRN80N.dll beside the
// program, loaded on first use and kept; their entries found by ordinal.
#pragma once

#include "external/imaging/ImagingLibrary.h"

class CImagingBinding {
public:
    // The entries, or null when a library or an entry cannot be had.
    static const CImagingBinding* Get();

    PFN_IMG_FILE_INFO fileInfo = nullptr;
    PFN_IMG_LOAD_FILE loadFile = nullptr;
    PFN_IMG_SAVE_FILE saveFile = nullptr;
    PFN_IMG_SET_OPTION setOption = nullptr;
    PFN_IMG_FREE_BITMAP freeBitmap = nullptr;
};
