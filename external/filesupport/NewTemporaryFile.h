// A temporary file of its own for the stand-ins that write a file under a temporary name and
// rename it into place once complete.
#pragma once

#include <windows.h>

#include <string>

namespace filesupport {

// Creates a new, empty file "<folder>~<prefix>XXXX.tmp" (`folder` with its trailing
// backslash) and names it in `path`; an invalid handle when none could be made. A file of its
// own from the start (CREATE_NEW), never an empty one opened again and truncated, as
// GetTempFileName's would be: Wine writes such a file back to disk when it is closed, which
// costs more than writing it.
HANDLE CreateNewTemporary(const std::string& folder, const char* prefix,
                          char (&path)[MAX_PATH]);

} // namespace filesupport
