// The thumbnail tray component as a program sees it: a COM control with a window, reached
// through IDispatch, that reports events through a connection point.
//
// Hosting (what a container does, and all the component relies on): CoCreateInstance of
// CLSID_SlideTray for IOleObject; SetClientSite with a site that answers IOleClientSite and
// IOleInPlaceSite; DoVerb(OLEIVERB_INPLACEACTIVATE, ..., parent window, position), upon which
// the control creates its window as a WS_CHILD of the parent at the position; the window
// handle from IOleInPlaceObject::GetWindow; the event interface from IProvideClassInfo2::GetGUID
// (GUIDKIND_DEFAULT_SOURCE_DISP_IID), advised through IConnectionPointContainer. To end:
// Unadvise, IOleInPlaceObject::InPlaceDeactivate, IOleObject::Close, SetClientSite(null),
// Release. The DLL registers itself (DllRegisterServer) under HKLM\Software\Classes, or
// under HKCU\Software\Classes when HKLM cannot be written.
//
// Threads: the class is registered ThreadingModel=Both and aggregates the free-threaded
// marshaler, so an interface pointer of the control is valid in every apartment of the
// process. The members marked "free-threaded" below may be called from any thread that has
// entered COM (a download worker in the multithreaded apartment, say), also while the UI
// thread waits in a modal loop; every other member, activation and the events belong to the
// thread that activated the control.
#pragma once

#include <windows.h>

// {A5486029-1E43-441D-91EB-3E81D4527E45}
DEFINE_GUID(CLSID_SlideTray, 0xa5486029, 0x1e43, 0x441d, 0x91, 0xeb, 0x3e, 0x81, 0xd4, 0x52, 0x7e,
            0x45);
// Event dispatch interface. {F36E5F04-847C-4269-92B6-BA2F0E2F31C0}
DEFINE_GUID(DIID_SlideTrayEvents, 0xf36e5f04, 0x847c, 0x4269, 0x92, 0xb6, 0xba, 0x2f, 0x0e, 0x2f,
            0x31, 0xc0);

// A global memory handle travels whole: VT_I8 in a 64-bit build (where the heap often lies
// above 4 GiB), VT_I4 in a 32-bit one.
#ifdef _WIN64
#define VT_HANDLE_SLIDETRAY VT_I8
#else
#define VT_HANDLE_SLIDETRAY VT_I4
#endif

// Dispatch members (property ids are written with DISPATCH_PROPERTYPUT, methods are called
// with DISPATCH_METHOD). Types as VARIANT types.
enum SlideTrayDispid {
    DISPID_SLIDETRAY_SELECTIONMODE = 1,      // property put, VT_I4
    DISPID_SLIDETRAY_SHOWFRAMES = 11,        // property put, VT_BOOL
    DISPID_SLIDETRAY_REDRAW = 13,            // property put, VT_BOOL: FALSE holds drawing back
    DISPID_SLIDETRAY_DRAGSOURCE = 14,        // property put, VT_BOOL
    DISPID_SLIDETRAY_DROPTARGET = 15,        // property put, VT_BOOL
    // method () -> VT_HANDLE_SLIDETRAY (pointer-sized): HGLOBAL of a DROPFILES list (ANSI
    // full paths of the selected items in tray order) that the caller frees with GlobalFree; 0
    // if none is selected. Free-threaded.
    DISPID_SLIDETRAY_GETSELECTEDFILES = 16,
    // method (VT_I4 index) -> VT_BSTR, "" if no such item; free-threaded
    DISPID_SLIDETRAY_GETITEMPATH = 26,
    DISPID_SLIDETRAY_CLEARITEMS = 37,        // method (VT_I2, VT_I2) -> VT_I4 0: removes every item
    // method (VT_BSTR path, VT_BSTR label) -> VT_BOOL: appends an item (FALSE for an empty
    // path); free-threaded
    DISPID_SLIDETRAY_ADDITEM = 41,
    // method (VT_I4 index) -> VT_BSTR, "" if no such item; free-threaded
    DISPID_SLIDETRAY_GETITEMLABEL = 42,
    DISPID_SLIDETRAY_SHOWTOOLTIPS = 43,      // method (VT_BOOL) -> nothing
};

// Diagnostic members outside the program's table, for benchmarks and tests.
enum SlideTrayDiagnosticDispid {
    // property get, VT_I4, read-only: how many items have their thumbnail made (a placeholder
    // for an unreadable file counts), whether or not the window has drawn it yet; free-threaded
    DISPID_SLIDETRAY_THUMBNAILSREADY = 1000,
};

// Events, on DIID_SlideTrayEvents.
enum SlideTrayEventDispid {
    // (VT_I4 index): the user opened an item (double-click, or Enter on the focused item);
    // fired on the UI thread.
    DISPID_SLIDETRAY_ITEMOPEN = 2,
};
