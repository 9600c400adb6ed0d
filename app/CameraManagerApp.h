// The application object: command line, single instance, the modal main window, help.
#pragma once

#include <memory>

#include "app/AppCommandLineInfo.h"
#include "framework/Mutex.h"
#include "framework/SingleLock.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"

class CCameraManagerApp : public CWinApp {
public:
    const CMessageMap* GetMessageMap() const override;

    CCameraManagerApp() = default;

    // Runs the whole program; always FALSE, so that the framework ends it afterwards.
    BOOL InitInstance() override;
    int ExitInstance() override;

    // TRUE for the first running copy; a later copy activates the first and gets FALSE.
    BOOL AcquireSingleInstance();
    void OnHelp();

    // The parent window handle given on the command line, or null.
    static HWND ParentHandleFromText(const CString& text);

    CAppCommandLineInfo m_cmdInfo;
    CSingleLock* m_pInstanceLock = nullptr;
    CMutex* m_pInstanceMutex = nullptr;

private:
    // Stands for the shell's window that owns the main window; never destroyed by us.
    std::unique_ptr<CWnd> m_parentWindow;
};
