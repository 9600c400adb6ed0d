// Hosting a control in a window: creation with the container's protocol, the window object
// standing for the control, calls through CWnd, events into the parent's table, and the
// control's end whichever of its window, its parent or its object goes first.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "framework/Exception.h"
#include "framework/OleDispatchDriver.h"
#include "framework/OleException.h"
#include "framework/Wnd.h"
#include "tests/framework/TestControl.h"
#include "tests/support/OleStatus.h"

namespace {

// A VTS_ list as InvokeHelper takes it.
const BYTE* Params(const char* list) {
    return reinterpret_cast<const BYTE*>(list);
}

using test_control::TheJournal;

const UINT kControlId = 101;
const UINT kOtherControlId = 102;
const DISPID kItemOpen = 2;
const DISPID kSelectionChanged = 3;
const DISPID kThrowingEvent = 4;

// A parent whose table maps the events of control 101 only.
class ParentWnd : public CWnd {
public:
    const CMessageMap* GetMessageMap() const override {
        static const CMessageMap map(CWnd::GetMessageMap(), {
            MapEvent(kControlId, kItemOpen, &ParentWnd::OnItemOpen),
            MapEventParams(kControlId, kSelectionChanged, &ParentWnd::OnSelectionChanged),
            MapEvent(kControlId, kThrowingEvent, &ParentWnd::OnThrowingEvent),
        });
        return &map;
    }

    void OnItemOpen(long index) { opened.push_back(index); }
    void OnSelectionChanged(DISPPARAMS* params) {
        ++selectionEvents;
        selectionArgs = params->cArgs;
        if (params->cArgs == 2 && V_VT(&params->rgvarg[1]) == VT_I4 &&
            V_VT(&params->rgvarg[0]) == VT_BSTR) {
            firstArg = V_I4(&params->rgvarg[1]);
            secondArg = std::wstring(V_BSTR(&params->rgvarg[0]));
        }
    }
    void OnThrowingEvent(long) { throw new CUserException; }

    std::vector<long> opened;
    int selectionEvents = 0;
    UINT selectionArgs = 0;
    long firstArg = 0;
    std::wstring secondArg;
};

// Counts PostNcDestroy, which must come once the control's window is gone.
class ControlWnd : public CWnd {
public:
    void PostNcDestroy() override { ++postNcDestroys; }
    int postNcDestroys = 0;
};

class ControlHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        m_oleInitialized = true;
        TheJournal() = test_control::Journal();
        m_registration = std::make_unique<test_control::Registration>();
        ASSERT_TRUE(m_registration->IsReady()) << "the test control's class is not registered";
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                    CRect(0, 0, 400, 300), nullptr, 0))
            << "no window: is there a display?";
    }
    void TearDown() override {
        control.reset();
        parent.DestroyWindow();
        EXPECT_EQ(TheJournal().alive, 0) << "a control object was leaked";
        m_registration.reset();
        if (m_oleInitialized) {
            ::OleUninitialize();
        }
    }

    bool CreateTestControl(DWORD style = WS_CHILD | WS_VISIBLE, UINT id = kControlId) {
        return control->CreateControl(test_control::kClsid, "tray", style, kRect, &parent, id);
    }

    // The teardown calls the control saw, in order, from the first Unadvise on.
    static std::string Teardown() {
        const std::vector<std::string>& calls = TheJournal().calls;
        auto first = std::find(calls.begin(), calls.end(), "Unadvise");
        std::string joined;
        for (auto it = first; it != calls.end(); ++it) {
            joined += (joined.empty() ? "" : " ") + *it;
        }
        return joined;
    }

    static HWND FirstChild(HWND hWnd) { return ::GetWindow(hWnd, GW_CHILD); }

    const CRect kRect{20, 30, 220, 90};
    const std::string kFullTeardown =
        "Unadvise InPlaceDeactivate Close SetClientSite(null) Release(last)";
    ParentWnd parent;
    std::unique_ptr<ControlWnd> control = std::make_unique<ControlWnd>();

private:
    bool m_oleInitialized = false;
    std::unique_ptr<test_control::Registration> m_registration;
};

TEST_F(ControlHostTest, ControlWindowIsAChildAtTheRectWithIdAndText) {
    ASSERT_TRUE(CreateTestControl());
    HWND hWnd = control->m_hWnd;
    ASSERT_NE(hWnd, nullptr);
    EXPECT_EQ(hWnd, TheJournal().window) << "the object must stand for the control's window";
    EXPECT_EQ(::GetParent(hWnd), parent.m_hWnd);
    EXPECT_TRUE(control->GetStyle() & WS_CHILD);
    CRect placed;
    ::GetWindowRect(hWnd, &placed);
    parent.ScreenToClient(&placed);
    EXPECT_EQ(kRect, placed) << "got " << placed.left << "," << placed.top << " - " << placed.right
                             << "," << placed.bottom;
    EXPECT_EQ(static_cast<int>(kControlId), ::GetDlgCtrlID(hWnd));
    CString text;
    control->GetWindowText(text);
    EXPECT_STREQ("tray", text);
    EXPECT_TRUE(::IsWindowVisible(hWnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), control.get());
    EXPECT_EQ(parent.GetDlgItem(kControlId), control.get());
    EXPECT_NE(control->GetControlUnknown(), nullptr);
}

TEST_F(ControlHostTest, SiteAnswersTheControlsQuestionsAndLeavesItsUserData) {
    ASSERT_TRUE(CreateTestControl());
    const test_control::Journal& journal = TheJournal();
    EXPECT_EQ(journal.siteWindow, parent.m_hWnd) << "IOleWindow::GetWindow must give the parent";
    EXPECT_EQ(kRect, CRect(journal.contextRect));
    EXPECT_EQ(journal.userData,
              reinterpret_cast<void*>(::GetWindowLongPtrA(control->m_hWnd, GWLP_USERDATA)))
        << "the host took the control's user-data slot";
    std::vector<std::string> expected = {"SetClientSite(site)", "DoVerb", "Advise"};
    EXPECT_EQ(expected, journal.calls);
}

TEST_F(ControlHostTest, WithoutVisibleStyleTheControlIsHidden) {
    ASSERT_TRUE(CreateTestControl(WS_CHILD));
    EXPECT_FALSE(::IsWindowVisible(control->m_hWnd));
}

TEST_F(ControlHostTest, CallsThroughTheWindowReachTheControl) {
    ASSERT_TRUE(CreateTestControl());
    control->SetProperty(test_control::kValue, VT_BSTR, "Holidays");
    CString text;
    control->GetProperty(test_control::kValue, VT_BSTR, &text);
    EXPECT_STREQ("Holidays", text);
    long count = 4;
    control->InvokeHelper(test_control::kEcho, DISPATCH_METHOD, VT_EMPTY, nullptr,
                          Params(VTS_PI4 VTS_BOOL), &count, TRUE);
    EXPECT_EQ(8, count);
    ASSERT_EQ(2u, TheJournal().echoed.size());
    EXPECT_EQ("BOOL:-1", TheJournal().echoed[1]);
}

TEST_F(ControlHostTest, WindowWithoutControlThrowsNoInterface) {
    CWnd plain;
    ASSERT_TRUE(plain.CreateEx(0, nullptr, "plain", WS_CHILD, CRect(0, 0, 10, 10), &parent, 7));
    EXPECT_EQ(plain.GetControlUnknown(), nullptr);
    long value = 0;
    EXPECT_EQ(E_NOINTERFACE, ole::FailureOf([&] {
                  plain.InvokeHelper(1, DISPATCH_METHOD, VT_EMPTY, nullptr, nullptr);
              }));
    EXPECT_EQ(E_NOINTERFACE, ole::FailureOf([&] { plain.SetProperty(1, VT_I4, 1L); }));
    EXPECT_EQ(E_NOINTERFACE, ole::FailureOf([&] { plain.GetProperty(1, VT_I4, &value); }));
}

TEST_F(ControlHostTest, EventsReachTheParentsTableByControlIdAndDispid) {
    ASSERT_TRUE(CreateTestControl());
    short index = 7;
    control->InvokeHelper(test_control::kFire, DISPATCH_METHOD, VT_EMPTY, nullptr,
                          Params(VTS_I4 VTS_I2), long{kItemOpen}, index);
    control->InvokeHelper(test_control::kFire, DISPATCH_METHOD, VT_EMPTY, nullptr,
                          Params(VTS_I4 VTS_BSTR), long{kItemOpen}, "12");
    EXPECT_EQ((std::vector<long>{7, 12}), parent.opened)
        << "the first argument must arrive as a long";

    control->InvokeHelper(test_control::kFire, DISPATCH_METHOD, VT_EMPTY, nullptr,
                          Params(VTS_I4 VTS_I4 VTS_BSTR), long{kSelectionChanged}, 3L, "Holidays");
    EXPECT_EQ(1, parent.selectionEvents);
    EXPECT_EQ(2u, parent.selectionArgs);
    EXPECT_EQ(3, parent.firstArg);
    EXPECT_EQ(L"Holidays", parent.secondArg);

    // Unmapped events are dropped.
    control->InvokeHelper(test_control::kFire, DISPATCH_METHOD, VT_EMPTY, nullptr,
                          Params(VTS_I4 VTS_I4), 9L, 1L);
    EXPECT_EQ(2u, parent.opened.size());
    EXPECT_EQ(1, parent.selectionEvents);
}

TEST_F(ControlHostTest, EventsOfAnotherControlIdMissTheEntries) {
    ASSERT_TRUE(CreateTestControl(WS_CHILD | WS_VISIBLE, kOtherControlId));
    control->InvokeHelper(test_control::kFire, DISPATCH_METHOD, VT_EMPTY, nullptr,
                          Params(VTS_I4 VTS_I4), long{kItemOpen}, 5L);
    EXPECT_TRUE(parent.opened.empty());
}

TEST_F(ControlHostTest, ExceptionFromAnEventHandlerStaysInTheParent) {
    ASSERT_TRUE(CreateTestControl());
    control->InvokeHelper(test_control::kFire, DISPATCH_METHOD, VT_EMPTY, nullptr,
                          Params(VTS_I4 VTS_I4), long{kThrowingEvent}, 1L);
    control->InvokeHelper(test_control::kFire, DISPATCH_METHOD, VT_EMPTY, nullptr,
                          Params(VTS_I4 VTS_I4), long{kItemOpen}, 5L);
    EXPECT_EQ((std::vector<long>{5}), parent.opened);
}

TEST_F(ControlHostTest, DestroyingTheParentEndsTheControl) {
    ASSERT_TRUE(CreateTestControl());
    HWND hWnd = control->m_hWnd;
    parent.DestroyWindow();
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(control->m_hWnd, nullptr);
    EXPECT_EQ(control->GetControlUnknown(), nullptr);
    EXPECT_EQ(1, control->postNcDestroys);
    EXPECT_EQ(kFullTeardown, Teardown());
    EXPECT_EQ(0, TheJournal().alive);
}

TEST_F(ControlHostTest, DestroyingTheWindowObjectEndsTheControl) {
    ASSERT_TRUE(CreateTestControl());
    HWND hWnd = control->m_hWnd;
    control.reset();
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_TRUE(parent.IsWindow());
    EXPECT_EQ(FirstChild(parent.m_hWnd), nullptr);
    EXPECT_EQ(kFullTeardown, Teardown());
    EXPECT_EQ(0, TheJournal().alive);
}

TEST_F(ControlHostTest, DestroyWindowEndsTheControlInOrder) {
    ASSERT_TRUE(CreateTestControl());
    HWND hWnd = control->m_hWnd;
    EXPECT_TRUE(control->DestroyWindow());
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(control->m_hWnd, nullptr);
    EXPECT_EQ(1, control->postNcDestroys);
    EXPECT_EQ(kFullTeardown, Teardown());
    EXPECT_EQ(0, TheJournal().alive);

    // The object can host again.
    ASSERT_TRUE(CreateTestControl());
    EXPECT_NE(control->m_hWnd, nullptr);
}

TEST_F(ControlHostTest, ClassThatCannotBeCreatedLeavesNothing) {
    EXPECT_FALSE(control->CreateControl(test_control::kUnknownClsid, "x", WS_CHILD | WS_VISIBLE,
                                        kRect, &parent, kControlId));
    EXPECT_EQ(control->m_hWnd, nullptr);
    EXPECT_EQ(control->GetControlUnknown(), nullptr);
    EXPECT_EQ(FirstChild(parent.m_hWnd), nullptr);
    EXPECT_TRUE(TheJournal().calls.empty());
}

TEST_F(ControlHostTest, ControlThatFailsToActivateIsClosedAndReleased) {
    TheJournal().failDoVerb = true;
    EXPECT_FALSE(CreateTestControl());
    EXPECT_EQ(control->m_hWnd, nullptr);
    EXPECT_EQ(FirstChild(parent.m_hWnd), nullptr);
    std::vector<std::string> expected = {"SetClientSite(site)", "DoVerb", "Close",
                                         "SetClientSite(null)", "Release(last)"};
    EXPECT_EQ(expected, TheJournal().calls);
    EXPECT_EQ(0, TheJournal().alive);
}

TEST_F(ControlHostTest, NoParentNoControl) {
    CWnd orphan;
    EXPECT_FALSE(orphan.CreateControl(test_control::kClsid, "x", WS_CHILD, kRect, nullptr, 1));
    EXPECT_TRUE(TheJournal().calls.empty());
}

} // namespace
