#include "framework/GdiObject.h"

const CRuntimeClass CGdiObject::classCGdiObject = {"CGdiObject", &CObject::classCObject};
const CRuntimeClass CBitmap::classCBitmap = {"CBitmap", &CGdiObject::classCGdiObject};
const CRuntimeClass CPalette::classCPalette = {"CPalette", &CGdiObject::classCGdiObject};

BOOL CGdiObject::Attach(HGDIOBJ handle) {
    if (handle == nullptr || m_hObject != nullptr) {
        return FALSE;
    }
    m_hObject = handle;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ handle = m_hObject;
    m_hObject = nullptr;
    return handle;
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

BOOL CPalette::CreatePalette(const LOGPALETTE* palette) {
    return palette != nullptr && Attach(::CreatePalette(palette));
}

BOOL CPalette::CreateHalftonePalette(CDC* dc) {
    return dc != nullptr && Attach(::CreateHalftonePalette(dc->GetSafeHdc()));
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
