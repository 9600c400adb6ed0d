#include "storage/DirectoryPaths.h"

#include <cstdlib>
#include <vector>

#include "framework/File.h"

namespace {

struct PathParts {
    char drive[_MAX_DRIVE] = {};
    char directory[_MAX_DIR] = {};
    char title[_MAX_FNAME] = {};
    char extension[_MAX_EXT] = {};
};

PathParts Split(const CString& path) {
    PathParts parts;
    ::_splitpath(path, parts.drive, parts.directory, parts.title, parts.extension);
    return parts;
}

// Puts the process's current directory back when it goes out of scope.
class CCurrentDirectoryGuard {
public:
    CCurrentDirectoryGuard() {
        const DWORD length = ::GetCurrentDirectoryA(MAX_PATH, m_saved);
        m_valid = length > 0 && length < MAX_PATH;
    }
    ~CCurrentDirectoryGuard() {
        if (m_valid) {
            ::SetCurrentDirectoryA(m_saved);
        }
    }
    CCurrentDirectoryGuard(const CCurrentDirectoryGuard&) = delete;
    CCurrentDirectoryGuard& operator=(const CCurrentDirectoryGuard&) = delete;

private:
    char m_saved[MAX_PATH] = {};
    bool m_valid = false;
};

}  // namespace

BOOL CDirectoryPaths::DirectoryExists(CString& path) {
    if (path.IsEmpty()) {
        return FALSE;
    }
    char full[MAX_PATH];
    full[0] = '\0';
    // A full path that does not fit leaves the buffer as it was: empty, and no directory.
    if (::GetFullPathNameA(path, MAX_PATH, full, nullptr) == 0) {
        return FALSE;
    }
    path = full;
    NormalizeDirPath(path);
    return IsExistingDirectory(path);
}

void CDirectoryPaths::NormalizeDirPath(CString& path) {
    path.Trim();
    PathParts parts = Split(path);
    if (parts.title[0] != '\0' || parts.extension[0] != '\0') {
        return;
    }
    CString directory = parts.directory;
    if (directory == "\\") {
        return;
    }
    const int last = directory.ReverseFind('\\');
    if (last >= 0 && last == directory.GetLength() - 1) {
        directory.Delete(last);
    }
    path = CString(parts.drive) + directory;
}

BOOL CDirectoryPaths::IsExistingDirectory(const CString& path) {
    PathParts parts = Split(path);
    if (CString(parts.directory) == "\\" && parts.title[0] == '\0' && parts.extension[0] == '\0') {
        return TRUE;
    }
    CFileStatus status;
    return CFile::GetStatus(path, status) && (status.m_attribute & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

BOOL CDirectoryPaths::CreateDirectoryPath(const char* path) {
    if (path == nullptr || path[0] == '\0') {
        return FALSE;
    }
    CCurrentDirectoryGuard restore;
    if (::SetCurrentDirectoryA(path)) {
        return TRUE;
    }
    // "X:" then the levels after "X:\"; a path of another shape is cut wrongly and fails.
    const CString whole(path);
    CString built = whole.Left(2);
    const CString rest = whole.GetLength() > 3 ? whole.Mid(3) : CString();
    std::vector<CString> created;
    int start = 0;
    while (start < rest.GetLength()) {
        int end = rest.Find('\\', start);
        if (end < 0) {
            end = rest.GetLength();
        }
        const CString level = rest.Mid(start, end - start);
        start = end + 1;
        built += "\\" + level;
        if (::SetCurrentDirectoryA(built)) {
            continue;
        }
        if (::CreateDirectoryA(built, nullptr)) {
            created.push_back(built);
            continue;
        }
        // Deepest first, so that each level is empty when its turn comes.
        for (auto it = created.rbegin(); it != created.rend(); ++it) {
            ::RemoveDirectoryA(*it);  // what cannot be removed stays; the answer is FALSE anyway
        }
        return FALSE;
    }
    return TRUE;
}
