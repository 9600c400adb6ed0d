// CImportDib: a CDib whose file load reads any picture the imaging library reads (the camera's
// JPEG snapshots), through a Windows bitmap written to a temporary file and removed again.
#pragma once

#include "framework/String.h"
#include "media/Dib.h"

class CImportDib : public CDib {
public:
    BOOL LoadFromResource(HINSTANCE module, UINT id) override;
    BOOL LoadFromResource(HINSTANCE module, LPCSTR name) override;
    // FALSE, with the image as it was, when the library cannot read or write the picture.
    BOOL LoadFromFile(LPCSTR path) override;

    // The folder the temporary bitmap goes to: the TempDirectory setting (the user's, else
    // the machine's) when it is a usable directory, else the system's temporary folder.
    static CString TemporaryDirectory();
};
