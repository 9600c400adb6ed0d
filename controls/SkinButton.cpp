#include "controls/SkinButton.h"

#include <new>

#include "external/vantix2/Vantix2.h"
#include "framework/Exception.h"
#include "media/Dib.h"

namespace {

const COLORREF kCaptionColor = RGB(255, 255, 255);
const UINT kCaptionFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

// Around a caption drawn with kCaptionFormat in `textRect` (whose left and top are those of
// the button's area, moved 1 and 2 pixels out): 4 pixels wider than the caption on each side,
// 2 pixels lower at the top and bottom.
RECT FocusRectAround(const RECT& textRect, const RECT& caption) {
    const int width = textRect.right - textRect.left;
    const int height = textRect.bottom - textRect.top;
    const int captionWidth = caption.right - caption.left;
    const int captionHeight = caption.bottom - caption.top;
    RECT focus;
    focus.left = width / 2 - captionWidth / 2 - 1;
    focus.top = height / 2 - captionHeight / 2 - 2;
    focus.right = focus.left + captionWidth;
    focus.bottom = focus.top + captionHeight;
    ::InflateRect(&focus, 4, -2);
    return focus;
}

}  // namespace

BOOL CSkinButton::SetImages(CDib* normal, CDib* pressed, CDib* hover) {
    m_normalImage = normal;
    m_pressedImage = pressed;
    m_hoverImage = hover;
    return TRUE;
}

void CSkinButton::DrawItem(LPDRAWITEMSTRUCT item) {
    if (item == nullptr) {
        return;
    }
    CDC target;
    target.Attach(item->hDC);
    const int width = item->rcItem.right - item->rcItem.left;
    const int height = item->rcItem.bottom - item->rcItem.top;
    // Without a memory context and bitmap there is nothing to compose in: the button keeps
    // what it showed.
    CDC memory;
    if (!memory.CreateCompatibleDC(&target)) {
        return;
    }
    CBitmap canvas;
    if (!canvas.CreateCompatibleBitmap(&target, width, height)) {
        return;
    }
    CSelectGuard canvasSelection(memory, canvas.GetSafeHandle());
    if (!canvasSelection.IsSelected()) {
        return;
    }

    // Composed at the bitmap's origin and copied to the item rectangle, wherever that lies.
    const RECT area = {0, 0, width, height};
    memory.FillSolidRect(area, m_background);
    RECT textRect = area;
    ::OffsetRect(&textRect, -1, -2);

    // A pressed button shows the pressed face or none: no other face stands in for it.
    CDib* face = m_normalImage;
    if (item->itemState & ODS_SELECTED) {
        face = m_pressedImage;
    } else if (m_hovering && m_hoverImage != nullptr) {
        face = m_hoverImage;
    }
    DrawThreeSlice(&memory, face, area);

    // Made afresh for every drawing; without it the caption takes the context's font.
    std::unique_ptr<CFont> font = CreateButtonFont(m_fontId);
    CSelectGuard fontSelection(memory, font ? font->GetSafeHandle() : nullptr);
    const COLORREF previousColor = memory.SetTextColor(kCaptionColor);
    const int previousMode = memory.SetBkMode(TRANSPARENT);
    CString caption;
    GetWindowText(caption);
    if (!caption.IsEmpty()) {
        // The whole button is redrawn for every request, so the rectangle shows exactly while
        // the button has the focus; an ODA_FOCUS request as the focus leaves draws none.
        if (item->itemState & ODS_FOCUS) {
            RECT measured = textRect;
            memory.DrawText(caption, -1, &measured, kCaptionFormat | DT_CALCRECT);
            memory.DrawFocusRect(FocusRectAround(textRect, measured));
        }
        memory.DrawText(caption, -1, &textRect, kCaptionFormat);
    }
    memory.SetBkMode(previousMode);
    memory.SetTextColor(previousColor);

    target.BitBlt(item->rcItem.left, item->rcItem.top, width, height, &memory, 0, 0, SRCCOPY);
}

std::unique_ptr<CFont> CSkinButton::CreateButtonFont(UINT fontId) {
    std::unique_ptr<CFont> font(new (std::nothrow) CFont);
    if (!font) {
        return nullptr;
    }
    try {
        LOGFONTA description{};
        CFontParse parse(fontId);
        // A missing or faulty entry still describes the library's fallback font, which serves.
        parse.GetStringAndInfo(nullptr, &description, nullptr, nullptr);
        description.lfWidth = 0;
        description.lfQuality = PROOF_QUALITY;
        // A font that cannot be made leaves the object without a handle, as the caller expects.
        font->CreateFontIndirect(&description);
    } catch (CMemoryException* e) {
        e->Delete();
    } catch (const std::bad_alloc&) {
        // The description's strings ran out of memory: the object stays without a font.
    }
    return font;
}

BOOL CSkinButton::DrawThreeSlice(CDC* dc, CDib* image, const RECT& rect) {
    if (dc == nullptr || image == nullptr || image->IsEmpty()) {
        return FALSE;
    }
    const int width = image->GetWidth();
    const int height = image->GetHeight();
    const int third = ::MulDiv(width, 1, 3);
    const int step = ::MulDiv(width, 2, 3) - third;
    BOOL drawn = TRUE;
    // An image narrower than 2 pixels has no middle to tile: a step of 0 would never end.
    if (step > 0) {
        CDC source;
        if (!source.CreateCompatibleDC(dc)) {
            return FALSE;
        }
        CSelectGuard selection(source, image->GetSafeHandle());
        if (!selection.IsSelected()) {
            return FALSE;
        }
        // The last piece may run under the right cap, which covers it.
        for (int x = rect.left + third; x < rect.right - third; x += step) {
            if (!dc->BitBlt(x, rect.top, step, height, &source, third, 0, SRCCOPY)) {
                drawn = FALSE;
            }
        }
    }
    if (!image->Draw(dc, RECT{rect.left, rect.top, rect.left + third, rect.top + height},
                     RECT{0, 0, third, height}, FALSE)) {
        drawn = FALSE;
    }
    if (!image->Draw(dc, RECT{rect.right - third, rect.top, rect.right, rect.top + height},
                     RECT{width - third, 0, width, height}, FALSE)) {
        drawn = FALSE;
    }
    return drawn;
}

LRESULT CSkinButton::OnLButtonDown(WPARAM, LPARAM) {
    ::SetFocus(m_hWnd);
    // The button's own processing captures the mouse and shows the pressed state.
    return Default();
}

LRESULT CSkinButton::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    CRect client;
    GetClientRect(&client);
    const bool inside = client.PtInRect(CPoint(lParam));
    if (!m_hovering && inside) {
        SetHovering(TRUE);
        ::SetCapture(m_hWnd);
    } else if (m_hovering && !inside && !(wParam & MK_LBUTTON)) {
        // WM_CAPTURECHANGED then ends the hovering.
        ::ReleaseCapture();
    }
    return Default();
}

LRESULT CSkinButton::OnLButtonUp(WPARAM, LPARAM) {
    SetHovering(FALSE);
    // The button's own processing releases the capture and reports a click over the button.
    return Default();
}

LRESULT CSkinButton::OnCaptureChanged(WPARAM, LPARAM lParam) {
    if (reinterpret_cast<HWND>(lParam) != m_hWnd) {
        SetHovering(FALSE);
    }
    return Default();
}

void CSkinButton::SetHovering(BOOL hovering) {
    if (m_hovering == hovering) {
        return;
    }
    m_hovering = hovering;
    Invalidate(FALSE);
    UpdateWindow();
}
