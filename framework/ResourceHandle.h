// The module that string tables, dialog templates and bitmaps are loaded from.
#pragma once

#include <windows.h>

// The module set by AfxSetResourceHandle, or the program's own module when none was set.
HINSTANCE AfxGetResourceHandle();
// Redirects resource loading to another module (a resource DLL); null restores the default.
void AfxSetResourceHandle(HINSTANCE resources);
