// A registry key handed to a test with a clean slate and given back as it was found.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace scratch {

// Snapshots the values directly under root\subKey, removes them for the test, and restores
// the snapshot (or removes a key that did not exist) when it goes out of scope.
class RegistryKey {
public:
    RegistryKey(HKEY root, const std::string& subKey);
    ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    void SetString(const std::string& name, const std::string& value);
    void SetDword(const std::string& name, DWORD value);
    void Delete(const std::string& name);
    // The stored string, or `fallback` when the value is missing or not a string.
    std::string GetString(const std::string& name, const std::string& fallback = "") const;
    bool Has(const std::string& name) const;

private:
    struct Value {
        std::string name;
        DWORD type;
        std::vector<BYTE> data;
    };
    void RemoveAllValues();

    HKEY m_root;
    std::string m_subKey;
    bool m_existed = false;
    std::vector<Value> m_saved;
};

}  // namespace scratch
