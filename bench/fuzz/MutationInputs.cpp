#include "bench/fuzz/MutationInputs.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>

#include "tests/external/imaging/ImagingTestSupport.h"
#include "tests/external/slidetray/ThumbnailTestFiles.h"
#include "tests/support/ScratchFiles.h"

namespace {

using Random = std::mt19937;

uint32_t Below(Random& random, size_t bound) {
    return bound == 0 ? 0 : static_cast<uint32_t>(random() % bound);
}

std::string Format(const char* format, unsigned long long a, unsigned long long b = 0) {
    char text[96];
    std::snprintf(text, sizeof(text), format, a, b);
    return text;
}

void PutLe(std::string* bytes, size_t at, uint32_t value, int width) {
    for (int i = 0; i < width && at + i < bytes->size(); ++i) {
        (*bytes)[at + i] = static_cast<char>(value >> (8 * i));
    }
}

void PutBe(std::string* bytes, size_t at, uint32_t value, int width) {
    for (int i = 0; i < width && at + i < bytes->size(); ++i) {
        (*bytes)[at + i] = static_cast<char>(value >> (8 * (width - 1 - i)));
    }
}

uint8_t At(const std::string& bytes, size_t at) {
    return at < bytes.size() ? static_cast<uint8_t>(bytes[at]) : 0;
}

// A size a header might claim: nothing, one, the most its field holds, or more than any file.
uint32_t Extreme(Random& random) {
    const uint32_t values[] = {0, 1, 0x7FFF, 0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu};
    return values[Below(random, sizeof(values) / sizeof(values[0]))];
}

// Where a JPEG's marker segments start (the 0xFF of each), up to its first scan.
std::vector<size_t> JpegSegments(const std::string& jpeg) {
    std::vector<size_t> segments;
    size_t pos = 2;
    while (pos + 4 <= jpeg.size() && At(jpeg, pos) == 0xFF) {
        uint8_t marker = At(jpeg, pos + 1);
        segments.push_back(pos);
        if (marker == 0xDA || marker == 0xD9) {
            break;
        }
        pos += 2 + ((At(jpeg, pos + 2) << 8) | At(jpeg, pos + 3));
    }
    return segments;
}

// The TIFF block of the first EXIF segment: its start, byte order and the places where the
// directory offsets and counts sit (IFD0's offset, each directory's count and next link).
struct TiffFields {
    size_t start = 0;
    bool bigEndian = false;
    std::vector<size_t> offsets; // 4-byte fields holding an offset into the block
    std::vector<size_t> counts;  // 2-byte entry counts
};

uint32_t TiffU(const std::string& bytes, size_t at, int width, bool bigEndian) {
    uint32_t value = 0;
    for (int i = 0; i < width; ++i) {
        int shift = bigEndian ? 8 * (width - 1 - i) : 8 * i;
        value |= uint32_t(At(bytes, at + i)) << shift;
    }
    return value;
}

bool FindTiff(const std::string& jpeg, TiffFields* fields) {
    size_t exif = jpeg.find(std::string("Exif\0\0", 6));
    if (exif == std::string::npos || exif + 14 > jpeg.size()) {
        return false;
    }
    fields->start = exif + 6;
    fields->bigEndian = At(jpeg, fields->start) == 'M';
    fields->offsets.push_back(fields->start + 4);
    uint32_t ifd = TiffU(jpeg, fields->start + 4, 4, fields->bigEndian);
    // IFD0 and IFD1: their counts, their entries' value fields (offsets of larger values or
    // of sub-directories) and their links to the next directory.
    for (int directory = 0; directory < 2 && ifd != 0 && fields->start + ifd + 2 <= jpeg.size();
         ++directory) {
        size_t at = fields->start + ifd;
        uint32_t count = TiffU(jpeg, at, 2, fields->bigEndian);
        fields->counts.push_back(at);
        for (uint32_t i = 0; i < count && at + 2 + 12 * (i + 1) <= jpeg.size(); ++i) {
            fields->offsets.push_back(at + 2 + 12 * i + 8);
        }
        size_t link = at + 2 + 12 * size_t(count);
        if (link + 4 > jpeg.size()) {
            break;
        }
        fields->offsets.push_back(link);
        ifd = TiffU(jpeg, link, 4, fields->bigEndian);
    }
    return true;
}

// The offsets of an AVI's size fields: every chunk's and list's length, and the picture
// sizes of its main header (avih) and its stream formats (strf).
void AviFields(const std::string& avi, std::vector<size_t>* lengths, std::vector<size_t>* sizes) {
    for (size_t pos = 0; pos + 8 <= avi.size(); ++pos) {
        const char* p = avi.data() + pos;
        if (std::memcmp(p, "RIFF", 4) == 0 || std::memcmp(p, "LIST", 4) == 0 ||
            std::memcmp(p, "strh", 4) == 0 || std::memcmp(p, "strf", 4) == 0 ||
            std::memcmp(p, "idx1", 4) == 0 || std::memcmp(p, "00dc", 4) == 0 ||
            std::memcmp(p, "00db", 4) == 0) {
            lengths->push_back(pos + 4);
        }
        if (std::memcmp(p, "avih", 4) == 0) {
            sizes->push_back(pos + 8 + 32); // dwWidth, then dwHeight
            sizes->push_back(pos + 8 + 36);
            sizes->push_back(pos + 8 + 24); // dwStreams
        }
        if (std::memcmp(p, "strf", 4) == 0) {
            sizes->push_back(pos + 8 + 4); // biWidth, biHeight, then biBitCount
            sizes->push_back(pos + 8 + 8);
            sizes->push_back(pos + 8 + 14);
        }
    }
}

// --- the mutations ----------------------------------------------------------------------

std::string FlipBits(std::string* bytes, Random& random) {
    uint32_t flips = 1 + Below(random, 8);
    size_t first = Below(random, bytes->size());
    for (uint32_t i = 0; i < flips; ++i) {
        // Near one another: damage on a card is local.
        size_t at = std::min(bytes->size() - 1, first + Below(random, 64));
        (*bytes)[at] = static_cast<char>((*bytes)[at] ^ (1 << Below(random, 8)));
    }
    return Format("flip %llu bits near %llu", flips, first);
}

std::string Truncate(std::string* bytes, Random& random) {
    size_t length = Below(random, bytes->size());
    bytes->resize(length);
    return Format("truncate to %llu", length);
}

std::string HugeOrZeroSize(std::string* bytes, InputKind kind, Random& random) {
    uint32_t value = Extreme(random);
    if (kind == InputKind::Jpeg) {
        for (size_t segment : JpegSegments(*bytes)) {
            uint8_t marker = At(*bytes, segment + 1);
            if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
                marker != 0xCC) {
                size_t field = segment + 5 + 2 * Below(random, 2); // height or width
                PutBe(bytes, field, value, 2);
                return Format("frame size field @%llu = %llu", field, value & 0xFFFF);
            }
        }
        return "no frame header";
    }
    if (kind == InputKind::Bmp) {
        size_t field = 18 + 4 * Below(random, 2); // biWidth or biHeight
        PutLe(bytes, field, value, 4);
        return Format("bitmap size field @%llu = %llu", field, value);
    }
    std::vector<size_t> lengths, sizes;
    AviFields(*bytes, &lengths, &sizes);
    if (sizes.empty()) {
        return "no size fields";
    }
    size_t field = sizes[Below(random, sizes.size())];
    PutLe(bytes, field, value, 4);
    return Format("clip size field @%llu = %llu", field, value);
}

std::string BadMarker(std::string* bytes, InputKind kind, Random& random) {
    if (kind != InputKind::Jpeg) {
        // A chunk name or the file's signature damaged.
        size_t at = kind == InputKind::Bmp ? Below(random, 2) : 4 * Below(random, 16);
        if (at < bytes->size()) {
            (*bytes)[at] = static_cast<char>(random());
        }
        return Format("signature byte @%llu", at);
    }
    std::vector<size_t> segments = JpegSegments(*bytes);
    if (segments.empty()) {
        return "no segments";
    }
    size_t segment = segments[Below(random, segments.size())];
    const uint8_t markers[] = {0x00, 0x01, 0xD8, 0xD9, 0xDA, 0xFF, 0xC4, 0xC2, 0xCF, 0xE1, 0xD0};
    uint8_t marker = markers[Below(random, sizeof(markers))];
    (*bytes)[segment + 1] = static_cast<char>(marker);
    return Format("marker @%llu = 0x%02llx", segment, marker);
}

std::string LengthPastEnd(std::string* bytes, InputKind kind, Random& random) {
    if (kind == InputKind::Jpeg) {
        std::vector<size_t> segments = JpegSegments(*bytes);
        if (segments.empty()) {
            return "no segments";
        }
        size_t segment = segments[Below(random, segments.size())];
        uint32_t value = Below(random, 2) != 0 ? 0xFFFF : Below(random, 3);
        PutBe(bytes, segment + 2, value, 2);
        return Format("segment length @%llu = %llu", segment, value);
    }
    if (kind == InputKind::Bmp) {
        const size_t fields[] = {2, 10, 14, 34, 46}; // file size, pixel offset, header size,
                                                     // image size, colours used
        size_t field = fields[Below(random, 5)];
        uint32_t value = Extreme(random);
        PutLe(bytes, field, value, 4);
        return Format("bitmap field @%llu = %llu", field, value);
    }
    std::vector<size_t> lengths, sizes;
    AviFields(*bytes, &lengths, &sizes);
    if (lengths.empty()) {
        return "no chunks";
    }
    size_t field = lengths[Below(random, lengths.size())];
    uint32_t value = Below(random, 2) != 0
                         ? Extreme(random)
                         : static_cast<uint32_t>(bytes->size() + Below(random, 4096));
    PutLe(bytes, field, value, 4);
    return Format("chunk length @%llu = %llu", field, value);
}

std::string LoopingDirectory(std::string* bytes, Random& random) {
    TiffFields tiff;
    if (!FindTiff(*bytes, &tiff)) {
        return "no EXIF block";
    }
    if (Below(random, 3) == 0 && !tiff.counts.empty()) {
        size_t field = tiff.counts[Below(random, tiff.counts.size())];
        uint32_t value = Below(random, 2) != 0 ? 0xFFFF : 0;
        (tiff.bigEndian ? PutBe : PutLe)(bytes, field, value, 2);
        return Format("directory count @%llu = %llu", field, value);
    }
    size_t field = tiff.offsets[Below(random, tiff.offsets.size())];
    // Back to the header, to the first directory (a loop), to itself, or past the end.
    uint32_t ifd0 = TiffU(*bytes, tiff.start + 4, 4, tiff.bigEndian);
    const uint32_t targets[] = {0,
                                8,
                                ifd0,
                                static_cast<uint32_t>(field - tiff.start) - 2,
                                static_cast<uint32_t>(bytes->size()),
                                0xFFFFFFF0u};
    uint32_t value = targets[Below(random, sizeof(targets) / sizeof(targets[0]))];
    (tiff.bigEndian ? PutBe : PutLe)(bytes, field, value, 4);
    return Format("directory offset @%llu = %llu", field, value);
}

std::string Duplicate(std::string* bytes, Random& random) {
    size_t from = Below(random, bytes->size());
    size_t length = std::min<size_t>(bytes->size() - from, 1 + Below(random, 256));
    size_t to = Below(random, bytes->size());
    bytes->insert(to, bytes->substr(from, length));
    return Format("copy %llu bytes to %llu", length, to);
}

} // namespace

const char* KindName(InputKind kind) {
    switch (kind) {
    case InputKind::Jpeg:
        return "jpeg";
    case InputKind::Bmp:
        return "bmp";
    default:
        return "avi";
    }
}

bool CMutationInputs::MakeSeeds() {
    using namespace imaging_test;
    m_seeds.clear();
    auto add = [this](const char* name, InputKind kind, const std::string& bytes) {
        if (!bytes.empty()) {
            m_seeds.push_back(SeedFile{name, kind, bytes});
        }
        return !bytes.empty();
    };
    // Stills as cameras write them: EXIF orientation and a preview, in both byte orders.
    std::string preview = EncodeJpeg(Pattern(80, 60, 3));
    std::string still = EncodeJpeg(Pattern(160, 120, 3));
    bool ok = true;
    for (bool bigEndian : {false, true}) {
        thumbnail_test::ExifBlock block =
            thumbnail_test::MakeExifBlock(bigEndian, bigEndian ? 8 : 6, preview);
        ok &= add(bigEndian ? "exif-mm.jpg" : "exif-ii.jpg", InputKind::Jpeg,
                  thumbnail_test::InsertSegment(still, thumbnail_test::ExifSegment(block), false));
    }
    JpegOptions progressive;
    progressive.progressive = true;
    progressive.orientation = 3;
    ok &= add("progressive.jpg", InputKind::Jpeg, EncodeJpeg(Pattern(120, 90, 3), progressive));
    ok &= add("gray.jpg", InputKind::Jpeg, EncodeJpeg(Pattern(64, 48, 1)));
    ok &= add("cmyk.jpg", InputKind::Jpeg, EncodeJpeg(Pattern(48, 40, 4)));
    // Bitmaps of every depth the library reads.
    ok &= add("colour.bmp", InputKind::Bmp, EncodeBmp(Pattern(37, 21, 3), 24, false));
    ok &= add("topdown32.bmp", InputKind::Bmp, EncodeBmp(Pattern(20, 16, 3), 32, true));
    Picture indexes = Pattern(33, 17, 1);
    ok &= add("gray8.bmp", InputKind::Bmp, EncodeBmp(indexes, 8, false, GrayPalette()));
    // Clips through AVIFile, as the tray's tests write them.
    scratch::Directory folder("fuzzseed");
    thumbnail_test::Picture frame =
        thumbnail_test::TopAndBottom(64, 48, thumbnail_test::kRed, thumbnail_test::kBlue);
    const std::pair<const char*, thumbnail_test::ClipCodec> clips[] = {
        {"raw.avi", thumbnail_test::ClipCodec::Uncompressed},
        {"msvc.avi", thumbnail_test::ClipCodec::MsVideo1}};
    for (const auto& clip : clips) {
        std::string path = folder / clip.first;
        ok &= thumbnail_test::WriteClip(path, frame, 3, clip.second) &&
              add(clip.first, InputKind::Avi, scratch::ReadBytes(path));
    }
    return ok;
}

MutatedInput CMutationInputs::Make(uint32_t seed, uint32_t index) const {
    MutatedInput input;
    input.seed = &m_seeds[index % m_seeds.size()];
    input.bytes = input.seed->bytes;
    Random random(seed * 2654435761u ^ index);
    uint32_t count = 1 + Below(random, 3);
    for (uint32_t i = 0; i < count && !input.bytes.empty(); ++i) {
        std::string done;
        switch (Below(random, 7)) {
        case 0:
            done = FlipBits(&input.bytes, random);
            break;
        case 1:
            done = Truncate(&input.bytes, random);
            break;
        case 2:
            done = HugeOrZeroSize(&input.bytes, input.seed->kind, random);
            break;
        case 3:
            done = BadMarker(&input.bytes, input.seed->kind, random);
            break;
        case 4:
            done = LengthPastEnd(&input.bytes, input.seed->kind, random);
            break;
        case 5:
            done = input.seed->kind == InputKind::Jpeg ? LoopingDirectory(&input.bytes, random)
                                                       : FlipBits(&input.bytes, random);
            break;
        default:
            done = Duplicate(&input.bytes, random);
            break;
        }
        input.mutations += (input.mutations.empty() ? "" : "; ") + done;
    }
    return input;
}
