#include "external/vantix2/Vantix2.h"

#include <cstring>
#include <vector>

namespace {

// A path split at its last backslash: the key before it, the value name after it.
struct ValuePath {
    CString key;
    CString valueName;
};

ValuePath SplitPath(const CString& path) {
    ValuePath parts;
    int slash = path.ReverseFind('\\');
    if (slash < 0) {
        parts.valueName = path;
        return parts;
    }
    parts.key = path.Left(slash);
    parts.valueName = path.Mid(slash + 1);
    return parts;
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

// Reads one root's string value into *text; false when the root holds no string there.
bool ReadString(HKEY root, const ValuePath& path, CString* text) {
    if (root == nullptr) {
        return false;
    }
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path.key, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD type = REG_NONE;
    DWORD size = 0;
    LONG result = ::RegQueryValueExA(key, path.valueName, nullptr, &type, nullptr, &size);
    bool found = false;
    // Another writer may lengthen the value between asking its size and reading it: retry.
    for (int attempt = 0; attempt < 4 && result == ERROR_SUCCESS && IsStringType(type); ++attempt) {
        // One byte more than asked for, so a value stored without a terminator still ends.
        std::vector<char> buffer(static_cast<size_t>(size) + 1, '\0');
        DWORD read = size;
        result = ::RegQueryValueExA(key, path.valueName, nullptr, &type,
                                    reinterpret_cast<BYTE*>(buffer.data()), &read);
        if (result == ERROR_MORE_DATA) {
            size = read;
            result = ERROR_SUCCESS;
            continue;
        }
        if (result != ERROR_SUCCESS || !IsStringType(type)) {
            break;
        }
        size_t length = ::strnlen(buffer.data(), read);
        *text = CString(buffer.data(), static_cast<int>(length));
        found = true;
        break;
    }
    ::RegCloseKey(key);
    return found;
}

// True when the root stores a value of any type at the path; *type receives its type.
bool HasValue(HKEY root, const ValuePath& path, DWORD* type) {
    if (root == nullptr) {
        return false;
    }
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path.key, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    LONG result = ::RegQueryValueExA(key, path.valueName, nullptr, type, nullptr, nullptr);
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

} // namespace

CRegistryIO::CRegistryIO(HKEY first, HKEY second) : m_first(first), m_second(second) {}

CRegistryIO::~CRegistryIO() = default;

CString CRegistryIO::GetRegString(CString path, CString defaultValue) {
    ValuePath parts = SplitPath(path);
    CString text;
    if (ReadString(m_first, parts, &text) || ReadString(m_second, parts, &text)) {
        return text;
    }
    return defaultValue;
}

int CRegistryIO::KeyExists(CString path, unsigned long* type) {
    ValuePath parts = SplitPath(path);
    DWORD found = REG_NONE;
    if (!HasValue(m_first, parts, &found) && !HasValue(m_second, parts, &found)) {
        return 0;
    }
    if (type != nullptr) {
        *type = found;
    }
    return 1;
}

long CRegistryIO::SetRegString(CString path, CString value) {
    if (m_first == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    ValuePath parts = SplitPath(path);
    HKEY key = nullptr;
    LONG result = ::RegCreateKeyExA(m_first, parts.key, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_SET_VALUE, nullptr, &key, nullptr);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    // The terminator is stored with the text, as REG_SZ expects.
    result = ::RegSetValueExA(key, parts.valueName, 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(value.GetString()),
                              static_cast<DWORD>(value.GetLength()) + 1);
    ::RegCloseKey(key);
    return result;
}
