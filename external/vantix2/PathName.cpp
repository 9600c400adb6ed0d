#include "external/vantix2/Vantix2.h"

#include <cstdio>

namespace {

bool IsSeparator(char ch) {
    return ch == '\\' || ch == '/';
}

// Tries to create a new file in folder (which ends in a separator) that vanishes when closed.
bool CanCreateFileIn(const CString& folder) {
    LARGE_INTEGER ticks = {};
    ::QueryPerformanceCounter(&ticks);
    for (unsigned attempt = 0; attempt < 8; ++attempt) {
        // Process, thread, clock and attempt keep concurrent probes from meeting.
        char name[64];
        std::snprintf(name, sizeof(name), "~vx%lx_%lx_%llx_%u.tmp", ::GetCurrentProcessId(),
                      ::GetCurrentThreadId(), static_cast<unsigned long long>(ticks.QuadPart),
                      attempt);
        CString probe = folder + name;
        if (probe.GetLength() >= MAX_PATH) {
            return false;
        }
        HANDLE file = ::CreateFileA(
            probe, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            ::CloseHandle(file);
            return true;
        }
        DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return false;
        }
    }
    return false;
}

} // namespace

CPathName::CPathName(const char* path) : m_directory(path != nullptr ? path : "") {}

CPathName::~CPathName() = default;

void CPathName::SetDirPath(const char* directory) {
    m_directory = directory != nullptr ? directory : "";
}

int CPathName::IsLegalDirectory() {
    // The directory without trailing separators, then with exactly one; "C:" and "C:\" both
    // mean the root of drive C, as the program joins "C:" + "\" + name.
    CString folder = m_directory;
    while (!folder.IsEmpty() && IsSeparator(folder[folder.GetLength() - 1])) {
        folder.Delete(folder.GetLength() - 1);
    }
    if (folder.IsEmpty()) {
        // Only separators, or nothing: no directory is named.
        return 0;
    }
    folder += '\\';
    if (folder.GetLength() >= MAX_PATH) {
        return 0;
    }
    DWORD attributes = ::GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return 0;
    }
    return CanCreateFileIn(folder) ? 1 : 0;
}
