// "Create New Gallery": asks for the name of a new gallery, at most 30 characters, not empty.
#pragma once

#include "framework/Dialog.h"
#include "framework/Edit.h"

class CNewGalleryDlg : public CDialog {
public:
    CNewGalleryDlg();

    CString GetName() const { return m_strName; }

    // The longest name the box takes.
    static constexpr int kMaxNameLength = 30;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;

private:
    // Selects the whole name and gives the box the focus.
    void SelectName();

    CEdit m_editName;
    CString m_strName;
};
