#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#include "storage/Settings.h"
#include "tests/support/ScratchRegistry.h"

namespace {

const char kPropertiesKey[] = "SOFTWARE\\Orvex\\Lumora2\\LMShell\\Properties";
const char kFotoloftKey[] = "SOFTWARE\\Orvex\\Lumora2\\Fotoloft";
const char kInstalledKey[] = "Software\\Orvex\\LumoraInstalled\\Lumora2";

// The settings keys under HKCU and under HKLM, each emptied for one test and given back as
// it was afterwards, keys the test made removed.
class SettingsKeys {
public:
    bool IsReady() const {
        auto ready = [](const scratch::RegistryKey& key) { return key.IsReady(); };
        return std::all_of(std::begin(m_user), std::end(m_user), ready) &&
               std::all_of(std::begin(m_machine), std::end(m_machine), ready);
    }

    // One of the three keys above, under HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE.
    scratch::RegistryKey& At(HKEY root, const char* subKey) {
        scratch::RegistryKey* keys = root == HKEY_LOCAL_MACHINE ? m_machine : m_user;
        if (std::strcmp(subKey, kPropertiesKey) == 0) {
            return keys[0];
        }
        return std::strcmp(subKey, kFotoloftKey) == 0 ? keys[1] : keys[2];
    }

private:
    scratch::RegistryKey m_user[3] = {{HKEY_CURRENT_USER, kPropertiesKey},
                                      {HKEY_CURRENT_USER, kFotoloftKey},
                                      {HKEY_CURRENT_USER, kInstalledKey}};
    scratch::RegistryKey m_machine[3] = {{HKEY_LOCAL_MACHINE, kPropertiesKey},
                                         {HKEY_LOCAL_MACHINE, kFotoloftKey},
                                         {HKEY_LOCAL_MACHINE, kInstalledKey}};
};

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_keys.IsReady()) << "could not set the real settings aside";
    }

    // Stores a string setting, creating its key.
    void Store(HKEY root, const char* subKey, const char* name, const std::string& text) {
        ASSERT_TRUE(m_keys.At(root, subKey).SetString(name, text))
            << "storing " << subKey << "\\" << name;
    }

    // The stored text, or "<missing>" when the value is not there.
    std::string Stored(HKEY root, const char* subKey, const char* name) {
        return m_keys.At(root, subKey).GetString(name, "<missing>");
    }

    SettingsKeys m_keys;
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
        SettingsKeys perCase;
        ASSERT_TRUE(perCase.IsReady());
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
        SettingsKeys perCase;
        ASSERT_TRUE(perCase.IsReady());
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
        SettingsKeys perCase;
        ASSERT_TRUE(perCase.IsReady());
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
