// Walks an AVI clip's RIFF structure before the system's AVIFile sees it: Wine 8's AVIFile
// reads outside its own memory when a chunk in the movie data or the index names a stream
// the clip does not have (bytes lost or inserted on a damaged card shift every chunk after
// them), and that would take the tray down with it. Plain C++: the tray reads the file
// through a callback, the fuzzer and the tests give it memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

class CAviStructure {
public:
    // Fills `buffer` with `count` bytes at `offset`; false when they are not all there.
    using Reader = std::function<bool(uint64_t offset, uint8_t* buffer, size_t count)>;

    // True when the clip is a RIFF 'AVI ' form whose header lists and chunks each lie inside
    // their parent, with a main header, and whose movie data and index name only the streams
    // the main header counts. A clip cut short inside its movie data still passes (AVIFile
    // reads what is there); one cut before its movie data or inside its index does not.
    bool Check(const Reader& read, uint64_t fileSize);

    uint32_t Streams() const { return m_streams; }

private:
    bool CheckHeaderList(uint64_t start, uint64_t end);
    bool CheckNested(uint64_t start, uint64_t end, int depth);
    bool CheckMovie(uint64_t start, uint64_t end);
    bool CheckIndex(uint64_t start, uint64_t end);
    bool ChunkAt(uint64_t offset, uint32_t* id, uint32_t* size);
    bool IsStreamChunk(uint32_t id) const;

    Reader m_read;
    uint64_t m_fileSize = 0;
    uint32_t m_streams = 0;
    uint64_t m_chunksLeft = 0;
};

// The same check on a clip held in memory.
bool CheckAviStructure(const uint8_t* data, size_t size);
