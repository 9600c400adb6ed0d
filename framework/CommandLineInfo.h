// CCommandLineInfo: receives the program's arguments one by one from ParseCommandLine.
#pragma once

#include <windows.h>

#include "framework/String.h"

class CCommandLineInfo {
public:
    enum ShellCommand { FileNew, FileOpen };

    virtual ~CCommandLineInfo() = default;

    // Called once per argument; a flag arrives without its leading '/' or '-'.
    // The base class takes the first plain argument as a file to open.
    virtual void ParseParam(const char* param, BOOL flag, BOOL last);

    CString m_strFileName;
    ShellCommand m_nShellCommand = FileNew;
};
