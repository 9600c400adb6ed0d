#include "framework/WinApp.h"

#include <commctrl.h>
#include <ole2.h>

#include <cstdlib>

#include "framework/Wnd.h"

namespace {

// The application object of the process; the framework's model has exactly one.
CWinApp* g_currentApp = nullptr;

// Whether this process initialised OLE for control hosting, to undo it at exit.
bool g_oleInitialized = false;

CString ModulePath() {
    CString path;
    DWORD capacity = MAX_PATH;
    for (;;) {
        char* buffer = path.GetBuffer(static_cast<int>(capacity));
        DWORD length = ::GetModuleFileNameA(nullptr, buffer, capacity);
        if (length < capacity) {
            path.ReleaseBuffer(static_cast<int>(length));
            return path;
        }
        path.ReleaseBuffer(0);
        capacity *= 2;
    }
}

} // namespace

CWinApp::CWinApp(const char* appName)
    : m_hInstance(::GetModuleHandleA(nullptr)), m_pfnWinHelp(::WinHelpA) {
    CString modulePath = ModulePath();
    int nameStart = modulePath.ReverseFind('\\') + 1;
    CString fileName = modulePath.Mid(nameStart);
    int dot = fileName.ReverseFind('.');
    CString title = dot >= 0 ? fileName.Left(dot) : fileName;

    m_strAppName = appName != nullptr ? CString(appName) : title;
    int extension = modulePath.ReverseFind('.');
    m_strHelpFilePath = (extension > nameStart ? modulePath.Left(extension) : modulePath) + ".HLP";

    m_pszAppName = m_strAppName;
    m_pszExeName = m_strAppName;
    m_pszHelpFilePath = m_strHelpFilePath;
    g_currentApp = this;
}

CWinApp::~CWinApp() {
    if (g_currentApp == this) {
        g_currentApp = nullptr;
    }
}

int CWinApp::Run() {
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    m_nExitCode = static_cast<int>(msg.wParam);
    return ExitInstance();
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) {
    ParseCommandLine(info, __argc, __argv);
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info, int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const char* param = argv[i];
        BOOL flag = FALSE;
        if (param[0] == '/' || param[0] == '-') {
            flag = TRUE;
            ++param;
        }
        info.ParseParam(param, flag, i == argc - 1);
    }
}

void CWinApp::WinHelp(DWORD_PTR data, UINT command) {
    HWND owner = m_pMainWnd != nullptr ? m_pMainWnd->m_hWnd : nullptr;
    CallWinHelp(owner, m_pszHelpFilePath, command, data);
}

BOOL CWinApp::CallWinHelp(HWND owner, const char* helpFile, UINT command, ULONG_PTR data) {
    return m_pfnWinHelp(owner, helpFile, command, data);
}

CWinApp::WinHelpFunction CWinApp::SetWinHelpFunction(WinHelpFunction function) {
    WinHelpFunction previous = m_pfnWinHelp;
    m_pfnWinHelp = function != nullptr ? function : ::WinHelpA;
    return previous;
}

int CWinApp::DoMessageBox(const char* prompt, UINT type, UINT helpId) {
    (void)helpId;
    // Owned by the main window's topmost pop-up, but only on the main window's own thread:
    // a box shown from a worker must not tie the two threads' input together.
    HWND owner = nullptr;
    if (m_pMainWnd != nullptr && m_pMainWnd->m_hWnd != nullptr &&
        ::GetWindowThreadProcessId(m_pMainWnd->m_hWnd, nullptr) == ::GetCurrentThreadId()) {
        owner = ::GetLastActivePopup(m_pMainWnd->m_hWnd);
    }
    if ((type & MB_ICONMASK) == 0) {
        switch (type & MB_TYPEMASK) {
        case MB_OK:
        case MB_OKCANCEL:
            type |= MB_ICONEXCLAMATION;
            break;
        case MB_YESNO:
        case MB_YESNOCANCEL:
            type |= MB_ICONQUESTION;
            break;
        default:
            break;
        }
    }
    return ::MessageBoxA(owner, prompt != nullptr ? prompt : "", m_pszAppName, type);
}

CWinApp* AfxGetApp() {
    return g_currentApp;
}

CWnd* AfxGetMainWnd() {
    return g_currentApp != nullptr ? g_currentApp->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetInstanceHandle() {
    return g_currentApp != nullptr ? g_currentApp->m_hInstance : ::GetModuleHandleA(nullptr);
}

void AfxEnableControlContainer() {
    if (!g_oleInitialized && SUCCEEDED(::OleInitialize(nullptr))) {
        g_oleInitialized = true;
    }
}

int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR cmdLine, int cmdShow) {
    (void)previous;
    (void)cmdLine;
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        return -1;
    }
    app->m_hInstance = instance;
    app->m_nCmdShow = cmdShow;

    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);

    int exitCode = app->InitInstance() ? app->Run() : app->ExitInstance();

    if (g_oleInitialized) {
        ::OleUninitialize();
        g_oleInitialized = false;
    }
    return exitCode;
}
