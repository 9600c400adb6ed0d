// The two hosted components through the program's own wrappers and hosting: created, activated
// in place, used, and ended along each way the program ends them, 200 times over in one
// process. Afterwards nothing of either component may be alive: its server answers
// DllCanUnloadNow with S_OK (no object, no factory reference, no server lock) and COM can free
// the DLL.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "controls/AlbumList.h"
#include "controls/SlideTray.h"
#include "external/albumlist/AlbumListControl.h"
#include "external/slidetray/SlideTrayControl.h"
#include "framework/Exception.h"
#include "tests/support/ScratchFiles.h"
#include "tests/support/ScratchRegistry.h"

namespace {

const int kCycles = 200;
const UINT kControlId = 101;

void PumpMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// The ways a control's life ends in the program: its wrapper destroys it, its parent window
// goes first (the main window closing), or the wrapper object goes while the window lives.
enum class Ending { DestroyWindow, ParentFirst, WrapperDeleted };

struct Component {
    const char* dll;
    const CLSID* clsid;
    // Makes the wrapper, hosts the control in `parent` and calls a member or two; the wrapper,
    // or null when the control could not be hosted.
    std::function<std::unique_ptr<CWnd>(CWnd* parent)> host;
};

std::unique_ptr<CWnd> HostTray(CWnd* parent) {
    auto tray = std::make_unique<CSlideTray>();
    if (!tray->Create(nullptr, WS_CHILD | WS_VISIBLE, CRect(10, 10, 300, 200), parent,
                      kControlId)) {
        return nullptr;
    }
    try {
        tray->SetRedraw(TRUE);
        tray->AddItem("C:\\no such picture.jpg", "Snapshot 1");
        tray->ClearItems(0, 0);
    } catch (CException* e) {
        e->Delete();
        return nullptr;
    }
    return tray;
}

std::unique_ptr<CWnd> HostAlbumList(CWnd* parent) {
    auto list = std::make_unique<CAlbumList>();
    if (!list->Create("AlbumListCtlInSnapshot", WS_CHILD, CRect(0, 0, 0, 0), parent, kControlId)) {
        return nullptr;
    }
    try {
        list->SetStyle(1);
        list->SetEnabled(TRUE);
    } catch (CException* e) {
        e->Delete();
        return nullptr;
    }
    return list;
}

// A container's site as small as in-place activation allows; it counts what the control
// tells it and the references the control holds on it.
class CountingSite final : public IOleClientSite, public IOleInPlaceSite {
public:
    explicit CountingSite(HWND parent) : m_parent(parent) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
            *object = static_cast<IOleClientSite*>(this);
        } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
            *object = static_cast<IOleInPlaceSite*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; } // on the test's stack
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        *moniker = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** container) override {
        *container = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    STDMETHODIMP GetWindow(HWND* window) override {
        *window = m_parent;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override {
        ++activations;
        return S_OK;
    }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                  LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO) override {
        *frame = nullptr;
        *document = nullptr;
        *position = *clip = RECT{0, 0, 200, 100};
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override {
        ++deactivations;
        return S_OK;
    }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    ULONG references = 1;
    int activations = 0;
    int deactivations = 0;

private:
    HWND m_parent;
};

// gtest names a failing case's component by its DLL.
void PrintTo(const Component& component, std::ostream* out) {
    *out << component.dll;
}

HRESULT CanUnloadNow(HMODULE module) {
    auto canUnload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(::GetProcAddress(module, "DllCanUnloadNow")));
    return canUnload != nullptr ? canUnload() : E_NOINTERFACE;
}

class ComLifetimeTest : public ::testing::TestWithParam<Component> {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        // The component registered from this folder, as its installer would.
        HMODULE module = ::LoadLibraryA((scratch::ExeFolder() + "\\" + GetParam().dll).c_str());
        ASSERT_NE(nullptr, module) << GetParam().dll;
        auto reg = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
            reinterpret_cast<void*>(::GetProcAddress(module, "DllRegisterServer")));
        ASSERT_NE(nullptr, reg);
        ASSERT_EQ(S_OK, reg());
        ::FreeLibrary(module);
    }
    void TearDown() override { ::OleUninitialize(); }
};

TEST_P(ComLifetimeTest, TwoHundredCyclesLeaveNoObjectAlive) {
    const Component& component = GetParam();
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        auto parent = std::make_unique<CWnd>();
        ASSERT_TRUE(parent->CreateEx(0, nullptr, "host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 320, 240),
                                     nullptr, 0))
            << "no window: is there a display?";
        std::unique_ptr<CWnd> control = component.host(parent.get());
        ASSERT_NE(nullptr, control) << "cycle " << cycle;
        const HWND window = control->m_hWnd;
        switch (static_cast<Ending>(cycle % 3)) {
        case Ending::DestroyWindow:
            EXPECT_TRUE(control->DestroyWindow());
            break;
        case Ending::ParentFirst:
            parent->DestroyWindow();
            break;
        case Ending::WrapperDeleted:
            break;
        }
        control.reset();
        parent.reset();
        PumpMessages();
        ASSERT_FALSE(::IsWindow(window)) << "cycle " << cycle << " left the control's window";
    }

    HMODULE module = ::GetModuleHandleA(component.dll);
    ASSERT_NE(nullptr, module) << "COM keeps the DLL until it is asked to free it";
    EXPECT_EQ(S_OK, CanUnloadNow(module)) << "an object or a lock of the server is still alive";
    // The tray's workers hold the DLL until they have left; they end within moments.
    const DWORD start = ::GetTickCount();
    while (::GetModuleHandleA(component.dll) != nullptr && ::GetTickCount() - start < 10000) {
        ::CoFreeUnusedLibrariesEx(0, 0);
        PumpMessages();
        ::Sleep(10);
    }
    EXPECT_EQ(nullptr, ::GetModuleHandleA(component.dll)) << "COM could not free the DLL";
}

// One protocol for both: the site that activated the control hears of its end once, whether the
// container deactivates first or closes at once, and every reference on it is given back.
TEST_P(ComLifetimeTest, TheActivatingSiteHearsOfTheEndOnceAndIsLetGo) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 320, 240),
                                nullptr, 0));
    for (bool deactivateFirst : {true, false}) {
        SCOPED_TRACE(deactivateFirst ? "InPlaceDeactivate, then Close" : "Close alone");
        CountingSite clientSite(parent.m_hWnd);
        CountingSite activeSite(parent.m_hWnd);
        IOleObject* object = nullptr;
        ASSERT_EQ(S_OK, ::CoCreateInstance(*GetParam().clsid, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IOleObject, reinterpret_cast<void**>(&object)));
        ASSERT_EQ(S_OK, object->SetClientSite(&clientSite));
        // The verb names a site of its own and no position: that site places the control.
        ASSERT_EQ(S_OK, object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &activeSite, 0, nullptr,
                                       nullptr));
        EXPECT_EQ(1, activeSite.activations);
        EXPECT_EQ(0, clientSite.activations);
        IOleInPlaceObject* inPlace = nullptr;
        ASSERT_EQ(S_OK, object->QueryInterface(IID_IOleInPlaceObject,
                                               reinterpret_cast<void**>(&inPlace)));
        HWND window = nullptr;
        ASSERT_EQ(S_OK, inPlace->GetWindow(&window));
        RECT rect{};
        ::GetWindowRect(window, &rect);
        EXPECT_EQ(200, rect.right - rect.left) << "placed where the site said";
        if (deactivateFirst) {
            EXPECT_EQ(S_OK, inPlace->InPlaceDeactivate());
        }
        inPlace->Release();
        EXPECT_EQ(S_OK, object->Close(OLECLOSE_NOSAVE));
        EXPECT_FALSE(::IsWindow(window));
        EXPECT_EQ(1, activeSite.deactivations);
        EXPECT_EQ(0, clientSite.deactivations);
        EXPECT_EQ(1u, activeSite.references) << "the activating site is let go";
        object->SetClientSite(nullptr);
        EXPECT_EQ(1u, clientSite.references) << "the client site is let go";
        object->Release();
    }
}

INSTANTIATE_TEST_SUITE_P(Components, ComLifetimeTest,
                         ::testing::Values(Component{"SlideTray.dll", &CLSID_SlideTray, HostTray},
                                           Component{"AlbumList.dll", &CLSID_AlbumList,
                                                     HostAlbumList}),
                         [](const ::testing::TestParamInfo<Component>& info) {
                             return std::string(info.param.dll).substr(0, 9);
                         });

} // namespace
