// Path checks and folder creation for the gallery folder that a transfer writes into. Paths
// are ANSI, at most MAX_PATH characters, with backslashes.
#pragma once

#include "framework/String.h"

class CDirectoryPaths {
public:
    // Makes `path` full and tidy (rewriting it, unless it is empty or cannot be made full),
    // then tells whether it names an existing directory.
    static BOOL DirectoryExists(CString& path);
    // Trims white space and drops the trailing backslash of a directory path (a root keeps it).
    static void NormalizeDirPath(CString& path);
    // A root counts as existing without a look at the disk; a file is no directory.
    static BOOL IsExistingDirectory(const CString& path);
    // Creates every missing level of "X:\level\level..."; TRUE when the directory exists
    // afterwards. On failure removes exactly the levels this call made. The process's current
    // directory is the same afterwards, whatever happened.
    static BOOL CreateDirectoryPath(const char* path);
};
