// The driver's reading of a still's picture size: the first frame header of a JPEG, walked
// marker by marker through a stream of bytes. Plain C++: the driver feeds it a file, the
// fuzzer and the tests feed it memory.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrel {

// A stream read front to back.
class CByteSource {
public:
    virtual ~CByteSource() = default;
    // False at the end of the stream or on a read error.
    virtual bool ReadByte(uint8_t& byte) = 0;
    // Skips `count` bytes; past the end the next read fails.
    virtual bool Skip(uint32_t count) = 0;

    bool Read(uint8_t* bytes, uint32_t count);
};

// Bytes held in memory.
class CMemorySource : public CByteSource {
public:
    CMemorySource(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool ReadByte(uint8_t& byte) override;
    bool Skip(uint32_t count) override;

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_next = 0;
};

// The picture size from the first frame header before the first scan; false when the stream
// is no JPEG, or ends or breaks before it, or the size is zero. A broken stream costs at
// most a bounded number of reads.
bool ReadJpegSize(CByteSource& source, uint32_t& width, uint32_t& height);

} // namespace kestrel
