// The program's command line: "/setparent HWND" names the window that owns the main window.
#pragma once

#include "framework/CommandLineInfo.h"

class CAppCommandLineInfo : public CCommandLineInfo {
public:
    // Only the setparent flag and the number after it are read; every other argument is
    // ignored, including file names.
    void ParseParam(const char* param, BOOL flag, BOOL last) override;

    CString m_strParentWindow;
    int m_bExpectingParent = 0;
};
