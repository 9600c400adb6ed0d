#include "tests/fuzz/FuzzTargets.h"

#include <cstring>
#include <vector>

#include "external/imaging/BmpEncoder.h"
#include "external/imaging/BmpReader.h"
#include "external/imaging/ExifOrientation.h"
#include "external/imaging/ImagingResult.h"
#include "external/imaging/JpegReader.h"
#include "external/imaging/PictureMemory.h"
#include "external/kestrel/JpegSize.h"
#include "external/slidetray/AviStructure.h"
#include "external/slidetray/ExifReader.h"

namespace fuzz_target {

namespace {

// Pictures larger than this are only read for their information: decoding them would take
// the fuzzer's time (and memory) without reaching other code.
const uint64_t kMaxDecodedPixels = 512 * 512;
// The writer's records are made this large at most.
const uint64_t kMaxWrittenBytes = 64 << 10;

bool IsFailureCode(int result) {
    return result == imaging::kDamaged || result == imaging::kUnsupported ||
           result == imaging::kTooLarge || result == imaging::kNoMemory;
}

int32_t Signed16(const uint8_t* at) {
    return static_cast<int16_t>(at[0] | at[1] << 8);
}

// The loaded record against the file information and the library's row layout.
const char* CheckLoaded(const IMGBITMAP& bitmap, const IMGFILEINFO& info) {
    if (bitmap.width != info.width || bitmap.height != info.height) {
        return "loaded size differs from the file information";
    }
    if (bitmap.bits == nullptr || (bitmap.bitsPerPixel != 8 && bitmap.bitsPerPixel != 24)) {
        return "loaded record without pixels or of another depth";
    }
    int32_t line = 0;
    size_t bytes = 0;
    if (!imaging::PixelLayout(bitmap.width, bitmap.height, bitmap.bitsPerPixel, &line, &bytes) ||
        line != bitmap.bytesPerLine) {
        return "loaded rows are not padded to four bytes";
    }
    // Every row's padding is cleared: a read of the whole picture also shows a short buffer.
    unsigned padding = 0;
    const size_t used = static_cast<size_t>(bitmap.width) * (bitmap.bitsPerPixel / 8);
    for (int32_t y = 0; y < bitmap.height; ++y) {
        const uint8_t* row = bitmap.bits + static_cast<size_t>(y) * line;
        for (size_t x = used; x < static_cast<size_t>(line); ++x) {
            padding |= row[x];
        }
    }
    return padding == 0 ? nullptr : "row padding not cleared";
}

// Loads through `load` (a reader's Load) and checks the record; the pixels are released.
template <class Load> const char* LoadAndCheck(const IMGFILEINFO& info, Load load) {
    IMGBITMAP bitmap{};
    int result = load(&bitmap);
    if (result != imaging::kOk) {
        return IsFailureCode(result) ? nullptr : "load failed with an unknown code";
    }
    const char* wrong = CheckLoaded(bitmap, info);
    imaging::FreePixels(bitmap.bits);
    return wrong;
}

} // namespace

const char* ExifReader(const uint8_t* data, size_t size) {
    CExifReader reader;
    bool parsed = reader.Parse(data, size);
    if (reader.Orientation() < 1 || reader.Orientation() > 8) {
        return "orientation outside 1..8";
    }
    if (!reader.HasThumbnail()) {
        return nullptr;
    }
    size_t offset = reader.ThumbnailOffset();
    size_t length = reader.ThumbnailLength();
    if (!parsed) {
        return "a preview without EXIF data";
    }
    if (offset > size || length > size - offset || length < 2) {
        return "preview outside the input";
    }
    if (data[offset] != 0xFF || data[offset + 1] != 0xD8) {
        return "preview does not start with SOI";
    }
    return nullptr;
}

const char* AviStructure(const uint8_t* data, size_t size) {
    if (!CheckAviStructure(data, size)) {
        return nullptr;
    }
    return size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "AVI ", 4) == 0
               ? nullptr
               : "a clip passed without its RIFF form";
}

const char* JpegSize(const uint8_t* data, size_t size) {
    kestrel::CMemorySource source(data, size);
    uint32_t width = 0;
    uint32_t height = 0;
    if (!kestrel::ReadJpegSize(source, width, height)) {
        return nullptr;
    }
    if (width == 0 || height == 0 || width > 0xFFFF || height > 0xFFFF) {
        return "size out of a frame header's range";
    }
    return size >= 2 && data[0] == 0xFF && data[1] == 0xD8 ? nullptr : "size read from no JPEG";
}

const char* ExifOrientation(const uint8_t* data, size_t size) {
    int orientation = imaging::ExifOrientation(data, size);
    return orientation >= 0 && orientation <= 8 ? nullptr : "orientation outside 0..8";
}

const char* JpegReader(const uint8_t* data, size_t size) {
    IMGFILEINFO info{};
    int result = imaging::CJpegReader(data, size).ReadInfo(&info);
    if (result != imaging::kOk) {
        return IsFailureCode(result) ? nullptr : "file information failed with an unknown code";
    }
    if (info.width <= 0 || info.height <= 0 || info.width > 0xFFFF || info.height > 0xFFFF) {
        return "picture size out of range";
    }
    if (info.format < IMG_FORMAT_JPEG || info.format > IMG_FORMAT_JPEG_OTHER ||
        info.bitsPerPixel <= 0 || info.orientation < 0 || info.orientation > 8) {
        return "format, depth or orientation out of range";
    }
    if (uint64_t(info.width) * uint64_t(info.height) > kMaxDecodedPixels) {
        return nullptr;
    }
    // The last byte picks the decoder's settings and the asked depth.
    imaging::JpegDecodeOptions options;
    options.fast = (data[size - 1] & 1) != 0;
    const int depths[] = {0, 8, 24, 0};
    int depth = depths[(data[size - 1] >> 1) & 3];
    return LoadAndCheck(info, [&](IMGBITMAP* bitmap) {
        return imaging::CJpegReader(data, size).Load(options, depth, bitmap);
    });
}

const char* BmpReader(const uint8_t* data, size_t size) {
    IMGFILEINFO info{};
    int result = imaging::CBmpReader(data, size).ReadInfo(&info);
    if (result != imaging::kOk) {
        return IsFailureCode(result) ? nullptr : "file information failed with an unknown code";
    }
    if (info.width <= 0 || info.height <= 0 ||
        (info.bitsPerPixel != 8 && info.bitsPerPixel != 24 && info.bitsPerPixel != 32)) {
        return "size or depth out of range";
    }
    if (uint64_t(info.width) * uint64_t(info.height) > kMaxDecodedPixels * 16) {
        return nullptr;
    }
    int depth = (data[size - 1] & 1) != 0 ? 24 : 0;
    return LoadAndCheck(info, [&](IMGBITMAP* bitmap) {
        return imaging::CBmpReader(data, size).Load(depth, bitmap);
    });
}

const char* BmpWriter(const uint8_t* data, size_t size) {
    // Width, height (signed 16-bit), depth, extra row padding (signed), asked depth, pixels.
    if (size < 8) {
        return nullptr;
    }
    IMGBITMAP record{};
    record.width = Signed16(data);
    record.height = Signed16(data + 2);
    record.bitsPerPixel = data[4] == 0 ? 24 : data[4] == 1 ? 8 : data[4];
    int32_t packed = record.width * (record.bitsPerPixel / 8);
    record.bytesPerLine = packed + static_cast<int8_t>(data[5]);
    const int asked[] = {0, 8, 24, 32};
    int depth = asked[data[6] & 3];
    const uint8_t* pixelBytes = data + 8;
    size_t pixelCount = size - 8;

    uint64_t needed = record.height > 0 && record.bytesPerLine > 0
                          ? uint64_t(record.height) * uint64_t(record.bytesPerLine)
                          : 1;
    if (needed > kMaxWrittenBytes) {
        return nullptr;
    }
    std::vector<uint8_t> pixels(static_cast<size_t>(needed));
    for (size_t i = 0; i < pixels.size() && pixelCount != 0; ++i) {
        pixels[i] = pixelBytes[i % pixelCount];
    }
    record.bits = pixels.data();

    imaging::CBmpEncoder encoder(record);
    if (encoder.Prepare(depth) != imaging::kOk) {
        return nullptr;
    }
    std::vector<uint8_t> file;
    bool encoded = encoder.Encode([&file](const uint8_t* bytes, size_t count) {
        file.insert(file.end(), bytes, bytes + count);
        return true;
    });
    if (!encoded) {
        return "encoding failed with a sink that takes everything";
    }
    IMGBITMAP read{};
    if (imaging::CBmpReader(file.data(), file.size()).Load(0, &read) != imaging::kOk) {
        return "the written file does not read back";
    }
    const char* wrong = nullptr;
    int written = depth == 0 ? record.bitsPerPixel : depth;
    if (read.width != record.width || read.height != record.height ||
        read.bitsPerPixel != written) {
        wrong = "the written file reads back at another size or depth";
    }
    for (int32_t y = 0; wrong == nullptr && y < record.height; ++y) {
        const uint8_t* source = record.bits + size_t(y) * size_t(record.bytesPerLine);
        const uint8_t* back = read.bits + size_t(y) * size_t(read.bytesPerLine);
        for (int32_t x = 0; wrong == nullptr && x < record.width; ++x) {
            bool same = written == record.bitsPerPixel
                            ? std::memcmp(source + x * (written / 8), back + x * (written / 8),
                                          size_t(written / 8)) == 0
                            : back[3 * x] == source[x] && back[3 * x + 1] == source[x] &&
                                  back[3 * x + 2] == source[x];
            if (!same) {
                wrong = "the written file reads back with other pixels";
            }
        }
    }
    imaging::FreePixels(read.bits);
    return wrong;
}

const Target kTargets[] = {
    {"exif_reader", ExifReader}, {"avi_structure", AviStructure},
    {"jpeg_size", JpegSize},     {"exif_orientation", ExifOrientation},
    {"jpeg_reader", JpegReader}, {"bmp_reader", BmpReader},
    {"bmp_writer", BmpWriter},
};
const size_t kTargetCount = sizeof(kTargets) / sizeof(kTargets[0]);

} // namespace fuzz_target
