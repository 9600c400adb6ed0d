#include "framework/GdiObject.h"

#include <atomic>

const CRuntimeClass CGdiObject::classCGdiObject = {"CGdiObject", &CObject::classCObject};
const CRuntimeClass CBitmap::classCBitmap = {"CBitmap", &CGdiObject::classCGdiObject};
const CRuntimeClass CPalette::classCPalette = {"CPalette", &CGdiObject::classCGdiObject};
const CRuntimeClass CFont::classCFont = {"CFont", &CGdiObject::classCGdiObject};

namespace {
std::atomic<LONG> g_heldHandles{0};
}  // namespace

BOOL CGdiObject::Attach(HGDIOBJ handle) {
    if (handle == nullptr || m_hObject != nullptr) {
        return FALSE;
    }
    m_hObject = handle;
    ++g_heldHandles;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ handle = m_hObject;
    if (handle != nullptr) {
        --g_heldHandles;
    }
    m_hObject = nullptr;
    return handle;
}

LONG CGdiObject::GetHeldHandleCount() {
    return g_heldHandles;
}

BOOL CGdiObject::DeleteObject() {
    if (m_hObject == nullptr) {
        return FALSE;
    }
    return ::DeleteObject(Detach());
}

int CGdiObject::GetObject(int size, void* buffer) const {
    return m_hObject != nullptr ? ::GetObjectA(m_hObject, size, buffer) : 0;
}

BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel,
                           const void* bits) {
    return m_hObject == nullptr && Attach(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
    return dc != nullptr && m_hObject == nullptr &&
           Attach(::CreateCompatibleBitmap(dc->GetSafeHdc(), width, height));
}

BOOL CFont::CreateFontIndirect(const LOGFONTA* font) {
    return font != nullptr && m_hObject == nullptr && Attach(::CreateFontIndirectA(font));
}

// Like the other creators, a palette object that already holds one makes no second: the new
// handle would have nowhere to go.
BOOL CPalette::CreatePalette(const LOGPALETTE* palette) {
    return palette != nullptr && m_hObject == nullptr && Attach(::CreatePalette(palette));
}

BOOL CPalette::CreateHalftonePalette(CDC* dc) {
    return dc != nullptr && m_hObject == nullptr &&
           Attach(::CreateHalftonePalette(dc->GetSafeHdc()));
}

int CPalette::GetEntryCount() const {
    WORD count = 0;
    return GetObject(sizeof count, &count) != 0 ? count : 0;
}

CDC::~CDC() {
    if (m_owned && m_hDC != nullptr) {
        ::DeleteDC(m_hDC);
    }
}

BOOL CDC::CreateCompatibleDC(CDC* dc) {
    if (m_hDC != nullptr) {
        return FALSE;
    }
    m_hDC = ::CreateCompatibleDC(dc != nullptr ? dc->GetSafeHdc() : nullptr);
    m_owned = m_hDC != nullptr;
    return m_owned ? TRUE : FALSE;
}

BOOL CDC::DeleteDC() {
    if (!m_owned || m_hDC == nullptr) {
        return FALSE;
    }
    const BOOL deleted = ::DeleteDC(m_hDC);
    m_hDC = nullptr;
    m_owned = false;
    return deleted;
}

BOOL CDC::FillSolidRect(const RECT& rect, COLORREF color) {
    const COLORREF previous = ::SetBkColor(m_hDC, color);
    if (previous == CLR_INVALID) {
        return FALSE;
    }
    // An opaque empty text fills the rectangle with the background colour, with no brush.
    const BOOL filled = ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, previous);
    return filled;
}

CSelectGuard::CSelectGuard(CDC& dc, HGDIOBJ object) : m_dc(dc.GetSafeHdc()) {
    if (m_dc != nullptr && object != nullptr) {
        m_previous = ::SelectObject(m_dc, object);
    }
}

CSelectGuard::~CSelectGuard() {
    if (m_previous != nullptr) {
        ::SelectObject(m_dc, m_previous);
    }
}

CScreenDC::~CScreenDC() {
    if (m_hDC != nullptr) {
        ::ReleaseDC(nullptr, m_hDC);
        m_hDC = nullptr;
    }
}

CPaintDC::CPaintDC(HWND window) : m_hWnd(window) {
    m_hDC = ::BeginPaint(window, &m_ps);
}

CPaintDC::~CPaintDC() {
    ::EndPaint(m_hWnd, &m_ps);
    m_hDC = nullptr;
}
