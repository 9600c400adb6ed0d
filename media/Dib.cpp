#include "media/Dib.h"

#include <cstring>
#include <memory>
#include <new>

const CRuntimeClass CDib::classCDib = {"CDib", &CBitmap::classCBitmap};

namespace {

constexpr UINT kMaxColors = 256;

// A BITMAPINFO with room for a full colour table.
struct CBitmapInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[kMaxColors];
};

}  // namespace

CDib::~CDib() {
    Free();
}

BOOL CDib::LoadFromResource(HINSTANCE module, UINT id) {
    return LoadFromResource(module, MAKEINTRESOURCEA(LOWORD(id)));
}

BOOL CDib::LoadFromResource(HINSTANCE module, LPCSTR name) {
    Free();
    return AttachDib(static_cast<HBITMAP>(::LoadImageA(module, name, IMAGE_BITMAP, 0, 0,
                                                       LR_DEFAULTSIZE | LR_CREATEDIBSECTION)));
}

BOOL CDib::LoadFromFile(LPCSTR path) {
    Free();
    return AttachDib(static_cast<HBITMAP>(
        ::LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0,
                     LR_LOADFROMFILE | LR_DEFAULTSIZE | LR_CREATEDIBSECTION)));
}

BOOL CDib::AttachDib(HBITMAP section) {
    if (!Attach(section)) {
        return FALSE;
    }
    if (GetBitmap(&m_bm) == 0) {
        return FALSE;
    }
    m_palette.DeleteObject();
    return BuildPalette(&m_palette);
}

void CDib::Free() {
    m_palette.DeleteObject();
    if (m_hDrawDib != nullptr) {
        ::DrawDibClose(m_hDrawDib);
        m_hDrawDib = nullptr;
    }
    std::memset(&m_bm, 0, sizeof m_bm);
    DeleteObject();
}

BOOL CDib::BuildPalette(CPalette* palette) {
    if (palette == nullptr) {
        return FALSE;
    }
    RGBQUAD entries[kMaxColors];
    const UINT count = GetColorTable(entries, kMaxColors);
    if (count == 0) {
        // 16, 24 and 32 bits per pixel have no colour table: a halftone palette shows them.
        CScreenDC screen;
        return palette->CreateHalftonePalette(&screen);
    }
    const size_t bytes = sizeof(LOGPALETTE) + (count - 1) * sizeof(PALETTEENTRY);
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[bytes]);
    if (!buffer) {
        return FALSE;
    }
    auto* logical = reinterpret_cast<LOGPALETTE*>(buffer.get());
    logical->palVersion = 0x300;
    logical->palNumEntries = static_cast<WORD>(count);
    for (UINT i = 0; i < count; ++i) {
        logical->palPalEntry[i] = {entries[i].rgbRed, entries[i].rgbGreen, entries[i].rgbBlue, 0};
    }
    return palette->CreatePalette(logical);
}

UINT CDib::GetColorTable(RGBQUAD* entries, UINT maxCount) const {
    if (IsEmpty() || entries == nullptr) {
        return 0;
    }
    CScreenDC screen;
    CDC memory;
    if (!memory.CreateCompatibleDC(&screen)) {
        return 0;
    }
    HGDIOBJ previous = memory.SelectObject(m_hObject);
    const UINT count = ::GetDIBColorTable(memory, 0, maxCount, entries);
    memory.SelectObject(previous);
    return count;
}

void CDib::GetInfoHeader(BITMAPINFOHEADER* header) const {
    DIBSECTION section{};
    if (header == nullptr) {
        return;
    }
    if (GetObject(sizeof section, &section) == sizeof section) {
        *header = section.dsBmih;
    } else {
        std::memset(header, 0, sizeof *header);
    }
}

BOOL CDib::Draw(CDC* dc, const RECT& destination, const RECT& source, BOOL foreground) {
    if (IsEmpty() || dc == nullptr) {
        return FALSE;
    }
    HPALETTE previous = dc->SelectPalette(m_palette, !foreground);
    dc->RealizePalette();
    if (m_hDrawDib == nullptr) {
        m_hDrawDib = ::DrawDibOpen();
    }
    CBitmapInfo info{};
    GetInfoHeader(&info.header);
    GetColorTable(info.colors, kMaxColors);
    // Only the rows the source covers are handed over, as a picture of their own: a DrawDib
    // that copies what it is given before drawing (Wine's does) then copies a band, not the
    // whole of a large picture, at every scroll.
    const BYTE* bits = static_cast<const BYTE*>(m_bm.bmBits);
    LONG top = source.top;
    const LONG rows = source.bottom - source.top;
    if (info.header.biHeight > 0 && rows > 0 && top >= 0 && source.bottom <= info.header.biHeight) {
        bits += static_cast<size_t>(info.header.biHeight - source.bottom) * m_bm.bmWidthBytes;
        info.header.biHeight = rows;
        info.header.biSizeImage = static_cast<DWORD>(rows) * static_cast<DWORD>(m_bm.bmWidthBytes);
        top = 0;
    }
    const BOOL drawn = ::DrawDibDraw(
        m_hDrawDib, dc->GetSafeHdc(), destination.left, destination.top,
        destination.right - destination.left, destination.bottom - destination.top, &info.header,
        const_cast<BYTE*>(bits), source.left, top, source.right - source.left, rows,
        foreground ? 0 : DDF_BACKGROUNDPAL);
    if (previous != nullptr) {
        dc->SelectPalette(previous, TRUE);
    }
    return drawn;
}
