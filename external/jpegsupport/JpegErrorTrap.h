// libjpeg's errors for a decoder or encoder driven from C++.
//
// libjpeg reports a fatal error by calling back, and the callback must not return: the trap
// jumps (longjmp) back to the setjmp of the entry that started the work, with the message code
// kept. Warnings that mean missing or corrupt data (a truncated file, a bad code in the
// compressed data) jump the same way: libjpeg would otherwise fill the rest of the picture with
// grey and carry on. No object with a destructor may live in the frames jumped over, and what
// the entry must clean up afterwards is best held outside its own frame (members of an object).
// Messages are never printed: the code says what went wrong.
#pragma once

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace jpegsupport {

struct JpegErrorTrap {
    // First, so that libjpeg's pointer to it is a pointer to the trap.
    jpeg_error_mgr manager;
    jmp_buf jump;
    // libjpeg's message code (JERR_..., JWRN_...) of what jumped.
    int code;

    // Readies the trap; the result goes into the codec's `err` before its create call.
    jpeg_error_mgr* Install();
};

// Warnings after which the picture is not what the file meant.
bool IsDamageWarning(int code);

} // namespace jpegsupport
