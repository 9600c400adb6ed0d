#include <gtest/gtest.h>

#include <string>

#include "external/vantix2/Vantix2.h"

namespace {

const char kTestsKey[] = "Software\\FotoloftTests";

// Raw registry access for arranging and checking, independent of the code under test.
LONG WriteValue(HKEY root, const std::string& key, const char* name, DWORD type,
                const std::string& data) {
    HKEY handle = nullptr;
    LONG result = RegCreateKeyExA(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_SET_VALUE, nullptr, &handle, nullptr);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    result = RegSetValueExA(handle, name, 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>(data.size() + 1));
    RegCloseKey(handle);
    return result;
}

LONG WriteDword(HKEY root, const std::string& key, const char* name, DWORD number) {
    HKEY handle = nullptr;
    LONG result = RegCreateKeyExA(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_SET_VALUE, nullptr, &handle, nullptr);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    result = RegSetValueExA(handle, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                            sizeof(number));
    RegCloseKey(handle);
    return result;
}

// The value's type and text; ERROR_FILE_NOT_FOUND when it is missing.
LONG ReadValue(HKEY root, const std::string& key, const char* name, DWORD* type,
               std::string* text) {
    char buffer[4096] = {};
    DWORD size = sizeof(buffer) - 1;
    LONG result =
        RegGetValueA(root, key.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, type, buffer, &size);
    if (result == ERROR_SUCCESS) {
        *text = buffer;
    }
    return result;
}

// Gives each test its own key under HKCU and HKLM\Software\FotoloftTests and removes both.
class RegistryIOTest : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_key = std::string(kTestsKey) + "\\Vantix2-" + std::to_string(GetCurrentProcessId()) +
                "-" + info->name();
        for (char& ch : m_key) {
            if (ch == '/') {
                ch = '-';
            }
        }
        RegDeleteTreeA(HKEY_CURRENT_USER, m_key.c_str());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, m_key.c_str());
    }

    void TearDown() override {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            LONG result = RegDeleteTreeA(root, m_key.c_str());
            EXPECT_TRUE(result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND)
                << "cleaning " << m_key << " failed with " << result;
            RegDeleteKeyA(root, m_key.c_str());
            // Only succeeds once no other test keeps a key below it.
            RegDeleteKeyA(root, kTestsKey);
        }
    }

    std::string Path(const char* valueName) const { return m_key + "\\" + valueName; }

    std::string m_key;
};

struct LookupCase {
    const char* label;
    const char* userValue;    // null: not stored under HKCU
    const char* machineValue; // null: not stored under HKLM
    const char* expected;
};

TEST_F(RegistryIOTest, GetRegStringTriesTheFirstRootThenTheSecondThenTheDefault) {
    const LookupCase cases[] = {
        {"in neither root", nullptr, nullptr, "fallback"},
        {"in both roots", "from user", "from machine", "from user"},
        {"only in the second root", nullptr, "from machine", "from machine"},
        {"only in the first root", "from user", nullptr, "from user"},
        {"stored empty in the first root", "", "from machine", ""},
    };
    for (const LookupCase& c : cases) {
        SCOPED_TRACE(c.label);
        RegDeleteTreeA(HKEY_CURRENT_USER, m_key.c_str());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, m_key.c_str());
        if (c.userValue != nullptr) {
            ASSERT_EQ(ERROR_SUCCESS,
                      WriteValue(HKEY_CURRENT_USER, m_key, "Setting", REG_SZ, c.userValue));
        }
        if (c.machineValue != nullptr) {
            ASSERT_EQ(ERROR_SUCCESS,
                      WriteValue(HKEY_LOCAL_MACHINE, m_key, "Setting", REG_SZ, c.machineValue));
        }

        CRegistryIO registry(HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE);
        CString got = registry.GetRegString(Path("Setting").c_str(), "fallback");

        EXPECT_STREQ(c.expected, got.GetString());
    }
}

TEST_F(RegistryIOTest, GetRegStringReadsTheValueNamedByTheLastPart) {
    // The key's default value and a sibling key named like the value must not be read.
    ASSERT_EQ(ERROR_SUCCESS, WriteValue(HKEY_CURRENT_USER, m_key, nullptr, REG_SZ, "default"));
    ASSERT_EQ(ERROR_SUCCESS,
              WriteValue(HKEY_CURRENT_USER, m_key + "\\Name", nullptr, REG_SZ, "subkey"));
    ASSERT_EQ(ERROR_SUCCESS, WriteValue(HKEY_CURRENT_USER, m_key, "Name", REG_SZ, "value"));
    ASSERT_EQ(ERROR_SUCCESS,
              WriteValue(HKEY_CURRENT_USER, m_key + "\\Deeper\\Still", "Leaf", REG_SZ, "leaf"));

    CRegistryIO registry(HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE);

    EXPECT_STREQ("value", registry.GetRegString(Path("Name").c_str(), "fallback").GetString());
    EXPECT_STREQ(
        "leaf", registry.GetRegString(Path("Deeper\\Still\\Leaf").c_str(), "fallback").GetString());
    EXPECT_STREQ("fallback",
                 registry.GetRegString(Path("Deeper\\Still").c_str(), "fallback").GetString())
        << "a key is not a value";
}

TEST_F(RegistryIOTest, GetRegStringReturnsLongAndUnexpandedValuesWhole) {
    std::string longValue;
    for (int i = 0; longValue.size() < 2000; ++i) {
        longValue += std::to_string(i % 10);
    }
    ASSERT_EQ(ERROR_SUCCESS, WriteValue(HKEY_CURRENT_USER, m_key, "Long", REG_SZ, longValue));
    ASSERT_EQ(ERROR_SUCCESS,
              WriteValue(HKEY_LOCAL_MACHINE, m_key, "Expand", REG_EXPAND_SZ, "%TEMP%\\Cam"));

    CRegistryIO registry(HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE);
    CString got = registry.GetRegString(Path("Long").c_str(), "");

    EXPECT_EQ(2000, got.GetLength());
    EXPECT_STREQ(longValue.c_str(), got.GetString());
    EXPECT_STREQ("%TEMP%\\Cam", registry.GetRegString(Path("Expand").c_str(), "").GetString());
}

TEST_F(RegistryIOTest, LongStringsCrossTheLibraryBoundaryBothWays) {
    // Past any small-string buffer, so both directions hand over heap memory.
    std::string longDefault(3000, 'd');
    std::string longValue(2500, 'v');

    CRegistryIO registry(HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE);
    CString missing = registry.GetRegString(Path("Missing").c_str(), longDefault.c_str());
    ASSERT_EQ(ERROR_SUCCESS, registry.SetRegString(Path("Long").c_str(), longValue.c_str()));
    CString stored = registry.GetRegString(Path("Long").c_str(), "");

    EXPECT_STREQ(longDefault.c_str(), missing.GetString());
    EXPECT_STREQ(longValue.c_str(), stored.GetString());
}

struct ExistsCase {
    const char* label;
    HKEY root;          // where the value is stored; null: nowhere
    const char* stored; // the value name stored
    DWORD type;
    int expectExists;
};

TEST_F(RegistryIOTest, KeyExistsAnswersForAValueInEitherRoot) {
    const ExistsCase cases[] = {
        {"nothing stored", nullptr, "Value", REG_SZ, 0},
        {"string in the first root", HKEY_CURRENT_USER, "Value", REG_SZ, 1},
        {"string in the second root", HKEY_LOCAL_MACHINE, "Value", REG_SZ, 1},
        {"number in the first root", HKEY_CURRENT_USER, "Value", REG_DWORD, 1},
        {"only another value in the key", HKEY_CURRENT_USER, "Other", REG_SZ, 0},
    };
    for (const ExistsCase& c : cases) {
        SCOPED_TRACE(c.label);
        RegDeleteTreeA(HKEY_CURRENT_USER, m_key.c_str());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, m_key.c_str());
        if (c.root != nullptr && c.type == REG_DWORD) {
            ASSERT_EQ(ERROR_SUCCESS, WriteDword(c.root, m_key, c.stored, 7));
        } else if (c.root != nullptr) {
            ASSERT_EQ(ERROR_SUCCESS, WriteValue(c.root, m_key, c.stored, c.type, "x"));
        }

        CRegistryIO registry(HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE);
        unsigned long type = 0xBAD;
        int exists = registry.KeyExists(Path("Value").c_str(), &type);
        int existsWithoutType = registry.KeyExists(Path("Value").c_str(), nullptr);

        EXPECT_EQ(c.expectExists != 0, exists != 0) << "KeyExists returned " << exists;
        EXPECT_EQ(c.expectExists != 0, existsWithoutType != 0)
            << "KeyExists without a type returned " << existsWithoutType;
        if (c.expectExists != 0) {
            EXPECT_EQ(c.type, type) << "registry type of the value";
        }
    }
}

TEST_F(RegistryIOTest, SetRegStringStoresAStringInTheFirstRootOnly) {
    CRegistryIO registry(HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE);
    std::string nested = m_key + "\\Created\\On\\Demand";

    LONG result = registry.SetRegString((nested + "\\Folder").c_str(), "D:\\Pictures\\");

    ASSERT_EQ(ERROR_SUCCESS, result);
    DWORD type = REG_NONE;
    std::string stored;
    ASSERT_EQ(ERROR_SUCCESS, ReadValue(HKEY_CURRENT_USER, nested, "Folder", &type, &stored));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ("D:\\Pictures\\", stored);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, ReadValue(HKEY_LOCAL_MACHINE, nested, "Folder", &type, &stored))
        << "the second root must stay untouched";
    EXPECT_STREQ("D:\\Pictures\\",
                 registry.GetRegString((nested + "\\Folder").c_str(), "").GetString());
    EXPECT_NE(0, registry.KeyExists((nested + "\\Folder").c_str(), nullptr));
}

TEST_F(RegistryIOTest, SetRegStringReplacesAndReadsBack) {
    const char* values[] = {"first", "", "a longer second value", "C:"};
    CRegistryIO registry(HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE);
    for (const char* value : values) {
        SCOPED_TRACE(value);
        ASSERT_EQ(ERROR_SUCCESS, registry.SetRegString(Path("Round").c_str(), value));
        EXPECT_STREQ(value, registry.GetRegString(Path("Round").c_str(), "fallback").GetString());
    }
}

TEST_F(RegistryIOTest, SetRegStringReportsAFailingRoot) {
    CRegistryIO registry(nullptr, HKEY_LOCAL_MACHINE);

    EXPECT_NE(ERROR_SUCCESS, registry.SetRegString(Path("Nowhere").c_str(), "x"));
    EXPECT_STREQ("fallback",
                 registry.GetRegString(Path("Nowhere").c_str(), "fallback").GetString());
}

} // namespace
