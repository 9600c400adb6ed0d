#pragma once
#include <windows.h>
#define kLMShellProgId "LMShell.ExGalleryInterface"
enum { DISPID_LMSHELL_CURRENTGALLERY = 1, DISPID_LMSHELL_OPENGALLERY = 11, DISPID_LMSHELL_ADDFILE = 12 };
