// LTKRN80N.dll's entry: releasing a bitmap record's picture memory, exported by ordinal only
// (LTKRN80N.def). The memory comes from LTFIL80N.dll's loads, through the process heap that
// both use (PictureMemory.h).
#include <windows.h>

#include "ImagingLibrary.h"
#include "ImagingResult.h"
#include "PictureMemory.h"

using namespace imaging;

namespace {

// Pictures at least this large go back to the system on a thread of their own.
constexpr SIZE_T kReleaseLaterBytes = 1 << 20;

DWORD WINAPI ReleaseLater(void* bits) {
    FreePixels(static_cast<uint8_t*>(bits));
    HMODULE self = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCSTR>(&ReleaseLater), &self);
    // The reference taken for this thread: the code stays mapped until the thread is gone.
    ::FreeLibraryAndExitThread(self, 0);
    return 0;
}

// Returning tens of megabytes to the system takes milliseconds that the caller, about to
// show the picture it converted, need not wait for: a large picture's memory is handed to a
// thread that frees it. The memory is checked here, so that the answer stays the same.
bool Release(uint8_t* bits) {
    HANDLE heap = ::GetProcessHeap();
    if (!::HeapValidate(heap, 0, bits)) {
        return false;
    }
    HMODULE self = nullptr;
    if (::HeapSize(heap, 0, bits) >= kReleaseLaterBytes &&
        ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                             reinterpret_cast<LPCSTR>(&ReleaseLater), &self)) {
        HANDLE thread = ::CreateThread(nullptr, 0, &ReleaseLater, bits, 0, nullptr);
        if (thread != nullptr) {
            ::CloseHandle(thread);
            return true;
        }
        ::FreeLibrary(self);
    }
    return FreePixels(bits);
}

} // namespace

extern "C" int WINAPI ImgFreeBitmap(IMGBITMAP* bitmap) {
    if (bitmap == nullptr || bitmap->bits == nullptr) {
        return kEmpty;
    }
    if (!Release(bitmap->bits)) {
        return kBadArgument; // not memory of a load; the record stays as it was
    }
    // Emptied whole, so that a second release answers kEmpty and nothing reads freed memory.
    bitmap->bits = nullptr;
    bitmap->width = 0;
    bitmap->height = 0;
    bitmap->bitsPerPixel = 0;
    bitmap->bytesPerLine = 0;
    return kOk;
}
