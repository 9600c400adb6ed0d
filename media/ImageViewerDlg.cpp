#include "media/ImageViewerDlg.h"

#include <algorithm>

CImageViewerDlg::CImageViewerDlg(CDib* image, CWnd* parent)
    : CDialog(IDD_IMAGE_VIEWER, parent),
      m_pImage(image),
      m_bValid(image != nullptr && image->GetWidth() >= 1 && image->GetHeight() >= 1) {}

void CImageViewerDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_HSCROLL, m_hScroll);
    DDX_Control(pDX, IDC_PICTURE_FRAME, m_frame);
    DDX_Control(pDX, IDC_VSCROLL, m_vScroll);
}

BOOL CImageViewerDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText(m_strCaption);
    FitToImage();
    return TRUE;
}

CRect CImageViewerDlg::FrameRect() {
    CRect frame;
    m_frame.GetWindowRect(&frame);
    ScreenToClient(&frame);
    return frame;
}

void CImageViewerDlg::FitToImage() {
    if (!m_bValid) {
        m_hScroll.EnableWindow(FALSE);
        m_vScroll.EnableWindow(FALSE);
        return;
    }
    const int width = m_pImage->GetWidth();
    const int height = m_pImage->GetHeight();
    m_hScroll.ShowWindow(SW_HIDE);
    m_vScroll.ShowWindow(SW_HIDE);

    CRect outer, client;
    GetWindowRect(&outer);
    GetClientRect(&client);
    const int ncWidth = outer.Width() - client.Width();
    const int ncHeight = outer.Height() - client.Height();

    const bool horizontal = width > kMaxViewWidth;
    const bool vertical = height > kMaxViewHeight;
    const int viewWidth = horizontal ? kMaxViewWidth : width;
    const int viewHeight = vertical ? kMaxViewHeight : height;
    const UINT place = SWP_NOZORDER | SWP_NOACTIVATE;
    m_frame.SetWindowPos(nullptr, kMargin, kMargin, viewWidth, viewHeight, place);

    CRect frame = FrameRect();
    CWnd* close = GetDlgItem(IDOK);
    CRect button(0, 0, 0, 0);
    if (close != nullptr) {
        close->GetWindowRect(&button);
    }
    int barWidth = 0;
    if (vertical) {
        CRect bar;
        m_vScroll.GetWindowRect(&bar);
        barWidth = bar.Width();
        m_vScroll.SetWindowPos(nullptr, frame.right, frame.top, barWidth, frame.Height(), place);
        m_vScroll.ShowWindow(SW_SHOW);
    }
    int barHeight = 0;
    if (horizontal) {
        CRect bar;
        m_hScroll.GetWindowRect(&bar);
        barHeight = bar.Height();
        m_hScroll.SetWindowPos(nullptr, frame.left, frame.bottom, frame.Width(), barHeight, place);
        m_hScroll.ShowWindow(SW_SHOW);
    }
    SetWindowPos(nullptr, 0, 0, frame.Width() + ncWidth + barWidth + 6,
                 button.Height() + frame.Height() + ncHeight + barHeight + 20,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);

    frame = FrameRect();
    if (CWnd* line = GetDlgItem(IDC_SEPARATOR)) {
        line->SetWindowPos(nullptr, frame.left, frame.bottom + barHeight + 3,
                           frame.Width() + barWidth, 2, place);
    }
    if (close != nullptr) {
        close->SetWindowPos(nullptr, frame.Width() - button.Width(), frame.bottom + barHeight + 11,
                            button.Width(), button.Height(), place);
    }

    SCROLLINFO info{};
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (frame.Height() < height) {
        info.nMin = 0;
        info.nMax = height;
        info.nPage = static_cast<UINT>(frame.Height());
        info.nPos = 0;
        m_vScroll.SetScrollInfo(&info, TRUE);
    } else {
        m_vScroll.EnableWindow(FALSE);
    }
    if (frame.Width() < width) {
        info.nMin = 0;
        info.nMax = width;
        info.nPage = static_cast<UINT>(frame.Width());
        info.nPos = 0;
        m_hScroll.SetScrollInfo(&info, TRUE);
    } else {
        m_hScroll.EnableWindow(FALSE);
    }
}

void CImageViewerDlg::VisibleSpan(const CScrollBar& bar, LONG view, LONG extent, LONG* first,
                                  LONG* last) {
    if (!bar.IsWindowEnabled()) {
        *first = 0;
        *last = extent;
        return;
    }
    *first = bar.GetScrollPos();
    *last = *first + view;
    if (*last > extent) {
        *last = extent;
        *first = std::max<LONG>(0, extent - view);
    }
}

void CImageViewerDlg::OnPaint() {
    CPaintDC dc(m_hWnd);
    if (!m_bValid) {
        return;
    }
    const CRect frame = FrameRect();
    RECT source;
    VisibleSpan(m_vScroll, frame.Height(), m_pImage->GetHeight(), &source.top, &source.bottom);
    VisibleSpan(m_hScroll, frame.Width(), m_pImage->GetWidth(), &source.left, &source.right);
    m_pImage->Draw(&dc, frame, source, FALSE);
}

LRESULT CImageViewerDlg::OnScroll(WPARAM wParam, LPARAM lParam) {
    const HWND sender = reinterpret_cast<HWND>(lParam);
    CScrollBar* bar = sender == m_hScroll.m_hWnd   ? &m_hScroll
                      : sender == m_vScroll.m_hWnd ? &m_vScroll
                                                   : nullptr;
    if (!m_bValid || bar == nullptr) {
        return 0;
    }
    SCROLLINFO info{};
    bar->GetScrollInfo(&info, SIF_ALL);
    const int page = static_cast<int>(info.nPage);
    int position = info.nPos;
    const int request = LOWORD(wParam);
    switch (request) {
    case SB_LINEUP:
        position = std::max(info.nMin, position - 1);
        break;
    case SB_LINEDOWN:
        position = std::min(info.nMax, position + 1);
        break;
    case SB_PAGEUP:
        position = std::max(info.nMin, position - page);
        break;
    case SB_PAGEDOWN:
        position = std::min(info.nMax, position + page);
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        // The 32-bit track position: the message's own carries only 16 bits.
        position = std::min(info.nMax, info.nTrackPos);
        break;
    case SB_TOP:
        position = info.nMin;
        break;
    case SB_BOTTOM:
        position = info.nMax;
        break;
    default:
        break;
    }
    bar->SetScrollPos(position, TRUE);
    Default();
    if (request != SB_ENDSCROLL) {
        const CRect frame = FrameRect();
        InvalidateRect(&frame, FALSE);
        UpdateWindow();
    }
    return 0;
}
