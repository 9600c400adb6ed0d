// LMShell.exe's registration as the local server of "LMShell.ExGalleryInterface", written by
// /RegServer and removed by /UnregServer (see LMShell.h for the keys).
#pragma once

#include <windows.h>

#include <string>

namespace lmshell {

// Registers exePath (a full path) under HKLM\Software\Classes, where every COM finds it; when
// that cannot be written, under HKCU\Software\Classes, as a per-user install on Windows does.
// The registry's error code on failure.
LONG RegisterShellServer(const std::string& exePath);
// Removes both registrations; a machine key that cannot be touched without rights is not
// reported.
LONG UnregisterShellServer();

} // namespace lmshell
