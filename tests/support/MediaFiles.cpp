#include "tests/support/MediaFiles.h"

#include <vfw.h>

#include <vector>

#include "tests/support/ScratchFiles.h"

namespace scratch {

COLORREF TestColor(int x, int y) {
    return RGB(x & 0xFF, y & 0xFF, ((x >> 8) & 0x0F) | ((y >> 4) & 0xF0));
}

bool WriteBitmapFile(const std::string& path, int width, int height, int bitsPerPixel,
                     const std::function<COLORREF(int, int)>& color) {
    const int colors = bitsPerPixel == 8 ? 256 : 0;
    const int stride = ((width * bitsPerPixel / 8) + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = static_cast<WORD>(bitsPerPixel);
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(stride * height);
    info.biClrUsed = static_cast<DWORD>(colors);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info + colors * sizeof(RGBQUAD);
    file.bfSize = file.bfOffBits + info.biSizeImage;

    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    for (int i = 0; i < colors; ++i) {
        const RGBQUAD gray = {static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
        bytes.append(reinterpret_cast<const char*>(&gray), sizeof gray);
    }
    std::vector<char> row(static_cast<size_t>(stride));
    for (int y = height - 1; y >= 0; --y) {  // bottom-up
        for (int x = 0; x < width; ++x) {
            if (bitsPerPixel == 8) {
                row[static_cast<size_t>(x)] = static_cast<char>((x + y) & 0xFF);
            } else {
                const COLORREF c = color(x, y);
                row[static_cast<size_t>(x) * 3] = static_cast<char>(GetBValue(c));
                row[static_cast<size_t>(x) * 3 + 1] = static_cast<char>(GetGValue(c));
                row[static_cast<size_t>(x) * 3 + 2] = static_cast<char>(GetRValue(c));
            }
        }
        bytes.append(row.data(), row.size());
    }
    return WriteBytes(path, bytes);
}

bool WriteClip(const std::string& path, int width, int height, int frames) {
    ::AVIFileInit();
    PAVIFILE file = nullptr;
    ::DeleteFileA(path.c_str());
    bool ok = ::AVIFileOpenA(&file, path.c_str(), OF_CREATE | OF_WRITE, nullptr) == AVIERR_OK;
    PAVISTREAM stream = nullptr;
    const int stride = (width * 3 + 3) & ~3;
    if (ok) {
        AVISTREAMINFOA info{};
        info.fccType = streamtypeVIDEO;
        info.dwScale = 1;
        info.dwRate = 15;
        info.dwSuggestedBufferSize = static_cast<DWORD>(stride * height);
        SetRect(&info.rcFrame, 0, 0, width, height);
        ok = ::AVIFileCreateStreamA(file, &stream, &info) == AVIERR_OK;
    }
    BITMAPINFOHEADER format{};
    format.biSize = sizeof format;
    format.biWidth = width;
    format.biHeight = height;
    format.biPlanes = 1;
    format.biBitCount = 24;
    format.biSizeImage = static_cast<DWORD>(stride * height);
    ok = ok && ::AVIStreamSetFormat(stream, 0, &format, sizeof format) == AVIERR_OK;
    std::vector<BYTE> pixels(format.biSizeImage);
    for (int frame = 0; ok && frame < frames; ++frame) {
        for (size_t i = 0; i < pixels.size(); ++i) {
            pixels[i] = static_cast<BYTE>(i * 7 + frame * 40);
        }
        ok = ::AVIStreamWrite(stream, frame, 1, pixels.data(), format.biSizeImage, AVIIF_KEYFRAME,
                              nullptr, nullptr) == AVIERR_OK;
    }
    if (stream != nullptr) {
        ::AVIStreamRelease(stream);
    }
    if (file != nullptr) {
        ::AVIFileRelease(file);
    }
    ::AVIFileExit();
    return ok;
}

}  // namespace scratch
