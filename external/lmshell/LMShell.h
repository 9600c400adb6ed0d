// The shell program as the camera manager sees it: LMShell.exe, a program of its own that
// owns a top-level window of class "OrvexLumoraShell2" (its presence is how others tell that
// the shell runs) and serves one automation object, reached through IDispatch only.
//
// The object is served out of process: LMShell.exe registers its class object while it runs,
// and COM starts it with -Embedding when a client asks for the object and no copy runs. Its
// registration lives under HKEY_LOCAL_MACHINE\Software\Classes (where every COM, Wine's too,
// finds it): the ProgID key with a CLSID subkey, and CLSID\{...} with LocalServer32 (the
// program's full path, quoted when it holds a space) and ProgID.
//   LMShell.exe /RegServer     writes the registration and exits (exit code 0 on success)
//   LMShell.exe /UnregServer   removes it and exits
//   LMShell.exe [-Embedding]   shows the window and serves until the window is closed
// A copy started by hand while another runs brings that one to the front and exits.
//
// Members (no type information; GetIDsOfNames knows the three names, in any case). Arguments
// are coerced with VariantChangeType, so any type that converts is taken; a wrong count gives
// DISP_E_BADPARAMCOUNT, an argument that does not convert DISP_E_TYPEMISMATCH.
//   CurrentGallery (property get)  -> VT_BSTR: the gallery last opened with OpenGallery since
//                                     the program started, "" before the first
//   OpenGallery(VT_BSTR gallery, VT_I4 1) -> VT_I4: 1 when opened, 0 for an empty name
//   AddFile(VT_BSTR gallery, VT_I4 1, VT_BSTR full path, VT_BOOL TRUE) -> VT_I4: 1 when the
//       path names an existing file (the shell records it), 0 when it refuses it: no such
//       file, or the RefuseAddFile test setting is on. The file is never moved or changed.
// Every call is listed in the window, refusals with their reason.
#pragma once

#include <windows.h>

// {A4D69880-4367-4781-9407-1AF5308D134A}
DEFINE_GUID(CLSID_LMShellGalleryInterface, 0xa4d69880, 0x4367, 0x4781, 0x94, 0x07, 0x1a, 0xf5, 0x30,
            0x8d, 0x13, 0x4a);

const char kLMShellProgId[] = "LMShell.ExGalleryInterface";
const char kLMShellWindowClass[] = "OrvexLumoraShell2";

enum LMShellDispid {
    DISPID_LMSHELL_CURRENTGALLERY = 1, // property get () -> VT_BSTR
    DISPID_LMSHELL_OPENGALLERY = 11,   // method (VT_BSTR, VT_I4) -> VT_I4
    DISPID_LMSHELL_ADDFILE = 12,       // method (VT_BSTR, VT_I4, VT_BSTR, VT_BOOL) -> VT_I4
};

// Test settings, read at every AddFile: a nonzero DWORD RefuseAddFile makes AddFile refuse
// every file; ExitAtAddFile = N ends the program in the middle of its Nth AddFile, before it
// answers, as a shell that crashes during a transfer would.
const char kLMShellTestKey[] = "Software\\Orvex\\Lumora2\\LMShell\\Test"; // under HKCU
const char kLMShellRefuseAddFileValue[] = "RefuseAddFile";
const char kLMShellExitAtAddFileValue[] = "ExitAtAddFile";
