#include "main_window/AboutDlg.h"

#include <new>

#include "framework/ResourceHandle.h"
#include "resource.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX, nullptr) {}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CRect outer, client;
    GetWindowRect(&outer);
    GetClientRect(&client);

    m_pPicture.reset(new (std::nothrow) CBitmap);
    if (m_pPicture &&
        m_pPicture->Attach(::LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDB_ABOUT)))) {
        BITMAP description{};
        if (m_pPicture->GetBitmap(&description) != 0) {
            m_nPictureWidth = description.bmWidth;
            m_nPictureHeight = description.bmHeight;
        }
    }
    SetWindowPos(nullptr, 0, 0, m_nPictureWidth + outer.Width() - client.Width(),
                 m_nPictureHeight + outer.Height() - client.Height(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    if (CWnd* ok = GetDlgItem(IDOK)) {
        CRect button;
        ok->GetWindowRect(&button);
        GetClientRect(&client);
        ok->SetWindowPos(nullptr, client.right - kButtonMargin - button.Width(),
                         client.bottom - kButtonMargin - button.Height(), 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
    return TRUE;
}

void CAboutDlg::OnPaint() {
    CPaintDC dc(m_hWnd);
    if (!m_pPicture || m_pPicture->GetSafeHandle() == nullptr) {
        return;
    }
    CDC memory;
    if (!memory.CreateCompatibleDC(&dc)) {
        return;
    }
    HGDIOBJ previous = memory.SelectObject(m_pPicture->GetSafeHandle());
    ::BitBlt(dc, 0, 0, m_nPictureWidth, m_nPictureHeight, memory, 0, 0, SRCCOPY);
    memory.SelectObject(previous);
}
