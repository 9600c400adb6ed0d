#include "controls/AlbumList.h"

// The component's class and event ids are defined in this one translation unit.
#include <initguid.h>

#include "external/albumlist/AlbumListControl.h"
#include "framework/OleDispatchDriver.h"

BOOL CAlbumList::Create(LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateControl(CLSID_AlbumList, windowName, style, rect, parent, id);
}

long CAlbumList::GetSelectedGallery() {
    long result = -1;
    GetProperty(DISPID_ALBUMLIST_SELECTEDGALLERY, VT_I4, &result);
    return result;
}

void CAlbumList::SetEnabled(BOOL enabled) {
    SetProperty(DISPID_ALBUMLIST_ENABLED, VT_BOOL, enabled);
}

void CAlbumList::SetStyle(short style) {
    SetProperty(DISPID_ALBUMLIST_STYLE, VT_I2, style);
}

void CAlbumList::SetView(long view) {
    SetProperty(DISPID_ALBUMLIST_VIEW, VT_I4, view);
}

void CAlbumList::SetGallery(LPCSTR gallery) {
    SetProperty(DISPID_ALBUMLIST_GALLERY, VT_BSTR, gallery);
}

void CAlbumList::SetShowNew(BOOL show) {
    SetProperty(DISPID_ALBUMLIST_SHOWNEW, VT_BOOL, show);
}

void CAlbumList::SetDropDown(BOOL dropDown) {
    SetProperty(DISPID_ALBUMLIST_DROPDOWN, VT_BOOL, dropDown);
}

void CAlbumList::Refresh() {
    InvokeHelper(DISPID_ALBUMLIST_REFRESH, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
}

BOOL CAlbumList::Load() {
    BOOL result = FALSE;
    InvokeHelper(DISPID_ALBUMLIST_LOAD, DISPATCH_METHOD, VT_BOOL, &result, nullptr);
    return result;
}

long CAlbumList::GetFirstGalleryPosition(long* state) {
    static const BYTE params[] = VTS_PI4;
    long result = 0;
    InvokeHelper(DISPID_ALBUMLIST_GETFIRSTPOSITION, DISPATCH_METHOD, VT_I4, &result, params, state);
    return result;
}

long CAlbumList::GetNextGalleryPosition(long* state) {
    static const BYTE params[] = VTS_PI4;
    long result = 0;
    InvokeHelper(DISPID_ALBUMLIST_GETNEXTPOSITION, DISPATCH_METHOD, VT_I4, &result, params, state);
    return result;
}

CString CAlbumList::GetGalleryName(long indexOrPosition) {
    static const BYTE params[] = VTS_I4;
    CString result;
    InvokeHelper(DISPID_ALBUMLIST_GETGALLERYNAME, DISPATCH_METHOD, VT_BSTR, &result, params,
                 indexOrPosition);
    return result;
}

long CAlbumList::AddFileToGallery(LPCSTR gallery, LPCSTR file) {
    static const BYTE params[] = VTS_BSTR VTS_BSTR;
    long result = 0;
    InvokeHelper(DISPID_ALBUMLIST_ADDFILETOGALLERY, DISPATCH_METHOD, VT_I4, &result, params,
                 gallery, file);
    return result;
}

long CAlbumList::AddGallery(BSTR* name) {
    static const BYTE params[] = VTS_PBSTR;
    long result = 0;
    InvokeHelper(DISPID_ALBUMLIST_ADDGALLERY, DISPATCH_METHOD, VT_I4, &result, params, name);
    return result;
}

BOOL CAlbumList::ShowThumbnails(long show) {
    static const BYTE params[] = VTS_I4;
    BOOL result = FALSE;
    InvokeHelper(DISPID_ALBUMLIST_SHOWTHUMBNAILS, DISPATCH_METHOD, VT_BOOL, &result, params, show);
    return result;
}
