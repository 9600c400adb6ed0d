#include "media/ImagingBinding.h"

namespace {

template <typename Entry>
bool Resolve(HMODULE module, WORD ordinal, Entry* entry) {
    *entry = reinterpret_cast<Entry>(
        reinterpret_cast<void*>(::GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
    return *entry != nullptr;
}

// Binds once, on the UI thread that first asks; a failed binding is not retried.
CImagingBinding Bind(bool* bound) {
    CImagingBinding binding;
    HMODULE files = ::LoadLibraryA("LTFIL80N.dll");
    HMODULE kernel = ::LoadLibraryA("LTKRN80N.dll");
    *bound = files != nullptr && kernel != nullptr &&
             Resolve(files, IMG_ORDINAL_FILE_INFO, &binding.fileInfo) &&
             Resolve(files, IMG_ORDINAL_LOAD_FILE, &binding.loadFile) &&
             Resolve(files, IMG_ORDINAL_SAVE_FILE, &binding.saveFile) &&
             Resolve(files, IMG_ORDINAL_SET_OPTION, &binding.setOption) &&
             Resolve(kernel, IMG_ORDINAL_FREE_BITMAP, &binding.freeBitmap);
    return binding;
}

}  // namespace

const CImagingBinding* CImagingBinding::Get() {
    static bool bound = false;
    static const CImagingBinding binding = Bind(&bound);
    return bound ? &binding : nullptr;
}
