// LTFIL80N.dll's entries: file information, load, save and the decoder option, exported by
// ordinal only (LTFIL80N.def), and the diagnostic export that the tests read by name.
#include <windows.h>

#include <new>

#include "BmpReader.h"
#include "BmpWriter.h"
#include "DecoderOptions.h"
#include "ImagingLibrary.h"
#include "ImagingResult.h"
#include "JpegReader.h"
#include "MappedFile.h"

using namespace imaging;

namespace {

// The interface makes the option hold for every load after it in the process, so it lives
// as long as the DLL: the library's only process-wide state.
CDecoderOptions g_options;

enum class FileKind { Unknown, Jpeg, Bitmap };

// By content, not by name: a camera's file may carry any extension.
FileKind KindOf(const CMappedFile& file) {
    const BYTE* data = file.Data();
    if (file.Size() >= 2 && data[0] == 0xFF && data[1] == 0xD8) {
        return FileKind::Jpeg;
    }
    if (file.Size() >= 2 && data[0] == 'B' && data[1] == 'M') {
        return FileKind::Bitmap;
    }
    return FileKind::Unknown;
}

} // namespace

extern "C" {

int WINAPI ImgFileInfo(const char* path, IMGFILEINFO* info) {
    if (path == nullptr || info == nullptr) {
        return kBadArgument;
    }
    CMappedFile file;
    int opened = file.Open(path);
    if (opened != kOk) {
        return opened;
    }
    switch (KindOf(file)) {
    case FileKind::Jpeg:
        return CJpegReader(file.Data(), file.Size()).ReadInfo(info);
    case FileKind::Bitmap:
        return CBmpReader(file.Data(), file.Size()).ReadInfo(info);
    default:
        return kUnknownFormat;
    }
}

int WINAPI ImgLoadFile(const char* path, IMGBITMAP* bitmap, int bitsPerPixel, int order) {
    // Pixels come in BGR order only, as the record describes them.
    if (path == nullptr || bitmap == nullptr || order != 1 ||
        (bitsPerPixel != 0 && bitsPerPixel != 8 && bitsPerPixel != 24)) {
        return kBadArgument;
    }
    CMappedFile file;
    int opened = file.Open(path);
    if (opened != kOk) {
        return opened;
    }
    switch (KindOf(file)) {
    case FileKind::Jpeg:
        return CJpegReader(file.Data(), file.Size()).Load(g_options.Jpeg(), bitsPerPixel, bitmap);
    case FileKind::Bitmap:
        return CBmpReader(file.Data(), file.Size()).Load(bitsPerPixel, bitmap);
    default:
        return kUnknownFormat;
    }
}

// `quality` does not apply to a Windows bitmap, the one format written.
int WINAPI ImgSaveFile(const char* path, IMGBITMAP* bitmap, int format, int bitsPerPixel,
                       int quality) {
    if (bitmap == nullptr || format != IMG_FORMAT_BMP) {
        return kBadArgument;
    }
    // No exception may reach the caller, which need not be C++.
    try {
        return CBmpWriter(*bitmap).Save(path, bitsPerPixel);
    } catch (const std::bad_alloc&) {
        return kNoMemory;
    }
}

int WINAPI ImgSetOption(int option, int value1, int value2) {
    return g_options.Set(option, value1, value2);
}

int WINAPI ImgDiagnosticLastOption(int* option, int* value1, int* value2) {
    return g_options.LastCall(option, value1, value2);
}

} // extern "C"
