// The album list component hosted as the program hosts it (CWnd::CreateControl after the DLL
// registered itself): the galleries under the root from the registry, enumeration by
// positions, selection by name, by AddGallery and by the user, file checks, refreshing, and
// that nothing is ever written into a gallery folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "framework/OleDispatchDriver.h"
#include "framework/OleException.h"
#include "framework/Wnd.h"
#include "tests/support/ScratchFiles.h"
#include "tests/support/ScratchRegistry.h"

// The GUIDs are defined (not only declared) in this file.
#include <initguid.h>

#include "external/albumlist/AlbumListControl.h"
#include "tests/support/OleStatus.h"

namespace {

// A VTS_ list as InvokeHelper takes it.
const BYTE* Params(const char* list) {
    return reinterpret_cast<const BYTE*>(list);
}

const char kInstalledKey[] = "Software\\Orvex\\LumoraInstalled\\Lumora2";
const char kRootValue[] = "GalleriesPath";
const char kClassKey[] = "Software\\Classes\\CLSID\\{CF6BC73E-1D5D-4715-BCA6-B68CF500CAE8}";
const UINT kAlbumId = 1013;
const long kPositionBase = 0x10000;

std::string Joined(const std::vector<std::string>& parts) {
    std::string joined;
    for (const std::string& part : parts) {
        joined += (joined.empty() ? "" : "|") + part;
    }
    return joined;
}

// Every file and folder under root with the size of each file, to show that nothing changed.
std::string TreeOf(const std::string& root) {
    std::string listing;
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((root + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return listing;
    }
    std::vector<std::string> entries;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") {
            continue;
        }
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            entries.push_back(name + "/{" + TreeOf(root + "\\" + name) + "}");
        } else {
            entries.push_back(name + ":" + std::to_string(data.nFileSizeLow));
        }
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    std::sort(entries.begin(), entries.end());
    for (const std::string& entry : entries) {
        listing += entry + " ";
    }
    return listing;
}

void PumpMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

std::string ReadMachineString(const std::string& key, const char* name) {
    char value[MAX_PATH * 2] = "";
    DWORD size = sizeof(value);
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value,
                       &size) != ERROR_SUCCESS) {
        return "<missing>";
    }
    return value;
}

class AlbumListTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        m_oleInitialized = true;
        ASSERT_TRUE(m_classKey.IsReady() && m_serverKey.IsReady());
        ASSERT_TRUE(userRoot.IsReady() && machineRoot.IsReady());
        ASSERT_TRUE(galleries.IsReady());

        m_dllPath = scratch::ExeFolder() + "\\AlbumList.dll";
        m_dll = ::LoadLibraryA(m_dllPath.c_str());
        ASSERT_NE(m_dll, nullptr) << "cannot load " << m_dllPath;
        auto reg = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
            reinterpret_cast<void*>(::GetProcAddress(m_dll, "DllRegisterServer")));
        ASSERT_NE(reg, nullptr);
        ASSERT_EQ(S_OK, reg());

        ASSERT_TRUE(parent.CreateEx(0, nullptr, "album host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                    CRect(0, 0, 400, 300), nullptr, 0))
            << "no window: is there a display?";
        ASSERT_TRUE(userRoot.SetString(kRootValue, galleries.Path()));
    }

    void TearDown() override {
        album.reset();
        parent.DestroyWindow();
        if (m_dll != nullptr) {
            ::FreeLibrary(m_dll);
        }
        if (m_oleInitialized) {
            ::OleUninitialize();
        }
    }

    void MakeGalleries(const std::vector<std::string>& names) {
        for (const std::string& name : names) {
            ASSERT_TRUE(scratch::MakeDirectories(galleries / name)) << name;
        }
    }

    void Host() {
        ASSERT_TRUE(album->CreateControl(CLSID_AlbumList, "albums", WS_CHILD | WS_VISIBLE, kRect,
                                         &parent, kAlbumId))
            << "the registered component could not be created";
    }

    // The gallery names in the component's order, through the position enumeration.
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        long state = -7;
        long position = 0;
        album->InvokeHelper(DISPID_ALBUMLIST_GETFIRSTPOSITION, DISPATCH_METHOD, VT_I4, &position,
                            Params(VTS_PI4), &state);
        while (position != 0 && names.size() < 100) {
            CString name;
            album->InvokeHelper(DISPID_ALBUMLIST_GETGALLERYNAME, DISPATCH_METHOD, VT_BSTR, &name,
                                Params(VTS_I4), position);
            names.push_back(name.GetString());
            album->InvokeHelper(DISPID_ALBUMLIST_GETNEXTPOSITION, DISPATCH_METHOD, VT_I4, &position,
                                Params(VTS_PI4), &state);
        }
        return names;
    }

    long Selected() {
        long selected = -2;
        album->GetProperty(DISPID_ALBUMLIST_SELECTEDGALLERY, VT_I4, &selected);
        return selected;
    }

    std::string NameOf(long value) {
        CString name("<untouched>");
        album->InvokeHelper(DISPID_ALBUMLIST_GETGALLERYNAME, DISPATCH_METHOD, VT_BSTR, &name,
                            Params(VTS_I4), value);
        return name.GetString();
    }

    long AddFile(const char* gallery, const char* file) {
        long added = -1;
        album->InvokeHelper(DISPID_ALBUMLIST_ADDFILETOGALLERY, DISPATCH_METHOD, VT_I4, &added,
                            Params(VTS_BSTR VTS_BSTR), gallery, file);
        return added;
    }

    long AddGallery(const wchar_t* name) {
        BSTR text = ::SysAllocString(name);
        long result = -1;
        album->InvokeHelper(DISPID_ALBUMLIST_ADDGALLERY, DISPATCH_METHOD, VT_I4, &result,
                            Params(VTS_PBSTR), &text);
        ::SysFreeString(text);
        return result;
    }

    HWND Combo() const { return ::FindWindowExA(album->m_hWnd, nullptr, "ComboBox", nullptr); }

    std::vector<std::string> ComboItems() const {
        std::vector<std::string> items;
        HWND combo = Combo();
        LRESULT count = ::SendMessageA(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            char text[MAX_PATH] = "";
            ::SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            items.push_back(text);
        }
        return items;
    }

    long ComboSelection() const {
        return static_cast<long>(::SendMessageA(Combo(), CB_GETCURSEL, 0, 0));
    }

    const CRect kRect{10, 20, 250, 45};

private:
    bool m_oleInitialized = false;
    // The component's registration, put back as it was found (declared before the rest, so
    // that it is put back last).
    scratch::RegistryKey m_classKey{HKEY_LOCAL_MACHINE, kClassKey};
    scratch::RegistryKey m_serverKey{HKEY_LOCAL_MACHINE,
                                     std::string(kClassKey) + "\\InprocServer32"};
    HMODULE m_dll = nullptr;

protected:
    std::string m_dllPath;
    scratch::RegistryKey userRoot{HKEY_CURRENT_USER, kInstalledKey};
    scratch::RegistryKey machineRoot{HKEY_LOCAL_MACHINE, kInstalledKey};
    scratch::Directory galleries{"albumlist"};
    CWnd parent;
    std::unique_ptr<CWnd> album = std::make_unique<CWnd>();
};

TEST_F(AlbumListTest, RegistrationNamesTheDllForApartmentThreads) {
    std::string serverKey = std::string(kClassKey) + "\\InprocServer32";
    char fullPath[MAX_PATH] = "";
    ::GetFullPathNameA(m_dllPath.c_str(), MAX_PATH, fullPath, nullptr);
    EXPECT_STREQ(fullPath, ReadMachineString(serverKey, nullptr).c_str());
    EXPECT_EQ("Apartment", ReadMachineString(serverKey, "ThreadingModel"));
}

TEST_F(AlbumListTest, WindowIsADropDownListFillingTheControlsWidth) {
    MakeGalleries({"Alps"});
    Host();
    EXPECT_EQ(::GetParent(album->m_hWnd), parent.m_hWnd);
    CRect placed;
    album->GetWindowRect(&placed);
    parent.ScreenToClient(&placed);
    EXPECT_EQ(kRect, placed);
    EXPECT_EQ(static_cast<int>(kAlbumId), album->GetDlgCtrlID());
    HWND combo = Combo();
    ASSERT_NE(combo, nullptr) << "no combo box in the control's window";
    EXPECT_EQ(static_cast<DWORD>(CBS_DROPDOWNLIST),
              static_cast<DWORD>(::GetWindowLongPtrA(combo, GWL_STYLE)) & 3u);
    CRect box;
    ::GetWindowRect(combo, &box);
    album->ScreenToClient(&box);
    EXPECT_EQ(0, box.left);
    EXPECT_EQ(0, box.top);
    EXPECT_EQ(kRect.Width(), box.Width());
}

TEST_F(AlbumListTest, GalleriesAreTheFoldersUnderTheRootSortedIgnoringCase) {
    MakeGalleries({"beach", "Alps", "city", "Birthday", "Alps\\2001"});
    ASSERT_TRUE(scratch::WriteBytes(galleries / "notes.txt", "not a gallery"));
    Host();
    EXPECT_EQ("Alps|beach|Birthday|city", Joined(Names()));
    EXPECT_EQ("Alps|beach|Birthday|city", Joined(ComboItems()));
    EXPECT_EQ(-1, Selected()) << "nothing is selected at first";
    EXPECT_EQ(-1, ComboSelection());
}

TEST_F(AlbumListTest, PositionsCountFromTheirBaseAndEndWithZero) {
    MakeGalleries({"a", "b", "c"});
    Host();
    long state = -7;
    long position = -1;
    std::vector<std::pair<long, long>> seen; // position, state
    album->InvokeHelper(DISPID_ALBUMLIST_GETFIRSTPOSITION, DISPATCH_METHOD, VT_I4, &position,
                        Params(VTS_PI4), &state);
    seen.emplace_back(position, state);
    for (int i = 0; i < 3; ++i) {
        album->InvokeHelper(DISPID_ALBUMLIST_GETNEXTPOSITION, DISPATCH_METHOD, VT_I4, &position,
                            Params(VTS_PI4), &state);
        seen.emplace_back(position, state);
    }
    std::vector<std::pair<long, long>> expected = {
        {kPositionBase, 0}, {kPositionBase + 1, 1}, {kPositionBase + 2, 2}, {0, 3}};
    EXPECT_EQ(expected, seen);
}

TEST_F(AlbumListTest, EmptyRootEnumeratesNothing) {
    Host();
    long state = 5;
    long position = -1;
    album->InvokeHelper(DISPID_ALBUMLIST_GETFIRSTPOSITION, DISPATCH_METHOD, VT_I4, &position,
                        Params(VTS_PI4), &state);
    EXPECT_EQ(0, position);
    EXPECT_TRUE(ComboItems().empty());
}

TEST_F(AlbumListTest, GalleryNameTakesAnIndexOrAPosition) {
    MakeGalleries({"Alps", "beach", "city"});
    Host();
    const struct {
        long value;
        const char* expected;
    } cases[] = {
        {0, "Alps"}, {2, "city"}, {kPositionBase, "Alps"}, {kPositionBase + 1, "beach"},
        {3, ""},     {-1, ""},    {kPositionBase - 1, ""}, {kPositionBase + 3, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, NameOf(c.value)) << "GetGalleryName(0x" << std::hex << c.value << ")";
    }
}

TEST_F(AlbumListTest, GalleryPropertySelectsByNameIgnoringCase) {
    MakeGalleries({"Alps", "beach", "city"});
    Host();
    album->SetProperty(DISPID_ALBUMLIST_GALLERY, VT_BSTR, "BEACH");
    EXPECT_EQ(1, Selected());
    EXPECT_EQ(1, ComboSelection()) << "the box must show the selection";
    album->SetProperty(DISPID_ALBUMLIST_GALLERY, VT_BSTR, "Nowhere");
    EXPECT_EQ(1, Selected()) << "an unknown name must leave the selection";
    album->SetProperty(DISPID_ALBUMLIST_GALLERY, VT_BSTR, "city");
    EXPECT_EQ(2, Selected());
    EXPECT_EQ(2, ComboSelection());
}

TEST_F(AlbumListTest, AddGalleryAddsAMissingNameInOrderAndSelectsIt) {
    MakeGalleries({"Alps", "city"});
    Host();
    std::string before = TreeOf(galleries.Path());
    EXPECT_EQ(0, AddGallery(L"beach"));
    EXPECT_EQ("Alps|beach|city", Joined(Names()));
    EXPECT_EQ("Alps|beach|city", Joined(ComboItems()));
    EXPECT_EQ(1, Selected());
    EXPECT_EQ(1, ComboSelection());

    EXPECT_EQ(0, AddGallery(L"ALPS"));
    EXPECT_EQ("Alps|beach|city", Joined(Names())) << "a known name must not be added twice";
    EXPECT_EQ(0, Selected());
    EXPECT_EQ(before, TreeOf(galleries.Path())) << "AddGallery must not make folders";
}

TEST_F(AlbumListTest, UserPickingAGalleryChangesTheSelection) {
    MakeGalleries({"Alps", "beach", "city"});
    Host();
    HWND combo = Combo();
    ASSERT_NE(combo, nullptr);
    ::SendMessageA(combo, CB_SETCURSEL, 2, 0);
    ::SendMessageA(album->m_hWnd, WM_COMMAND, MAKEWPARAM(1, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(2, Selected());

    // The keyboard: the box notifies its parent, the control's window, by itself.
    ::SendMessageA(combo, WM_KEYDOWN, VK_UP, 0);
    ::SendMessageA(combo, WM_KEYUP, VK_UP, 0);
    PumpMessages();
    EXPECT_EQ(1, ComboSelection());
    EXPECT_EQ(1, Selected());
}

TEST_F(AlbumListTest, AddFileToGalleryTellsWhetherTheFileIsInTheGalleryFolder) {
    MakeGalleries({"Alps", "beach", "beach\\IMG_0002.JPG"});
    ASSERT_TRUE(scratch::WriteBytes(galleries / "beach\\IMG_0001.JPG", "picture"));
    ASSERT_TRUE(scratch::WriteBytes(galleries / "IMG_0003.JPG", "in the root"));
    Host();
    std::string before = TreeOf(galleries.Path());
    const struct {
        const char* gallery;
        const char* file;
        long expected;
    } cases[] = {
        {"beach", "C:\\camera\\IMG_0001.JPG", 1},
        {"beach", "IMG_0001.JPG", 1},
        {"BEACH", "D:/elsewhere/img_0001.jpg", 1},
        {"Alps", "C:\\camera\\IMG_0001.JPG", 0},
        {"beach", "C:\\camera\\IMG_0009.JPG", 0},
        {"beach", "IMG_0002.JPG", 0}, // a folder, not a file
        {"Nowhere", "IMG_0001.JPG", 0},
        {"", "IMG_0003.JPG", 0},
        {"..", "beach\\IMG_0001.JPG", 0},
        {"beach", "", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, AddFile(c.gallery, c.file))
            << "AddFileToGallery(\"" << c.gallery << "\", \"" << c.file << "\")";
    }
    EXPECT_EQ(before, TreeOf(galleries.Path())) << "AddFileToGallery must not write";
}

TEST_F(AlbumListTest, RefreshFindsNewFoldersAndKeepsTheSelectedName) {
    MakeGalleries({"beach", "city"});
    Host();
    album->SetProperty(DISPID_ALBUMLIST_GALLERY, VT_BSTR, "city");
    MakeGalleries({"Autumn"});
    EXPECT_EQ("beach|city", Joined(Names())) << "the list changes on Refresh only";

    album->InvokeHelper(DISPID_ALBUMLIST_REFRESH, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
    EXPECT_EQ("Autumn|beach|city", Joined(Names()));
    EXPECT_EQ("Autumn|beach|city", Joined(ComboItems()));
    EXPECT_EQ(2, Selected()) << "the selected gallery moved and must stay selected";
    EXPECT_EQ(2, ComboSelection());

    ASSERT_TRUE(scratch::RemoveTree(galleries / "city"));
    album->InvokeHelper(DISPID_ALBUMLIST_REFRESH, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
    EXPECT_EQ("Autumn|beach", Joined(Names()));
    EXPECT_EQ(-1, Selected());
    EXPECT_EQ(-1, ComboSelection());
}

TEST_F(AlbumListTest, LoadTellsWhetherTheRootExists) {
    MakeGalleries({"beach"});
    Host();
    BOOL loaded = FALSE;
    album->InvokeHelper(DISPID_ALBUMLIST_LOAD, DISPATCH_METHOD, VT_BOOL, &loaded, nullptr);
    EXPECT_TRUE(loaded);

    ASSERT_TRUE(userRoot.SetString(kRootValue, galleries / "missing"));
    album->InvokeHelper(DISPID_ALBUMLIST_LOAD, DISPATCH_METHOD, VT_BOOL, &loaded, nullptr);
    EXPECT_FALSE(loaded);
    EXPECT_TRUE(Names().empty());
}

TEST_F(AlbumListTest, RootComesFromTheUserElseFromTheMachine) {
    scratch::Directory userGalleries("albumlist-user");
    scratch::Directory machineGalleries("albumlist-machine");
    ASSERT_TRUE(scratch::MakeDirectories(userGalleries / "Mine"));
    ASSERT_TRUE(scratch::MakeDirectories(machineGalleries / "Shared"));
    const struct {
        const char* label;
        const char* user;    // null: no value
        const char* machine; // null: no value
        const char* expected;
    } cases[] = {
        {"both", userGalleries.Path().c_str(), machineGalleries.Path().c_str(), "Mine"},
        {"machine only", nullptr, machineGalleries.Path().c_str(), "Shared"},
        {"user only", userGalleries.Path().c_str(), nullptr, "Mine"},
        {"user's empty value wins", "", machineGalleries.Path().c_str(), ""},
        {"neither", nullptr, nullptr, ""},
    };
    Host();
    for (const auto& c : cases) {
        ASSERT_TRUE(userRoot.Clear() && machineRoot.Clear());
        if (c.user != nullptr) {
            ASSERT_TRUE(userRoot.SetString(kRootValue, c.user));
        }
        if (c.machine != nullptr) {
            ASSERT_TRUE(machineRoot.SetString(kRootValue, c.machine));
        }
        album->InvokeHelper(DISPID_ALBUMLIST_REFRESH, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
        EXPECT_EQ(c.expected, Joined(Names())) << c.label;
    }
}

TEST_F(AlbumListTest, OtherMembersTakeTheirArgumentsAndEnabledReachesTheWindow) {
    MakeGalleries({"beach"});
    Host();
    album->SetProperty(DISPID_ALBUMLIST_ENABLED, VT_BOOL, FALSE);
    EXPECT_FALSE(::IsWindowEnabled(Combo()));
    album->SetProperty(DISPID_ALBUMLIST_ENABLED, VT_BOOL, TRUE);
    EXPECT_TRUE(::IsWindowEnabled(Combo()));

    album->SetProperty(DISPID_ALBUMLIST_STYLE, VT_I2, 3);
    album->SetProperty(DISPID_ALBUMLIST_VIEW, VT_I4, 2L);
    album->SetProperty(DISPID_ALBUMLIST_SHOWNEW, VT_BOOL, TRUE);
    album->SetProperty(DISPID_ALBUMLIST_DROPDOWN, VT_BOOL, TRUE);
    short style = 0;
    long view = 0;
    album->GetProperty(DISPID_ALBUMLIST_STYLE, VT_I2, &style);
    album->GetProperty(DISPID_ALBUMLIST_VIEW, VT_I4, &view);
    EXPECT_EQ(3, style);
    EXPECT_EQ(2, view);
    BOOL shown = FALSE;
    album->InvokeHelper(DISPID_ALBUMLIST_SHOWTHUMBNAILS, DISPATCH_METHOD, VT_BOOL, &shown,
                        Params(VTS_I4), 1L);
    EXPECT_TRUE(shown);
    EXPECT_EQ("beach", Joined(Names()));
}

TEST_F(AlbumListTest, WrongCallsFailWithTheirStatus) {
    Host();
    long value = 0;
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, ole::FailureOf([&] {
                  album->InvokeHelper(DISPID_ALBUMLIST_GETGALLERYNAME, DISPATCH_METHOD, VT_I4,
                                      &value, nullptr);
              }));
    EXPECT_EQ(DISP_E_TYPEMISMATCH, ole::FailureOf([&] {
                  album->InvokeHelper(DISPID_ALBUMLIST_GETFIRSTPOSITION, DISPATCH_METHOD, VT_I4,
                                      &value, Params(VTS_I4), 0L);
              }))
        << "the enumeration state must come by reference";
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, ole::FailureOf([&] {
                  album->InvokeHelper(99, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
              }));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, ole::FailureOf([&] {
                  album->SetProperty(DISPID_ALBUMLIST_SELECTEDGALLERY, VT_I4, 1L);
              }));
}

TEST_F(AlbumListTest, CallsFromAnotherThreadDoNotWaitForTheWindow) {
    MakeGalleries({"Alps", "city"});
    Host();
    IDispatch* dispatch = nullptr;
    ASSERT_TRUE(SUCCEEDED(album->GetControlUnknown()->QueryInterface(
        IID_IDispatch, reinterpret_cast<void**>(&dispatch))));
    HANDLE finished = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(finished, nullptr);
    // The worker drives the raw interface without COM of its own, as the program's worker
    // does; this thread does not pump messages meanwhile.
    std::thread worker([&] {
        COleDispatchDriver driver(dispatch, FALSE);
        long result = -1;
        BSTR name = ::SysAllocString(L"beach");
        driver.InvokeHelper(DISPID_ALBUMLIST_ADDGALLERY, DISPATCH_METHOD, VT_I4, &result,
                            Params(VTS_PBSTR), &name);
        ::SysFreeString(name);
        ::SetEvent(finished);
    });
    DWORD waited = ::WaitForSingleObject(finished, 5000);
    EXPECT_EQ(WAIT_OBJECT_0, waited) << "the call waited for the window's thread";
    while (::WaitForSingleObject(finished, 10) != WAIT_OBJECT_0) {
        PumpMessages();
    }
    ::CloseHandle(finished);
    worker.join();
    dispatch->Release();
    EXPECT_EQ(1, Selected());
    PumpMessages();
    EXPECT_EQ("Alps|beach|city", Joined(ComboItems())) << "the window must catch up";
    EXPECT_EQ(1, ComboSelection());
}

TEST_F(AlbumListTest, ParentDestroyedFirstEndsTheControlCleanly) {
    MakeGalleries({"beach"});
    Host();
    HWND hWnd = album->m_hWnd;
    parent.DestroyWindow();
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(album->GetControlUnknown(), nullptr);
    album.reset();
}

TEST_F(AlbumListTest, UnregisteredComponentCannotBeHosted) {
    auto unreg = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("AlbumList.dll"), "DllUnregisterServer")));
    ASSERT_NE(unreg, nullptr);
    EXPECT_EQ(S_OK, unreg());
    EXPECT_EQ("<missing>", ReadMachineString(std::string(kClassKey) + "\\InprocServer32", nullptr));
    EXPECT_FALSE(album->CreateControl(CLSID_AlbumList, "albums", WS_CHILD | WS_VISIBLE, kRect,
                                      &parent, kAlbumId));
    EXPECT_EQ(album->m_hWnd, nullptr);
    EXPECT_EQ(::GetWindow(parent.m_hWnd, GW_CHILD), nullptr);
}

} // namespace
