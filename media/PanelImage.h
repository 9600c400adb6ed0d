// CPanelImage: a light panel with a rounded, shadowed border, composed once off screen from a
// fill colour and eight bitmap pieces, then copied to the owner's background on every paint.
#pragma once

#include <windows.h>

#include "framework/GdiObject.h"

class CDib;

class CPanelImage {
public:
    // The pieces' places, the index into the arrays that Create and DrawFrame take.
    enum Piece {
        kTopLeft,
        kTop,  // tiled to the right
        kTopRight,
        kRight,  // tiled downwards
        kBottomRight,
        kBottom,  // tiled to the right
        kBottomLeft,
        kLeft,  // tiled downwards
        kPieceCount
    };

    CPanelImage() = default;
    ~CPanelImage() { Destroy(); }
    CPanelImage(const CPanelImage&) = delete;
    CPanelImage& operator=(const CPanelImage&) = delete;

    // Composes a width x height panel of `fill` framed by the bitmap resources `pieceIds` (of
    // the module that supplies the program's resources). A piece that does not load is left
    // out. A panel already made is destroyed first. FALSE when no memory context or bitmap
    // could be made; nothing is held then.
    BOOL Create(int width, int height, COLORREF fill, const UINT pieceIds[kPieceCount]);
    // Releases the panel; harmless when there is none.
    void Destroy();
    // Copies the whole panel to (x, y) of `dc`; FALSE, drawing nothing, when there is no panel.
    BOOL Blit(CDC* dc, int x, int y);
    BOOL IsCreated() const { return m_created; }

    // Draws the corners of `rect` and tiles the edges between them; a shortened last tile of the
    // right or bottom edge is the whole piece squeezed. FALSE when an edge piece has no length
    // to advance by (one that did not load): drawing ends there rather than tile for ever.
    static BOOL DrawFrame(CDC* dc, const RECT& rect, CDib pieces[kPieceCount]);

private:
    BOOL m_created = FALSE;
    CDC m_memoryDC;  // holds m_bitmap while created
    int m_width = 0;
    int m_height = 0;
    CBitmap m_bitmap;
    HGDIOBJ m_previousBitmap = nullptr;  // what m_memoryDC held before; null: nothing to restore
};
