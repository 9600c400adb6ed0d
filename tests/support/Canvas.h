// Pixels checked in memory: a 24-bit bitmap in a memory context to draw into and read back,
// and DIB sections with known pixels to draw from.
#pragma once

#include <windows.h>

#include <functional>

#include "framework/GdiObject.h"

namespace scratch {

class Canvas {
public:
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool IsReady() const { return m_previous != nullptr; }
    CDC* Dc() { return &m_memory; }
    COLORREF At(int x, int y) const { return ::GetPixel(m_memory, x, y); }
    void Fill(COLORREF color);

private:
    CDC m_memory;
    int m_width;
    int m_height;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
};

// A bottom-up 24-bit DIB section (the kind DrawDib takes) whose pixel (x, y), counted from
// the top, is color(x, y); null when it cannot be made.
HBITMAP MakeDibSection(int width, int height, const std::function<COLORREF(int, int)>& color);

}  // namespace scratch
