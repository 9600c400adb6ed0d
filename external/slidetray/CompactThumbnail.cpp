#include "external/slidetray/CompactThumbnail.h"

#include <cstdlib>

#include "external/jpegsupport/JpegErrorTrap.h"
#include "external/slidetray/JpegDecoder.h"

namespace {

// High enough that the thumbnail looks as made; a 160x120 photograph takes 6-11 KB, against
// 56 KB as 24-bit pixels.
const int kQuality = 95;

// One compression. State that must be cleaned up after a jump out of libjpeg (the encoder,
// its output buffer) lives in members and goes in the destructor.
class CCompressor {
public:
    CCompressor() { m_jpeg.err = m_trap.Install(); }
    ~CCompressor() {
        jpeg_destroy_compress(&m_jpeg);
        std::free(m_buffer);
    }
    CCompressor(const CCompressor&) = delete;
    CCompressor& operator=(const CCompressor&) = delete;

    bool Compress(const ThumbnailImage& image, std::vector<uint8_t>* jpeg) {
        if (setjmp(m_trap.jump) != 0) {
            return false;
        }
        jpeg_create_compress(&m_jpeg);
        jpeg_mem_dest(&m_jpeg, &m_buffer, &m_size);
        m_jpeg.image_width = static_cast<JDIMENSION>(image.width);
        m_jpeg.image_height = static_cast<JDIMENSION>(image.height);
        // The pixels as they are in memory: B, G, R and an unused byte.
        m_jpeg.input_components = 4;
        m_jpeg.in_color_space = JCS_EXT_BGRX;
        jpeg_set_defaults(&m_jpeg);
        jpeg_set_quality(&m_jpeg, kQuality, TRUE);
        for (int i = 0; i < m_jpeg.num_components; ++i) {
            m_jpeg.comp_info[i].h_samp_factor = 1;
            m_jpeg.comp_info[i].v_samp_factor = 1;
        }
        m_jpeg.optimize_coding = TRUE;
        jpeg_start_compress(&m_jpeg, TRUE);
        while (m_jpeg.next_scanline < m_jpeg.image_height) {
            JSAMPROW row = reinterpret_cast<JSAMPROW>(const_cast<uint32_t*>(
                &image.pixels[size_t(m_jpeg.next_scanline) * size_t(image.width)]));
            jpeg_write_scanlines(&m_jpeg, &row, 1);
        }
        jpeg_finish_compress(&m_jpeg);
        // Copied to a block of its exact size: libjpeg's buffer has room to spare.
        jpeg->assign(m_buffer, m_buffer + m_size);
        return true;
    }

private:
    jpegsupport::JpegErrorTrap m_trap{};
    jpeg_compress_struct m_jpeg{};
    unsigned char* m_buffer = nullptr;
    unsigned long m_size = 0;
};

} // namespace

bool CompressThumbnail(const ThumbnailImage& image, std::vector<uint8_t>* jpeg) {
    if (jpeg == nullptr || image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != size_t(image.width) * size_t(image.height)) {
        return false;
    }
    CCompressor compressor;
    return compressor.Compress(image, jpeg);
}

bool ExpandThumbnail(const std::vector<uint8_t>& jpeg, int width, int height,
                     std::vector<uint8_t>* bits) {
    CJpegDecoder decoder(jpeg.data(), jpeg.size());
    int storedWidth = 0;
    int storedHeight = 0;
    return bits != nullptr && decoder.ReadHeader(&storedWidth, &storedHeight) &&
           storedWidth == width && storedHeight == height && decoder.DecodeDib(bits);
}
