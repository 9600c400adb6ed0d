// CWinApp: the program object that the entry point runs.
#pragma once

#include <windows.h>

#include "framework/CmdTarget.h"
#include "framework/CommandLineInfo.h"
#include "framework/String.h"

class CWnd;

#ifndef ID_HELP
#define ID_HELP 0xE146  // the help command: F1 in a dialog, or sent by a Help button
#endif

// There is one application object per process; constructing it makes it the current one.
// The entry point (AfxWinMain) calls InitInstance; when that returns FALSE the program ends
// after ExitInstance, otherwise Run pumps messages until WM_QUIT.
class CWinApp : public CCmdTarget {
public:
    using WinHelpFunction = BOOL(WINAPI*)(HWND, LPCSTR, UINT, ULONG_PTR);

    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return m_nExitCode; }
    virtual int Run();

    // Parses __argv, or the given arguments, calling info.ParseParam once per argument.
    void ParseCommandLine(CCommandLineInfo& info);
    static void ParseCommandLine(CCommandLineInfo& info, int argc, const char* const* argv);

    // Help on a context of the help file, owned by the main window.
    virtual void WinHelp(DWORD_PTR data, UINT command = HELP_CONTEXT);
    // Every help request goes through this function, which tests may replace.
    BOOL CallWinHelp(HWND owner, const char* helpFile, UINT command, ULONG_PTR data);
    WinHelpFunction SetWinHelpFunction(WinHelpFunction function);

    // Shows a message box captioned with the application name.
    virtual int DoMessageBox(const char* prompt, UINT type, UINT helpId);

    BOOL Enable3dControls() { return TRUE; }

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance;
    int m_nCmdShow = SW_SHOWNORMAL;
    const char* m_pszAppName;       // program file name without its extension
    const char* m_pszHelpFilePath;  // program path with the extension .HLP
    const char* m_pszExeName;       // program file name without its extension

protected:
    int m_nExitCode = 0;

private:
    CString m_strAppName;
    CString m_strHelpFilePath;
    WinHelpFunction m_pfnWinHelp;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();

// Prepares OLE on the user-interface thread so that the windows can host controls.
void AfxEnableControlContainer();

// The program's entry: runs the current application object.
int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR cmdLine, int cmdShow);
