#include "BmpWriter.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

#include "ImagingResult.h"
#include "PictureMemory.h"

namespace imaging {

namespace {

// Rows go out in chunks of about this size: one write per row costs a system call each, and
// under Wine much larger writes are markedly slower than 64 KiB ones.
constexpr size_t kChunkBytes = 64 << 10;

// Creates a new, empty file "~bmpXXXX.tmp" in `folder` (with its trailing backslash) and names
// it in `path`. A file of its own from the start, never an empty one opened again and
// truncated: Wine writes such a file back to disk when it is closed, which costs more than
// the whole conversion.
HANDLE CreateNewTemporary(const std::string& folder, char (&path)[MAX_PATH]) {
    static std::atomic<unsigned> counter{GetTickCount()};
    for (int attempt = 0; attempt < 64; ++attempt) {
        const unsigned number = counter++ & 0xFFFF;
        if (snprintf(path, MAX_PATH, "%s~bmp%04X.tmp", folder.c_str(), number) >= MAX_PATH) {
            return INVALID_HANDLE_VALUE;
        }
        HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
            return file;
        }
    }
    return INVALID_HANDLE_VALUE;
}

} // namespace

CBmpWriter::CBmpWriter(const IMGBITMAP& bitmap) : m_bitmap(bitmap) {}

bool CBmpWriter::IsValid() const {
    LONG packedLine = 0;
    size_t bytes = 0;
    if (m_bitmap.bits == nullptr || (m_bitmap.bitsPerPixel != 8 && m_bitmap.bitsPerPixel != 24) ||
        !PixelLayout(m_bitmap.width, m_bitmap.height, m_bitmap.bitsPerPixel, &packedLine, &bytes)) {
        return false;
    }
    // Rows may be padded more than needed, never less.
    return m_bitmap.bytesPerLine >= m_bitmap.width * (m_bitmap.bitsPerPixel / 8) &&
           static_cast<unsigned long long>(m_bitmap.bytesPerLine) * m_bitmap.height <=
               kMaxPixelBytes;
}

int CBmpWriter::Save(const char* path, int bitsPerPixel) {
    if (path == nullptr || !IsValid()) {
        return kBadArgument;
    }
    int depth = bitsPerPixel == 0 ? m_bitmap.bitsPerPixel : bitsPerPixel;
    if (depth != 24 && !(depth == 8 && m_bitmap.bitsPerPixel == 8)) {
        return kBadArgument;
    }
    char fullPath[MAX_PATH];
    char* name = nullptr;
    DWORD length = GetFullPathNameA(path, MAX_PATH, fullPath, &name);
    if (length == 0 || length >= MAX_PATH || name == nullptr) {
        return kCannotWrite;
    }
    std::string folder(fullPath, name);
    char tempPath[MAX_PATH];
    // In the target's folder, so that the rename cannot cross volumes.
    HANDLE file = CreateNewTemporary(folder, tempPath);
    if (file == INVALID_HANDLE_VALUE) {
        return kCannotWrite;
    }
    int result = WriteFileContents(file, depth);
    if (!CloseHandle(file) && result == kOk) {
        result = kCannotWrite;
    }
    if (result == kOk && !MoveFileExA(tempPath, fullPath, MOVEFILE_REPLACE_EXISTING)) {
        result = kCannotWrite;
    }
    if (result != kOk) {
        DeleteFileA(tempPath);
    }
    return result;
}

int CBmpWriter::WriteFileContents(HANDLE file, int depth) {
    const LONG width = m_bitmap.width;
    const LONG height = m_bitmap.height;
    const size_t fileLine = (static_cast<size_t>(width) * depth + 31) / 32 * 4;
    const DWORD tableBytes = depth == 8 ? 256 * sizeof(RGBQUAD) : 0;
    const DWORD headersBytes = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + tableBytes;

    BITMAPFILEHEADER fileHeader{};
    fileHeader.bfType = 0x4D42; // "BM"
    fileHeader.bfSize = static_cast<DWORD>(headersBytes + fileLine * height);
    fileHeader.bfOffBits = headersBytes;
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(BITMAPINFOHEADER);
    info.biWidth = width;
    info.biHeight = height; // positive: bottom-up
    info.biPlanes = 1;
    info.biBitCount = static_cast<WORD>(depth);
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(fileLine * height);
    info.biClrUsed = depth == 8 ? 256 : 0;

    m_buffer.clear();
    m_buffer.reserve(kChunkBytes + fileLine);
    if (!Put(file, reinterpret_cast<const BYTE*>(&fileHeader), sizeof(fileHeader)) ||
        !Put(file, reinterpret_cast<const BYTE*>(&info), sizeof(info))) {
        return kCannotWrite;
    }
    for (int i = 0; i < 256 && depth == 8; ++i) {
        const BYTE gray[4] = {static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
        if (!Put(file, gray, sizeof(gray))) {
            return kCannotWrite;
        }
    }
    std::vector<BYTE> line(fileLine, 0);
    for (LONG y = height - 1; y >= 0; --y) {
        const BYTE* source = m_bitmap.bits + static_cast<size_t>(y) * m_bitmap.bytesPerLine;
        if (depth == m_bitmap.bitsPerPixel) {
            std::memcpy(line.data(), source, static_cast<size_t>(width) * (depth / 8));
        } else {
            // A gray picture written as colour.
            for (LONG x = 0; x < width; ++x) {
                std::memset(&line[static_cast<size_t>(x) * 3], source[x], 3);
            }
        }
        if (!Put(file, line.data(), line.size())) {
            return kCannotWrite;
        }
    }
    return Flush(file) ? kOk : kCannotWrite;
}

bool CBmpWriter::Put(HANDLE file, const BYTE* bytes, size_t count) {
    if (m_buffer.size() + count > kChunkBytes && !Flush(file)) {
        return false;
    }
    m_buffer.insert(m_buffer.end(), bytes, bytes + count);
    return true;
}

bool CBmpWriter::Flush(HANDLE file) {
    DWORD written = 0;
    if (!m_buffer.empty() && (!WriteFile(file, m_buffer.data(), static_cast<DWORD>(m_buffer.size()),
                                         &written, nullptr) ||
                              written != m_buffer.size())) {
        return false;
    }
    m_buffer.clear();
    return true;
}

} // namespace imaging
