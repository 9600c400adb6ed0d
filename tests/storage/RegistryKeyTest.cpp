#include <gtest/gtest.h>

#include <string>

#include "storage/RegistryKey.h"

namespace {

const char kTestsKey[] = "Software\\FotoloftTests";

// Each test reads below its own HKCU key, removed with everything under it afterwards.
class RegistryKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_key = std::string(kTestsKey) + "\\RegistryKey-" + std::to_string(GetCurrentProcessId()) +
                "-" + info->name();
        RegDeleteTreeA(HKEY_CURRENT_USER, m_key.c_str());
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, m_key.c_str(), 0, nullptr,
                                                 REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                                 &m_handle, nullptr));
    }

    void TearDown() override {
        if (m_handle != nullptr) {
            RegCloseKey(m_handle);
        }
        LONG result = RegDeleteTreeA(HKEY_CURRENT_USER, m_key.c_str());
        EXPECT_TRUE(result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND)
            << "cleaning " << m_key << " failed with " << result;
        RegDeleteKeyA(HKEY_CURRENT_USER, m_key.c_str());
        // Only succeeds once no other test keeps a key below it.
        RegDeleteKeyA(HKEY_CURRENT_USER, kTestsKey);
    }

    void StoreBytes(const char* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(m_handle, name, 0, type, static_cast<const BYTE*>(data), size));
    }

    void StoreString(const char* name, const std::string& text) {
        StoreBytes(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }

    std::string m_key;
    HKEY m_handle = nullptr;
};

TEST_F(RegistryKeyTest, QueryStringReadsAStoredString) {
    StoreString("TempDirectory", "D:\\Downloads");
    CRegistryKey key(HKEY_CURRENT_USER, m_key.c_str());
    CString value = "stale";

    LONG result = key.QueryString("TempDirectory", &value);

    EXPECT_EQ(ERROR_SUCCESS, result);
    EXPECT_STREQ("D:\\Downloads", value.GetString());
}

struct SizeCase {
    const char* label;
    size_t characters; // stored with a terminator, so the value takes one byte more
    LONG expectedResult;
    bool readWhole;
};

TEST_F(RegistryKeyTest, QueryStringReadsValuesThatFitInFiveHundredTwelveBytes) {
    const SizeCase cases[] = {
        {"511 characters: fits with its terminator", 511, ERROR_SUCCESS, true},
        {"512 characters: the terminator does not fit", 512, ERROR_MORE_DATA, false},
        {"600 characters", 600, ERROR_MORE_DATA, false},
    };
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.label);
        std::string text(c.characters, 'q');
        text[0] = 'A';
        StoreString("Sized", text);
        CRegistryKey key(HKEY_CURRENT_USER, m_key.c_str());
        CString value = "stale";

        LONG result = key.QueryString("Sized", &value);

        EXPECT_EQ(c.expectedResult, result);
        EXPECT_STREQ(c.readWhole ? text.c_str() : "", value.GetString());
    }
}

TEST_F(RegistryKeyTest, QueryStringStopsAtTheBufferWhenNoTerminatorIsStored) {
    // 512 bytes of text with no zero byte anywhere: the read must end at the buffer's end.
    std::string bytes(512, 'b');
    StoreBytes("Unterminated", REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
    CRegistryKey key(HKEY_CURRENT_USER, m_key.c_str());
    CString value;

    LONG result = key.QueryString("Unterminated", &value);

    EXPECT_EQ(ERROR_SUCCESS, result);
    EXPECT_EQ(512, value.GetLength());
    EXPECT_STREQ(bytes.c_str(), value.GetString());
}

TEST_F(RegistryKeyTest, QueryStringCreatesAMissingKeyAndReportsTheMissingValue) {
    std::string missing = m_key + "\\Not\\There";
    CRegistryKey key(HKEY_CURRENT_USER, missing.c_str());
    CString value = "stale";

    LONG result = key.QueryString("TempDirectory", &value);

    EXPECT_EQ(ERROR_FILE_NOT_FOUND, result);
    EXPECT_STREQ("", value.GetString());
    HKEY created = nullptr;
    EXPECT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, missing.c_str(), 0, KEY_READ, &created))
        << "the key should have been created";
    if (created != nullptr) {
        RegCloseKey(created);
    }
}

TEST_F(RegistryKeyTest, AnEmptySubkeyOpensTheRootItself) {
    StoreString("AtRoot", "root value");
    CRegistryKey key(m_handle, "");
    CString value;

    EXPECT_EQ(ERROR_SUCCESS, key.QueryString("AtRoot", &value));
    EXPECT_STREQ("root value", value.GetString());

    HKEY opened = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, key.OpenKey(&opened));
    EXPECT_NE(nullptr, opened);
    EXPECT_NE(m_handle, opened) << "the caller closes what OpenKey gives";
    RegCloseKey(opened);
}

TEST_F(RegistryKeyTest, OpenKeyCreatesTheSubkeyWithFullAccess) {
    std::string nested = m_key + "\\Made\\By\\OpenKey";
    CRegistryKey key(HKEY_CURRENT_USER, nested.c_str());
    HKEY opened = nullptr;

    ASSERT_EQ(ERROR_SUCCESS, key.OpenKey(&opened));

    const char text[] = "written through the handle";
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(opened, "Probe", 0, REG_SZ,
                                            reinterpret_cast<const BYTE*>(text), sizeof(text)));
    RegCloseKey(opened);
    CString value;
    EXPECT_EQ(ERROR_SUCCESS, key.QueryString("Probe", &value));
    EXPECT_STREQ(text, value.GetString());
}

TEST_F(RegistryKeyTest, AFailedOpenLeavesTheValueUntouched) {
    // A handle value no key was ever opened under.
    HKEY invalid = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7FFF0));
    const char* subKeys[] = {"", "Software\\FotoloftTests\\Anything"};
    for (const char* subKey : subKeys) {
        SCOPED_TRACE(std::string("subkey \"") + subKey + "\"");
        CRegistryKey key(invalid, subKey);
        CString value = "untouched";

        LONG result = key.QueryString("TempDirectory", &value);

        EXPECT_NE(ERROR_SUCCESS, result);
        EXPECT_STREQ("untouched", value.GetString());
    }
}

TEST_F(RegistryKeyTest, QueryStringIgnoresTheValueType) {
    const char expand[] = "%TEMP%\\Cam";
    StoreBytes("Expand", REG_EXPAND_SZ, expand, sizeof(expand));
    CRegistryKey key(HKEY_CURRENT_USER, m_key.c_str());
    CString value;

    EXPECT_EQ(ERROR_SUCCESS, key.QueryString("Expand", &value));
    EXPECT_STREQ(expand, value.GetString());
}

} // namespace
