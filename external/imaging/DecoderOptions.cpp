#include "DecoderOptions.h"

#include "ImagingLibrary.h"
#include "ImagingResult.h"

namespace imaging {

int CDecoderOptions::Set(int option, int value1, int value2) {
    AcquireSRWLockExclusive(&m_lock);
    ++m_calls;
    m_lastOption = option;
    m_lastValue1 = value1;
    m_lastValue2 = value2;
    // The second value would choose a transformation of the picture; none is offered, the
    // picture always comes as stored.
    bool known = option == IMG_OPTION_JPEG_DECODE && (value1 == 0 || value1 == 1) && value2 == 0;
    if (known) {
        m_jpeg.fast = value1 == 1;
    }
    ReleaseSRWLockExclusive(&m_lock);
    return known ? kOk : kBadArgument;
}

JpegDecodeOptions CDecoderOptions::Jpeg() const {
    AcquireSRWLockShared(&m_lock);
    JpegDecodeOptions jpeg = m_jpeg;
    ReleaseSRWLockShared(&m_lock);
    return jpeg;
}

int CDecoderOptions::LastCall(int* option, int* value1, int* value2) const {
    AcquireSRWLockShared(&m_lock);
    int calls = m_calls;
    if (option != nullptr) {
        *option = m_lastOption;
    }
    if (value1 != nullptr) {
        *value1 = m_lastValue1;
    }
    if (value2 != nullptr) {
        *value2 = m_lastValue2;
    }
    ReleaseSRWLockShared(&m_lock);
    return calls;
}

} // namespace imaging
