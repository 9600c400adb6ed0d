#include "storage/RegistryKey.h"

#include <cstring>

namespace {

const DWORD kValueBufferBytes = 512;

} // namespace

CRegistryKey::CRegistryKey(HKEY root, LPCSTR subKey)
    : m_hRoot(root), m_strSubKey(subKey != nullptr ? subKey : "") {}

CRegistryKey::~CRegistryKey() = default;

LONG CRegistryKey::OpenKey(HKEY* phKey) {
    if (m_strSubKey.IsEmpty()) {
        return ::RegOpenKeyExA(m_hRoot, "", 0, KEY_ALL_ACCESS, phKey);
    }
    DWORD disposition = 0;
    return ::RegCreateKeyExA(m_hRoot, m_strSubKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_ALL_ACCESS, nullptr, phKey, &disposition);
}

// Opens, reads and closes at each call, so no handle outlives it.
LONG CRegistryKey::QueryString(LPCSTR valueName, CString* value) {
    if (value == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    BYTE buffer[kValueBufferBytes] = {};
    DWORD size = kValueBufferBytes;
    HKEY key = nullptr;
    LONG result = OpenKey(&key);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    DWORD type = REG_NONE;
    result = ::RegQueryValueExA(key, valueName, nullptr, &type, buffer, &size);
    if (result == ERROR_SUCCESS) {
        // A value filling all 512 bytes has no terminator: stop at the buffer's end.
        const char* text = reinterpret_cast<const char*>(buffer);
        *value = CString(text, static_cast<int>(::strnlen(text, kValueBufferBytes)));
    } else {
        value->Empty();
    }
    ::RegCloseKey(key);
    return result;
}
