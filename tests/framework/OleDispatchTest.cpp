// COleDispatchDriver against the test control: arguments of every VTS_ type both ways,
// results of every type, property put and get, and the exceptions failed calls throw.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/OleDispatchDriver.h"
#include "framework/OleException.h"
#include "framework/String.h"
#include "tests/framework/TestControl.h"
#include "tests/support/OleStatus.h"

namespace {

// A VTS_ list as InvokeHelper takes it.
const BYTE* Params(const char* list) {
    return reinterpret_cast<const BYTE*>(list);
}

using test_control::TheJournal;

std::string Joined(const std::vector<std::string>& parts) {
    std::string joined;
    for (const std::string& part : parts) {
        joined += (joined.empty() ? "" : " ") + part;
    }
    return joined;
}

class OleDispatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        m_oleInitialized = true;
        TheJournal() = test_control::Journal();
        m_registration = std::make_unique<test_control::Registration>();
        ASSERT_TRUE(m_registration->IsReady()) << "the test control's class is not registered";
        ASSERT_TRUE(driver.CreateDispatch(test_control::kClsid));
        ASSERT_NE(driver.m_lpDispatch, nullptr);
    }
    void TearDown() override {
        driver.ReleaseDispatch();
        EXPECT_EQ(TheJournal().alive, 0) << "a control object was leaked";
        m_registration.reset();
        if (m_oleInitialized) {
            ::OleUninitialize();
        }
    }

    COleDispatchDriver driver;

private:
    bool m_oleInitialized = false;
    std::unique_ptr<test_control::Registration> m_registration;
};

TEST_F(OleDispatchTest, ArgumentsArriveInCallOrderWithTheirTypes) {
    short small = -3;
    driver.InvokeHelper(test_control::kEcho, DISPATCH_METHOD, VT_EMPTY, nullptr,
                        Params(VTS_I2 VTS_I4 VTS_BOOL VTS_BSTR VTS_BOOL VTS_BSTR VTS_I2), 7, -5L,
                        TRUE, "Summer 2001", FALSE, static_cast<const char*>(nullptr), small);
    EXPECT_EQ("I2:7 I4:-5 BOOL:-1 BSTR:Summer 2001 BOOL:0 BSTR: I2:-3",
              Joined(TheJournal().echoed));
}

TEST_F(OleDispatchTest, ListsInByteArraysAndCallsWithoutArguments) {
    static const BYTE params[] = VTS_I4 VTS_BSTR;
    static const BYTE none[] = VTS_NONE;
    driver.InvokeHelper(test_control::kEcho, DISPATCH_METHOD, VT_EMPTY, nullptr, params, 1999L,
                        "album");
    EXPECT_EQ("I4:1999 BSTR:album", Joined(TheJournal().echoed));

    driver.InvokeHelper(test_control::kEcho, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
    EXPECT_EQ("", Joined(TheJournal().echoed)) << "a null list";
    driver.InvokeHelper(test_control::kEcho, DISPATCH_METHOD, VT_EMPTY, nullptr, params, 1L, "x");
    driver.InvokeHelper(test_control::kEcho, DISPATCH_METHOD, VT_EMPTY, nullptr, none);
    EXPECT_EQ("", Joined(TheJournal().echoed)) << "an empty list";
}

TEST_F(OleDispatchTest, ByReferenceArgumentsCarryTheValueAndBringBackTheServersWrite) {
    long count = 21;
    BSTR name = ::SysAllocString(L"old");
    driver.InvokeHelper(test_control::kEcho, DISPATCH_METHOD, VT_EMPTY, nullptr,
                        Params(VTS_PI4 VTS_PBSTR VTS_I4), &count, &name, 5L);
    EXPECT_EQ("I4|BYREF:21 BSTR|BYREF:old I4:5", Joined(TheJournal().echoed));
    EXPECT_EQ(42, count) << "the server's write to the long did not come back";
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(std::wstring(L"was old"), std::wstring(name, ::SysStringLen(name)));
    ::SysFreeString(name);
}

TEST_F(OleDispatchTest, ResultsOfEachTypeReachTheirVariables) {
    short i2 = 0;
    long i4 = 0;
    BOOL flag = FALSE;
    CString text;
    driver.InvokeHelper(test_control::kReturn, DISPATCH_METHOD, VT_I2, &i2, Params(VTS_I4),
                        long{VT_I2});
    driver.InvokeHelper(test_control::kReturn, DISPATCH_METHOD, VT_I4, &i4, Params(VTS_I4),
                        long{VT_I4});
    driver.InvokeHelper(test_control::kReturn, DISPATCH_METHOD, VT_BOOL, &flag, Params(VTS_I4),
                        long{VT_BOOL});
    driver.InvokeHelper(test_control::kReturn, DISPATCH_METHOD, VT_BSTR, &text, Params(VTS_I4),
                        long{VT_BSTR});
    LONGLONG i8 = 0;
    driver.InvokeHelper(test_control::kReturn, DISPATCH_METHOD, VT_I8, &i8, Params(VTS_I4),
                        long{VT_I8});
    EXPECT_EQ(0x123456789ALL, i8) << "a pointer-sized value above 4 GiB comes back whole";
    EXPECT_EQ(-12, i2);
    EXPECT_EQ(123456, i4);
    EXPECT_EQ(TRUE, flag);
    EXPECT_STREQ("Summer 2001", text);

    // A result of another type is converted to the one asked for.
    long number = 0;
    driver.InvokeHelper(test_control::kReturn, DISPATCH_METHOD, VT_I4, &number, Params(VTS_I4),
                        test_control::kTextNumber);
    EXPECT_EQ(42, number);
    CString numberText;
    driver.InvokeHelper(test_control::kReturn, DISPATCH_METHOD, VT_BSTR, &numberText,
                        Params(VTS_I4), long{VT_I4});
    EXPECT_STREQ("123456", numberText);
}

TEST_F(OleDispatchTest, EmptyResultLeavesTheResultPointerAlone) {
    long untouched = 99;
    driver.InvokeHelper(test_control::kReturn, DISPATCH_METHOD, VT_EMPTY, &untouched,
                        Params(VTS_I4), long{VT_I4});
    EXPECT_EQ(99, untouched);
}

TEST_F(OleDispatchTest, PropertyPutThenGetGivesTheValueBack) {
    long i4 = 0;
    driver.SetProperty(test_control::kValue, VT_I4, 77L);
    driver.GetProperty(test_control::kValue, VT_I4, &i4);
    EXPECT_EQ(77, i4);

    short i2 = 0;
    driver.SetProperty(test_control::kValue, VT_I2, -300);
    driver.GetProperty(test_control::kValue, VT_I2, &i2);
    EXPECT_EQ(-300, i2);

    BOOL flag = FALSE;
    driver.SetProperty(test_control::kValue, VT_BOOL, TRUE);
    driver.GetProperty(test_control::kValue, VT_BOOL, &flag);
    EXPECT_EQ(TRUE, flag);

    CString text;
    driver.SetProperty(test_control::kValue, VT_BSTR, "Holidays");
    driver.GetProperty(test_control::kValue, VT_BSTR, &text);
    EXPECT_STREQ("Holidays", text);
}

TEST_F(OleDispatchTest, ServerErrorBecomesADispatchExceptionWithItsDescription) {
    bool caught = false;
    try {
        driver.InvokeHelper(test_control::kFail, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
    } catch (COleDispatchException* e) {
        caught = true;
        EXPECT_STREQ("The album is locked.", e->m_strDescription);
        EXPECT_STREQ("TestControl", e->m_strSource);
        EXPECT_EQ(E_ACCESSDENIED, e->m_scError);
        EXPECT_EQ(0, e->m_wCode);
        char message[64];
        EXPECT_TRUE(e->GetErrorMessage(message, sizeof(message)));
        EXPECT_STREQ("The album is locked.", message);
        e->Delete();
    } catch (CException* e) {
        e->Delete();
    }
    EXPECT_TRUE(caught) << "no COleDispatchException";
}

TEST_F(OleDispatchTest, OtherFailuresBecomeOleExceptionsWithTheStatus) {
    struct Case {
        const char* name;
        SCODE failure;
        SCODE expected;
    } cases[] = {
        {"wrong argument count", ole::FailureOf([&] {
             driver.InvokeHelper(test_control::kTwoArguments, DISPATCH_METHOD, VT_EMPTY, nullptr,
                                 Params(VTS_I4), 1L);
         }),
         DISP_E_BADPARAMCOUNT},
        {"right argument count", ole::FailureOf([&] {
             driver.InvokeHelper(test_control::kTwoArguments, DISPATCH_METHOD, VT_EMPTY, nullptr,
                                 Params(VTS_I4 VTS_I4), 1L, 2L);
         }),
         S_OK},
        {"unknown member", ole::FailureOf([&] {
             driver.InvokeHelper(99, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
         }),
         DISP_E_MEMBERNOTFOUND},
        {"result that does not convert", ole::FailureOf([&] {
             long number = 0;
             driver.InvokeHelper(test_control::kReturn, DISPATCH_METHOD, VT_I4, &number,
                                 Params(VTS_I4), 101L);
         }),
         DISP_E_TYPEMISMATCH},
        {"argument type the driver does not pass", ole::FailureOf([&] {
             driver.InvokeHelper(test_control::kEcho, DISPATCH_METHOD, VT_EMPTY, nullptr,
                                 Params("\x05"), 1.5);
         }),
         DISP_E_BADVARTYPE},
        {"result type the driver does not take", ole::FailureOf([&] {
             double value = 0;
             driver.InvokeHelper(test_control::kReturn, DISPATCH_METHOD, VT_R8, &value,
                                 Params(VTS_I4), long{VT_I4});
         }),
         DISP_E_BADVARTYPE},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, c.failure)
            << c.name << ": expected 0x" << std::hex << c.expected << ", got 0x" << c.failure;
    }
}

TEST_F(OleDispatchTest, NoObjectThrowsNoInterface) {
    COleDispatchDriver empty;
    EXPECT_EQ(E_NOINTERFACE, ole::FailureOf([&] {
                  empty.InvokeHelper(test_control::kEcho, DISPATCH_METHOD, VT_EMPTY, nullptr,
                                     nullptr);
              }));
    EXPECT_EQ(E_NOINTERFACE,
              ole::FailureOf([&] { empty.SetProperty(test_control::kValue, VT_I4, 1L); }));
    long value = 0;
    EXPECT_EQ(E_NOINTERFACE,
              ole::FailureOf([&] { empty.GetProperty(test_control::kValue, VT_I4, &value); }));
}

TEST_F(OleDispatchTest, CreateDispatchFailsForAClassNobodyServes) {
    COleDispatchDriver other;
    EXPECT_FALSE(other.CreateDispatch(test_control::kUnknownClsid));
    EXPECT_EQ(other.m_lpDispatch, nullptr);
    EXPECT_FALSE(other.CreateDispatch("Fotoloft.NoSuchObject"));
    EXPECT_EQ(other.m_lpDispatch, nullptr);
}

TEST_F(OleDispatchTest, OnlyAnAutoReleasedObjectIsReleased) {
    EXPECT_EQ(1, TheJournal().alive);
    IDispatch* dispatch = driver.DetachDispatch();
    EXPECT_EQ(driver.m_lpDispatch, nullptr);
    {
        COleDispatchDriver borrowing;
        borrowing.AttachDispatch(dispatch, FALSE);
    }
    EXPECT_EQ(1, TheJournal().alive) << "a borrowed object was released";
    { COleDispatchDriver owning(dispatch); }
    EXPECT_EQ(0, TheJournal().alive) << "an owned object was not released";
}

TEST(OleException, MessageIsTheSystemTextOrElseTheCode) {
    COleException known(E_OUTOFMEMORY, FALSE);
    char message[256];
    EXPECT_TRUE(known.GetErrorMessage(message, sizeof(message)));
    EXPECT_NE('\0', message[0]);
    EXPECT_EQ(nullptr, std::strchr(message, '\n')) << "the line break was left in: " << message;

    COleException unknown(static_cast<SCODE>(0xA004F00D), FALSE);
    EXPECT_TRUE(unknown.GetErrorMessage(message, sizeof(message)));
    EXPECT_NE(nullptr, std::strstr(message, "0xA004F00D")) << "got: " << message;
}

TEST(OleException, ThrowHelpersThrowHeapObjectsOfTheirKind) {
    try {
        AfxThrowOleException(E_ACCESSDENIED);
    } catch (COleException* e) {
        EXPECT_EQ(E_ACCESSDENIED, e->m_sc);
        EXPECT_TRUE(e->m_bAutoDelete);
        e->Delete();
    }
    try {
        AfxThrowOleDispatchException(1001, "Gallery is full", "Album");
    } catch (COleDispatchException* e) {
        EXPECT_EQ(1001, e->m_wCode);
        EXPECT_STREQ("Gallery is full", e->m_strDescription);
        EXPECT_STREQ("Album", e->m_strSource);
        EXPECT_TRUE(e->m_bAutoDelete);
        e->Delete();
    }
}

} // namespace
