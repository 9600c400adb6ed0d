// A temporary file of its own for the stand-ins that write a file under a temporary name and
// rename it into place once complete.
#pragma once

#include <windows.h>

#include <string>

namespace filesupport {

// Creates a new, empty file "<folder>~<prefix>XXXX.tmp" (`folder` with its trailing
// backslash), open for writing and for renaming (RenameOpenFile), and names it in `path`; an
// invalid handle when none could be made. A file of its
// own from the start (CREATE_NEW), never an empty one opened again and truncated, as
// GetTempFileName's would be: Wine writes such a file back to disk when it is closed, which
// costs more than writing it.
HANDLE CreateNewTemporary(const std::string& folder, const char* prefix,
                          char (&path)[MAX_PATH]);

// Ends the temporary file `path` open as `file` (from CreateNewTemporary): when `complete`, it
// is moved to the full path `target`, replacing a file there, and true returned; otherwise, or
// when the move fails, it is deleted and false returned. The handle is closed either way.
// The move goes through the open handle (one request, where MoveFileEx opens the file again
// by name), and by name only where the system cannot rename an open file.
bool FinishTemporary(HANDLE file, const char* path, const char* target, bool complete);

} // namespace filesupport
