#include "framework/CommandLineInfo.h"

void CCommandLineInfo::ParseParam(const char* param, BOOL flag, BOOL last) {
    if (flag || !m_strFileName.IsEmpty()) {
        return;
    }
    m_strFileName = param;
    m_nShellCommand = FileOpen;
}
