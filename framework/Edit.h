// CEdit: an edit control.
#pragma once

#include "framework/Wnd.h"

class CEdit : public CWnd {
public:
    void SetSel(int start, int end, BOOL noScroll = FALSE) {
        SendMessage(EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
        if (!noScroll) {
            SendMessage(EM_SCROLLCARET);
        }
    }
    DWORD GetSel() const { return static_cast<DWORD>(SendMessage(EM_GETSEL)); }
    void GetSel(int& start, int& end) const {
        DWORD start32 = 0;
        DWORD end32 = 0;
        SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start32), reinterpret_cast<LPARAM>(&end32));
        start = static_cast<int>(start32);
        end = static_cast<int>(end32);
    }
    void LimitText(int maxChars = 0) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(maxChars)); }
    UINT GetLimitText() const { return static_cast<UINT>(SendMessage(EM_GETLIMITTEXT)); }
    void ReplaceSel(const char* text, BOOL canUndo = FALSE) {
        SendMessage(EM_REPLACESEL, static_cast<WPARAM>(canUndo), reinterpret_cast<LPARAM>(text));
    }
};
