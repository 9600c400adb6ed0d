// The album list control: the product family's list of galleries, reached through its
// dispatch members. Every call may throw the framework's OLE exceptions; callers guard them.
#pragma once

#include "framework/Wnd.h"

class CAlbumList : public CWnd {
public:
    // Creates the control as a child of `parent`.
    virtual BOOL Create(LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id);

    // Index of the gallery selected in the list.
    long GetSelectedGallery();
    void SetEnabled(BOOL enabled);
    void SetStyle(short style);
    void SetView(long view);
    // Selects the gallery to work on, by name.
    void SetGallery(LPCSTR gallery);
    void SetShowNew(BOOL show);
    void SetDropDown(BOOL dropDown);
    void Refresh();
    BOOL Load();
    long GetFirstGalleryPosition(long* state);
    long GetNextGalleryPosition(long* state);
    CString GetGalleryName(long indexOrPosition);
    long AddFileToGallery(LPCSTR gallery, LPCSTR file);
    long AddGallery(BSTR* name);
    BOOL ShowThumbnails(long show);
};
