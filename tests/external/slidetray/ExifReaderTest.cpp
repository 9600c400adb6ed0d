// The EXIF parser on the headers cameras write and on damaged ones. Every buffer ends right at
// an inaccessible page, so that a read past its end crashes the test instead of passing.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "ThumbnailTestFiles.h"
#include "external/slidetray/ExifReader.h"
#include "tests/support/ScratchFiles.h"

using namespace thumbnail_test;

namespace {

// Bytes placed flush against a PAGE_NOACCESS page.
class GuardedBytes {
public:
    explicit GuardedBytes(const std::string& bytes) {
        SYSTEM_INFO system;
        ::GetSystemInfo(&system);
        size_t page = system.dwPageSize;
        size_t dataPages = (bytes.size() + page - 1) / page;
        m_size = (dataPages + 1) * page;
        m_base = static_cast<uint8_t*>(
            ::VirtualAlloc(nullptr, m_size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        if (m_base == nullptr ||
            !::VirtualProtect(m_base + dataPages * page, page, PAGE_NOACCESS, &old)) {
            ADD_FAILURE() << "cannot set up a guarded buffer";
            return;
        }
        m_data = m_base + dataPages * page - bytes.size();
        std::copy(bytes.begin(), bytes.end(), m_data);
        m_length = bytes.size();
    }
    ~GuardedBytes() {
        if (m_base != nullptr) {
            ::VirtualFree(m_base, 0, MEM_RELEASE);
        }
    }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;

    const uint8_t* Data() const { return m_data; }
    size_t Size() const { return m_length; }

private:
    uint8_t* m_base = nullptr;
    uint8_t* m_data = nullptr;
    size_t m_size = 0;
    size_t m_length = 0;
};

struct Parsed {
    bool found = false;
    int orientation = 0;
    std::string thumbnail; // the bytes the reader points at
};

Parsed ParseGuarded(const std::string& bytes) {
    GuardedBytes guarded(bytes);
    CExifReader reader;
    Parsed parsed;
    parsed.found = reader.Parse(guarded.Data(), guarded.Size());
    parsed.orientation = reader.Orientation();
    if (reader.HasThumbnail()) {
        EXPECT_LE(reader.ThumbnailOffset() + reader.ThumbnailLength(), bytes.size())
            << "the preview's range runs past the buffer";
        parsed.thumbnail = bytes.substr(reader.ThumbnailOffset(), reader.ThumbnailLength());
    }
    return parsed;
}

// Stands in for an embedded preview: the reader only needs it to start like a JPEG.
const std::string kPreview =
    std::string("\xFF\xD8\xFF\xDB", 4) + std::string(300, 'p') + "\xFF\xD9";

std::string JpegWithExif(const ExifBlock& block) {
    return InsertSegment(scratch::JpegHeader(640, 480), ExifSegment(block), false);
}

const char* ByteOrder(bool bigEndian) {
    return bigEndian ? "MM" : "II";
}

TEST(ExifReaderTest, ReadsOrientationAndPreviewInBothByteOrders) {
    for (bool bigEndian : {false, true}) {
        for (int orientation : {1, 3, 6, 8}) {
            Parsed parsed =
                ParseGuarded(JpegWithExif(MakeExifBlock(bigEndian, orientation, kPreview)));
            EXPECT_TRUE(parsed.found) << ByteOrder(bigEndian) << " orientation " << orientation;
            EXPECT_EQ(orientation, parsed.orientation) << ByteOrder(bigEndian);
            EXPECT_EQ(kPreview, parsed.thumbnail)
                << ByteOrder(bigEndian) << " orientation " << orientation
                << ": the preview's range is wrong";
        }
    }
}

TEST(ExifReaderTest, FindsTheBlockAfterOtherSegments) {
    ExifBlock block = MakeExifBlock(true, 6, kPreview);
    // Another kind of metadata in an APP1 segment of its own comes first.
    std::string otherApp1 =
        scratch::JpegSegment(0xE1, "http://ns.example.org/meta/" + std::string(40, 'x'));
    std::string jpeg =
        InsertSegment(scratch::JpegHeader(640, 480), otherApp1 + ExifSegment(block), true);
    // Fill bytes before a marker are allowed.
    jpeg.insert(2, "\xFF\xFF");

    Parsed parsed = ParseGuarded(jpeg);

    EXPECT_TRUE(parsed.found);
    EXPECT_EQ(6, parsed.orientation);
    EXPECT_EQ(kPreview, parsed.thumbnail);
}

TEST(ExifReaderTest, WithoutOrientationOrPreview) {
    Parsed parsed = ParseGuarded(JpegWithExif(MakeExifBlock(false, 0, "")));

    EXPECT_TRUE(parsed.found) << "an EXIF block with an empty first directory is still one";
    EXPECT_EQ(1, parsed.orientation);
    EXPECT_EQ("", parsed.thumbnail);
}

TEST(ExifReaderTest, NoExifInFilesWithoutABlock) {
    std::string exifAfterScan =
        std::string("\xFF\xD8\xFF\xDA\x00\x02", 6) + ExifSegment(MakeExifBlock(false, 6, kPreview));
    const struct {
        const char* name;
        std::string bytes;
    } kCases[] = {
        {"empty", ""},
        {"SOI only", "\xFF\xD8"},
        {"a text file", "This is not a picture at all, only words.\r\n"},
        {"a PNG signature", std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16)},
        {"a JPEG without APP1", scratch::JpegHeader(640, 480)},
        {"an APP1 that is not EXIF",
         InsertSegment(scratch::JpegHeader(64, 48), scratch::JpegSegment(0xE1, "Exif"), false)},
        {"EXIF after the scan starts", exifAfterScan},
        {"a segment claiming more than the file", std::string("\xFF\xD8\xFF\xE1\xFF\xF0"
                                                              "Exif\0\0II*\0",
                                                              16)},
        {"a segment length below 2", std::string("\xFF\xD8\xFF\xE1\x00\x01"
                                                 "Exif\0\0II*\0",
                                                 16)},
        {"garbage between segments", std::string("\xFF\xD8\x12\x34\xFF\xE1", 6) +
                                         ExifSegment(MakeExifBlock(false, 6, kPreview))},
    };
    for (const auto& test : kCases) {
        Parsed parsed = ParseGuarded(test.bytes);
        EXPECT_FALSE(parsed.found) << test.name;
        EXPECT_EQ(1, parsed.orientation) << test.name;
        EXPECT_EQ("", parsed.thumbnail) << test.name;
    }
}

// Damage inside the TIFF block: to the header or first directory it is "no EXIF"; to the
// second directory it costs the preview but keeps the orientation.
struct Damage {
    const char* name;
    void (*apply)(ExifBlock* block);
    bool found;
    bool keepsPreview;
};

const Damage kDamage[] = {
    {"unknown byte order", [](ExifBlock* b) { b->tiff[0] = b->tiff[1] = 'X'; }, false, false},
    {"mixed byte order mark", [](ExifBlock* b) { b->tiff[1] = b->bigEndian ? 'I' : 'M'; }, false,
     false},
    {"wrong magic number", [](ExifBlock* b) { PutU16(b, 2, 43); }, false, false},
    {"IFD0 past the end", [](ExifBlock* b) { PutU32(b, 4, 0x7FFFFFF0); }, false, false},
    {"IFD0 at the block's last byte",
     [](ExifBlock* b) { PutU32(b, 4, uint32_t(b->tiff.size() - 1)); }, false, false},
    {"IFD0 inside the header", [](ExifBlock* b) { PutU32(b, 4, 2); }, false, false},
    {"IFD0 count 65535", [](ExifBlock* b) { PutU16(b, b->ifd0, 65535); }, false, false},
    {"IFD0 count one too many",
     [](ExifBlock* b) { PutU16(b, b->ifd0, uint16_t((b->tiff.size() - b->ifd0) / 12 + 1)); }, false,
     false},
    {"IFD1 count 65535", [](ExifBlock* b) { PutU16(b, b->ifd1, 65535); }, true, false},
    {"IFD1 link past the end", [](ExifBlock* b) { PutU32(b, b->ifd1Link, 0xFFFFFFFF); }, true,
     false},
    {"IFD1 link looping back to IFD0",
     [](ExifBlock* b) { PutU32(b, b->ifd1Link, uint32_t(b->ifd0)); }, true, false},
    {"IFD1 linking to itself",
     [](ExifBlock* b) { PutU32(b, b->ifd1 + 2 + 2 * 12, uint32_t(b->ifd1)); }, true, true},
    {"preview offset past the end",
     [](ExifBlock* b) { PutU32(b, b->previewOffsetField, uint32_t(b->tiff.size() + 10)); }, true,
     false},
    {"preview running past the end",
     [](ExifBlock* b) { PutU32(b, b->previewLengthField, uint32_t(kPreview.size() + 1)); }, true,
     false},
    {"preview offset and length wrapping around",
     [](ExifBlock* b) {
         PutU32(b, b->previewOffsetField, 0xFFFFFFF0);
         PutU32(b, b->previewLengthField, 0x20);
     },
     true, false},
    {"preview offset inside the header", [](ExifBlock* b) { PutU32(b, b->previewOffsetField, 0); },
     true, false},
    {"preview that is not a JPEG", [](ExifBlock* b) { b->tiff[b->preview + 1] = 'X'; }, true,
     false},
    {"preview tag of a text type", [](ExifBlock* b) { PutU16(b, b->previewOffsetField - 6, 2); },
     true, false},
};

TEST(ExifReaderTest, DamagedBlocks) {
    for (bool bigEndian : {false, true}) {
        for (const Damage& damage : kDamage) {
            ExifBlock block = MakeExifBlock(bigEndian, 6, kPreview);
            damage.apply(&block);
            Parsed parsed = ParseGuarded(JpegWithExif(block));
            EXPECT_EQ(damage.found, parsed.found) << ByteOrder(bigEndian) << ": " << damage.name;
            EXPECT_EQ(damage.found ? 6 : 1, parsed.orientation)
                << ByteOrder(bigEndian) << ": " << damage.name;
            EXPECT_EQ(damage.keepsPreview ? kPreview : "", parsed.thumbnail)
                << ByteOrder(bigEndian) << ": " << damage.name;
        }
    }
}

TEST(ExifReaderTest, OrientationOutsideItsRangeCountsAsUpright) {
    for (int orientation : {0x100, 9, 0xFFFF}) {
        ExifBlock block = MakeExifBlock(true, 1, kPreview);
        PutU16(&block, block.ifd0 + 2 + 8, static_cast<uint16_t>(orientation));
        Parsed parsed = ParseGuarded(JpegWithExif(block));
        EXPECT_TRUE(parsed.found) << "orientation value " << orientation;
        EXPECT_EQ(1, parsed.orientation) << "orientation value " << orientation;
        EXPECT_EQ(kPreview, parsed.thumbnail) << "orientation value " << orientation;
    }
}

TEST(ExifReaderTest, EveryTruncationStaysInBounds) {
    std::string jpeg = JpegWithExif(MakeExifBlock(false, 8, kPreview));
    size_t segmentEnd = 2 + ExifSegment(MakeExifBlock(false, 8, kPreview)).size();
    for (size_t length = 0; length <= jpeg.size(); ++length) {
        Parsed parsed = ParseGuarded(jpeg.substr(0, length));
        bool whole = length >= segmentEnd;
        EXPECT_EQ(whole, parsed.found) << "cut at " << length << " of " << jpeg.size();
        EXPECT_EQ(whole ? 8 : 1, parsed.orientation) << "cut at " << length;
    }
}

TEST(ExifReaderTest, RandomDamageStaysInBounds) {
    const std::string original = JpegWithExif(MakeExifBlock(true, 3, kPreview));
    std::mt19937 random(20240611);
    std::uniform_int_distribution<size_t> position(2, 2 + 4 + 6 + 80);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 3000; ++round) {
        std::string jpeg = original;
        for (int changes = 1 + round % 4; changes > 0; --changes) {
            jpeg[position(random)] = static_cast<char>(byte(random));
        }
        Parsed parsed = ParseGuarded(round % 2 ? jpeg : jpeg.substr(0, jpeg.size() / 2));
        EXPECT_TRUE(parsed.orientation >= 1 && parsed.orientation <= 8)
            << "round " << round << ": orientation " << parsed.orientation;
        if (!parsed.thumbnail.empty()) {
            EXPECT_EQ(std::string("\xFF\xD8"), parsed.thumbnail.substr(0, 2)) << "round " << round;
        }
    }
}

TEST(ExifReaderTest, RandomBytesAreNoExif) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 200; ++round) {
        std::string bytes(size_t(round * 7), '\0');
        for (char& c : bytes) {
            c = static_cast<char>(byte(random));
        }
        if (round % 2) {
            bytes = "\xFF\xD8\xFF\xE1" + bytes;
        }
        Parsed parsed = ParseGuarded(bytes);
        EXPECT_EQ(1, parsed.orientation) << "round " << round;
    }
}

} // namespace
