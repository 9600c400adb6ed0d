// The tray as a COM server and control: registration, the hosting steps, the dispatch members
// with their argument coercion, items added from a foreign thread, and the selected files.
#include "TrayTestFixture.h"

#include <olectl.h>
#include <shlobj.h>

#include <atomic>
#include <thread>

namespace tray_test {
namespace {

std::string Hex(HRESULT hr) {
    char text[16];
    snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

TEST(TrayServerTest, RegistersItselfAndAnswersOnlyForItsClass) {
    std::string error;
    ASSERT_TRUE(RegisterTray(&error)) << error;
    HMODULE module = ::LoadLibraryA(TrayDllPath().c_str());
    ASSERT_NE(nullptr, module);
    auto getClassObject = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
        ::GetProcAddress(module, "DllGetClassObject"));
    auto canUnloadNow =
        reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(::GetProcAddress(module, "DllCanUnloadNow"));
    auto registerServer =
        reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(::GetProcAddress(module, "DllRegisterServer"));
    auto unregisterServer = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        ::GetProcAddress(module, "DllUnregisterServer"));
    ASSERT_TRUE(getClassObject && canUnloadNow && registerServer && unregisterServer);

    std::string threadingModel;
    EXPECT_EQ(TrayDllPath(), RegisteredServerPath(&threadingModel));
    EXPECT_EQ("Both", threadingModel) << "item adding is called from download workers";

    EXPECT_EQ(S_OK, unregisterServer());
    EXPECT_EQ("", RegisteredServerPath()) << "the class is still registered after unregistering";
    EXPECT_EQ(S_OK, registerServer());
    EXPECT_EQ(TrayDllPath(), RegisteredServerPath());

    IClassFactory* factory = nullptr;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject(DIID_SlideTrayEvents, IID_IClassFactory,
                                                        reinterpret_cast<void**>(&factory)));
    EXPECT_EQ(nullptr, factory);
    ASSERT_EQ(S_OK, getClassObject(CLSID_SlideTray, IID_IClassFactory,
                                   reinterpret_cast<void**>(&factory)));
    EXPECT_EQ(S_FALSE, canUnloadNow()) << "a factory is held";
    IUnknown* control = nullptr;
    ASSERT_EQ(S_OK,
              factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&control)));
    factory->Release();
    EXPECT_EQ(S_FALSE, canUnloadNow()) << "a control lives";
    control->Release();
    EXPECT_EQ(S_OK, canUnloadNow());
    ::FreeLibrary(module);
}

TEST_F(TrayTest, HostingStepsActivateInPlaceAndCloseTheWindow) {
    HWND tray = m_host.Tray();
    EXPECT_EQ(m_host.Parent(), ::GetParent(tray));
    EXPECT_TRUE(::GetWindowLongA(tray, GWL_STYLE) & WS_CHILD);
    EXPECT_TRUE(::IsWindowVisible(tray));
    EXPECT_EQ(1, m_host.Site().activations);
    RECT rect = {};
    ::GetWindowRect(tray, &rect);
    ::MapWindowPoints(nullptr, m_host.Parent(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(0, rect.left);
    EXPECT_EQ(kWidth, rect.right);
    EXPECT_EQ(kHeight, rect.bottom);

    IOleInPlaceObject* inPlace = nullptr;
    ASSERT_EQ(S_OK, m_host.Object()->QueryInterface(IID_IOleInPlaceObject,
                                                    reinterpret_cast<void**>(&inPlace)));
    RECT moved = {10, 20, 310, 220};
    EXPECT_EQ(S_OK, inPlace->SetObjectRects(&moved, &moved));
    ::GetWindowRect(tray, &rect);
    ::MapWindowPoints(nullptr, m_host.Parent(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(10, rect.left);
    EXPECT_EQ(20, rect.top);
    EXPECT_EQ(300, rect.right - rect.left);
    EXPECT_EQ(200, rect.bottom - rect.top);

    IProvideClassInfo2* classInfo = nullptr;
    ASSERT_EQ(S_OK, m_host.Object()->QueryInterface(IID_IProvideClassInfo2,
                                                    reinterpret_cast<void**>(&classInfo)));
    GUID guid = GUID_NULL;
    EXPECT_EQ(E_INVALIDARG, classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID + 1, &guid));
    classInfo->Release();

    IConnectionPointContainer* container = nullptr;
    ASSERT_EQ(S_OK, m_host.Object()->QueryInterface(IID_IConnectionPointContainer,
                                                    reinterpret_cast<void**>(&container)));
    IConnectionPoint* point = nullptr;
    EXPECT_EQ(CONNECT_E_NOCONNECTION, container->FindConnectionPoint(IID_IDispatch, &point));
    ASSERT_EQ(S_OK, container->FindConnectionPoint(DIID_SlideTrayEvents, &point));
    container->Release();
    auto* second = new CEventSink();
    DWORD cookie = 0;
    EXPECT_EQ(S_OK, point->Advise(second, &cookie));
    EXPECT_NE(0u, cookie);
    EXPECT_NE(m_host.Cookie(), cookie) << "two sinks got the same cookie";
    EXPECT_EQ(CONNECT_E_NOCONNECTION, point->Unadvise(cookie + 100));
    EXPECT_EQ(S_OK, point->Unadvise(cookie));
    EXPECT_EQ(CONNECT_E_NOCONNECTION, point->Unadvise(cookie)) << "unadvised twice";
    point->Release();
    second->Release();

    UINT typeInfoCount = 99;
    EXPECT_EQ(S_OK, m_host.Dispatch()->GetTypeInfoCount(&typeInfoCount));
    EXPECT_EQ(0u, typeInfoCount);

    EXPECT_EQ(S_OK, inPlace->InPlaceDeactivate());
    EXPECT_FALSE(::IsWindow(tray)) << "the window outlived in-place deactivation";
    EXPECT_EQ(1, m_host.Site().deactivations);
    HWND none = tray;
    EXPECT_EQ(E_FAIL, inPlace->GetWindow(&none));
    EXPECT_EQ(nullptr, none);
    inPlace->Release();
    EXPECT_EQ(S_OK, m_host.Close());
}

TEST_F(TrayTest, ItemsKeepTheOrderTheyWereAddedIn) {
    const std::vector<std::pair<std::string, std::string>> items = {
        {"C:\\DCIM\\100KSTRL\\KSTR0001.JPG", "KSTR0001.JPG"},
        {"C:\\DCIM\\100KSTRL\\KSTR0002.JPG", ""},
        {"C:\\Some folder\\with spaces.jpg", "with spaces"},
        {"C:\\DCIM\\100KSTRL\\KSTR0001.JPG", "the same file again"},
    };
    for (const auto& item : items) {
        EXPECT_TRUE(m_host.AddItem(item.first, item.second)) << item.first;
    }
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].first, m_host.ItemPath(static_cast<LONG>(i))) << "item " << i;
        EXPECT_EQ(items[i].second, m_host.ItemLabel(static_cast<LONG>(i))) << "item " << i;
    }
    for (LONG bad : {-1L, 4L, 5L, 0x7FFFFFFFL, static_cast<LONG>(0x80000000UL)}) {
        EXPECT_EQ("", m_host.ItemPath(bad)) << "index " << bad;
        EXPECT_EQ("", m_host.ItemLabel(bad)) << "index " << bad;
    }
    EXPECT_FALSE(m_host.AddItem("", "no path")) << "an item without a path was accepted";
    EXPECT_EQ("", m_host.ItemPath(4)) << "the refused item was added";
}

TEST_F(TrayTest, ClearItemsRemovesThemAll) {
    AddNamedItems(5);
    EXPECT_EQ(0, m_host.ClearItems());
    EXPECT_EQ("", m_host.ItemPath(0));
    EXPECT_EQ(0, m_host.ScrollPos());
    EXPECT_TRUE(m_host.AddItem("C:\\after.jpg", "after"));
    EXPECT_EQ("C:\\after.jpg", m_host.ItemPath(0));
    EXPECT_EQ("", m_host.ItemPath(1));
}

// Arguments as a host's automation layer may pass them: other types, by reference, wrong.
TEST_F(TrayTest, ArgumentsAreCoercedOrRefused) {
    ASSERT_TRUE(m_host.AddItem("C:\\a.jpg", "first"));
    ASSERT_TRUE(m_host.AddItem("C:\\b.jpg", "second"));

    BSTR byRefPath = ::SysAllocString(L"C:\\c.jpg");
    VARIANT pathRef;
    ::VariantInit(&pathRef);
    V_VT(&pathRef) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&pathRef) = &byRefPath;
    LONG index = 1;
    VARIANT indexRef;
    ::VariantInit(&indexRef);
    V_VT(&indexRef) = VT_BYREF | VT_I4;
    V_I4REF(&indexRef) = &index;

    struct Case {
        const char* what;
        DISPID dispid;
        WORD flags;
        std::vector<VARIANT> arguments;
        HRESULT expected;
        VARTYPE resultType;
        std::string resultText; // a BSTR result's text, or a number's
        UINT badArgument;       // with DISP_E_TYPEMISMATCH, counted from the last argument
    };
    std::vector<Case> cases;
    cases.push_back({"index as a short",
                     DISPID_SLIDETRAY_GETITEMPATH,
                     DISPATCH_METHOD,
                     {ShortVariant(1)},
                     S_OK,
                     VT_BSTR,
                     "C:\\b.jpg",
                     0});
    cases.push_back({"index as text",
                     DISPID_SLIDETRAY_GETITEMLABEL,
                     DISPATCH_METHOD,
                     {BstrVariant(L"0")},
                     S_OK,
                     VT_BSTR,
                     "first",
                     0});
    cases.push_back({"index by reference",
                     DISPID_SLIDETRAY_GETITEMPATH,
                     DISPATCH_METHOD,
                     {indexRef},
                     S_OK,
                     VT_BSTR,
                     "C:\\b.jpg",
                     0});
    cases.push_back({"method called as method and property get",
                     DISPID_SLIDETRAY_GETITEMPATH,
                     DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                     {LongVariant(0)},
                     S_OK,
                     VT_BSTR,
                     "C:\\a.jpg",
                     0});
    cases.push_back({"path by reference, label as a number",
                     DISPID_SLIDETRAY_ADDITEM,
                     DISPATCH_METHOD,
                     {pathRef, LongVariant(42)},
                     S_OK,
                     VT_BOOL,
                     "-1",
                     0});
    cases.push_back({"text that is no index",
                     DISPID_SLIDETRAY_GETITEMPATH,
                     DISPATCH_METHOD,
                     {BstrVariant(L"two")},
                     DISP_E_TYPEMISMATCH,
                     VT_EMPTY,
                     "",
                     0});
    cases.push_back({"clear with a bad first argument",
                     DISPID_SLIDETRAY_CLEARITEMS,
                     DISPATCH_METHOD,
                     {BstrVariant(L"x"), ShortVariant(0)},
                     DISP_E_TYPEMISMATCH,
                     VT_EMPTY,
                     "",
                     1});
    cases.push_back({"too few arguments",
                     DISPID_SLIDETRAY_ADDITEM,
                     DISPATCH_METHOD,
                     {BstrVariant(L"C:\\d.jpg")},
                     DISP_E_BADPARAMCOUNT,
                     VT_EMPTY,
                     "",
                     0});
    cases.push_back({"too many arguments",
                     DISPID_SLIDETRAY_GETSELECTEDFILES,
                     DISPATCH_METHOD,
                     {LongVariant(1)},
                     DISP_E_BADPARAMCOUNT,
                     VT_EMPTY,
                     "",
                     0});
    cases.push_back(
        {"unknown member", 999, DISPATCH_METHOD, {}, DISP_E_MEMBERNOTFOUND, VT_EMPTY, "", 0});
    cases.push_back({"event id is no member",
                     DISPID_SLIDETRAY_ITEMOPEN,
                     DISPATCH_METHOD,
                     {LongVariant(0)},
                     DISP_E_MEMBERNOTFOUND,
                     VT_EMPTY,
                     "",
                     0});
    cases.push_back({"method put as a property",
                     DISPID_SLIDETRAY_ADDITEM,
                     DISPATCH_PROPERTYPUT,
                     {BstrVariant(L"C:\\e.jpg")},
                     DISP_E_MEMBERNOTFOUND,
                     VT_EMPTY,
                     "",
                     0});
    cases.push_back({"tooltips switched on",
                     DISPID_SLIDETRAY_SHOWTOOLTIPS,
                     DISPATCH_METHOD,
                     {BoolVariant(true)},
                     S_OK,
                     VT_EMPTY,
                     "",
                     0});
    cases.push_back({"selection mode as text",
                     DISPID_SLIDETRAY_SELECTIONMODE,
                     DISPATCH_PROPERTYPUT,
                     {BstrVariant(L"2")},
                     S_OK,
                     VT_EMPTY,
                     "",
                     0});
    cases.push_back({"selection mode read back",
                     DISPID_SLIDETRAY_SELECTIONMODE,
                     DISPATCH_PROPERTYGET,
                     {},
                     S_OK,
                     VT_I4,
                     "2",
                     0});
    cases.push_back({"drag source from a long",
                     DISPID_SLIDETRAY_DRAGSOURCE,
                     DISPATCH_PROPERTYPUT,
                     {LongVariant(1)},
                     S_OK,
                     VT_EMPTY,
                     "",
                     0});
    cases.push_back({"drag source read back",
                     DISPID_SLIDETRAY_DRAGSOURCE,
                     DISPATCH_PROPERTYGET,
                     {},
                     S_OK,
                     VT_BOOL,
                     "-1",
                     0});
    cases.push_back({"drop target",
                     DISPID_SLIDETRAY_DROPTARGET,
                     DISPATCH_PROPERTYPUT,
                     {BoolVariant(true)},
                     S_OK,
                     VT_EMPTY,
                     "",
                     0});
    cases.push_back({"drop target read back",
                     DISPID_SLIDETRAY_DROPTARGET,
                     DISPATCH_PROPERTYGET,
                     {},
                     S_OK,
                     VT_BOOL,
                     "-1",
                     0});
    cases.push_back({"frames that are no flag",
                     DISPID_SLIDETRAY_SHOWFRAMES,
                     DISPATCH_PROPERTYPUT,
                     {BstrVariant(L"maybe")},
                     DISP_E_TYPEMISMATCH,
                     VT_EMPTY,
                     "",
                     0});

    for (Case& test : cases) {
        SCOPED_TRACE(test.what);
        VARIANT result;
        ::VariantInit(&result);
        UINT badArgument = 77;
        HRESULT hr = m_host.Call(test.dispid, test.flags, test.arguments, &result, &badArgument);
        EXPECT_EQ(Hex(test.expected), Hex(hr));
        EXPECT_EQ(test.resultType, V_VT(&result));
        if (SUCCEEDED(hr) && V_VT(&result) != VT_EMPTY) {
            VARIANT text;
            ::VariantInit(&text);
            ASSERT_EQ(S_OK, ::VariantChangeType(&text, &result, 0, VT_BSTR));
            char narrow[MAX_PATH] = {};
            ::WideCharToMultiByte(CP_ACP, 0, V_BSTR(&text), -1, narrow, sizeof narrow, nullptr,
                                  nullptr);
            EXPECT_EQ(test.resultText, narrow);
            ::VariantClear(&text);
        }
        if (hr == DISP_E_TYPEMISMATCH) {
            EXPECT_EQ(test.badArgument, badArgument);
        }
        ::VariantClear(&result);
    }
    // The by-reference arguments belong to the caller and stay intact.
    EXPECT_EQ(1, index);
    EXPECT_STREQ(L"C:\\c.jpg", byRefPath);
    ::SysFreeString(byRefPath);
    EXPECT_EQ("C:\\c.jpg", m_host.ItemPath(2));
    EXPECT_EQ("42", m_host.ItemLabel(2));
}

TEST_F(TrayTest, NamesResolveToTheDispatchIds) {
    struct Name {
        const wchar_t* name;
        DISPID dispid;
    };
    const Name names[] = {{L"AddItem", DISPID_SLIDETRAY_ADDITEM},
                          {L"getitempath", DISPID_SLIDETRAY_GETITEMPATH},
                          {L"Redraw", DISPID_SLIDETRAY_REDRAW},
                          {L"GetSelectedFiles", DISPID_SLIDETRAY_GETSELECTEDFILES}};
    for (const Name& name : names) {
        LPOLESTR text = const_cast<LPOLESTR>(name.name);
        DISPID dispid = 0;
        EXPECT_EQ(S_OK, m_host.Dispatch()->GetIDsOfNames(IID_NULL, &text, 1, LOCALE_USER_DEFAULT,
                                                         &dispid));
        EXPECT_EQ(name.dispid, dispid);
    }
    LPOLESTR unknown = const_cast<LPOLESTR>(L"NoSuchMember");
    DISPID dispid = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, m_host.Dispatch()->GetIDsOfNames(IID_NULL, &unknown, 1,
                                                                   LOCALE_USER_DEFAULT, &dispid));
    EXPECT_EQ(DISPID_UNKNOWN, dispid);
}

// The program's download worker adds items on its own thread, without COM, while the UI
// thread sits in a modal loop.
// The worker is in the multithreaded apartment, as the program's download worker is, and gets
// the pointer the COM way: the free-threaded marshaler hands it the object itself, no proxy.
TEST_F(TrayTest, AddItemFromAnotherThreadWhileTheUiThreadPumps) {
    constexpr int kItems = 200;
    IStream* stream = nullptr;
    ASSERT_EQ(S_OK, ::CoMarshalInterThreadInterfaceInStream(IID_IDispatch, m_host.Dispatch(),
                                                            &stream));
    std::atomic<bool> done{false};
    std::atomic<int> accepted{0};
    std::atomic<bool> direct{false};
    std::thread worker([this, stream, &done, &accepted, &direct] {
        HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        IDispatch* dispatch = nullptr;
        if (FAILED(::CoGetInterfaceAndReleaseStream(stream, IID_IDispatch,
                                                    reinterpret_cast<void**>(&dispatch)))) {
            done = true;
            return;
        }
        direct = dispatch == m_host.Dispatch();
        for (int i = 0; i < kItems; ++i) {
            std::wstring path = L"C:\\DCIM\\100KSTRL\\IMG_" + std::to_wstring(1000 + i) + L".JPG";
            VARIANT arguments[2];
            arguments[1] = BstrVariant(path.c_str());
            arguments[0] = BstrVariant(std::to_wstring(i).c_str());
            DISPPARAMS params = {arguments, nullptr, 2, 0};
            VARIANT result;
            ::VariantInit(&result);
            HRESULT hr = dispatch->Invoke(DISPID_SLIDETRAY_ADDITEM, IID_NULL, LOCALE_USER_DEFAULT,
                                          DISPATCH_METHOD, &params, &result, nullptr, nullptr);
            if (SUCCEEDED(hr) && V_VT(&result) == VT_BOOL && V_BOOL(&result) == VARIANT_TRUE) {
                ++accepted;
            }
            ::VariantClear(&arguments[0]);
            ::VariantClear(&arguments[1]);
        }
        dispatch->Release();
        if (SUCCEEDED(com)) {
            ::CoUninitialize();
        }
        done = true;
    });
    bool finished = PumpUntil([&done] { return done.load(); }, 30000);
    if (!finished) {
        // A deadlocked worker cannot be joined; the test has failed either way.
        worker.detach();
        FAIL() << "AddItem on the second thread did not finish within 30 s";
    }
    worker.join();
    EXPECT_TRUE(direct) << "the multithreaded apartment got a proxy of the control";
    EXPECT_EQ(kItems, accepted.load());
    for (int i = 0; i < kItems; ++i) {
        std::string expected = "C:\\DCIM\\100KSTRL\\IMG_" + std::to_string(1000 + i) + ".JPG";
        ASSERT_EQ(expected, m_host.ItemPath(i)) << "item " << i;
        ASSERT_EQ(std::to_string(i), m_host.ItemLabel(i)) << "item " << i;
    }
    EXPECT_EQ("", m_host.ItemPath(kItems));
    // The window heard of all of them: its scroll range covers the whole grid.
    Flush();
    EXPECT_EQ(Layout(kItems).MaxScroll(), m_host.ScrollMax());
    EXPECT_GT(m_host.ScrollMax(), 0);
}

// The diagnostic count a benchmark polls to know when every thumbnail is made.
TEST_F(TrayTest, ThumbnailsReadyCountsMadeThumbnailsOfTheCurrentItems) {
    auto ready = [this] { return m_host.ThumbnailsReady(); };
    LPOLESTR name = const_cast<LPOLESTR>(L"thumbnailsready");
    DISPID dispid = 0;
    EXPECT_EQ(S_OK,
              m_host.Dispatch()->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &dispid));
    EXPECT_EQ(DISPID_SLIDETRAY_THUMBNAILSREADY, dispid);
    EXPECT_EQ(0, ready()) << "an empty tray has thumbnails";

    // Real pictures and missing files (placeholders) both count once made.
    ASSERT_TRUE(WriteBmp(m_pictures / "real.bmp", 320, 240, 0x3060A0));
    ASSERT_TRUE(WriteBmp(m_pictures / "large.bmp", 2400, 1800, 0xA06030));
    const std::vector<std::string> paths = {m_pictures / "real.bmp", m_pictures / "missing1.jpg",
                                            m_pictures / "large.bmp", m_pictures / "real.bmp",
                                            m_pictures / "missing2.jpg"};
    for (const std::string& path : paths) {
        ASSERT_TRUE(m_host.AddItem(path, "item"));
    }
    const LONG total = static_cast<LONG>(paths.size());
    LONG last = 0;
    bool steady = true;
    bool made = PumpUntil(
        [&] {
            LONG now = ready();
            steady = steady && now >= last && now <= total;
            last = now;
            return now == total;
        },
        20000);
    EXPECT_TRUE(made) << "expected " << total << " thumbnails made, got " << last;
    EXPECT_TRUE(steady) << "the count went down or past the item count";
    PumpFor(100);
    EXPECT_EQ(total, ready()) << "the count moved after every thumbnail was made";

    struct Refused {
        const char* what;
        WORD flags;
        std::vector<VARIANT> arguments;
        HRESULT expected;
    };
    const Refused refused[] = {
        {"put", DISPATCH_PROPERTYPUT, {LongVariant(0)}, DISP_E_MEMBERNOTFOUND},
        {"get with an argument", DISPATCH_PROPERTYGET, {LongVariant(0)}, DISP_E_BADPARAMCOUNT},
        {"called as a method", DISPATCH_METHOD, {}, DISP_E_MEMBERNOTFOUND},
    };
    for (const Refused& call : refused) {
        VARIANT result;
        ::VariantInit(&result);
        EXPECT_EQ(Hex(call.expected),
                  Hex(m_host.Call(DISPID_SLIDETRAY_THUMBNAILSREADY, call.flags, call.arguments,
                                  &result)))
            << call.what;
        ::VariantClear(&result);
    }
    EXPECT_EQ(total, ready()) << "a refused call changed the count";

    // Thumbnails of cleared items, even those still being made, no longer count.
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(m_host.AddItem(m_pictures / "large.bmp", "old"));
    }
    EXPECT_EQ(0, m_host.ClearItems());
    EXPECT_EQ(0, ready()) << "the count outlived ClearItems";
    ASSERT_TRUE(m_host.AddItem(m_pictures / "real.bmp", "new"));
    EXPECT_TRUE(PumpUntil([&] { return ready() == 1; }, 20000))
        << "expected 1 thumbnail made after clearing, got " << ready();
    PumpFor(800);
    EXPECT_EQ(1, ready()) << "a cleared item's thumbnail was counted";
}

TEST_F(TrayTest, SelectedFilesComeAsADropFilesBlock) {
    EXPECT_EQ(0, m_host.SelectedFiles()) << "nothing is selected in an empty tray";
    std::vector<std::string> paths = AddNamedItems(6);
    EXPECT_EQ(0, m_host.SelectedFiles()) << "nothing is selected yet";

    // Picked last to first; the block lists them in tray order.
    m_host.Click(4);
    m_host.Click(3, MK_CONTROL);
    m_host.Click(1, MK_CONTROL);
    LONG_PTR value = m_host.SelectedFiles();
    ASSERT_NE(0, value);
    auto drop = reinterpret_cast<HGLOBAL>(value);
    size_t names = paths[1].size() + paths[3].size() + paths[4].size() + 3;
    ASSERT_GE(::GlobalSize(drop), sizeof(DROPFILES) + names + 1);
    const auto* header = static_cast<const DROPFILES*>(::GlobalLock(drop));
    ASSERT_NE(nullptr, header);
    EXPECT_EQ(sizeof(DROPFILES), header->pFiles);
    EXPECT_FALSE(header->fWide);
    const char* list = reinterpret_cast<const char*>(header) + header->pFiles;
    EXPECT_EQ(paths[1], std::string(list));
    EXPECT_EQ('\0', list[names]) << "the list does not end in a second NUL";
    ::GlobalUnlock(drop);
    EXPECT_EQ(Joined({paths[1], paths[3], paths[4]}), Joined(DroppedFiles(drop)));
    EXPECT_EQ(nullptr, ::GlobalFree(drop)) << "GlobalFree refused the block";

    HeldKeys control({VK_CONTROL});
    m_host.Key('A');
    EXPECT_EQ("0 1 2 3 4 5", SelectedIndices(m_host, paths));
    // Every call hands out a block of its own.
    LONG_PTR first = m_host.SelectedFiles();
    LONG_PTR second = m_host.SelectedFiles();
    EXPECT_NE(first, second);
    ::GlobalFree(reinterpret_cast<HGLOBAL>(first));
    ::GlobalFree(reinterpret_cast<HGLOBAL>(second));

    m_host.ClearItems();
    EXPECT_EQ(0, m_host.SelectedFiles()) << "cleared items are still selected";
}

} // namespace
} // namespace tray_test
