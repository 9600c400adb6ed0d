// CDib: the program's one picture type. A DIB section with the palette to show it with, drawn
// whole or in part into any device context through DrawDib.
#pragma once

#include <windows.h>
#include <vfw.h>

#include "framework/GdiObject.h"

class CDib : public CBitmap {
public:
    CDib() = default;
    ~CDib() override;

    const CRuntimeClass* GetRuntimeClass() const override { return &classCDib; }
    static const CRuntimeClass classCDib;

    // Each load frees what the image held first; a load that fails leaves it empty.
    // The numeric form takes the id's low 16 bits and goes through the by-name form.
    virtual BOOL LoadFromResource(HINSTANCE module, UINT id);
    virtual BOOL LoadFromResource(HINSTANCE module, LPCSTR name);
    virtual BOOL LoadFromFile(LPCSTR path);

    // Takes ownership of a DIB section, reads its description and builds its palette.
    BOOL AttachDib(HBITMAP section);
    void Free();
    // Draws `source` of the picture into `destination` of the context, stretching when their
    // sizes differ; its palette in the background unless `foreground`.
    BOOL Draw(CDC* dc, const RECT& destination, const RECT& source, BOOL foreground);
    BOOL BuildPalette(CPalette* palette);
    // Colour-table entries of the section; 0 for sections of more than 8 bits per pixel.
    UINT GetColorTable(RGBQUAD* entries, UINT maxCount) const;
    void GetInfoHeader(BITMAPINFOHEADER* header) const;

    BOOL IsEmpty() const { return m_hObject == nullptr; }
    LONG GetWidth() const { return m_bm.bmWidth; }
    LONG GetHeight() const { return m_bm.bmHeight; }
    const CPalette& GetPalette() const { return m_palette; }

    BITMAP m_bm{};  // the description; all zero while empty

private:
    CPalette m_palette;
    HDRAWDIB m_hDrawDib = nullptr;  // opened at the first draw, kept until Free
};
