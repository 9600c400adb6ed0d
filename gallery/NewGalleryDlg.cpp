#include "gallery/NewGalleryDlg.h"

#include "framework/MessageBox.h"
#include "resource.h"

CNewGalleryDlg::CNewGalleryDlg() : CDialog(IDD_NEW_GALLERY, nullptr) {}

void CNewGalleryDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_GALLERY_NAME, m_editName);
    DDX_Text(pDX, IDC_GALLERY_NAME, m_strName);
}

BOOL CNewGalleryDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_editName.LimitText(kMaxNameLength);
    SelectName();
    CString title;
    title.LoadString(IDS_NEW_GALLERY_TITLE);
    SetWindowText(title);
    return FALSE;  // the focus is set
}

// An empty name is refused here; whatever else the file system refuses fails at the folder.
void CNewGalleryDlg::OnOK() {
    if (!UpdateData(TRUE)) {
        return;
    }
    if (m_strName.IsEmpty()) {
        AfxMessageBox(IDS_INVALID_GALLERY_NAME, MB_OK);
        SelectName();
        return;
    }
    CDialog::OnOK();
}

void CNewGalleryDlg::SelectName() {
    m_editName.SetSel(0, -1);
    m_editName.SetFocus();
}
