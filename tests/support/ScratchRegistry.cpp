#include "tests/support/ScratchRegistry.h"

#include <gtest/gtest.h>

namespace scratch {

namespace {

// Only a key that is reported absent counts as missing: one that cannot be read is left alone.
bool IsMissing(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    LONG result = ::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key);
    if (result == ERROR_SUCCESS) {
        ::RegCloseKey(key);
    }
    return result == ERROR_FILE_NOT_FOUND;
}

// Removes a key that holds neither values nor subkeys; one filled meanwhile stays.
void DeleteIfEmpty(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return;
    }
    DWORD subKeys = 0;
    DWORD values = 0;
    LONG result = ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                                     &values, nullptr, nullptr, nullptr, nullptr);
    ::RegCloseKey(key);
    if (result == ERROR_SUCCESS && subKeys == 0 && values == 0) {
        ::RegDeleteKeyA(root, path.c_str());
    }
}

} // namespace

RegistryKey::RegistryKey(HKEY root, const std::string& subKey) : m_root(root), m_subKey(subKey) {
    for (std::string path = m_subKey; !path.empty() && IsMissing(m_root, path);) {
        m_missing.push_back(path);
        size_t slash = path.rfind('\\');
        path.resize(slash == std::string::npos ? 0 : slash);
    }
    m_saved = !m_missing.empty() || Save();
    m_ready = m_saved && Clear();
}

RegistryKey::~RegistryKey() {
    if (!m_saved) {
        return;
    }
    EXPECT_TRUE(Clear()) << "cannot clear the values of " << m_subKey;
    Restore();
    for (const std::string& path : m_missing) {
        DeleteIfEmpty(m_root, path);
    }
}

bool RegistryKey::Save() {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(m_root, m_subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    bool saved = true;
    for (DWORD index = 0;; ++index) {
        char name[16384];
        DWORD nameLength = sizeof name;
        DWORD size = 0;
        LONG result =
            ::RegEnumValueA(key, index, name, &nameLength, nullptr, nullptr, nullptr, &size);
        if (result == ERROR_NO_MORE_ITEMS) {
            break;
        }
        Value value{std::string(name, nameLength), REG_NONE, std::vector<BYTE>(size)};
        DWORD read = size;
        if (result != ERROR_SUCCESS ||
            ::RegQueryValueExA(key, value.name.c_str(), nullptr, &value.type,
                               size > 0 ? value.data.data() : nullptr, &read) != ERROR_SUCCESS) {
            saved = false;
            break;
        }
        value.data.resize(read);
        m_values.push_back(std::move(value));
    }
    ::RegCloseKey(key);
    return saved;
}

void RegistryKey::Restore() const {
    if (!m_missing.empty()) {
        return;
    }
    HKEY key = nullptr;
    if (::RegCreateKeyExA(m_root, m_subKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS) {
        ADD_FAILURE() << "cannot reopen " << m_subKey << " to put its values back";
        return;
    }
    for (const Value& value : m_values) {
        LONG result = ::RegSetValueExA(key, value.name.c_str(), 0, value.type,
                                       value.data.empty() ? nullptr : value.data.data(),
                                       static_cast<DWORD>(value.data.size()));
        EXPECT_EQ(ERROR_SUCCESS, result) << "putting back " << m_subKey << "\\" << value.name;
    }
    ::RegCloseKey(key);
}

bool RegistryKey::Clear() {
    HKEY key = nullptr;
    LONG opened = ::RegOpenKeyExA(m_root, m_subKey.c_str(), 0, KEY_READ | KEY_WRITE, &key);
    if (opened == ERROR_FILE_NOT_FOUND) {
        return true;
    }
    if (opened != ERROR_SUCCESS) {
        return false;
    }
    char name[16384];
    DWORD nameLength = sizeof name;
    LONG result = ERROR_SUCCESS;
    // Always the first value: each deletion moves the rest up.
    while ((result = ::RegEnumValueA(key, 0, name, &nameLength, nullptr, nullptr, nullptr,
                                     nullptr)) == ERROR_SUCCESS &&
           ::RegDeleteValueA(key, name) == ERROR_SUCCESS) {
        nameLength = sizeof name;
    }
    ::RegCloseKey(key);
    return result == ERROR_NO_MORE_ITEMS;
}

bool RegistryKey::SetString(const std::string& name, const std::string& value) {
    return ::RegSetKeyValueA(m_root, m_subKey.c_str(), name.c_str(), REG_SZ, value.c_str(),
                             static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool RegistryKey::SetDword(const std::string& name, DWORD value) {
    return ::RegSetKeyValueA(m_root, m_subKey.c_str(), name.c_str(), REG_DWORD, &value,
                             sizeof value) == ERROR_SUCCESS;
}

void RegistryKey::Delete(const std::string& name) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(m_root, m_subKey.c_str(), 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
        ::RegDeleteValueA(key, name.c_str());
        ::RegCloseKey(key);
    }
}

std::string RegistryKey::GetString(const std::string& name, const std::string& fallback) const {
    DWORD type = 0;
    DWORD size = 0;
    if (::RegGetValueA(m_root, m_subKey.c_str(), name.c_str(), RRF_RT_REG_SZ, &type, nullptr,
                       &size) != ERROR_SUCCESS) {
        return fallback;
    }
    std::string text(size, '\0');
    if (::RegGetValueA(m_root, m_subKey.c_str(), name.c_str(), RRF_RT_REG_SZ, &type, &text[0],
                       &size) != ERROR_SUCCESS) {
        return fallback;
    }
    text.resize(size > 0 ? size - 1 : 0);
    return text;
}

bool RegistryKey::Has(const std::string& name) const {
    return ::RegGetValueA(m_root, m_subKey.c_str(), name.c_str(), RRF_RT_ANY, nullptr, nullptr,
                          nullptr) == ERROR_SUCCESS;
}

} // namespace scratch
