// The decoder options that the option entry sets for every load after it in the process, and
// the record of those calls that the diagnostic export reports. Loads may run on several
// threads, so every access takes the lock.
#pragma once

#include <windows.h>

#include "JpegReader.h"

namespace imaging {

class CDecoderOptions {
public:
    // Records the call, then applies it: kOk, or kBadArgument for an option or value this
    // library does not know, which leaves the options as they were.
    int Set(int option, int value1, int value2);
    JpegDecodeOptions Jpeg() const;
    // How often Set was called; the last call's arguments (zeros before the first) go to
    // the pointers that are not null.
    int LastCall(int* option, int* value1, int* value2) const;

private:
    mutable SRWLOCK m_lock = SRWLOCK_INIT;
    JpegDecodeOptions m_jpeg;
    int m_calls = 0;
    int m_lastOption = 0;
    int m_lastValue1 = 0;
    int m_lastValue2 = 0;
};

} // namespace imaging
