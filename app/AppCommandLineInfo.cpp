#include "app/AppCommandLineInfo.h"

#include <string.h>

void CAppCommandLineInfo::ParseParam(const char* param, BOOL flag, BOOL last) {
    (void)last;
    if (flag) {
        if (_stricmp(param, "setparent") == 0) {
            m_bExpectingParent = 1;
        }
        return;
    }
    if (m_bExpectingParent) {
        m_strParentWindow = param;
        m_bExpectingParent = 0;
    }
}
