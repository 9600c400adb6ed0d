#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "storage/Settings.h"

namespace {

const char kPropertiesKey[] = "SOFTWARE\\Orvex\\Lumora2\\LMShell\\Properties";
const char kFotoloftKey[] = "SOFTWARE\\Orvex\\Lumora2\\Fotoloft";
const char kInstalledKey[] = "Software\\Orvex\\LumoraInstalled\\Lumora2";

bool KeyExists(HKEY root, const std::string& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(handle);
    return true;
}

// True when the key holds neither values nor subkeys.
bool KeyIsEmpty(HKEY root, const std::string& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        return false;
    }
    DWORD subKeys = 0;
    DWORD values = 0;
    LONG result = RegQueryInfoKeyA(handle, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                                   &values, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(handle);
    return result == ERROR_SUCCESS && subKeys == 0 && values == 0;
}

// One stored value as found before a test: whether it was there, its type and bytes.
struct SavedValue {
    HKEY root;
    std::string key;
    std::string name;
    bool existed = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// Takes the real settings values out of HKCU and HKLM for one test and puts back exactly what
// was there afterwards, removing keys the test made.
class CSettingsGuard {
public:
    CSettingsGuard() {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            Save(root, kPropertiesKey, "TempDirectory");
            Save(root, kFotoloftKey, "DefaultGallery");
            Save(root, kInstalledKey, "GalleriesPath");
        }
    }

    ~CSettingsGuard() {
        for (const SavedValue& saved : m_values) {
            Restore(saved);
        }
        // Deepest first, and only keys still empty: a key someone else filled meanwhile stays.
        std::sort(m_createdKeys.begin(), m_createdKeys.end(),
                  [](const auto& a, const auto& b) { return a.second.size() > b.second.size(); });
        for (const auto& created : m_createdKeys) {
            if (KeyIsEmpty(created.first, created.second)) {
                RegDeleteKeyA(created.first, created.second.c_str());
            }
        }
    }

    CSettingsGuard(const CSettingsGuard&) = delete;
    CSettingsGuard& operator=(const CSettingsGuard&) = delete;

    bool savedAll() const { return m_savedAll; }

private:
    void Save(HKEY root, const std::string& key, const char* name) {
        RememberMissingKeys(root, key);
        SavedValue saved;
        saved.root = root;
        saved.key = key;
        saved.name = name;
        HKEY handle = nullptr;
        if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &handle) ==
            ERROR_SUCCESS) {
            DWORD size = 0;
            if (RegQueryValueExA(handle, name, nullptr, &saved.type, nullptr, &size) ==
                ERROR_SUCCESS) {
                saved.data.resize(size);
                saved.existed = RegQueryValueExA(handle, name, nullptr, &saved.type,
                                                 saved.data.data(), &size) == ERROR_SUCCESS;
                saved.data.resize(size);
                m_savedAll = m_savedAll && saved.existed;
                if (saved.existed) {
                    m_savedAll = m_savedAll && RegDeleteValueA(handle, name) == ERROR_SUCCESS;
                }
            }
            RegCloseKey(handle);
        }
        m_values.push_back(saved);
    }

    // Every key on the way down to `key` that is not there yet.
    void RememberMissingKeys(HKEY root, const std::string& key) {
        for (size_t end = 0; end != std::string::npos;) {
            end = key.find('\\', end + 1);
            std::string part = key.substr(0, end);
            if (!KeyExists(root, part) &&
                std::find(m_createdKeys.begin(), m_createdKeys.end(), std::make_pair(root, part)) ==
                    m_createdKeys.end()) {
                m_createdKeys.emplace_back(root, part);
            }
        }
    }

    static void Restore(const SavedValue& saved) {
        HKEY handle = nullptr;
        if (!saved.existed) {
            if (RegOpenKeyExA(saved.root, saved.key.c_str(), 0, KEY_SET_VALUE, &handle) ==
                ERROR_SUCCESS) {
                RegDeleteValueA(handle, saved.name.c_str());
                RegCloseKey(handle);
            }
            return;
        }
        if (RegCreateKeyExA(saved.root, saved.key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_SET_VALUE, nullptr, &handle, nullptr) != ERROR_SUCCESS) {
            ADD_FAILURE() << "cannot restore " << saved.key << "\\" << saved.name;
            return;
        }
        LONG result = RegSetValueExA(handle, saved.name.c_str(), 0, saved.type, saved.data.data(),
                                     static_cast<DWORD>(saved.data.size()));
        EXPECT_EQ(ERROR_SUCCESS, result) << "restoring " << saved.key << "\\" << saved.name;
        RegCloseKey(handle);
    }

    std::vector<SavedValue> m_values;
    std::vector<std::pair<HKEY, std::string>> m_createdKeys;
    bool m_savedAll = true;
};

void Store(HKEY root, const char* key, const char* name, const std::string& text) {
    HKEY handle = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, key, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                             KEY_SET_VALUE, nullptr, &handle, nullptr));
    LONG result =
        RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
    RegCloseKey(handle);
    ASSERT_EQ(ERROR_SUCCESS, result) << "storing " << key << "\\" << name;
}

// The stored text, or "<missing>" when the value is not there.
std::string Stored(HKEY root, const char* key, const char* name) {
    char buffer[1024] = {};
    DWORD size = sizeof(buffer) - 1;
    if (RegGetValueA(root, key, name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) {
        return "<missing>";
    }
    return buffer;
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_guard.savedAll()) << "could not set the real settings aside";
    }

    CSettingsGuard m_guard;
};

TEST_F(SettingsTest, AFirstRunStoresAndReturnsTheRootOfC) {
    CString directory = GetTempDirectorySetting();

    EXPECT_STREQ("C:", directory.GetString());
    EXPECT_EQ("C:", Stored(HKEY_CURRENT_USER, kPropertiesKey, "TempDirectory"));
    EXPECT_EQ("<missing>", Stored(HKEY_LOCAL_MACHINE, kPropertiesKey, "TempDirectory"));
    EXPECT_STREQ("C:", GetTempDirectorySetting().GetString()) << "second run";
}

struct TempDirectoryCase {
    const char* label;
    HKEY root;
    const char* stored;
    const char* expected;
};

TEST_F(SettingsTest, GetTempDirectorySettingDropsOneTrailingBackslashAndRewritesNothing) {
    const TempDirectoryCase cases[] = {
        {"folder with backslash", HKEY_CURRENT_USER, "E:\\Cam\\", "E:\\Cam"},
        {"folder without backslash", HKEY_CURRENT_USER, "D:\\Temp", "D:\\Temp"},
        {"two backslashes", HKEY_CURRENT_USER, "E:\\Cam\\\\", "E:\\Cam\\"},
        {"only a backslash", HKEY_CURRENT_USER, "\\", ""},
        {"stored empty", HKEY_CURRENT_USER, "", ""},
        {"machine-wide only", HKEY_LOCAL_MACHINE, "F:\\Shared\\", "F:\\Shared"},
    };
    for (const TempDirectoryCase& c : cases) {
        SCOPED_TRACE(c.label);
        CSettingsGuard perCase;
        Store(c.root, kPropertiesKey, "TempDirectory", c.stored);

        CString directory = GetTempDirectorySetting();

        EXPECT_STREQ(c.expected, directory.GetString());
        EXPECT_EQ(c.stored, Stored(c.root, kPropertiesKey, "TempDirectory")) << "rewritten";
        if (c.root == HKEY_LOCAL_MACHINE) {
            EXPECT_EQ("<missing>", Stored(HKEY_CURRENT_USER, kPropertiesKey, "TempDirectory"))
                << "a machine-wide value must not be copied to the user";
        }
    }
}

TEST_F(SettingsTest, TheUsersTempDirectoryWinsOverTheMachines) {
    Store(HKEY_CURRENT_USER, kPropertiesKey, "TempDirectory", "U:\\Mine\\");
    Store(HKEY_LOCAL_MACHINE, kPropertiesKey, "TempDirectory", "M:\\Shared\\");

    EXPECT_STREQ("U:\\Mine", GetTempDirectorySetting().GetString());
}

struct GalleryCase {
    const char* label;
    HKEY root; // null: nothing stored
    const char* stored;
    const char* expected;
};

TEST_F(SettingsTest, GetDefaultGalleryTrimsWhiteSpaceOnly) {
    const GalleryCase cases[] = {
        {"blanks around", HKEY_CURRENT_USER, "  Party  ", "Party"},
        {"tabs and line ends", HKEY_CURRENT_USER, "\tSummer 2003\r\n", "Summer 2003"},
        {"stored empty", HKEY_CURRENT_USER, "", ""},
        {"only blanks", HKEY_CURRENT_USER, "   ", ""},
        {"trailing backslash kept", HKEY_CURRENT_USER, "Party\\", "Party\\"},
        {"machine-wide only", HKEY_LOCAL_MACHINE, " Shared ", "Shared"},
        {"nothing stored", nullptr, nullptr, "C:\\"},
    };
    for (const GalleryCase& c : cases) {
        SCOPED_TRACE(c.label);
        CSettingsGuard perCase;
        if (c.root != nullptr) {
            Store(c.root, kFotoloftKey, "DefaultGallery", c.stored);
        }

        CString gallery = GetDefaultGallery();

        EXPECT_STREQ(c.expected, gallery.GetString());
        if (c.root == nullptr) {
            EXPECT_EQ("<missing>", Stored(HKEY_CURRENT_USER, kFotoloftKey, "DefaultGallery"))
                << "reading must not store anything";
        }
    }
}

TEST_F(SettingsTest, GetGalleriesPathReturnsTheStoredTextUnchanged) {
    const GalleryCase cases[] = {
        {"nothing stored", nullptr, nullptr, ""},
        {"stored by the user", HKEY_CURRENT_USER, " D:\\Galleries\\ ", " D:\\Galleries\\ "},
        {"machine-wide only", HKEY_LOCAL_MACHINE, "E:\\All Galleries", "E:\\All Galleries"},
    };
    for (const GalleryCase& c : cases) {
        SCOPED_TRACE(c.label);
        CSettingsGuard perCase;
        if (c.root != nullptr) {
            Store(c.root, kInstalledKey, "GalleriesPath", c.stored);
        }

        EXPECT_STREQ(c.expected, GetGalleriesPath().GetString());
        if (c.root == nullptr) {
            EXPECT_EQ("<missing>", Stored(HKEY_CURRENT_USER, kInstalledKey, "GalleriesPath"))
                << "reading must not store anything";
        }
    }
}

} // namespace
