// Scratch folders, generated camera files and the file checks tests make on them.
#pragma once

#include <windows.h>

#include <string>

namespace scratch {

// A new empty folder under the temporary path, removed with everything in it at the end.
class Directory {
public:
    explicit Directory(const std::string& tag = "fotoloft");
    ~Directory();
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;

    // False when no folder could be made: a test should stop then.
    bool IsReady() const { return !m_path.empty(); }
    const std::string& Path() const { return m_path; }
    // Path() + "\" + relative.
    std::string operator/(const std::string& relative) const;

private:
    std::string m_path;
};

// Removes a folder tree; true when nothing of it is left.
bool RemoveTree(const std::string& path);
// Creates every missing folder of `path`.
bool MakeDirectories(const std::string& path);
// Writes `bytes` to `path`, creating its folders.
bool WriteBytes(const std::string& path, const std::string& bytes);
// The whole file, or "" when it cannot be read.
std::string ReadBytes(const std::string& path);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// The folder the running test executable is in, without a trailing backslash.
std::string ExeFolder();
// One JPEG marker segment: the marker, the length that counts itself, then `payload` (at most
// 65533 bytes). Tests put segments together into the pictures they need.
std::string JpegSegment(unsigned char marker, const std::string& payload);
// The start of a baseline JPEG (SOI, JFIF, SOF0 of the given size) and `padding` filler
// bytes before EOI: enough for anything that reads a JPEG's header, not a decodable picture.
std::string JpegHeader(int width, int height, size_t padding = 64);
// Names of the files (not folders) directly in `folder`, sorted and joined by spaces.
std::string ListFiles(const std::string& folder);

} // namespace scratch
