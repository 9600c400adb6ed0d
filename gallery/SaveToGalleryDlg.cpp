#include "gallery/SaveToGalleryDlg.h"

#include "framework/MessageBox.h"
#include "framework/OleException.h"
#include "framework/WinApp.h"
#include "gallery/NewGalleryDlg.h"
#include "storage/DirectoryPaths.h"
#include "storage/Settings.h"

namespace {

const DWORD kSaveHelpContext = 3857;

// The album list's set-up values: drop-down on, its style and view for choosing a gallery.
const short kListStyle = 1;
const long kListView = 4;

}  // namespace

CSaveToGalleryDlg::CSaveToGalleryDlg() : CDialog(IDD_SAVE_TO_GALLERY, nullptr) {}

void CSaveToGalleryDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PREFIX, m_editPrefix);
}

BOOL CSaveToGalleryDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    CRect place(0, 0, 0, 0);
    if (CWnd* placeholder = GetDlgItem(IDC_GALLERY_PLACEHOLDER)) {
        placeholder->GetWindowRect(&place);
        ScreenToClient(&place);
    }
    if (CWnd* save = GetDlgItem(IDOK)) {
        save->EnableWindow(FALSE);
    }
    if (m_galleryList.Create(nullptr, WS_CHILD, place, this, IDC_GALLERY_PLACEHOLDER)) {
        try {
            m_galleryList.SetDropDown(TRUE);
            m_galleryList.SetStyle(kListStyle);
            m_galleryList.SetView(kListView);
            try {
                m_galleryList.ShowThumbnails(0);
                const CString gallery = GetDefaultGallery();
                if (!gallery.IsEmpty()) {
                    m_galleryList.SetGallery(gallery);
                }
            } catch (COleDispatchException* e) {
                // The list is shown all the same, without a preselected gallery.
                e->Delete();
            }
            m_galleryList.SetEnabled(TRUE);
            m_galleryList.ShowWindow(SW_SHOW);
        } catch (CException* e) {
            e->Delete();
        }
    }

    if (!m_strPrefix.IsEmpty()) {
        m_editPrefix.SetWindowText(m_strPrefix);  // its EN_CHANGE enables Save
    }
    PlaceCaretAtPrefixEnd();
    return TRUE;
}

void CSaveToGalleryDlg::OnChangePrefix() {
    CString prefix;
    m_editPrefix.GetWindowText(prefix);
    if (CWnd* save = GetDlgItem(IDOK)) {
        save->EnableWindow(!prefix.IsEmpty());
    }
}

void CSaveToGalleryDlg::OnOK() {
    m_editPrefix.GetWindowText(m_strPrefix);
    m_strDestDir = GetGalleriesPath() + "\\" + SelectedGalleryName();

    BOOL ok = TRUE;
    if (!CDirectoryPaths::DirectoryExists(m_strDestDir)) {
        if (AfxMessageBox(IDS_CREATE_DIRECTORY, MB_YESNO) == IDYES) {
            if (!CDirectoryPaths::CreateDirectoryPath(m_strDestDir) ||
                !CDirectoryPaths::DirectoryExists(m_strDestDir)) {
                AfxMessageBox(IDS_CANNOT_CREATE_FOLDER, MB_ICONSTOP);
                ok = FALSE;
            }
        } else {
            ok = FALSE;
        }
    }
    if (ok && m_pOwner != nullptr && m_pOwner->AnyTargetExists(m_strDestDir)) {
        CString question;
        question.LoadString(IDS_REPLACE_EXISTING);
        if (MessageBox(question, m_pOwner->GetWindowTitle(), MB_ICONQUESTION | MB_YESNO) != IDYES) {
            SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_editPrefix.m_hWnd), TRUE);
            ok = FALSE;
            PlaceCaretAtPrefixEnd();
        }
    }
    if (!ok) {
        return;
    }
    m_strGallery = SelectedGalleryName();
    CDialog::OnOK();
}

void CSaveToGalleryDlg::OnHelp() {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        return;
    }
    CWnd* main = AfxGetMainWnd();
    CString path = CString(app->m_pszHelpFilePath) + ">Second";
    app->CallWinHelp(main != nullptr ? main->m_hWnd : nullptr, path, HELP_CONTEXT,
                     kSaveHelpContext);
}

void CSaveToGalleryDlg::OnNew() {
    CString name;
    for (;;) {
        CNewGalleryDlg dlg;
        if (dlg.DoModal() != IDOK) {
            return;
        }
        name = dlg.GetName();
        // Case counts here: the folder's creation below answers for names that differ in case.
        BOOL listed = FALSE;
        try {
            long state = 0;
            for (long position = m_galleryList.GetFirstGalleryPosition(&state); position != 0;
                 position = m_galleryList.GetNextGalleryPosition(&state)) {
                if (m_galleryList.GetGalleryName(position) == name) {
                    listed = TRUE;
                    break;
                }
            }
        } catch (CException* e) {
            e->Delete();  // a list that cannot be walked holds no name to refuse
        }
        if (!listed) {
            break;
        }
        CString format;
        format.LoadString(IDS_GALLERY_EXISTS);
        CString text;
        text.FormatMessage(format, static_cast<const char*>(name));
        AfxMessageBox(text, MB_OK);
    }

    const CString path = GetGalleriesPath() + "\\" + name;
    if (!::CreateDirectoryA(path, nullptr)) {
        const DWORD error = ::GetLastError();
        char* text = nullptr;
        ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                             FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                         reinterpret_cast<char*>(&text), 0, nullptr);
        CString caption;
        caption.LoadString(IDS_ERROR);
        ::MessageBoxA(nullptr, text != nullptr ? text : "", caption, MB_ICONINFORMATION);
        ::LocalFree(text);
        return;
    }
    BSTR gallery = nullptr;
    int wide = ::MultiByteToWideChar(CP_ACP, 0, name, -1, nullptr, 0);
    if (wide > 0 && (gallery = ::SysAllocStringLen(nullptr, static_cast<UINT>(wide - 1))) != nullptr) {
        ::MultiByteToWideChar(CP_ACP, 0, name, -1, gallery, wide);
    }
    try {
        m_galleryList.AddGallery(&gallery);
    } catch (CException* e) {
        e->Delete();  // the folder is there; the list shows it when it next reads the root
    }
    ::SysFreeString(gallery);
    m_galleryList.UpdateWindow();
}

CString CSaveToGalleryDlg::SelectedGalleryName() {
    try {
        return m_galleryList.GetGalleryName(m_galleryList.GetSelectedGallery());
    } catch (CException* e) {
        e->Delete();
        return CString();
    }
}

void CSaveToGalleryDlg::PlaceCaretAtPrefixEnd() {
    const DWORD selection = m_editPrefix.GetSel();
    m_editPrefix.SetSel(static_cast<int>(HIWORD(selection)), -1);
}
