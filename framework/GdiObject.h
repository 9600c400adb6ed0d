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
    int GetObject(int size, void* buffer) const;

    HGDIOBJ m_hObject = nullptr;
};

class CBitmap : public CGdiObject {
public:
    const CRuntimeClass* GetRuntimeClass() const override { return &classCBitmap; }
    static const CRuntimeClass classCBitmap;

    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
    int GetBitmap(BITMAP* description) const { return GetObject(sizeof(BITMAP), description); }
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
    // Borrows a handle; the object will not release it.
    void Attach(HDC dc) { m_hDC = dc; }
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    HPALETTE SelectPalette(HPALETTE palette, BOOL forceBackground) {
        return ::SelectPalette(m_hDC, palette, forceBackground);
    }
    UINT RealizePalette() { return ::RealizePalette(m_hDC); }
    HGDIOBJ SelectObject(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }

    HDC m_hDC = nullptr;

protected:
    bool m_owned = false;  // a memory context this object created
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
