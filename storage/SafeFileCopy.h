// Copies a file into a gallery so that no path ever holds half a file: the bytes go to a new
// temporary file beside the target, which replaces the target only once it is complete. A
// copy that fails leaves the target as it was (missing, or the old file intact).
#pragma once

#include <windows.h>

class CSafeFileCopy {
public:
    // Free bytes of the disk that holds `directory`, as the system reports them to this user.
    using FreeSpaceQuery = BOOL (*)(const char* directory, ULARGE_INTEGER* freeBytes);

    // Copies `source` over `target` (replacing a file there); FALSE when anything failed.
    static BOOL Copy(const char* source, const char* target);
    // Whether `bytes` more fit on the disk of `directory`. When the disk cannot say, TRUE: the
    // copies then find out, and a failed one harms nothing.
    static BOOL Fits(const char* directory, ULONGLONG bytes);
    // The size of a file, or FALSE when it cannot be read.
    static BOOL FileSize(const char* path, ULONGLONG* bytes);

    // Test seam: the free-space query; null puts the system's back.
    static void SetFreeSpaceQuery(FreeSpaceQuery query);
};
