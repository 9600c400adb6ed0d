// CPanelImage: where the frame's tiling starts and stops (no top tile between touching
// corners, a right edge squeezed to meet its corner), an edge piece that did not load ending
// the drawing instead of tiling for ever, and copying a panel only while it exists.
#include <gtest/gtest.h>

#include <string>

#include "media/Dib.h"
#include "media/PanelImage.h"
#include "resource.h"
#include "tests/support/Canvas.h"

namespace {

using scratch::Canvas;

const COLORREF kBackground = RGB(240, 240, 240);
const COLORREF kColor[CPanelImage::kPieceCount] = {
    RGB(200, 0, 0),    RGB(0, 200, 0),    RGB(0, 0, 200),     RGB(200, 200, 0),
    RGB(200, 0, 200),  RGB(100, 100, 100), RGB(50, 100, 150), RGB(150, 100, 50)};
// The lower half of the right-edge piece, to tell a squeezed tile from a cut-off one.
const COLORREF kRightLower = RGB(0, 200, 200);

std::string Hex(COLORREF c) {
    char text[16];
    wsprintfA(text, "%06lX", static_cast<unsigned long>(c));
    return text;
}

// Solid pieces of the given sizes (0 x 0: a piece that did not load); the right edge is two
// colours, its upper half kColor[kRight].
void MakePieces(CDib pieces[], const SIZE sizes[]) {
    for (int i = 0; i < CPanelImage::kPieceCount; ++i) {
        pieces[i].Free();
        if (sizes[i].cx == 0) {
            continue;
        }
        const LONG half = sizes[i].cy / 2;
        HBITMAP section = scratch::MakeDibSection(sizes[i].cx, sizes[i].cy, [&](int, int y) {
            return i == CPanelImage::kRight && y >= half ? kRightLower : kColor[i];
        });
        ASSERT_TRUE(pieces[i].AttachDib(section)) << "piece " << i;
    }
}

TEST(PanelImage, PanelAsWideAsItsTopCornersHasNoTopTile) {
    // The top edge is taller than the corners and the sides are thin, so a tile would show
    // below the top-right corner.
    const SIZE sizes[] = {{5, 5}, {4, 7}, {5, 5}, {2, 4}, {5, 5}, {4, 2}, {5, 5}, {2, 4}};
    CDib pieces[CPanelImage::kPieceCount];
    MakePieces(pieces, sizes);
    Canvas canvas(12, 20);
    ASSERT_TRUE(canvas.IsReady());
    canvas.Fill(kBackground);
    EXPECT_TRUE(CPanelImage::DrawFrame(canvas.Dc(), RECT{0, 0, 10, 20}, pieces));
    EXPECT_EQ(Hex(kBackground), Hex(canvas.At(5, 6)));
    EXPECT_EQ(Hex(kColor[CPanelImage::kTopRight]), Hex(canvas.At(5, 0)));
    // One pixel wider: one tile, under the corner but for its lower rows.
    canvas.Fill(kBackground);
    EXPECT_TRUE(CPanelImage::DrawFrame(canvas.Dc(), RECT{0, 0, 11, 20}, pieces));
    EXPECT_EQ(Hex(kColor[CPanelImage::kTop]), Hex(canvas.At(5, 6)));
}

TEST(PanelImage, RightEdgeEndsSqueezedWhereTheBottomRightCornerBegins) {
    // The right edge (6 x 10) is wider than its bottom corner (3 x 8), so an overrun of the
    // corner would show beside it; the bottom edge is too low to cover it.
    const SIZE sizes[] = {{4, 4}, {4, 4}, {4, 4}, {6, 10}, {3, 8}, {4, 2}, {4, 4}, {4, 4}};
    CDib pieces[CPanelImage::kPieceCount];
    MakePieces(pieces, sizes);
    Canvas canvas(30, 36);
    ASSERT_TRUE(canvas.IsReady());
    canvas.Fill(kBackground);
    // The edge runs from y = 4 to 36 - 8 = 28: tiles at 4 and 14, then 4 rows left at 24,
    // which a cut-off tile would fill with the upper colour alone.
    EXPECT_TRUE(CPanelImage::DrawFrame(canvas.Dc(), RECT{0, 0, 30, 36}, pieces));
    EXPECT_EQ(Hex(kColor[CPanelImage::kRight]), Hex(canvas.At(25, 14)));
    EXPECT_EQ(Hex(kRightLower), Hex(canvas.At(25, 23)));
    EXPECT_EQ(Hex(kColor[CPanelImage::kRight]), Hex(canvas.At(25, 24)))
        << "the last tile starts with the piece's top";
    EXPECT_EQ(Hex(kRightLower), Hex(canvas.At(25, 27)))
        << "and ends with its bottom: squeezed, not cut off";
    EXPECT_EQ(Hex(kBackground), Hex(canvas.At(25, 28))) << "nothing past the corner's top";
    EXPECT_EQ(Hex(kColor[CPanelImage::kBottomRight]), Hex(canvas.At(27, 28)));
}

struct MissingEdge {
    CPanelImage::Piece missing;
    POINT lastDrawn;  // a pixel of the piece drawn just before the drawing ends
    CPanelImage::Piece lastPiece;
    POINT notDrawn;  // a pixel of the next piece, which is not drawn
};

TEST(PanelImage, AnEdgePieceThatDidNotLoadEndsTheDrawing) {
    // On a 20 x 20 rectangle of 4 x 4 pieces.
    const MissingEdge cases[] = {
        {CPanelImage::kTop, {0, 0}, CPanelImage::kTopLeft, {19, 0}},
        {CPanelImage::kLeft, {19, 0}, CPanelImage::kTopRight, {19, 8}},
        {CPanelImage::kRight, {0, 8}, CPanelImage::kLeft, {0, 19}},
        {CPanelImage::kBottom, {0, 19}, CPanelImage::kBottomLeft, {19, 19}},
    };
    for (const MissingEdge& c : cases) {
        SCOPED_TRACE("missing piece " + std::to_string(c.missing));
        SIZE sizes[CPanelImage::kPieceCount];
        for (SIZE& size : sizes) {
            size = {4, 4};
        }
        sizes[c.missing] = {0, 0};
        CDib pieces[CPanelImage::kPieceCount];
        MakePieces(pieces, sizes);
        Canvas canvas(20, 20);
        ASSERT_TRUE(canvas.IsReady());
        canvas.Fill(kBackground);
        EXPECT_FALSE(CPanelImage::DrawFrame(canvas.Dc(), RECT{0, 0, 20, 20}, pieces));
        EXPECT_EQ(Hex(kColor[c.lastPiece]), Hex(canvas.At(c.lastDrawn.x, c.lastDrawn.y)));
        EXPECT_EQ(Hex(kBackground), Hex(canvas.At(c.notDrawn.x, c.notDrawn.y)));
    }
}

TEST(PanelImage, BlitDrawsOnlyWhileThePanelExists) {
    const UINT status[] = {IDB_STATUS_TOP_LEFT,     IDB_STATUS_TOP,    IDB_STATUS_TOP_RIGHT,
                           IDB_STATUS_RIGHT,        IDB_STATUS_BOTTOM_RIGHT,
                           IDB_STATUS_BOTTOM,       IDB_STATUS_BOTTOM_LEFT, IDB_STATUS_LEFT};
    const COLORREF fill = RGB(212, 230, 249);
    Canvas canvas(100, 80);
    ASSERT_TRUE(canvas.IsReady());
    canvas.Fill(kBackground);
    CPanelImage panel;
    EXPECT_FALSE(panel.Blit(canvas.Dc(), 0, 0));
    EXPECT_EQ(Hex(kBackground), Hex(canvas.At(0, 0)));

    ASSERT_TRUE(panel.Create(90, 70, fill, status));
    EXPECT_TRUE(panel.Blit(canvas.Dc(), 5, 5));
    EXPECT_EQ(Hex(kBackground), Hex(canvas.At(4, 4)));
    EXPECT_EQ(Hex(fill), Hex(canvas.At(50, 40))) << "the middle is the fill";
    EXPECT_EQ(Hex(kBackground), Hex(canvas.At(95, 75)));
    // The corner comes from the program's resources.
    CDib corner;
    ASSERT_TRUE(corner.LoadFromResource(::GetModuleHandleA(nullptr), IDB_STATUS_TOP_LEFT));
    Canvas piece(1, 1);
    ASSERT_TRUE(corner.Draw(piece.Dc(), RECT{0, 0, 1, 1}, RECT{0, 0, 1, 1}, TRUE));
    EXPECT_EQ(Hex(piece.At(0, 0)), Hex(canvas.At(5, 5)));

    panel.Destroy();
    EXPECT_FALSE(panel.IsCreated());
    canvas.Fill(kBackground);
    EXPECT_FALSE(panel.Blit(canvas.Dc(), 5, 5));
    EXPECT_EQ(Hex(kBackground), Hex(canvas.At(50, 40)));
    panel.Destroy();
    EXPECT_FALSE(panel.IsCreated());
}

TEST(PanelImage, PiecesMissingFromTheResourcesLeaveAPlainPanel) {
    const UINT missing[] = {9101, 9102, 9103, 9104, 9105, 9106, 9107, 9108};
    CPanelImage panel;
    ASSERT_TRUE(panel.Create(20, 10, RGB(230, 230, 230), missing));
    Canvas canvas(20, 10);
    ASSERT_TRUE(canvas.IsReady());
    ASSERT_TRUE(panel.Blit(canvas.Dc(), 0, 0));
    EXPECT_EQ(Hex(RGB(230, 230, 230)), Hex(canvas.At(0, 0)));
    EXPECT_EQ(Hex(RGB(230, 230, 230)), Hex(canvas.At(19, 9)));
}

}  // namespace
