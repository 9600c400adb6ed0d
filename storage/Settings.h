// The settings the program reads from the registry through the utility library's
// CRegistryIO: the download folder, the default gallery and the galleries root.
#pragma once

#include "framework/String.h"

// The temporary directory for downloads, never ending in a backslash; stores it back when the
// registry has no value yet (a first run stores "C:").
CString GetTempDirectorySetting();
// The gallery the save-to-gallery dialog preselects, without surrounding white space.
CString GetDefaultGallery();
// The folder every gallery lies in, as stored; empty when there is none.
CString GetGalleriesPath();
