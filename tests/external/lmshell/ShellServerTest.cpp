// LMShell.exe as the camera manager meets it: registered from the test's folder, started by
// hand or by COM, reached by its ProgID through IDispatch from a single-threaded client, and
// its window read for the lines it shows.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "tests/support/ScratchFiles.h"
#include "tests/support/ScratchRegistry.h"
#include "tests/support/ShellDriver.h"
#include "tests/support/UiDriver.h"

// The GUIDs are defined (not only declared) in this file.
#include <initguid.h>

#include "external/lmshell/LMShell.h"

using Microsoft::WRL::ComPtr;

using namespace shelltest;

namespace {

const DWORD kTimeout = 20000;
const char kServerKey[] =
    "Software\\Classes\\CLSID\\{A4D69880-4367-4781-9407-1AF5308D134A}\\LocalServer32";
const char kProgIdKey[] = "Software\\Classes\\LMShell.ExGalleryInterface\\CLSID";

std::string MachineString(const char* key) {
    char value[MAX_PATH * 2] = "";
    DWORD size = sizeof(value);
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, key, nullptr, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS) {
        return "<missing>";
    }
    return value;
}


// A call as the camera manager makes it: arguments in written order, reversed into rgvarg.
HRESULT Call(IDispatch* shell, DISPID dispid, WORD flags, std::vector<VARIANT> args,
             VARIANT* result) {
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    EXCEPINFO exception{};
    UINT badArgument = 0;
    ::VariantInit(result);
    HRESULT hr = shell->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result,
                               &exception, &badArgument);
    for (VARIANT& arg : reversed) {
        ::VariantClear(&arg);
    }
    return hr;
}

VARIANT Text(const std::string& text) {
    VARIANT v;
    V_VT(&v) = VT_BSTR;
    std::wstring wide(text.begin(), text.end());
    V_BSTR(&v) = ::SysAllocString(wide.c_str());
    return v;
}

VARIANT Long(LONG value) {
    VARIANT v;
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    return v;
}

VARIANT True() {
    VARIANT v;
    V_VT(&v) = VT_BOOL;
    V_BOOL(&v) = VARIANT_TRUE;
    return v;
}

class ShellServerTest : public ::testing::Test {
protected:
    // Registered once from this folder; a registration found beforehand is put back at the end.
    static void SetUpTestSuite() {
        s_previousServer = MachineString(kServerKey);
        ASSERT_EQ(0u, RunShell("/RegServer"));
    }
    static void TearDownTestSuite() {
        if (s_previousServer == "<missing>") {
            EXPECT_EQ(0u, RunShell("/UnregServer"));
        } else if (s_previousServer != MachineString(kServerKey)) {
            EXPECT_EQ(ERROR_SUCCESS,
                      ::RegSetKeyValueA(HKEY_LOCAL_MACHINE, kServerKey, nullptr, REG_SZ,
                                        s_previousServer.c_str(),
                                        static_cast<DWORD>(s_previousServer.size() + 1)));
        }
    }

    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
        m_comInitialized = true;
        ASSERT_TRUE(m_testKey.IsReady() && m_files.IsReady());
        ASSERT_EQ(nullptr, ShellWindow()) << "a shell is already running";
        m_picture = m_files / "IMG_0001.JPG";
        ASSERT_TRUE(scratch::WriteBytes(m_picture, scratch::JpegHeader(640, 480)));
    }

    void TearDown() override {
        // A shell a failed test left behind must not meet the next test.
        HWND left = ShellWindow();
        if (left != nullptr) {
            CloseShell(left);
        }
        if (m_comInitialized) {
            ::CoUninitialize();
        }
    }

    ComPtr<IDispatch> CreateShellObject() {
        ComPtr<IDispatch> shell;
        CLSID clsid;
        HRESULT hr = ::CLSIDFromProgID(L"LMShell.ExGalleryInterface", &clsid);
        EXPECT_EQ(S_OK, hr) << "the ProgID is not registered";
        if (SUCCEEDED(hr)) {
            hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&shell));
            EXPECT_EQ(S_OK, hr) << "the object cannot be had";
        }
        return shell;
    }

    std::string CurrentGallery(IDispatch* shell) {
        VARIANT result;
        HRESULT hr = Call(shell, DISPID_LMSHELL_CURRENTGALLERY, DISPATCH_PROPERTYGET, {}, &result);
        if (FAILED(hr) || V_VT(&result) != VT_BSTR) {
            ::VariantClear(&result);
            return "<failed>";
        }
        std::wstring wide(V_BSTR(&result), ::SysStringLen(V_BSTR(&result)));
        ::VariantClear(&result);
        return std::string(wide.begin(), wide.end());
    }

    // The I4 that AddFile answers, or -1 when the call fails or answers another type.
    LONG AddFile(IDispatch* shell, const std::string& gallery, const std::string& path) {
        VARIANT result;
        HRESULT hr = Call(shell, DISPID_LMSHELL_ADDFILE, DISPATCH_METHOD,
                          {Text(gallery), Long(1), Text(path), True()}, &result);
        return SUCCEEDED(hr) && V_VT(&result) == VT_I4 ? V_I4(&result) : -1;
    }

    static std::string s_previousServer;
    bool m_comInitialized = false;
    scratch::RegistryKey m_testKey{HKEY_CURRENT_USER, kLMShellTestKey};
    scratch::Directory m_files{"lmshell"};
    std::string m_picture;
};

std::string ShellServerTest::s_previousServer;

} // namespace

TEST_F(ShellServerTest, RegistersAsTheLocalServerOfItsProgIdAndUnregisters) {
    EXPECT_EQ(ShellPath(), MachineString(kServerKey));
    EXPECT_EQ("{A4D69880-4367-4781-9407-1AF5308D134A}", MachineString(kProgIdKey));

    EXPECT_EQ(0u, RunShell("/UnregServer"));
    EXPECT_EQ("<missing>", MachineString(kServerKey));
    EXPECT_EQ("<missing>", MachineString(kProgIdKey));
    EXPECT_EQ(nullptr, ShellWindow()) << "registering must not show the window";

    EXPECT_EQ(0u, RunShell("-regserver"));
    EXPECT_EQ(ShellPath(), MachineString(kServerKey));
}

TEST_F(ShellServerTest, AnswersAClientAndListsWhatItWasTold) {
    PROCESS_INFORMATION process = StartShell("");
    ASSERT_NE(nullptr, process.hProcess);
    HWND window = WaitForShellWindow();
    ASSERT_NE(nullptr, window) << "no visible window of class OrvexLumoraShell2";
    ComPtr<IDispatch> shell = CreateShellObject();
    ASSERT_TRUE(shell);

    EXPECT_EQ("", CurrentGallery(shell.Get()));
    VARIANT result;
    ASSERT_EQ(S_OK, Call(shell.Get(), DISPID_LMSHELL_OPENGALLERY, DISPATCH_METHOD,
                         {Text("Holiday 2024"), Long(1)}, &result));
    EXPECT_EQ(VT_I4, V_VT(&result));
    EXPECT_EQ("Holiday 2024", CurrentGallery(shell.Get()));

    const std::string missing = m_files / "IMG_0002.JPG";
    EXPECT_EQ(1, AddFile(shell.Get(), "Holiday 2024", m_picture));
    EXPECT_EQ(0, AddFile(shell.Get(), "Holiday 2024", missing));
    EXPECT_EQ(0, AddFile(shell.Get(), "Holiday 2024", m_files.Path())) << "a folder is no file";
    EXPECT_EQ(DISP_E_BADPARAMCOUNT,
              Call(shell.Get(), DISPID_LMSHELL_ADDFILE, DISPATCH_METHOD,
                   {Text("Holiday 2024"), Long(1), Text(m_picture)}, &result));
    EXPECT_EQ(DISP_E_BADPARAMCOUNT,
              Call(shell.Get(), DISPID_LMSHELL_OPENGALLERY, DISPATCH_METHOD, {}, &result));

    EXPECT_TRUE(ShowsLine(window, "Gallery opened: \"Holiday 2024\""));
    EXPECT_TRUE(ShowsLine(window, "File added to gallery \"Holiday 2024\": " + m_picture));
    EXPECT_TRUE(ShowsLine(window, missing + " (no such file)"));

    // Closing ends the program even while a client still holds an object.
    EXPECT_EQ(0u, CloseShell(window));
    EXPECT_EQ(nullptr, ShellWindow());
    EXPECT_NE(S_OK,
              Call(shell.Get(), DISPID_LMSHELL_CURRENTGALLERY, DISPATCH_PROPERTYGET, {}, &result));
    ::CloseHandle(process.hProcess);
}

TEST_F(ShellServerTest, TheTestSettingRefusesEveryFileWhileItIsOn) {
    PROCESS_INFORMATION process = StartShell("");
    ASSERT_NE(nullptr, process.hProcess);
    HWND window = WaitForShellWindow();
    ASSERT_NE(nullptr, window);
    ComPtr<IDispatch> shell = CreateShellObject();
    ASSERT_TRUE(shell);

    ASSERT_TRUE(m_testKey.SetDword(kLMShellRefuseAddFileValue, 1));
    EXPECT_EQ(0, AddFile(shell.Get(), "Party", m_picture));
    EXPECT_TRUE(ShowsLine(window, "(RefuseAddFile test setting is on)"));
    ASSERT_TRUE(m_testKey.SetDword(kLMShellRefuseAddFileValue, 0));
    EXPECT_EQ(1, AddFile(shell.Get(), "Party", m_picture)) << "the setting is read at each call";

    shell.Reset();
    EXPECT_EQ(0u, CloseShell(window));
    EXPECT_EQ(0u, WaitAndClose(process.hProcess));
}

TEST_F(ShellServerTest, ComStartsTheShellForAClientAndEveryObjectSharesItsGallery) {
    ComPtr<IDispatch> first = CreateShellObject();
    ASSERT_TRUE(first);
    HWND window = WaitForShellWindow();
    ASSERT_NE(nullptr, window) << "COM started no shell with a window";
    EXPECT_TRUE(ShowsLine(window, "started by COM"));

    ComPtr<IDispatch> second = CreateShellObject();
    ASSERT_TRUE(second);
    VARIANT result;
    ASSERT_EQ(S_OK, Call(first.Get(), DISPID_LMSHELL_OPENGALLERY, DISPATCH_METHOD,
                         {Text("Birthday"), Long(1)}, &result));
    EXPECT_EQ("Birthday", CurrentGallery(second.Get()));

    // A copy started by hand meanwhile leaves the running one alone.
    EXPECT_EQ(0u, RunShell(""));
    EXPECT_EQ(window, ShellWindow());
    EXPECT_EQ(nullptr, ::FindWindowExA(nullptr, window, kLMShellWindowClass, nullptr));

    EXPECT_EQ(0u, CloseShell(window));
}
