// The About box: the product picture filling the whole client area, OK in its corner.
#pragma once

#include <memory>

#include "framework/Dialog.h"
#include "framework/GdiObject.h"

class CAboutDlg : public CDialog {
public:
    const CMessageMap* GetMessageMap() const override {
        static const CMessageMap map(CDialog::GetMessageMap(), {
            MapPaint(&CAboutDlg::OnPaint),
        });
        return &map;
    }

    CAboutDlg();

    // The OK button's distance from the client area's right and bottom edges.
    static constexpr int kButtonMargin = 15;

    BOOL OnInitDialog() override;

private:
    void OnPaint();

    std::unique_ptr<CBitmap> m_pPicture;
    int m_nPictureWidth = 0;
    int m_nPictureHeight = 0;
};
