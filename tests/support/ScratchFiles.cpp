#include "tests/support/ScratchFiles.h"

#include <algorithm>
#include <atomic>
#include <vector>

namespace scratch {

Directory::Directory(const std::string& tag) {
    static std::atomic<unsigned> counter{0};
    char temp[MAX_PATH];
    DWORD length = ::GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp) {
        return;
    }
    std::string base(temp, length);
    if (!base.empty() && base.back() == '\\') {
        base.pop_back();
    }
    for (;;) {
        m_path = base + "\\" + tag + "-" + std::to_string(::GetCurrentProcessId()) + "-" +
                 std::to_string(counter++);
        if (::CreateDirectoryA(m_path.c_str(), nullptr)) {
            break;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            m_path.clear();
            break;
        }
    }
}

Directory::~Directory() {
    if (!m_path.empty()) {
        RemoveTree(m_path);
    }
}

std::string Directory::operator/(const std::string& relative) const {
    return m_path + "\\" + relative;
}

bool RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((path + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            std::string child = path + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(child.c_str());
            }
        } while (::FindNextFileA(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(path.c_str());
    return ::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool MakeDirectories(const std::string& path) {
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1)) {
        ::CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    }
    ::CreateDirectoryA(path.c_str(), nullptr);
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    size_t slash = path.rfind('\\');
    if (slash != std::string::npos) {
        MakeDirectories(path.substr(0, slash));
    }
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bytes.size();
}

std::string ReadBytes(const std::string& path) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::string();
    }
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    ::CloseHandle(file);
    return bytes;
}

bool FileExists(const std::string& path) {
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ExeFolder() {
    char path[MAX_PATH];
    DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        return std::string();
    }
    std::string folder(path, length);
    return folder.substr(0, folder.rfind('\\'));
}

std::string JpegSegment(unsigned char marker, const std::string& payload) {
    size_t length = payload.size() + 2;
    std::string segment{'\xFF', static_cast<char>(marker), static_cast<char>((length >> 8) & 0xFF),
                        static_cast<char>(length & 0xFF)};
    return segment + payload;
}

std::string JpegHeader(int width, int height, size_t padding) {
    auto be16 = [](int value) {
        return std::string{static_cast<char>((value >> 8) & 0xFF), static_cast<char>(value & 0xFF)};
    };
    std::string jpeg = "\xFF\xD8";
    jpeg += JpegSegment(0xE0, std::string("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14));
    // SOF0: precision 8, height, width, three components.
    jpeg += JpegSegment(0xC0, "\x08" + be16(height) + be16(width) +
                                  std::string("\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01", 10));
    jpeg += std::string(padding, '\x5A');
    jpeg += "\xFF\xD9";
    return jpeg;
}

std::string ListFiles(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                names.push_back(data.cFileName);
            }
        } while (::FindNextFileA(find, &data));
        ::FindClose(find);
    }
    std::sort(names.begin(), names.end());
    std::string list;
    for (const std::string& name : names) {
        list += (list.empty() ? "" : " ") + name;
    }
    return list;
}

} // namespace scratch
