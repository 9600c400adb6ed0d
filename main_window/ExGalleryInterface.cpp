#include "main_window/ExGalleryInterface.h"

#include "external/lmshell/LMShell.h"

BOOL IExGalleryInterface::Create() {
    return CreateDispatch(kLMShellProgId);
}

CString IExGalleryInterface::GetCurrentGallery() {
    CString gallery;
    GetProperty(DISPID_LMSHELL_CURRENTGALLERY, VT_BSTR, &gallery);
    return gallery;
}

long IExGalleryInterface::OpenGallery(LPCSTR gallery, long mode) {
    static const BYTE params[] = VTS_BSTR VTS_I4;
    long result = 0;
    InvokeHelper(DISPID_LMSHELL_OPENGALLERY, DISPATCH_METHOD, VT_I4, &result, params, gallery,
                 mode);
    return result;
}

long IExGalleryInterface::AddFile(LPCSTR gallery, long mode, LPCSTR file, BOOL notify) {
    static const BYTE params[] = VTS_BSTR VTS_I4 VTS_BSTR VTS_BOOL;
    long result = 0;
    InvokeHelper(DISPID_LMSHELL_ADDFILE, DISPATCH_METHOD, VT_I4, &result, params, gallery, mode,
                 file, notify);
    return result;
}
