#include "external/slidetray/AviStructure.h"

#include <algorithm>
#include <cstring>

namespace {

// Beyond this many chunks a clip is not a camera's; the bound keeps a hostile file cheap.
const uint64_t kMaxChunks = 1u << 20;
// Wine 8's AVIFile takes lengths for signed: a larger one reads outside its memory.
const uint32_t kMaxChunkBytes = 0x7FFFFFFF;
const uint32_t kMainHeaderBytes = 56;
const uint32_t kStreamHeaderBytes = 48;
// The header list holds the streams' lists, and they may hold lists of their own.
const int kMaxListDepth = 4;

constexpr uint32_t FourCc(const char (&text)[5]) {
    return uint32_t(uint8_t(text[0])) | uint32_t(uint8_t(text[1])) << 8 |
           uint32_t(uint8_t(text[2])) << 16 | uint32_t(uint8_t(text[3])) << 24;
}

uint32_t ReadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

int HexDigit(uint32_t c) {
    if (c >= '0' && c <= '9') {
        return int(c - '0');
    }
    if (c >= 'a' && c <= 'f') {
        return int(c - 'a' + 10);
    }
    if (c >= 'A' && c <= 'F') {
        return int(c - 'A' + 10);
    }
    return -1;
}

// A chunk id is four characters; bytes of a frame found where a chunk should start are not.
bool IsPrintable(uint32_t id) {
    for (int i = 0; i < 4; ++i, id >>= 8) {
        if ((id & 0xFF) < 0x20 || (id & 0xFF) > 0x7E) {
            return false;
        }
    }
    return true;
}

// A chunk's data is padded to an even length.
uint64_t Padded(uint32_t size) {
    return uint64_t(size) + (size & 1);
}

} // namespace

bool CAviStructure::ChunkAt(uint64_t offset, uint32_t* id, uint32_t* size) {
    uint8_t header[8];
    if (m_chunksLeft == 0 || offset > m_fileSize || m_fileSize - offset < 8 ||
        !m_read(offset, header, sizeof(header))) {
        return false;
    }
    --m_chunksLeft;
    *id = ReadU32(header);
    *size = ReadU32(header + 4);
    return *size <= kMaxChunkBytes;
}

// "##xx" (a stream's data) or "ix##" (a stream's index of the OpenDML extension): a stream
// number in two hex digits, below the count of the main header.
bool CAviStructure::IsStreamChunk(uint32_t id) const {
    const bool index = (id & 0xFFFF) == ('i' | 'x' << 8);
    const uint32_t digits = index ? id >> 16 : id & 0xFFFF;
    int high = HexDigit(digits & 0xFF);
    int low = HexDigit(digits >> 8);
    return high >= 0 && low >= 0 && uint32_t(high * 16 + low) < m_streams;
}

bool CAviStructure::Check(const Reader& read, uint64_t fileSize) {
    m_read = read;
    m_fileSize = fileSize;
    m_streams = 0;
    m_chunksLeft = kMaxChunks;
    uint8_t form[12];
    if (fileSize < sizeof(form) || !m_read(0, form, sizeof(form)) ||
        ReadU32(form) != FourCc("RIFF") || ReadU32(form + 8) != FourCc("AVI ") ||
        ReadU32(form + 4) > kMaxChunkBytes) {
        return false;
    }
    // A form longer than the file is a clip cut short: its chunks end at the file's end.
    uint64_t end = std::min<uint64_t>(8 + uint64_t(ReadU32(form + 4)), fileSize);
    bool sawHeader = false;
    bool sawMovie = false;
    for (uint64_t pos = 12; pos + 8 <= end;) {
        uint32_t id = 0;
        uint32_t size = 0;
        if (!ChunkAt(pos, &id, &size) || !IsPrintable(id)) {
            return false;
        }
        uint64_t dataEnd = pos + 8 + uint64_t(size);
        uint8_t type[4] = {};
        if (id == FourCc("LIST") && (size < 4 || !m_read(pos + 8, type, 4))) {
            return false;
        }
        if (id == FourCc("LIST") && ReadU32(type) == FourCc("hdrl")) {
            if (sawHeader || dataEnd > end || !CheckHeaderList(pos + 12, dataEnd)) {
                return false;
            }
            sawHeader = true;
        } else if (id == FourCc("LIST") && ReadU32(type) == FourCc("movi")) {
            if (!sawHeader || sawMovie || !CheckMovie(pos + 12, std::min(dataEnd, end))) {
                return false;
            }
            sawMovie = true;
        } else if (id == FourCc("idx1")) {
            // An index is read whole: one running past the file is refused, not cut.
            if (!sawMovie || dataEnd > end || !CheckIndex(pos + 8, dataEnd)) {
                return false;
            }
        }
        if (dataEnd > end) {
            // Cut short here, or running over the form's end into what follows it.
            if (end < fileSize) {
                return false;
            }
            break;
        }
        pos += 8 + Padded(size);
    }
    return sawHeader && sawMovie;
}

// avih first, then the streams' lists; every chunk inside its list, lists within lists too.
bool CAviStructure::CheckHeaderList(uint64_t start, uint64_t end) {
    uint32_t id = 0;
    uint32_t size = 0;
    uint8_t header[kMainHeaderBytes];
    if (!ChunkAt(start, &id, &size) || id != FourCc("avih") || size < kMainHeaderBytes ||
        start + 8 + uint64_t(size) > end || !m_read(start + 8, header, sizeof(header))) {
        return false;
    }
    m_streams = ReadU32(header + 24); // dwStreams
    if (m_streams == 0 || m_streams > 100 || !CheckNested(start + 8 + Padded(size), end, 0)) {
        return false;
    }
    // One stream list for each stream counted, each opening with the stream's header and its
    // format (Wine 8 reads a stream that is counted but not there).
    uint32_t lists = 0;
    for (uint64_t pos = start + 8 + Padded(size); pos + 8 <= end; pos += 8 + Padded(size)) {
        uint8_t type[4];
        uint32_t streamHeader = 0;
        uint32_t headerSize = 0;
        uint32_t format = 0;
        uint32_t formatSize = 0;
        if (!ChunkAt(pos, &id, &size)) {
            return false;
        }
        if (id != FourCc("LIST") || !m_read(pos + 8, type, 4) || ReadU32(type) != FourCc("strl")) {
            continue;
        }
        if (!ChunkAt(pos + 12, &streamHeader, &headerSize) || streamHeader != FourCc("strh") ||
            headerSize < kStreamHeaderBytes ||
            !ChunkAt(pos + 20 + Padded(headerSize), &format, &formatSize) ||
            format != FourCc("strf")) {
            return false;
        }
        ++lists;
    }
    return lists == m_streams;
}

bool CAviStructure::CheckNested(uint64_t start, uint64_t end, int depth) {
    if (depth > kMaxListDepth) {
        return false;
    }
    for (uint64_t pos = start; pos + 8 <= end;) {
        uint32_t id = 0;
        uint32_t size = 0;
        if (!ChunkAt(pos, &id, &size) || pos + 8 + uint64_t(size) > end) {
            return false;
        }
        if (id == FourCc("LIST") &&
            (size < 4 || !CheckNested(pos + 12, pos + 8 + uint64_t(size), depth + 1))) {
            return false;
        }
        pos += 8 + Padded(size);
    }
    return true;
}

// The movie data: stream chunks, or 'rec ' lists of them, or padding.
bool CAviStructure::CheckMovie(uint64_t start, uint64_t end) {
    for (uint64_t pos = start; pos + 8 <= end;) {
        uint32_t id = 0;
        uint32_t size = 0;
        if (!ChunkAt(pos, &id, &size)) {
            return false;
        }
        uint64_t dataEnd = pos + 8 + uint64_t(size);
        if (id == FourCc("LIST")) {
            pos += 12; // a 'rec ' list: its chunks follow
            continue;
        }
        if (id != FourCc("JUNK") && !IsStreamChunk(id)) {
            return false;
        }
        if (dataEnd > end) {
            return dataEnd > m_fileSize; // cut short, or running over the next chunk
        }
        pos += 8 + Padded(size);
    }
    return true;
}

// 16 bytes an entry: chunk id, flags, offset, size.
bool CAviStructure::CheckIndex(uint64_t start, uint64_t end) {
    uint8_t entry[16];
    for (uint64_t pos = start; pos + sizeof(entry) <= end; pos += sizeof(entry)) {
        if (m_chunksLeft == 0 || !m_read(pos, entry, sizeof(entry))) {
            return false;
        }
        --m_chunksLeft;
        uint32_t id = ReadU32(entry);
        if (id != FourCc("rec ") && !IsStreamChunk(id)) {
            return false;
        }
    }
    return true;
}

bool CheckAviStructure(const uint8_t* data, size_t size) {
    CAviStructure structure;
    return structure.Check(
        [data, size](uint64_t offset, uint8_t* buffer, size_t count) {
            if (offset > size || size - offset < count) {
                return false;
            }
            std::memcpy(buffer, data + offset, count);
            return true;
        },
        size);
}
