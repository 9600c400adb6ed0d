// The album list component as a program sees it: a COM control with a window (a drop-down
// list of the galleries, which are the folders directly under the galleries root), reached
// through IDispatch. Hosted exactly as the thumbnail tray (see SlideTrayControl.h); it has an
// event interface with no events.
//
// The galleries root is the string value
// Software\Orvex\LumoraInstalled\Lumora2 : GalleriesPath, under HKEY_CURRENT_USER, else
// HKEY_LOCAL_MACHINE. A gallery's folder is the root, one backslash, and the gallery's name.
// The list holds the folders directly under the root, sorted by name regardless of case; the
// component reads the root when it is created and on Refresh or Load, and never writes into
// a gallery folder. Members may be called from any thread; the window catches up through its
// message queue.
//
// Enumeration: GetFirstGalleryPosition(&state) and GetNextGalleryPosition(&state) return the
// position of a gallery, 0x10000 + its index (never equal to an index), or 0 after the last;
// state holds the index last returned. GetGalleryName takes an index or a position.
#pragma once

#include <windows.h>

// {CF6BC73E-1D5D-4715-BCA6-B68CF500CAE8}
DEFINE_GUID(CLSID_AlbumList, 0xcf6bc73e, 0x1d5d, 0x4715, 0xbc, 0xa6, 0xb6, 0x8c, 0xf5, 0x00, 0xca,
            0xe8);
// {D8FC94DA-A620-4AA1-A84C-FDEA11481774}
DEFINE_GUID(DIID_AlbumListEvents, 0xd8fc94da, 0xa620, 0x4aa1, 0xa8, 0x4c, 0xfd, 0xea, 0x11, 0x48,
            0x17, 0x74);

enum AlbumListDispid {
    DISPID_ALBUMLIST_SELECTEDGALLERY = 1,      // property get, VT_I4: index of the selection, -1 none
    DISPID_ALBUMLIST_ENABLED = 3,              // property put, VT_BOOL: enables the window
    DISPID_ALBUMLIST_STYLE = 5,                // property put, VT_I2
    DISPID_ALBUMLIST_VIEW = 6,                 // property put, VT_I4
    DISPID_ALBUMLIST_GALLERY = 7,              // property put, VT_BSTR: selects a gallery by name
                                               // (any case); an unknown name changes nothing
    DISPID_ALBUMLIST_SHOWNEW = 8,              // property put, VT_BOOL
    DISPID_ALBUMLIST_DROPDOWN = 15,            // property put, VT_BOOL
    DISPID_ALBUMLIST_REFRESH = 17,             // method () -> nothing: reads the root again,
                                               // keeping the selected name if it is still there
    DISPID_ALBUMLIST_LOAD = 18,                // method () -> VT_BOOL: as Refresh; TRUE when
                                               // the root folder exists
    DISPID_ALBUMLIST_GETFIRSTPOSITION = 19,    // method (VT_I4|VT_BYREF) -> VT_I4
    DISPID_ALBUMLIST_GETNEXTPOSITION = 20,     // method (VT_I4|VT_BYREF) -> VT_I4, 0 at the end
    DISPID_ALBUMLIST_GETGALLERYNAME = 21,      // method (VT_I4 index or position) -> VT_BSTR,
                                               // "" when there is no such gallery
    DISPID_ALBUMLIST_ADDFILETOGALLERY = 22,    // method (VT_BSTR gallery, VT_BSTR file) -> VT_I4:
                                               // 1 when the file's name is a file in the
                                               // gallery's folder, else 0
    DISPID_ALBUMLIST_ADDGALLERY = 25,          // method (VT_BSTR|VT_BYREF name) -> VT_I4 0: adds
                                               // the name when missing (no folder) and selects it
    DISPID_ALBUMLIST_SHOWTHUMBNAILS = 45,      // method (VT_I4) -> VT_BOOL
};
