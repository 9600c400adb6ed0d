#include "tests/support/ScratchRegistry.h"

namespace scratch {

RegistryKey::RegistryKey(HKEY root, const std::string& subKey) : m_root(root), m_subKey(subKey) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(m_root, m_subKey.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        m_existed = true;
        for (DWORD index = 0;; ++index) {
            char name[16384];
            DWORD nameLength = sizeof name;
            DWORD type = 0;
            DWORD size = 0;
            if (::RegEnumValueA(key, index, name, &nameLength, nullptr, &type, nullptr, &size) !=
                ERROR_SUCCESS) {
                break;
            }
            Value value{std::string(name, nameLength), type, std::vector<BYTE>(size)};
            DWORD read = size;
            ::RegQueryValueExA(key, value.name.c_str(), nullptr, &value.type,
                               size > 0 ? value.data.data() : nullptr, &read);
            value.data.resize(read);
            m_saved.push_back(std::move(value));
        }
        ::RegCloseKey(key);
    }
    RemoveAllValues();
}

RegistryKey::~RegistryKey() {
    RemoveAllValues();
    if (!m_existed) {
        ::RegDeleteKeyA(m_root, m_subKey.c_str());
        return;
    }
    HKEY key = nullptr;
    if (::RegCreateKeyExA(m_root, m_subKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS) {
        return;
    }
    for (const Value& value : m_saved) {
        ::RegSetValueExA(key, value.name.c_str(), 0, value.type,
                         value.data.empty() ? nullptr : value.data.data(),
                         static_cast<DWORD>(value.data.size()));
    }
    ::RegCloseKey(key);
}

void RegistryKey::RemoveAllValues() {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(m_root, m_subKey.c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) {
        return;
    }
    char name[16384];
    DWORD nameLength = sizeof name;
    // Always the first value: each deletion moves the rest up.
    while (::RegEnumValueA(key, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS) {
        if (::RegDeleteValueA(key, name) != ERROR_SUCCESS) {
            break;
        }
        nameLength = sizeof name;
    }
    ::RegCloseKey(key);
}

void RegistryKey::SetString(const std::string& name, const std::string& value) {
    ::RegSetKeyValueA(m_root, m_subKey.c_str(), name.c_str(), REG_SZ, value.c_str(),
                      static_cast<DWORD>(value.size() + 1));
}

void RegistryKey::SetDword(const std::string& name, DWORD value) {
    ::RegSetKeyValueA(m_root, m_subKey.c_str(), name.c_str(), REG_DWORD, &value, sizeof value);
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

}  // namespace scratch
