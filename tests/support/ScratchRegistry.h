// A registry key handed to a test with a clean slate and given back as it was found.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace scratch {

// Snapshots the values directly under root\subKey and removes them for the test. At scope end
// it puts the snapshot back; when the key did not exist it removes the key instead, and every
// parent key that did not exist either, as long as they hold nothing (subkeys the test made
// under them keep them).
class RegistryKey {
public:
    RegistryKey(HKEY root, const std::string& subKey);
    ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // False when the values could not be set aside and cleared: a test should stop then.
    bool IsReady() const { return m_ready; }
    // Removes every value directly under the key again; false when one is left.
    bool Clear();
    // Both create the key when it is missing.
    bool SetString(const std::string& name, const std::string& value);
    bool SetDword(const std::string& name, DWORD value);
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
    bool Save();
    void Restore() const;

    HKEY m_root;
    std::string m_subKey;
    // The snapshot is complete, so the destructor may clear the key and put it back.
    bool m_saved = false;
    bool m_ready = false;
    std::vector<Value> m_values;
    // The key and its parents that did not exist, deepest first.
    std::vector<std::string> m_missing;
};

} // namespace scratch
