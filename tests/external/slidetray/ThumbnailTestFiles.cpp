#include "ThumbnailTestFiles.h"

#include <objbase.h>
#include <vfw.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "tests/support/ScratchFiles.h"

namespace thumbnail_test {

namespace {

// COM for one helper call, undone afterwards when this call started it.
class ComForCall {
public:
    ComForCall() : m_started(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComForCall() {
        if (m_started) {
            ::CoUninitialize();
        }
    }
    ComForCall(const ComForCall&) = delete;
    ComForCall& operator=(const ComForCall&) = delete;

private:
    bool m_started;
};

template <class T> void Release(T*& object) {
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

uint8_t Red(uint32_t colour) {
    return static_cast<uint8_t>(colour >> 16);
}
uint8_t Green(uint32_t colour) {
    return static_cast<uint8_t>(colour >> 8);
}
uint8_t Blue(uint32_t colour) {
    return static_cast<uint8_t>(colour);
}

// Rows top-down in the pixel format the encoder is given.
std::vector<BYTE> EncoderRows(const Picture& picture, Encoding encoding, UINT* stride) {
    int bytesPerPixel = encoding == Encoding::JpegGray ? 1 : 3;
    *stride = UINT((picture.width * bytesPerPixel + 3) & ~3);
    std::vector<BYTE> rows(size_t(*stride) * size_t(picture.height), 0);
    for (int y = 0; y < picture.height; ++y) {
        BYTE* out = &rows[size_t(y) * *stride];
        for (int x = 0; x < picture.width; ++x, out += bytesPerPixel) {
            uint32_t colour = picture.At(x, y);
            if (encoding == Encoding::JpegGray) {
                out[0] = Green(colour);
            } else {
                out[0] = Blue(colour);
                out[1] = Green(colour);
                out[2] = Red(colour);
            }
        }
    }
    return rows;
}

// The bytes written to a memory stream.
std::string StreamBytes(IStream* stream) {
    STATSTG stat = {};
    HGLOBAL memory = nullptr;
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) ||
        FAILED(::GetHGlobalFromStream(stream, &memory))) {
        return std::string();
    }
    const char* bytes = static_cast<const char*>(::GlobalLock(memory));
    if (bytes == nullptr) {
        return std::string();
    }
    std::string copy(bytes, size_t(stat.cbSize.QuadPart));
    ::GlobalUnlock(memory);
    return copy;
}

std::string EncodeWith(IWICImagingFactory* factory, const Picture& picture, Encoding encoding) {
    GUID container = GUID_ContainerFormatJpeg;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    switch (encoding) {
    case Encoding::JpegColour:
        break;
    case Encoding::JpegGray:
        format = GUID_WICPixelFormat8bppGray;
        break;
    case Encoding::Png:
        container = GUID_ContainerFormatPng;
        break;
    case Encoding::Bmp:
        container = GUID_ContainerFormatBmp;
        break;
    case Encoding::Tiff:
        container = GUID_ContainerFormatTiff;
        break;
    }
    IStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    IPropertyBag2* options = nullptr;
    std::string bytes;
    WICPixelFormatGUID given = format;
    UINT stride = 0;
    std::vector<BYTE> rows = EncoderRows(picture, encoding, &stride);
    HRESULT hr = ::CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    if (SUCCEEDED(hr)) {
        hr = factory->CreateEncoder(container, nullptr, &encoder);
    }
    if (SUCCEEDED(hr)) {
        hr = encoder->Initialize(stream, WICBitmapEncoderNoCache);
    }
    if (SUCCEEDED(hr)) {
        hr = encoder->CreateNewFrame(&frame, &options);
    }
    if (SUCCEEDED(hr)) {
        hr = frame->Initialize(options);
    }
    if (SUCCEEDED(hr)) {
        hr = frame->SetSize(UINT(picture.width), UINT(picture.height));
    }
    if (SUCCEEDED(hr)) {
        hr = frame->SetPixelFormat(&given);
    }
    if (SUCCEEDED(hr) && given != format) {
        ADD_FAILURE() << "the encoder would not take the pixel format asked for";
        hr = E_FAIL;
    }
    if (SUCCEEDED(hr)) {
        hr = frame->WritePixels(UINT(picture.height), stride, UINT(rows.size()), rows.data());
    }
    if (SUCCEEDED(hr)) {
        hr = frame->Commit();
    }
    if (SUCCEEDED(hr)) {
        hr = encoder->Commit();
    }
    if (SUCCEEDED(hr)) {
        bytes = StreamBytes(stream);
    } else {
        ADD_FAILURE() << "encoding failed: 0x" << std::hex << static_cast<unsigned long>(hr);
    }
    Release(options);
    Release(frame);
    Release(encoder);
    Release(stream);
    return bytes;
}

// MS Video 1, 16-bit: 4x4 blocks from the bottom row of blocks up, left to right. Each is
// written in two-colour form with both colours the block's own, so it fills the block.
std::string MsVideo1Frame(const Picture& frame) {
    std::string data;
    for (int blockTop = frame.height - 4; blockTop >= 0; blockTop -= 4) {
        for (int blockLeft = 0; blockLeft < frame.width; blockLeft += 4) {
            uint32_t colour = frame.At(blockLeft, blockTop);
            uint16_t rgb555 = static_cast<uint16_t>(
                ((Red(colour) >> 3) << 10) | ((Green(colour) >> 3) << 5) | (Blue(colour) >> 3));
            const char block[6] = {0x55,
                                   0x55, // pattern bits; high byte below 0x80: two colours
                                   static_cast<char>(rgb555 & 0xFF),
                                   static_cast<char>(rgb555 >> 8),
                                   static_cast<char>(rgb555 & 0xFF),
                                   static_cast<char>(rgb555 >> 8)};
            data.append(block, sizeof(block));
        }
    }
    return data;
}

// A 24-bpp DIB's bits.
std::string UncompressedFrame(const Picture& frame, bool topDown) {
    size_t stride = size_t((frame.width * 3 + 3) & ~3);
    std::string data(stride * size_t(frame.height), '\0');
    for (int y = 0; y < frame.height; ++y) {
        char* out = &data[size_t(topDown ? y : frame.height - 1 - y) * stride];
        for (int x = 0; x < frame.width; ++x) {
            uint32_t colour = frame.At(x, y);
            *out++ = static_cast<char>(Blue(colour));
            *out++ = static_cast<char>(Green(colour));
            *out++ = static_cast<char>(Red(colour));
        }
    }
    return data;
}

bool WriteClipFile(const std::string& path, const Picture& frame, int frames, ClipCodec codec) {
    const bool msVideo1 = codec == ClipCodec::MsVideo1;
    const bool topDown = codec == ClipCodec::UncompressedTopDown;
    std::string data = msVideo1 ? MsVideo1Frame(frame) : UncompressedFrame(frame, topDown);
    PAVIFILE file = nullptr;
    HRESULT hr = ::AVIFileOpenA(&file, path.c_str(), OF_CREATE | OF_WRITE, nullptr);
    if (hr != AVIERR_OK) {
        ADD_FAILURE() << "AVIFileOpen(" << path << ") failed: 0x" << std::hex
                      << static_cast<unsigned long>(hr);
        return false;
    }
    AVISTREAMINFOA info = {};
    info.fccType = streamtypeVIDEO;
    info.fccHandler = msVideo1 ? mmioFOURCC('M', 'S', 'V', 'C') : 0;
    info.dwScale = 1;
    info.dwRate = 15;
    info.dwSuggestedBufferSize = DWORD(data.size());
    ::SetRect(&info.rcFrame, 0, 0, frame.width, frame.height);
    BITMAPINFOHEADER format = {};
    format.biSize = sizeof(format);
    format.biWidth = frame.width;
    format.biHeight = topDown ? -frame.height : frame.height;
    format.biPlanes = 1;
    format.biBitCount = msVideo1 ? 16 : 24;
    format.biCompression = msVideo1 ? mmioFOURCC('C', 'R', 'A', 'M') : BI_RGB;
    format.biSizeImage = DWORD(data.size());
    PAVISTREAM stream = nullptr;
    hr = ::AVIFileCreateStreamA(file, &stream, &info);
    if (hr == AVIERR_OK) {
        hr = ::AVIStreamSetFormat(stream, 0, &format, sizeof(format));
    }
    for (int i = 0; hr == AVIERR_OK && i < frames; ++i) {
        hr = ::AVIStreamWrite(stream, i, 1, &data[0], LONG(data.size()), AVIIF_KEYFRAME, nullptr,
                              nullptr);
    }
    if (stream != nullptr) {
        ::AVIStreamRelease(stream);
    }
    ::AVIFileRelease(file);
    if (hr != AVIERR_OK) {
        ADD_FAILURE() << "writing the clip " << path << " failed: 0x" << std::hex
                      << static_cast<unsigned long>(hr);
        return false;
    }
    return true;
}

} // namespace

Picture Solid(int width, int height, uint32_t colour) {
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.assign(size_t(width) * size_t(height), colour);
    return picture;
}

Picture TopAndBottom(int width, int height, uint32_t top, uint32_t bottom) {
    Picture picture = Solid(width, height, bottom);
    std::fill(picture.pixels.begin(), picture.pixels.begin() + size_t(width) * (height / 2), top);
    return picture;
}

std::string Encode(const Picture& picture, Encoding encoding) {
    ComForCall com;
    IWICImagingFactory* factory = nullptr;
    HRESULT hr = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IWICImagingFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) {
        ADD_FAILURE() << "no WIC factory: 0x" << std::hex << static_cast<unsigned long>(hr);
        return std::string();
    }
    std::string bytes = EncodeWith(factory, picture, encoding);
    factory->Release();
    return bytes;
}

int JpegComponents(const std::string& jpeg) {
    size_t pos = 2;
    while (pos + 4 <= jpeg.size() && static_cast<uint8_t>(jpeg[pos]) == 0xFF) {
        uint8_t marker = static_cast<uint8_t>(jpeg[pos + 1]);
        size_t length =
            size_t(static_cast<uint8_t>(jpeg[pos + 2])) << 8 | static_cast<uint8_t>(jpeg[pos + 3]);
        bool frameHeader =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frameHeader && pos + 9 < jpeg.size()) {
            return static_cast<uint8_t>(jpeg[pos + 9]);
        }
        if (marker == 0xDA) {
            return 0;
        }
        pos += 2 + length;
    }
    return 0;
}

bool WriteClip(const std::string& path, const Picture& frame, int frames, ClipCodec codec) {
    ComForCall com;
    ::AVIFileInit();
    bool written = WriteClipFile(path, frame, frames, codec);
    ::AVIFileExit();
    return written;
}

int ColourDistance(uint32_t a, uint32_t b) {
    int red = std::abs(int(Red(a)) - int(Red(b)));
    int green = std::abs(int(Green(a)) - int(Green(b)));
    int blue = std::abs(int(Blue(a)) - int(Blue(b)));
    return std::max(red, std::max(green, blue));
}

std::string Hex(uint32_t colour) {
    char text[16];
    std::snprintf(text, sizeof(text), "#%06X", static_cast<unsigned>(colour & 0xFFFFFF));
    return text;
}

} // namespace thumbnail_test
