#include "app/CameraManagerApp.h"

#include <cstdlib>

#include "main_window/CameraManagerDlg.h"
#include "external/lmshell/LMShell.h"
#include "resource.h"

namespace {
const char kInstanceMutexName[] = "Fotoloft_Mutex";
const DWORD kMainHelpContext = 3856;
} // namespace

const CMessageMap* CCameraManagerApp::GetMessageMap() const {
    static const CMessageMap map(CWinApp::GetMessageMap(), {
        MapCommand(ID_HELP, &CCameraManagerApp::OnHelp),
    });
    return &map;
}

HWND CCameraManagerApp::ParentHandleFromText(const CString& text) {
    if (text.IsEmpty()) {
        return nullptr;
    }
    // Decimal, up to the first character that is not a digit; 0 and all bits set mean none.
    unsigned long value = std::strtoul(text, nullptr, 10);
    if (value == 0 || value == 0xFFFFFFFFUL) {
        return nullptr;
    }
    // Window handles are 32-bit values even in a 64-bit process, so the number carries over.
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(value));
}

BOOL CCameraManagerApp::InitInstance() {
    AfxEnableControlContainer();
    Enable3dControls();
    ParseCommandLine(m_cmdInfo);

    // A number that names no window (the stale handle of a shell that has closed) counts as
    // none: an owner that does not exist would make the main window's creation fail.
    HWND parent = ParentHandleFromText(m_cmdInfo.m_strParentWindow);
    if (parent != nullptr && ::IsWindow(parent)) {
        m_parentWindow = std::make_unique<CWnd>();
        m_parentWindow->Attach(parent);
    }

    if (!AcquireSingleInstance()) {
        return FALSE;
    }

    {
        CCameraManagerDlg dlg(m_parentWindow.get());
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
    }
    return FALSE;
}

BOOL CCameraManagerApp::AcquireSingleInstance() {
    m_pInstanceMutex = new CMutex(FALSE, kInstanceMutexName);
    m_pInstanceLock = new CSingleLock(m_pInstanceMutex, FALSE);
    if (m_pInstanceLock->Lock(0)) {
        return TRUE;
    }

    CString title;
    title.LoadString(IDS_WINDOW_TITLE);
    HWND running = ::FindWindowA(nullptr, title);
    if (running == nullptr) {
        running = ::FindWindowA(kLMShellWindowClass, nullptr);
    }
    if (running == nullptr) {
        return FALSE;
    }
    HWND popup = ::GetLastActivePopup(running);
    if (::IsIconic(running)) {
        ::ShowWindow(running, SW_RESTORE);
    }
    if (popup != nullptr) {
        ::SetForegroundWindow(popup);
    }
    return FALSE;
}

int CCameraManagerApp::ExitInstance() {
    if (m_pInstanceLock != nullptr) {
        m_pInstanceLock->Unlock();
        delete m_pInstanceLock;
        m_pInstanceLock = nullptr;
    }
    if (m_pInstanceMutex != nullptr) {
        delete m_pInstanceMutex;
        m_pInstanceMutex = nullptr;
    }
    return CWinApp::ExitInstance();
}

void CCameraManagerApp::OnHelp() {
    if (AfxGetApp() == nullptr) {
        return;
    }
    CString path = CString(m_pszHelpFilePath) + ">Second";
    HWND owner = m_pMainWnd != nullptr ? m_pMainWnd->m_hWnd : nullptr;
    CallWinHelp(owner, path, HELP_CONTEXT, kMainHelpContext);
}
