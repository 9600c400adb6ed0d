#include "tests/support/Canvas.h"

namespace scratch {

namespace {

HBITMAP CreateSection(HDC dc, int width, int height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB};
    return ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

}  // namespace

Canvas::Canvas(int width, int height) : m_width(width), m_height(height) {
    if (!m_memory.CreateCompatibleDC(nullptr)) {
        return;
    }
    void* bits = nullptr;
    m_bitmap = CreateSection(m_memory, width, height, &bits);
    if (m_bitmap != nullptr) {
        m_previous = m_memory.SelectObject(m_bitmap);
    }
}

Canvas::~Canvas() {
    if (m_previous != nullptr) {
        m_memory.SelectObject(m_previous);
    }
    if (m_bitmap != nullptr) {
        ::DeleteObject(m_bitmap);
    }
}

void Canvas::Fill(COLORREF color) {
    m_memory.FillSolidRect(RECT{0, 0, m_width, m_height}, color);
}

HBITMAP MakeDibSection(int width, int height, const std::function<COLORREF(int, int)>& color) {
    void* bits = nullptr;
    HBITMAP section = CreateSection(nullptr, width, height, &bits);
    if (section == nullptr) {
        return nullptr;
    }
    const int stride = (width * 3 + 3) & ~3;
    for (int y = 0; y < height; ++y) {
        BYTE* row = static_cast<BYTE*>(bits) + static_cast<size_t>(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const COLORREF c = color(x, y);
            row[x * 3] = GetBValue(c);
            row[x * 3 + 1] = GetGValue(c);
            row[x * 3 + 2] = GetRValue(c);
        }
    }
    ::GdiFlush();
    return section;
}

}  // namespace scratch
