#include "controls/SlideTray.h"

// The component's class and event ids are defined in this one translation unit.
#include <initguid.h>

#include "external/slidetray/SlideTrayControl.h"
#include "framework/OleDispatchDriver.h"

BOOL CSlideTray::Create(LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateControl(CLSID_SlideTray, windowName, style, rect, parent, id);
}

void CSlideTray::SetSelectionMode(long mode) {
    SetProperty(DISPID_SLIDETRAY_SELECTIONMODE, VT_I4, mode);
}

void CSlideTray::SetShowFrames(BOOL show) {
    SetProperty(DISPID_SLIDETRAY_SHOWFRAMES, VT_BOOL, show);
}

void CSlideTray::SetRedraw(BOOL redraw) {
    SetProperty(DISPID_SLIDETRAY_REDRAW, VT_BOOL, redraw);
}

void CSlideTray::SetDragSource(BOOL enable) {
    SetProperty(DISPID_SLIDETRAY_DRAGSOURCE, VT_BOOL, enable);
}

void CSlideTray::SetDropTarget(BOOL enable) {
    SetProperty(DISPID_SLIDETRAY_DROPTARGET, VT_BOOL, enable);
}

LONG_PTR CSlideTray::GetSelectedFiles() {
#ifdef _WIN64
    LONGLONG result = 0;
#else
    long result = 0;
#endif
    InvokeHelper(DISPID_SLIDETRAY_GETSELECTEDFILES, DISPATCH_METHOD, VT_HANDLE_SLIDETRAY, &result,
                 nullptr);
    return static_cast<LONG_PTR>(result);
}

CString CSlideTray::GetItemPath(long index) {
    static const BYTE params[] = VTS_I4;
    CString result;
    InvokeHelper(DISPID_SLIDETRAY_GETITEMPATH, DISPATCH_METHOD, VT_BSTR, &result, params, index);
    return result;
}

long CSlideTray::ClearItems(short first, short last) {
    static const BYTE params[] = VTS_I2 VTS_I2;
    long result = 0;
    InvokeHelper(DISPID_SLIDETRAY_CLEARITEMS, DISPATCH_METHOD, VT_I4, &result, params, first, last);
    return result;
}

BOOL CSlideTray::AddItem(LPCSTR path, LPCSTR label) {
    static const BYTE params[] = VTS_BSTR VTS_BSTR;
    BOOL result = FALSE;
    InvokeHelper(DISPID_SLIDETRAY_ADDITEM, DISPATCH_METHOD, VT_BOOL, &result, params, path, label);
    return result;
}

CString CSlideTray::GetItemLabel(long index) {
    static const BYTE params[] = VTS_I4;
    CString result;
    InvokeHelper(DISPID_SLIDETRAY_GETITEMLABEL, DISPATCH_METHOD, VT_BSTR, &result, params, index);
    return result;
}

void CSlideTray::ShowTooltips(BOOL show) {
    static const BYTE params[] = VTS_BOOL;
    InvokeHelper(DISPID_SLIDETRAY_SHOWTOOLTIPS, DISPATCH_METHOD, VT_EMPTY, nullptr, params, show);
}
