#include "external/slidetray/ThumbnailMaker.h"

#include <windows.h>
#include <objbase.h>
#include <vfw.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "external/slidetray/AviStructure.h"
#include "external/slidetray/BoxShrinker.h"
#include "external/slidetray/ExifReader.h"
#include "external/slidetray/JpegDecoder.h"
#include "external/slidetray/LockGuard.h"

namespace {

const int kMaxSourceSide = CBoxShrinker::kMaxSourceSide;
// Larger pictures are refused before decoding: a forged header must not make the decoder
// allocate gigabytes.
const uint64_t kMaxSourcePixels = 100'000'000;
// A JPEG file is read whole for decoding; a larger one is no camera's picture.
const uint64_t kMaxJpegFileBytes = 256u << 20;
// Placeholders are drawn into the whole box, so the box they get is bounded.
const int kMaxPlaceholderSide = 1024;
// Decoded rows are pulled through the filter in bands of about this many bytes.
const size_t kBandBytes = 1 << 20;

const uint32_t kPlaceholderBack = 0xE4E4E4;
const uint32_t kGlyphFrame = 0x8C8C8C;
const uint32_t kGlyphPaper = 0xFFFFFF;
const uint32_t kGlyphHill = 0xA4AAB0;
const uint32_t kGlyphSun = 0xC8C8C8;
const uint32_t kFilmBase = 0x262626;
const uint32_t kFilmHole = 0xF2F2F2;
const uint32_t kFilmWindow = 0x707070;

// Initialises COM for the current call when the thread has not, and undoes exactly that.
// Apartment-threaded because AVIFile initialises OLE itself; a thread already in the
// multithreaded apartment keeps it (RPC_E_CHANGED_MODE), which WIC and AVIFile both accept.
class ComScope {
public:
    ComScope() {
        HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        m_uninitialize = SUCCEEDED(hr);
    }
    ~ComScope() {
        if (m_uninitialize) {
            ::CoUninitialize();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool m_uninitialize = false;
};

// Holds one reference to a COM object and releases it when it goes out of scope.
template <class T> class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (m_object != nullptr) {
            m_object->Release();
        }
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    T* operator->() const { return m_object; }
    T* Get() const { return m_object; }
    T** Out() { return &m_object; }
    void** OutVoid() { return reinterpret_cast<void**>(&m_object); }

private:
    T* m_object = nullptr;
};

bool ShrinkRows(const uint8_t* firstRow, ptrdiff_t stride, int bytesPerPixel, int srcWidth,
                int srcHeight, int width, int height, ThumbnailImage* out) {
    CBoxShrinker shrinker;
    if (!shrinker.Start(srcWidth, srcHeight, width, height)) {
        return false;
    }
    // 16-bit rows (5 bits each of R, G, B) are widened to B, G, R bytes first.
    std::vector<uint8_t> wide(bytesPerPixel == 2 ? size_t(srcWidth) * 3 : 0);
    for (int y = 0; y < srcHeight; ++y) {
        const uint8_t* row = firstRow + stride * y;
        if (bytesPerPixel != 2) {
            shrinker.AddRow(row, bytesPerPixel);
            continue;
        }
        for (int x = 0; x < srcWidth; ++x) {
            unsigned pixel = row[2 * x] | (row[2 * x + 1] << 8);
            for (int channel = 0; channel < 3; ++channel) {
                unsigned level = (pixel >> (5 * channel)) & 0x1F;
                wide[size_t(x) * 3 + size_t(channel)] =
                    static_cast<uint8_t>((level << 3) | (level >> 2));
            }
        }
        shrinker.AddRow(wide.data(), 3);
    }
    return shrinker.Finish(out);
}

// --- placeholder glyphs -------------------------------------------------------------------

void FillBox(ThumbnailImage* image, int left, int top, int right, int bottom, uint32_t colour) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, image->width);
    bottom = std::min(bottom, image->height);
    for (int y = top; y < bottom; ++y) {
        uint32_t* row = &image->pixels[size_t(y) * size_t(image->width)];
        std::fill(row + left, row + std::max(left, right), colour);
    }
}

// A line `thickness` pixels wide between two points.
void DrawLine(ThumbnailImage* image, int x0, int y0, int x1, int y1, int thickness,
              uint32_t colour) {
    int dx = std::abs(x1 - x0);
    int dy = -std::abs(y1 - y0);
    int stepX = x0 < x1 ? 1 : -1;
    int stepY = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    int half = thickness / 2;
    for (;;) {
        FillBox(image, x0 - half, y0 - half, x0 - half + thickness, y0 - half + thickness, colour);
        if (x0 == x1 && y0 == y1) {
            return;
        }
        int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x0 += stepX;
        }
        if (twice <= dx) {
            error += dx;
            y0 += stepY;
        }
    }
}

void FillDisc(ThumbnailImage* image, int centreX, int centreY, int radius, uint32_t colour) {
    for (int y = centreY - radius; y <= centreY + radius; ++y) {
        for (int x = centreX - radius; x <= centreX + radius; ++x) {
            int ox = x - centreX;
            int oy = y - centreY;
            if (ox * ox + oy * oy <= radius * radius) {
                FillBox(image, x, y, x + 1, y + 1, colour);
            }
        }
    }
}

// A triangle standing on [left, right) at `bottom` with its apex at (apexX, top).
void FillHill(ThumbnailImage* image, int apexX, int top, int left, int right, int bottom,
              uint32_t colour) {
    int rows = std::max(bottom - top, 1);
    for (int y = top; y < bottom; ++y) {
        int done = y - top + 1;
        int from = apexX - (apexX - left) * done / rows;
        int to = apexX + (right - apexX) * done / rows;
        FillBox(image, from, y, to + 1, y + 1, colour);
    }
}

// A jagged tear from top to bottom of the glyph box, in the background colour.
void DrawTear(ThumbnailImage* image, int left, int top, int size, int thickness) {
    const int kPoints[][2] = {{55, 0}, {45, 22}, {60, 40}, {42, 62}, {56, 80}, {48, 100}};
    for (size_t i = 0; i + 1 < sizeof(kPoints) / sizeof(kPoints[0]); ++i) {
        DrawLine(image, left + kPoints[i][0] * size / 100, top + kPoints[i][1] * size / 100,
                 left + kPoints[i + 1][0] * size / 100, top + kPoints[i + 1][1] * size / 100,
                 thickness, kPlaceholderBack);
    }
}

// A torn picture (or a torn strip of film for a clip) centred in the whole box.
void DrawPlaceholder(bool clip, int width, int height, ThumbnailImage* image) {
    image->width = width;
    image->height = height;
    image->pixels.assign(size_t(width) * size_t(height), kPlaceholderBack);
    int size = std::min(width, height) * 3 / 5;
    if (size < 6) {
        return; // too small for a glyph: the plain background says "no picture"
    }
    int left = (width - size) / 2;
    int top = (height - size) / 2;
    int line = std::max(1, size / 20);
    if (clip) {
        int stripTop = top + size / 8;
        int stripBottom = top + size - size / 8;
        int hole = std::max(1, size / 14);
        FillBox(image, left, stripTop, left + size, stripBottom, kFilmBase);
        for (int x = left + hole; x + hole <= left + size - hole / 2; x += hole * 2) {
            FillBox(image, x, stripTop + hole / 2 + 1, x + hole, stripTop + hole / 2 + 1 + hole,
                    kFilmHole);
            FillBox(image, x, stripBottom - hole / 2 - 1 - hole, x + hole,
                    stripBottom - hole / 2 - 1, kFilmHole);
        }
        FillBox(image, left + hole, stripTop + hole * 2 + 2, left + size - hole,
                stripBottom - hole * 2 - 2, kFilmWindow);
    } else {
        FillBox(image, left, top, left + size, top + size, kGlyphFrame);
        FillBox(image, left + line, top + line, left + size - line, top + size - line, kGlyphPaper);
        FillDisc(image, left + size * 7 / 10, top + size * 3 / 10, std::max(1, size / 10),
                 kGlyphSun);
        FillHill(image, left + size * 2 / 5, top + size * 2 / 5, left + line, left + size * 4 / 5,
                 top + size - line, kGlyphHill);
    }
    DrawTear(image, left, top, size, std::max(2, line * 2));
}

// Film perforations down the left and right edges, so that a clip stands apart from stills.
void MarkAsClip(ThumbnailImage* image) {
    int band = std::max(3, std::min(image->width, image->height) / 12);
    if (image->width < band * 4 || image->height < band * 2) {
        return;
    }
    int hole = std::max(1, band / 2);
    int inset = (band - hole) / 2;
    FillBox(image, 0, 0, band, image->height, kFilmBase);
    FillBox(image, image->width - band, 0, image->width, image->height, kFilmBase);
    for (int y = hole / 2; y + hole <= image->height; y += hole * 2) {
        FillBox(image, inset, y, inset + hole, y + hole, kFilmHole);
        int right = image->width - band + inset;
        FillBox(image, right, y, right + hole, y + hole, kFilmHole);
    }
}

// --- reading ------------------------------------------------------------------------------

// The first `limit` bytes of a file (all of it when shorter); false when unreadable. With
// `whole` set, the file's size says how much there is, and a file above `limit` is refused.
bool ReadBytes(const char* path, uint64_t limit, bool whole, std::vector<uint8_t>* bytes) {
    HANDLE file =
        ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER size = {};
    bool ok = true;
    if (whole) {
        ok = ::GetFileSizeEx(file, &size) && uint64_t(size.QuadPart) <= limit;
        limit = uint64_t(size.QuadPart);
    }
    bytes->resize(ok ? size_t(limit) : 0);
    size_t filled = 0;
    while (ok && filled < bytes->size()) {
        DWORD got = 0;
        DWORD ask = static_cast<DWORD>(std::min<size_t>(bytes->size() - filled, 1u << 30));
        if (!::ReadFile(file, bytes->data() + filled, ask, &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0) {
            break;
        }
        filled += got;
    }
    ::CloseHandle(file);
    bytes->resize(filled);
    return ok;
}

bool IsJpeg(const std::vector<uint8_t>& head) {
    return head.size() >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
}

bool HasAviExtension(const char* path) {
    size_t length = std::strlen(path);
    return length >= 4 && ::lstrcmpiA(path + length - 4, ".avi") == 0;
}

bool LooksLikeClip(const char* path, const std::vector<uint8_t>& head) {
    if (head.size() >= 12 && std::memcmp(head.data(), "RIFF", 4) == 0 &&
        std::memcmp(head.data() + 8, "AVI ", 4) == 0) {
        return true;
    }
    return HasAviExtension(path);
}

std::wstring WidePath(const char* path) {
    int length = ::MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    if (length <= 0) {
        return std::wstring();
    }
    std::wstring wide(size_t(length), L'\0');
    if (::MultiByteToWideChar(CP_ACP, 0, path, -1, &wide[0], length) != length) {
        return std::wstring();
    }
    wide.resize(size_t(length) - 1);
    return wide;
}

// The size a picture of width x height as stored shrinks to, so that it fits the box once
// turned as `orientation` says. With `wholeBox`, a picture too small to fill the box in either
// direction is refused (a preview that small would make a thumbnail smaller than the full
// picture can). False too for an empty or oversized picture.
bool FitStored(uint64_t width, uint64_t height, int orientation, int maxWidth, int maxHeight,
               bool wholeBox, int* storedWidth, int* storedHeight) {
    if (width == 0 || height == 0 || width > uint64_t(kMaxSourceSide) ||
        height > uint64_t(kMaxSourceSide) || width * height > kMaxSourcePixels) {
        return false;
    }
    const bool turned = orientation >= 5 && orientation <= 8;
    int shownWidth = static_cast<int>(turned ? height : width);
    int shownHeight = static_cast<int>(turned ? width : height);
    if (wholeBox && shownWidth < maxWidth && shownHeight < maxHeight) {
        return false;
    }
    int fitWidth = 0;
    int fitHeight = 0;
    FitThumbnailSize(shownWidth, shownHeight, maxWidth, maxHeight, &fitWidth, &fitHeight);
    *storedWidth = turned ? fitHeight : fitWidth;
    *storedHeight = turned ? fitWidth : fitHeight;
    return true;
}

// A JPEG in memory (a whole file or a camera's preview) shrunk through libjpeg-turbo.
bool ShrinkJpeg(const uint8_t* bytes, size_t length, int orientation, int maxWidth, int maxHeight,
                bool wholeBox, ThumbnailImage* out) {
    CJpegDecoder decoder(bytes, length);
    int width = 0;
    int height = 0;
    int storedWidth = 0;
    int storedHeight = 0;
    if (!decoder.ReadHeader(&width, &height) ||
        !FitStored(uint64_t(width), uint64_t(height), orientation, maxWidth, maxHeight, wholeBox,
                   &storedWidth, &storedHeight) ||
        !decoder.DecodeShrunk(storedWidth, storedHeight, out)) {
        return false;
    }
    OrientThumbnail(out, orientation);
    return true;
}

// Frame 0 of a WIC decoder (a picture other than JPEG) shrunk to fit the box as shown in
// `orientation`.
bool ShrinkDecoded(IWICImagingFactory* factory, IWICBitmapDecoder* decoder, int orientation,
                   int maxWidth, int maxHeight, ThumbnailImage* out) {
    ComRef<IWICBitmapFrameDecode> frame;
    UINT width = 0;
    UINT height = 0;
    int storedWidth = 0;
    int storedHeight = 0;
    if (FAILED(decoder->GetFrame(0, frame.Out())) || FAILED(frame->GetSize(&width, &height)) ||
        !FitStored(width, height, orientation, maxWidth, maxHeight, false, &storedWidth,
                   &storedHeight)) {
        return false;
    }

    // 32bppBGR: Wine's 24-bpp conversion of grey JPEGs fails in CopyPixels.
    ComRef<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.Out())) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGR,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom))) {
        return false;
    }
    CBoxShrinker shrinker;
    if (!shrinker.Start(static_cast<int>(width), static_cast<int>(height), storedWidth,
                        storedHeight)) {
        return false;
    }
    const UINT stride = width * 4;
    const UINT bandRows = static_cast<UINT>(std::max<size_t>(1, kBandBytes / stride));
    std::vector<uint8_t> band(size_t(stride) * std::min(bandRows, height));
    for (UINT y = 0; y < height; y += bandRows) {
        UINT rows = std::min(bandRows, height - y);
        WICRect rect = {0, static_cast<INT>(y), static_cast<INT>(width), static_cast<INT>(rows)};
        if (FAILED(converter->CopyPixels(&rect, stride, stride * rows, band.data()))) {
            return false;
        }
        for (UINT row = 0; row < rows; ++row) {
            shrinker.AddRow(band.data() + size_t(row) * stride, 4);
        }
    }
    if (!shrinker.Finish(out)) {
        return false;
    }
    OrientThumbnail(out, orientation);
    return true;
}

// A picture other than JPEG through WIC.
bool ShrinkPictureFile(const char* path, int orientation, int maxWidth, int maxHeight,
                       ThumbnailImage* out) {
    std::wstring widePath = WidePath(path);
    ComScope com;
    ComRef<IWICImagingFactory> factory;
    ComRef<IWICBitmapDecoder> decoder;
    if (widePath.empty() ||
        FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, factory.OutVoid())) ||
        FAILED(factory->CreateDecoderFromFilename(widePath.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, decoder.Out()))) {
        return false;
    }
    return ShrinkDecoded(factory.Get(), decoder.Get(), orientation, maxWidth, maxHeight, out);
}

// The camera's own preview when it serves (no decode of the picture at all), else the picture.
// JPEG goes through libjpeg-turbo, scaled while it decodes; WIC reads the other formats.
bool MakePictureThumbnail(const char* path, const std::vector<uint8_t>& head, int maxWidth,
                          int maxHeight, ThumbnailImage* out, ThumbnailSource* source,
                          std::vector<uint8_t>* fileBuffer) {
    CExifReader exif;
    exif.Parse(head.data(), head.size()); // without EXIF: orientation 1, no preview
    if (exif.HasThumbnail() &&
        ShrinkJpeg(head.data() + exif.ThumbnailOffset(), exif.ThumbnailLength(), exif.Orientation(),
                   maxWidth, maxHeight, true, out)) {
        *source = ThumbnailSource::ExifThumbnail;
        return true;
    }
    bool made = false;
    if (!IsJpeg(head)) {
        made = ShrinkPictureFile(path, exif.Orientation(), maxWidth, maxHeight, out);
    } else if (head.size() < CExifReader::kHeadBytes) {
        // The head is the whole file.
        made = ShrinkJpeg(head.data(), head.size(), exif.Orientation(), maxWidth, maxHeight, false,
                          out);
    } else {
        std::vector<uint8_t> own;
        std::vector<uint8_t>& file = fileBuffer != nullptr ? *fileBuffer : own;
        made = ReadBytes(path, kMaxJpegFileBytes, true, &file) &&
               ShrinkJpeg(file.data(), file.size(), exif.Orientation(), maxWidth, maxHeight, false,
                          out);
        if (file.capacity() > kKeptFileBufferBytes) {
            std::vector<uint8_t>().swap(file);
        }
    }
    if (made) {
        *source = ThumbnailSource::Decoded;
    }
    return made;
}

// The first frame of an open video stream, as uncompressed RGB whatever its codec.
bool ShrinkFirstFrame(PAVISTREAM stream, int maxWidth, int maxHeight, ThumbnailImage* out) {
    LONG start = ::AVIStreamStart(stream);
    LONG formatSize = 0;
    if (::AVIStreamReadFormat(stream, start, nullptr, &formatSize) != AVIERR_OK ||
        formatSize < LONG(sizeof(BITMAPINFOHEADER)) || formatSize > 64 * 1024) {
        return false;
    }
    std::vector<uint8_t> format(size_t(formatSize), 0);
    if (::AVIStreamReadFormat(stream, start, format.data(), &formatSize) != AVIERR_OK ||
        formatSize < LONG(sizeof(BITMAPINFOHEADER))) {
        return false;
    }
    BITMAPINFOHEADER native;
    std::memcpy(&native, format.data(), sizeof(native));
    int width = native.biWidth;
    int height = native.biHeight < 0 ? -native.biHeight : native.biHeight;
    if (width <= 0 || height <= 0 || width > kMaxSourceSide || height > kMaxSourceSide) {
        return false;
    }

    // Asked for its own depth a codec converts nothing: Wine 8's MS Video 1 decoder turns the
    // picture upside down when it widens its 16-bit frames to 24 bits.
    BITMAPINFOHEADER wanted = {};
    wanted.biSize = sizeof(wanted);
    wanted.biWidth = width;
    wanted.biHeight = height;
    wanted.biPlanes = 1;
    wanted.biBitCount = native.biBitCount == 16 ? 16 : 24;
    wanted.biCompression = BI_RGB;
    wanted.biSizeImage = DWORD(((width * wanted.biBitCount / 8 + 3) & ~3)) * DWORD(height);
    PGETFRAME frames = ::AVIStreamGetFrameOpen(stream, &wanted);
    if (frames == nullptr) {
        // Whatever the codec gives by default; top-down uncompressed clips need this.
        frames = ::AVIStreamGetFrameOpen(stream, nullptr);
    }
    if (frames == nullptr) {
        return false; // no decompressor for the codec (MJPEG under Wine)
    }
    bool ok = false;
    // NULL for a clip cut short before its index.
    const BITMAPINFOHEADER* dib =
        static_cast<const BITMAPINFOHEADER*>(::AVIStreamGetFrame(frames, start));
    if (dib != nullptr && dib->biSize >= sizeof(BITMAPINFOHEADER) && dib->biPlanes == 1 &&
        dib->biCompression == BI_RGB &&
        (dib->biBitCount == 16 || dib->biBitCount == 24 || dib->biBitCount == 32) &&
        dib->biWidth == width && (dib->biHeight == height || dib->biHeight == -height) &&
        dib->biClrUsed <= 256) {
        int bytesPerPixel = dib->biBitCount / 8;
        ptrdiff_t stride = (ptrdiff_t(width) * bytesPerPixel + 3) & ~ptrdiff_t(3);
        // An uncompressed frame comes back as stored, under the format's header: its size
        // (Wine sets it to the bytes read) must cover every row the header claims, and the
        // format the colour table the header counts.
        bool complete = native.biCompression != BI_RGB ||
                        (uint64_t(dib->biSizeImage) >= uint64_t(stride) * uint64_t(height) &&
                         uint64_t(dib->biSize) + uint64_t(dib->biClrUsed) * sizeof(RGBQUAD) <=
                             uint64_t(formatSize));
        const uint8_t* bits = reinterpret_cast<const uint8_t*>(dib) + dib->biSize +
                              size_t(dib->biClrUsed) * sizeof(RGBQUAD);
        // A positive height is a bottom-up DIB: its top row is stored last.
        const uint8_t* top = dib->biHeight > 0 ? bits + stride * (height - 1) : bits;
        ptrdiff_t down = dib->biHeight > 0 ? -stride : stride;
        int fitWidth = 0;
        int fitHeight = 0;
        FitThumbnailSize(width, height, maxWidth, maxHeight, &fitWidth, &fitHeight);
        ok = complete &&
             ShrinkRows(top, down, bytesPerPixel, width, height, fitWidth, fitHeight, out);
    }
    ::AVIStreamGetFrameClose(frames);
    return ok;
}

// The clip's RIFF structure, read chunk header by chunk header (see AviStructure.h).
bool IsWellFormedClip(const char* path) {
    HANDLE file =
        ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS, nullptr);
    LARGE_INTEGER size;
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CAviStructure structure;
    bool wellFormed =
        ::GetFileSizeEx(file, &size) &&
        structure.Check(
            [file](uint64_t offset, uint8_t* buffer, size_t count) {
                LARGE_INTEGER at;
                at.QuadPart = static_cast<LONGLONG>(offset);
                DWORD got = 0;
                return ::SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
                       ::ReadFile(file, buffer, static_cast<DWORD>(count), &got, nullptr) &&
                       got == count;
            },
            static_cast<uint64_t>(size.QuadPart));
    ::CloseHandle(file);
    return wellFormed;
}

// The video codecs' manager keeps its open codecs and drawing contexts in lists of its own that
// it does not guard (under Wine, two threads opening and closing codecs at once corrupt them and
// crash the process): one clip at a time in this module.
SRWLOCK g_clipLock = SRWLOCK_INIT;

// The first frame of a clip through AVIFile, one clip at a time.
bool ShrinkClipFirstFrame(const char* path, int maxWidth, int maxHeight, ThumbnailImage* out) {
    CLockGuard one(&g_clipLock);
    ::AVIFileInit();
    bool ok = false;
    PAVIFILE file = nullptr;
    if (::AVIFileOpenA(&file, path, OF_READ | OF_SHARE_DENY_WRITE, nullptr) == AVIERR_OK) {
        PAVISTREAM stream = nullptr;
        if (::AVIFileGetStream(file, &stream, streamtypeVIDEO, 0) == AVIERR_OK) {
            ok = ShrinkFirstFrame(stream, maxWidth, maxHeight, out);
            ::AVIStreamRelease(stream);
        }
        ::AVIFileRelease(file);
    }
    ::AVIFileExit();
    return ok;
}

bool MakeClipThumbnail(const char* path, int maxWidth, int maxHeight, ThumbnailImage* out) {
    if (!IsWellFormedClip(path)) {
        return false;
    }
    ComScope com;
    const bool ok = ShrinkClipFirstFrame(path, maxWidth, maxHeight, out);
    if (ok) {
        MarkAsClip(out);
    }
    return ok;
}

bool MakeThumbnailOrFail(const char* path, int maxWidth, int maxHeight, bool* clip,
                         ThumbnailImage* out, ThumbnailSource* source,
                         std::vector<uint8_t>* fileBuffer) {
    std::vector<uint8_t> head;
    if (path == nullptr || !ReadBytes(path, CExifReader::kHeadBytes, false, &head)) {
        *clip = path != nullptr && HasAviExtension(path);
        return false;
    }
    *clip = LooksLikeClip(path, head);
    if (head.empty()) {
        return false;
    }
    if (*clip) {
        if (!MakeClipThumbnail(path, maxWidth, maxHeight, out)) {
            return false;
        }
        *source = ThumbnailSource::VideoFrame;
        return true;
    }
    return MakePictureThumbnail(path, head, maxWidth, maxHeight, out, source, fileBuffer);
}

} // namespace

void FitThumbnailSize(int width, int height, int maxWidth, int maxHeight, int* fitWidth,
                      int* fitHeight) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    maxWidth = std::max(maxWidth, 1);
    maxHeight = std::max(maxHeight, 1);
    int64_t w = width;
    int64_t h = height;
    if (w * maxHeight <= h * maxWidth) {
        // Height is the limit.
        int64_t fh = std::min<int64_t>(h, maxHeight);
        *fitHeight = static_cast<int>(fh);
        *fitWidth = static_cast<int>(std::clamp<int64_t>((w * fh * 2 + h) / (h * 2), 1, width));
    } else {
        int64_t fw = std::min<int64_t>(w, maxWidth);
        *fitWidth = static_cast<int>(fw);
        *fitHeight = static_cast<int>(std::clamp<int64_t>((h * fw * 2 + w) / (w * 2), 1, height));
    }
}

bool ShrinkPicture(const uint8_t* bits, int srcWidth, int srcHeight, int stride, int bytesPerPixel,
                   int width, int height, ThumbnailImage* out) {
    if (bits == nullptr || out == nullptr || (bytesPerPixel != 3 && bytesPerPixel != 4) ||
        srcWidth <= 0 || int64_t(stride) < int64_t(srcWidth) * bytesPerPixel) {
        return false;
    }
    try {
        return ShrinkRows(bits, stride, bytesPerPixel, srcWidth, srcHeight, width, height, out);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void OrientThumbnail(ThumbnailImage* image, int orientation) {
    if (image == nullptr || orientation < 2 || orientation > 8 ||
        image->pixels.size() != size_t(image->width) * size_t(image->height)) {
        return;
    }
    const int sw = image->width;
    const int sh = image->height;
    const bool turned = orientation >= 5;
    const int width = turned ? sh : sw;
    const int height = turned ? sw : sh;
    std::vector<uint32_t> shown(image->pixels.size());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // Where the shown pixel (x, y) is stored.
            int sx = x;
            int sy = y;
            switch (orientation) {
            case 2: // mirrored left to right
                sx = sw - 1 - x;
                break;
            case 3: // upside down
                sx = sw - 1 - x;
                sy = sh - 1 - y;
                break;
            case 4: // mirrored top to bottom
                sy = sh - 1 - y;
                break;
            case 5: // stored rows are the shown columns
                sx = y;
                sy = x;
                break;
            case 6: // turned a quarter clockwise to show: the stored top row is the right edge
                sx = y;
                sy = sh - 1 - x;
                break;
            case 7:
                sx = sw - 1 - y;
                sy = sh - 1 - x;
                break;
            case 8: // a quarter anticlockwise: the stored top row is the left edge
                sx = sw - 1 - y;
                sy = x;
                break;
            }
            shown[size_t(y) * size_t(width) + size_t(x)] =
                image->pixels[size_t(sy) * size_t(sw) + size_t(sx)];
        }
    }
    image->width = width;
    image->height = height;
    image->pixels.swap(shown);
}

bool MakeThumbnail(const char* path, int maxWidth, int maxHeight, ThumbnailImage* out,
                   ThumbnailSource* source, std::vector<uint8_t>* fileBuffer) {
    ThumbnailSource ignored = ThumbnailSource::Placeholder;
    if (source == nullptr) {
        source = &ignored;
    }
    *source = ThumbnailSource::Placeholder;
    if (out == nullptr) {
        return false;
    }
    *out = ThumbnailImage();
    maxWidth = std::max(maxWidth, 1);
    maxHeight = std::max(maxHeight, 1);
    bool clip = false;
    try {
        if (MakeThumbnailOrFail(path, maxWidth, maxHeight, &clip, out, source, fileBuffer)) {
            return true;
        }
        *source = ThumbnailSource::Placeholder;
        DrawPlaceholder(clip, std::min(maxWidth, kMaxPlaceholderSide),
                        std::min(maxHeight, kMaxPlaceholderSide), out);
    } catch (const std::bad_alloc&) {
        *source = ThumbnailSource::Placeholder;
        *out = ThumbnailImage();
    }
    return false;
}
