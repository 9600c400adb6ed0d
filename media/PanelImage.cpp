#include "media/PanelImage.h"

#include "framework/ResourceHandle.h"
#include "media/Dib.h"

namespace {

// The whole piece into (x, y) - (x + width, y + height), squeezed when that is smaller. A piece
// that did not load draws nothing, which leaves the fill showing: no failure to pass on.
void DrawPiece(CDC* dc, CDib& piece, int x, int y, int width, int height) {
    const RECT source = {0, 0, piece.GetWidth(), piece.GetHeight()};
    piece.Draw(dc, RECT{x, y, x + width, y + height}, source, TRUE);
}

// The piece at its own size.
void DrawPiece(CDC* dc, CDib& piece, int x, int y) {
    DrawPiece(dc, piece, x, y, piece.GetWidth(), piece.GetHeight());
}

}  // namespace

BOOL CPanelImage::Create(int width, int height, COLORREF fill, const UINT pieceIds[kPieceCount]) {
    Destroy();
    m_width = width;
    m_height = height;
    if (!m_memoryDC.CreateCompatibleDC(nullptr)) {
        return FALSE;
    }
    const int bitsPerPixel = m_memoryDC.GetDeviceCaps(BITSPIXEL);
    if (!m_bitmap.CreateBitmap(width, height, 1, static_cast<UINT>(bitsPerPixel), nullptr)) {
        m_memoryDC.DeleteDC();
        return FALSE;
    }
    m_previousBitmap = m_memoryDC.SelectObject(m_bitmap);
    if (m_previousBitmap == nullptr) {
        m_bitmap.DeleteObject();
        m_memoryDC.DeleteDC();
        return FALSE;
    }
    m_created = TRUE;
    if (!m_memoryDC.FillSolidRect(RECT{0, 0, width, height}, fill)) {
        Destroy();
        return FALSE;
    }

    CDib pieces[kPieceCount];
    const HINSTANCE resources = AfxGetResourceHandle();
    for (int i = 0; i < kPieceCount; ++i) {
        // A piece that is missing stays empty and is left out of the frame.
        pieces[i].LoadFromResource(resources, pieceIds[i]);
    }
    // A frame cut short by a missing edge piece still leaves a usable, plainer panel.
    DrawFrame(&m_memoryDC, RECT{0, 0, width, height}, pieces);
    return TRUE;
}

void CPanelImage::Destroy() {
    if (!m_created) {
        return;
    }
    if (m_previousBitmap != nullptr) {
        m_memoryDC.SelectObject(m_previousBitmap);
        m_previousBitmap = nullptr;
    }
    m_memoryDC.DeleteDC();
    m_bitmap.DeleteObject();
    m_created = FALSE;
}

BOOL CPanelImage::Blit(CDC* dc, int x, int y) {
    if (!m_created || dc == nullptr) {
        return FALSE;
    }
    return dc->BitBlt(x, y, m_width, m_height, &m_memoryDC, 0, 0, SRCCOPY);
}

BOOL CPanelImage::DrawFrame(CDC* dc, const RECT& rect, CDib pieces[kPieceCount]) {
    const LONG left = rect.left, top = rect.top, right = rect.right, bottom = rect.bottom;
    auto width = [pieces](int i) { return static_cast<int>(pieces[i].GetWidth()); };
    auto height = [pieces](int i) { return static_cast<int>(pieces[i].GetHeight()); };

    DrawPiece(dc, pieces[kTopLeft], left, top);
    if (width(kTop) == 0) {
        return FALSE;
    }
    // The last top tile may run under the top-right corner, which covers it.
    for (int x = left + width(kTopLeft); x < right - width(kTopRight); x += width(kTop)) {
        DrawPiece(dc, pieces[kTop], x, top);
    }
    DrawPiece(dc, pieces[kTopRight], right - width(kTopRight), top);

    if (height(kLeft) == 0) {
        return FALSE;
    }
    for (int y = top + height(kTopLeft); y < bottom - height(kBottomLeft); y += height(kLeft)) {
        DrawPiece(dc, pieces[kLeft], left, y);
    }

    if (height(kRight) == 0) {
        return FALSE;
    }
    // The right edge ends exactly where the bottom-right corner begins: a last tile that would
    // pass it is squeezed, since a corner narrower than the edge would not cover the overrun.
    const int rightEnd = bottom - height(kBottomRight);
    for (int y = top + height(kTopRight); y < rightEnd; y += height(kRight)) {
        const int tile = y + height(kRight) > rightEnd ? rightEnd - y : height(kRight);
        DrawPiece(dc, pieces[kRight], right - width(kRight), y, width(kRight), tile);
    }
    DrawPiece(dc, pieces[kBottomLeft], left, bottom - height(kBottomLeft));

    if (width(kBottom) == 0) {
        return FALSE;
    }
    const int bottomEnd = right - width(kBottomRight);
    for (int x = left + width(kBottomLeft); x < bottomEnd; x += width(kBottom)) {
        const int tile = x + width(kBottom) > bottomEnd ? bottomEnd - x : width(kBottom);
        DrawPiece(dc, pieces[kBottom], x, bottom - height(kBottom), tile, height(kBottom));
    }
    DrawPiece(dc, pieces[kBottomRight], right - width(kBottomRight), bottom - height(kBottomRight));
    return TRUE;
}
