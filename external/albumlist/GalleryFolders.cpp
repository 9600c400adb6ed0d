#include "GalleryFolders.h"

#include <algorithm>
#include <cwchar>

namespace albumlist {

namespace {

const wchar_t kInstalledKey[] = L"Software\\Orvex\\LumoraInstalled\\Lumora2";
const wchar_t kRootValue[] = L"GalleriesPath";

// The string value under one root; false when that root has none there.
bool ReadRootValue(HKEY root, std::wstring* text) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, kInstalledKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    bool found = false;
    DWORD type = REG_NONE;
    DWORD size = 0;
    LONG result = ::RegQueryValueExW(key, kRootValue, nullptr, &type, nullptr, &size);
    // Another writer may lengthen the value between asking its size and reading it: retry.
    for (int attempt = 0; attempt < 4 && result == ERROR_SUCCESS; ++attempt) {
        if (type != REG_SZ && type != REG_EXPAND_SZ) {
            break;
        }
        // A character more than asked for, so that a value stored without a terminator ends.
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
        DWORD read = size;
        result = ::RegQueryValueExW(key, kRootValue, nullptr, &type,
                                    reinterpret_cast<BYTE*>(buffer.data()), &read);
        if (result == ERROR_MORE_DATA) {
            size = read;
            result = ERROR_SUCCESS;
            continue;
        }
        if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
            break;
        }
        size_t length = std::min<size_t>(read / sizeof(wchar_t), buffer.size());
        *text = std::wstring(buffer.data(), wcsnlen(buffer.data(), length));
        found = true;
        break;
    }
    ::RegCloseKey(key);
    return found;
}

int CompareIgnoringCase(const std::wstring& left, const std::wstring& right) {
    // String sort: punctuation counts as characters rather than being skipped, so that
    // "a-b" and "ab" keep an order of their own.
    int order = ::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE | SORT_STRINGSORT, left.c_str(),
                                 static_cast<int>(left.size()), right.c_str(),
                                 static_cast<int>(right.size()));
    return order == 0 ? 0 : order - CSTR_EQUAL;
}

} // namespace

std::wstring ReadGalleriesRoot() {
    std::wstring root;
    if (ReadRootValue(HKEY_CURRENT_USER, &root) || ReadRootValue(HKEY_LOCAL_MACHINE, &root)) {
        return root;
    }
    return std::wstring();
}

std::vector<std::wstring> ListGalleries(const std::wstring& root) {
    std::vector<std::wstring> names;
    if (root.empty()) {
        return names;
    }
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((root + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        std::wstring name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsPlainName(name)) {
            names.push_back(name);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end(), NameLess);
    return names;
}

std::wstring GalleryFolder(const std::wstring& root, const std::wstring& name) {
    return root + L"\\" + name;
}

bool SameName(const std::wstring& left, const std::wstring& right) {
    return ::CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                                  static_cast<int>(right.size()), TRUE) == CSTR_EQUAL;
}

bool NameLess(const std::wstring& left, const std::wstring& right) {
    int order = CompareIgnoringCase(left, right);
    return order != 0 ? order < 0 : left < right;
}

size_t InsertPosition(const std::vector<std::wstring>& names, const std::wstring& name) {
    return static_cast<size_t>(std::upper_bound(names.begin(), names.end(), name, NameLess) -
                               names.begin());
}

std::wstring FileNamePart(const std::wstring& path) {
    size_t separator = path.find_last_of(L"\\/:");
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

bool IsPlainName(const std::wstring& name) {
    return !name.empty() && name != L"." && name != L".." &&
           name.find_first_of(L"\\/:") == std::wstring::npos;
}

bool IsDirectory(const std::wstring& path) {
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::wstring& path) {
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace albumlist
