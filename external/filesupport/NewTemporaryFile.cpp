#include "external/filesupport/NewTemporaryFile.h"

#include <atomic>
#include <cstdio>

namespace filesupport {

HANDLE CreateNewTemporary(const std::string& folder, const char* prefix,
                          char (&path)[MAX_PATH]) {
    static std::atomic<unsigned> counter{::GetTickCount()};
    for (int attempt = 0; attempt < 64; ++attempt) {
        const unsigned number = counter++ & 0xFFFF;
        if (snprintf(path, MAX_PATH, "%s~%s%04X.tmp", folder.c_str(), prefix, number) >=
            MAX_PATH) {
            return INVALID_HANDLE_VALUE;
        }
        HANDLE file = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) {
            return file;
        }
    }
    return INVALID_HANDLE_VALUE;
}

} // namespace filesupport
