// The shell program's gallery object ("LMShell.ExGalleryInterface"), driven through its
// dispatch members. Every call may throw the framework's OLE exceptions; callers guard them.
#pragma once

#include "framework/OleDispatchDriver.h"
#include "framework/String.h"

class IExGalleryInterface : public COleDispatchDriver {
public:
    // Creates the shell program's object; FALSE when it cannot be had.
    BOOL Create();

    // The gallery the shell program shows.
    CString GetCurrentGallery();
    long OpenGallery(LPCSTR gallery, long mode);
    // Nonzero when the shell program took the file into the gallery.
    long AddFile(LPCSTR gallery, long mode, LPCSTR file, BOOL notify);
};
