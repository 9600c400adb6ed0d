// CSkinButton: an owner-drawn push button whose face is a bitmap stretched to the button's
// width by its middle, lighter while the mouse is over it and darker while it is pressed, with
// a white caption in a font described by a string-table entry.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/Button.h"
#include "framework/GdiObject.h"

class CDib;

// Attach it to a button of style BS_OWNERDRAW (SubclassDlgItem); the parent's WM_DRAWITEM
// reaches DrawItem. Paint, focus changes, BM_SETCHECK and BM_SETSTATE keep the button's own
// processing.
class CSkinButton : public CButton {
public:
    const CMessageMap* GetMessageMap() const override {
        static const CMessageMap map(CButton::GetMessageMap(), {
            MapMessage(WM_LBUTTONDOWN, &CSkinButton::OnLButtonDown),
            MapMessage(WM_MOUSEMOVE, &CSkinButton::OnMouseMove),
            MapMessage(WM_LBUTTONUP, &CSkinButton::OnLButtonUp),
            MapMessage(WM_CAPTURECHANGED, &CSkinButton::OnCaptureChanged),
        });
        return &map;
    }

    static const UINT kDefaultFontId = 2001;

    // The faces of the normal, pressed and hover states; any may be null (no face then). Not
    // owned: the owner keeps them alive while the button exists.
    BOOL SetImages(CDib* normal, CDib* pressed, CDib* hover);
    BOOL IsHovering() const { return m_hovering; }

    // Composes the whole button off screen and copies it in one block, so it never flickers.
    void DrawItem(LPDRAWITEMSTRUCT item) override;
    // The caption font of the string-table entry `fontId`; the object has no font handle when
    // none could be made, and is null only when memory ran out.
    static std::unique_ptr<CFont> CreateButtonFont(UINT fontId);
    // The image's left and right thirds as caps at the ends of `rect`, its middle third tiled
    // between them, all at the image's own height from rect's top. FALSE when there is no
    // image (nothing is drawn) or a part could not be drawn.
    static BOOL DrawThreeSlice(CDC* dc, CDib* image, const RECT& rect);

    // Set by the owner after attaching: the colour behind the button, and the string-table id
    // of the caption's font description.
    COLORREF m_background = RGB(255, 255, 255);
    UINT m_fontId = kDefaultFontId;

private:
    LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
    LRESULT OnLButtonUp(WPARAM wParam, LPARAM lParam);
    LRESULT OnCaptureChanged(WPARAM wParam, LPARAM lParam);
    // Shows the face of the new hover state at once.
    void SetHovering(BOOL hovering);

    // Hovering starts when the pointer enters (the button then holds the capture to see it
    // leave) and ends when it leaves with no button held, the left button goes up, or another
    // window takes the capture.
    BOOL m_hovering = FALSE;
    CDib* m_normalImage = nullptr;
    CDib* m_pressedImage = nullptr;
    CDib* m_hoverImage = nullptr;
};
