// Where the tray's cells lie: equal cells left to right in as many columns as the width
// takes, the columns centred, rows top to bottom, the whole grid scrolled up by a pixel offset. The
// window and its tests both place cells with it.
#pragma once

#include <windows.h>

class CTrayLayout {
public:
    static constexpr int kThumbWidth = 160; // the picture area of a cell
    static constexpr int kThumbHeight = 120;
    static constexpr int kPad = 4;          // room for the selection frame around the picture
    static constexpr int kLabelHeight = 18; // one line of label text
    static constexpr int kGap = 8;          // between neighbouring cells
    static constexpr int kMargin = 8;       // between the grid and the window's edges
    static constexpr int kCellWidth = kPad + kThumbWidth + kPad;
    static constexpr int kCellHeight = kPad + kThumbHeight + kPad + kLabelHeight + kPad;
    static constexpr int kPitchX = kCellWidth + kGap;
    static constexpr int kPitchY = kCellHeight + kGap;
    // One scroll-bar arrow click; a mouse wheel notch scrolls the system's wheel lines of it.
    static constexpr int kLineStep = kPitchY / 3;

    CTrayLayout(int clientWidth, int clientHeight, size_t count)
        : m_width(clientWidth > 0 ? clientWidth : 0), m_height(clientHeight > 0 ? clientHeight : 0),
          m_count(count > 0x7FFFFFF ? 0x7FFFFFF : static_cast<int>(count)) {}

    int Count() const { return m_count; }
    int Columns() const {
        int columns = (m_width - 2 * kMargin + kGap) / kPitchX;
        return columns > 0 ? columns : 1;
    }
    int Rows() const { return (m_count + Columns() - 1) / Columns(); }
    // Height of the whole grid with its margins; 0 when there are no items.
    int ContentHeight() const { return m_count ? 2 * kMargin + Rows() * kPitchY - kGap : 0; }
    int MaxScroll() const { return ContentHeight() > m_height ? ContentHeight() - m_height : 0; }
    int ClampScroll(int scroll) const {
        return scroll < 0 ? 0 : (scroll > MaxScroll() ? MaxScroll() : scroll);
    }
    // Whole rows a page shows, at least one: what Page Up and Page Down move by.
    int PageRows() const {
        int rows = (m_height - 2 * kMargin + kGap) / kPitchY;
        return rows > 0 ? rows : 1;
    }

    // Left edge of the first column: the grid is centred, with at least the margin.
    int Left() const {
        int spare = m_width - (Columns() * kPitchX - kGap);
        return spare / 2 > kMargin ? spare / 2 : kMargin;
    }

    // A cell in client coordinates: its frame room, picture and label.
    RECT CellRect(int index, int scroll) const {
        int x = Left() + (index % Columns()) * kPitchX;
        int y = kMargin + (index / Columns()) * kPitchY - scroll;
        return RECT{x, y, x + kCellWidth, y + kCellHeight};
    }
    RECT ThumbRect(int index, int scroll) const {
        RECT cell = CellRect(index, scroll);
        return RECT{cell.left + kPad, cell.top + kPad, cell.left + kPad + kThumbWidth,
                    cell.top + kPad + kThumbHeight};
    }
    RECT LabelRect(int index, int scroll) const {
        RECT thumb = ThumbRect(index, scroll);
        return RECT{thumb.left, thumb.bottom + kPad, thumb.right,
                    thumb.bottom + kPad + kLabelHeight};
    }

    // The item whose cell holds the point, or -1 for the space between and after cells.
    int HitTest(POINT point, int scroll) const {
        int x = point.x - Left();
        int y = point.y + scroll - kMargin;
        if (x < 0 || y < 0 || x % kPitchX >= kCellWidth || y % kPitchY >= kCellHeight) {
            return -1;
        }
        int column = x / kPitchX;
        if (column >= Columns()) {
            return -1;
        }
        long long index = static_cast<long long>(y / kPitchY) * Columns() + column;
        return index < m_count ? static_cast<int>(index) : -1;
    }

    // The items whose cells show at least partly: [*first, *last).
    void VisibleRange(int scroll, int* first, int* last) const {
        int topRow = (scroll - kMargin) / kPitchY;
        int bottomRow = (scroll + m_height - kMargin) / kPitchY + 1;
        topRow = topRow < 0 ? 0 : topRow;
        long long from = static_cast<long long>(topRow) * Columns();
        long long to = static_cast<long long>(bottomRow) * Columns();
        *first = static_cast<int>(from < m_count ? from : m_count);
        *last = static_cast<int>(to < m_count ? to : m_count);
    }

    // The scroll offset nearest to `scroll` that shows the whole cell of `index`.
    int ScrollToShow(int index, int scroll) const {
        RECT cell = CellRect(index, 0);
        int top = cell.top - kMargin;
        int bottom = cell.bottom + kMargin;
        if (top < scroll) {
            scroll = top;
        } else if (bottom > scroll + m_height) {
            scroll = bottom - m_height;
        }
        return ClampScroll(scroll);
    }

private:
    int m_width;
    int m_height;
    int m_count;
};
