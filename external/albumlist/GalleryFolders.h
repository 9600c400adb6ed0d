// The galleries on disk: where their root is, which folders under it are galleries, and how
// their names compare. No window or COM code.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace albumlist {

// The galleries root as stored: the string value under HKEY_CURRENT_USER when there is one
// (even an empty one), else the one under HKEY_LOCAL_MACHINE, else "".
std::wstring ReadGalleriesRoot();

// The names of the folders directly under root, in display order; none when root is empty
// or cannot be listed.
std::vector<std::wstring> ListGalleries(const std::wstring& root);

// A gallery's folder: the root, one backslash, and the name.
std::wstring GalleryFolder(const std::wstring& root, const std::wstring& name);

// Names match regardless of case, as the file system matches them.
bool SameName(const std::wstring& left, const std::wstring& right);
// Display order: case-insensitive, ties broken by the exact text so that the order is stable.
bool NameLess(const std::wstring& left, const std::wstring& right);
// Where name goes in a list kept in display order.
size_t InsertPosition(const std::vector<std::wstring>& names, const std::wstring& name);

// The part of a path after its last backslash, slash or drive colon.
std::wstring FileNamePart(const std::wstring& path);
// A name that can stand for a folder directly under the root: not empty, not "." or "..",
// and without separators.
bool IsPlainName(const std::wstring& name);

bool IsDirectory(const std::wstring& path);
bool IsFile(const std::wstring& path);

} // namespace albumlist
