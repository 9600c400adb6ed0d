// GDI objects that own their handle: deleted with the object unless detached first.
#pragma once

#include "framework/Object.h"

class CDC;

class CGdiObject : public CObject {
public:
    CGdiObject() = default;
    ~CGdiObject() override { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    const CRuntimeClass* GetRuntimeClass() const override { return &classCGdiObject; }
    static const CRuntimeClass classCGdiObject;

    // Takes ownership of `handle`; FALSE for a null handle or while another is held.
    BOOL Attach(HGDIOBJ handle);
    // Gives the handle up without deleting it.
    HGDIOBJ Detach();
    // Deletes the handle held, if any.
    BOOL DeleteObject();
    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    // How many handles GDI objects of the process hold now: a leak check where the system's
    // own count (GetGuiResources) answers nothing useful, as under Wine.
    static LONG GetHeldHandleCount();
    int GetObject(int size, void* buffer) const;

    HGDIOBJ m_hObject = nullptr;
};

class CBitmap : public CGdiObject {
public:
    const CRuntimeClass* GetRuntimeClass() const override { return &classCBitmap; }
    static const CRuntimeClass classCBitmap;

    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
    int GetBitmap(BITMAP* description) const { return GetObject(sizeof(BITMAP), description); }
    // A device-dependent bitmap; `bits` may be null for uninitialised pixels.
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
    // A bitmap of the format `dc` draws in (not that of a memory context's 1 x 1 stand-in
    // unless `dc` is such a context).
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
};

class CFont : public CGdiObject {
public:
    const CRuntimeClass* GetRuntimeClass() const override { return &classCFont; }
    static const CRuntimeClass classCFont;

    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
    BOOL CreateFontIndirect(const LOGFONTA* font);
};

class CPalette : public CGdiObject {
public:
    const CRuntimeClass* GetRuntimeClass() const override { return &classCPalette; }
    static const CRuntimeClass classCPalette;

    operator HPALETTE() const { return static_cast<HPALETTE>(m_hObject); }
    BOOL CreatePalette(const LOGPALETTE* palette);
    // A halftone palette for the device context.
    BOOL CreateHalftonePalette(CDC* dc);
    int GetEntryCount() const;
};

// A device context: owned (created or got here, released with the object) or borrowed.
class CDC {
public:
    CDC() = default;
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // A memory context compatible with `dc` (null: the screen).
    BOOL CreateCompatibleDC(CDC* dc);
    // Releases a memory context this object created; FALSE when it holds none of its own.
    BOOL DeleteDC();
    // Borrows a handle; the object will not release it.
    void Attach(HDC dc) { m_hDC = dc; }
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    HPALETTE SelectPalette(HPALETTE palette, BOOL forceBackground) {
        return ::SelectPalette(m_hDC, palette, forceBackground);
    }
    UINT RealizePalette() { return ::RealizePalette(m_hDC); }
    HGDIOBJ SelectObject(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }
    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }

    // Fills with one colour, leaving the context's background colour as it was.
    BOOL FillSolidRect(const RECT& rect, COLORREF color);
    BOOL BitBlt(int x, int y, int width, int height, const CDC* source, int sourceX, int sourceY,
                DWORD rop) {
        return ::BitBlt(m_hDC, x, y, width, height, source != nullptr ? source->m_hDC : nullptr,
                        sourceX, sourceY, rop);
    }
    COLORREF SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    int DrawText(const char* text, int count, RECT* rect, UINT format) {
        return ::DrawTextA(m_hDC, text, count, rect, format);
    }
    BOOL DrawFocusRect(const RECT& rect) { return ::DrawFocusRect(m_hDC, &rect); }

    HDC m_hDC = nullptr;

protected:
    bool m_owned = false;  // a memory context this object created
};

// Selects an object into a context for the guard's scope, then puts back what it replaced.
// Declare the guard after the object it selects, so that it lets go of it first.
class CSelectGuard {
public:
    CSelectGuard(CDC& dc, HGDIOBJ object);
    ~CSelectGuard();
    CSelectGuard(const CSelectGuard&) = delete;
    CSelectGuard& operator=(const CSelectGuard&) = delete;

    // FALSE when there was nothing to select or the context refused the object.
    BOOL IsSelected() const { return m_previous != nullptr; }

private:
    HDC m_dc;
    HGDIOBJ m_previous = nullptr;
};

// The screen's context, for as long as the object lives.
class CScreenDC : public CDC {
public:
    CScreenDC() { m_hDC = ::GetDC(nullptr); }
    ~CScreenDC() override;
};

// BeginPaint and EndPaint around a WM_PAINT handler.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(HWND window);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps{};

private:
    HWND m_hWnd;
};
