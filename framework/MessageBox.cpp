#include "framework/MessageBox.h"

#include "framework/String.h"
#include "framework/WinApp.h"

int AfxMessageBox(const char* text, UINT type, UINT helpId) {
    CWinApp* app = AfxGetApp();
    if (app != nullptr) {
        return app->DoMessageBox(text, type, helpId);
    }
    return ::MessageBoxA(nullptr, text != nullptr ? text : "", "", type);
}

int AfxMessageBox(UINT promptId, UINT type, UINT helpId) {
    CString prompt;
    prompt.LoadString(promptId);
    return AfxMessageBox(prompt, type, helpId == static_cast<UINT>(-1) ? promptId : helpId);
}
