// The snapshot at its true size: the window fits itself to the picture, up to a 640 x 480 view
// with scroll bars for the directions in which the picture does not fit.
#pragma once

#include "framework/Dialog.h"
#include "framework/ScrollBar.h"
#include "framework/Static.h"
#include "media/Dib.h"
#include "resource.h"

class CImageViewerDlg : public CDialog {
public:
    const CMessageMap* GetMessageMap() const override {
        static const CMessageMap map(CDialog::GetMessageMap(), {
            MapPaint(&CImageViewerDlg::OnPaint),
            MapMessage(WM_VSCROLL, &CImageViewerDlg::OnScroll),
            MapMessage(WM_HSCROLL, &CImageViewerDlg::OnScroll),
        });
        return &map;
    }

    // The picture is not owned: the opener keeps it alive until the window has closed.
    CImageViewerDlg(CDib* image, CWnd* parent);

    void SetCaption(const CString& caption) { m_strCaption = caption; }

    static constexpr int kMaxViewWidth = 640;
    static constexpr int kMaxViewHeight = 480;
    static constexpr int kMargin = 3;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnPaint();

private:
    // Sizes the picture frame, the bars, the window, the line and Close to the picture.
    void FitToImage();
    LRESULT OnScroll(WPARAM wParam, LPARAM lParam);
    // The picture's part the view shows along one axis: [first, last) of `extent` pixels.
    static void VisibleSpan(const CScrollBar& bar, LONG view, LONG extent, LONG* first, LONG* last);
    CRect FrameRect();

    CScrollBar m_hScroll;
    CStatic m_frame;
    CScrollBar m_vScroll;
    CDib* m_pImage;
    BOOL m_bValid;
    CString m_strCaption;
};
