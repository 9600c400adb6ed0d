// The thumbnail tray control of the "Camera Contents" area, reached through its dispatch
// members. Every call may throw the framework's OLE exceptions; callers guard them.
#pragma once

#include "framework/Wnd.h"

class CSlideTray : public CWnd {
public:
    // Creates the control as a child of `parent`.
    virtual BOOL Create(LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id);

    void SetSelectionMode(long mode);
    void SetShowFrames(BOOL show);
    void SetRedraw(BOOL redraw);
    void SetDragSource(BOOL enable);
    void SetDropTarget(BOOL enable);
    // An HGLOBAL of a DROPFILES list of the selected files, or 0; the caller frees it. The
    // handle is pointer-sized: VT_I8 on the wire in a 64-bit build.
    LONG_PTR GetSelectedFiles();
    CString GetItemPath(long index);
    long ClearItems(short first, short last);
    BOOL AddItem(LPCSTR path, LPCSTR label);
    CString GetItemLabel(long index);
    void ShowTooltips(BOOL show);
};
