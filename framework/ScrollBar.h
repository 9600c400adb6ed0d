// CScrollBar: a scroll-bar control.
#pragma once

#include "framework/Wnd.h"

class CScrollBar : public CWnd {
public:
    BOOL GetScrollInfo(SCROLLINFO* info, UINT mask = SIF_ALL) const {
        info->cbSize = sizeof(SCROLLINFO);
        info->fMask = mask;
        return ::GetScrollInfo(m_hWnd, SB_CTL, info);
    }
    int SetScrollInfo(SCROLLINFO* info, BOOL redraw = TRUE) {
        info->cbSize = sizeof(SCROLLINFO);
        return ::SetScrollInfo(m_hWnd, SB_CTL, info, redraw);
    }
    int GetScrollPos() const { return ::GetScrollPos(m_hWnd, SB_CTL); }
    int SetScrollPos(int position, BOOL redraw = TRUE) {
        return ::SetScrollPos(m_hWnd, SB_CTL, position, redraw);
    }
};
