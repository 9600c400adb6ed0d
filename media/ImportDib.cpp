#include "media/ImportDib.h"

#include "external/vantix2/Vantix2.h"
#include "framework/WaitCursor.h"
#include "media/ImagingBinding.h"
#include "storage/RegistryKey.h"

namespace {

const char kPropertiesKey[] = "SOFTWARE\\Orvex\\Lumora2\\LMShell\\Properties";
const char kTempDirectoryValue[] = "TempDirectory";

bool IsJpegFamily(LONG format) {
    return format >= IMG_FORMAT_JPEG && format <= IMG_FORMAT_JPEG_OTHER;
}

}  // namespace

BOOL CImportDib::LoadFromResource(HINSTANCE module, UINT id) {
    return LoadFromResource(module, MAKEINTRESOURCEA(LOWORD(id)));
}

BOOL CImportDib::LoadFromResource(HINSTANCE module, LPCSTR name) {
    return CDib::LoadFromResource(module, name);
}

CString CImportDib::TemporaryDirectory() {
    CString directory;
    CRegistryKey user(HKEY_CURRENT_USER, kPropertiesKey);
    LONG status = user.QueryString(kTempDirectoryValue, &directory);
    if (status != ERROR_SUCCESS) {
        CRegistryKey machine(HKEY_LOCAL_MACHINE, kPropertiesKey);
        status = machine.QueryString(kTempDirectoryValue, &directory);
    }
    if (status == ERROR_SUCCESS) {
        CPathName check(nullptr);
        check.SetDirPath(directory);
        if (check.IsLegalDirectory()) {
            return directory;
        }
    }
    char system[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, system);
    return system;
}

BOOL CImportDib::LoadFromFile(LPCSTR path) {
    CWaitCursor wait;
    const CImagingBinding* library = CImagingBinding::Get();
    char temporary[MAX_PATH] = {};
    ::GetTempFileNameA(TemporaryDirectory(), "DFT", 0, temporary);

    BOOL loaded = FALSE;
    if (library != nullptr && path != nullptr) {
        IMGFILEINFO info{};
        if (library->fileInfo(path, &info) == 1 && IsJpegFamily(info.format)) {
            library->setOption(IMG_OPTION_JPEG_DECODE, 0, 0);
        }
        IMGBITMAP bitmap{};
        if (library->loadFile(path, &bitmap, 0, 1) == 1) {
            const int saved = library->saveFile(temporary, &bitmap, IMG_FORMAT_BMP, 0, 0);
            library->freeBitmap(&bitmap);
            loaded = saved == 1 && CDib::LoadFromFile(temporary);
        }
    }
    // Every path: a failed conversion leaves no file (an empty name simply fails).
    ::DeleteFileA(temporary);
    return loaded;
}
