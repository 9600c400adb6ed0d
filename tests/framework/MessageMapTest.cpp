// Message tables: dispatch to typed handlers, chaining to the base class, default
// processing exactly once, subclassing, and exceptions kept inside the window procedure.
#include <gtest/gtest.h>

#include "framework/Exception.h"
#include "framework/Wnd.h"

namespace {

class BaseWnd : public CWnd {
public:
    const CMessageMap* GetMessageMap() const override {
        static const CMessageMap map(CWnd::GetMessageMap(), {
            MapMessage(WM_APP + 1, &BaseWnd::OnFirst),
            MapMessage(WM_APP + 2, &BaseWnd::OnSum),
            MapCommand(100, &BaseWnd::OnCommand100),
        });
        return &map;
    }

    LRESULT OnFirst(WPARAM, LPARAM) {
        ++baseFirst;
        return 1;
    }
    LRESULT OnSum(WPARAM w, LPARAM l) { return static_cast<LRESULT>(w) + l; }
    void OnCommand100() { ++command100; }

    LRESULT DefWindowProc(UINT msg, WPARAM w, LPARAM l) override {
        if (msg >= WM_APP || msg == WM_COMMAND) {
            ++defaults;
        }
        return CWnd::DefWindowProc(msg, w, l);
    }

    int baseFirst = 0;
    int command100 = 0;
    int defaults = 0;
};

class CountingUserException : public CUserException {
public:
    CountingUserException() { ++alive; }
    ~CountingUserException() override { --alive; }
    static inline int alive = 0;
};

class DerivedWnd : public BaseWnd {
public:
    const CMessageMap* GetMessageMap() const override {
        static const CMessageMap map(BaseWnd::GetMessageMap(), {
            MapMessage(WM_APP + 1, &DerivedWnd::OnFirstAgain),
            MapMessage(WM_APP + 3, &DerivedWnd::OnPassOn),
            MapMessage(WM_APP + 4, &DerivedWnd::OnThrow),
            MapNotify(EN_CHANGE, 200, &DerivedWnd::OnEditChange),
            MapCommandRange(300, 309, &DerivedWnd::OnRange),
            MapTimer(&DerivedWnd::OnTimer),
        });
        return &map;
    }

    LRESULT OnFirstAgain(WPARAM, LPARAM) { return 11; }
    LRESULT OnPassOn(WPARAM, LPARAM) { return Default() + 1000; }
    LRESULT OnThrow(WPARAM, LPARAM) { throw new CountingUserException; }
    void OnEditChange() { ++editChanges; }
    void OnRange(UINT id) { lastRangeId = id; }
    void OnTimer(UINT_PTR id) {
        lastTimer = id;
        KillTimer(id);
    }

    int editChanges = 0;
    UINT lastRangeId = 0;
    UINT_PTR lastTimer = 0;
};

class MessageMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(wnd.CreateEx(0, nullptr, "message map", WS_OVERLAPPEDWINDOW,
                                 CRect(0, 0, 200, 100), nullptr, 0))
            << "no window: is there a display?";
    }
    LRESULT Send(UINT msg, WPARAM w = 0, LPARAM l = 0) { return ::SendMessageA(wnd, msg, w, l); }

    DerivedWnd wnd;
};

TEST_F(MessageMapTest, DerivedEntryHidesTheBaseEntryForTheSameMessage) {
    EXPECT_EQ(Send(WM_APP + 1), 11);
    EXPECT_EQ(wnd.baseFirst, 0);
    EXPECT_EQ(wnd.defaults, 0);
}

TEST_F(MessageMapTest, MessagesTheDerivedTableLacksReachTheBaseTable) {
    EXPECT_EQ(Send(WM_APP + 2, 40, 2), 42);
    EXPECT_EQ(wnd.defaults, 0);
}

TEST_F(MessageMapTest, UnlistedMessageGetsDefaultProcessingExactlyOnce) {
    Send(WM_APP + 5);
    EXPECT_EQ(wnd.defaults, 1);
}

TEST_F(MessageMapTest, HandlerAskingForDefaultGetsItOnce) {
    EXPECT_EQ(Send(WM_APP + 3), 1000);
    EXPECT_EQ(wnd.defaults, 1);
}

TEST_F(MessageMapTest, MenuAcceleratorAndButtonCommandsReachTheCommandHandler) {
    Send(WM_COMMAND, MAKEWPARAM(100, 0), 0);             // menu
    Send(WM_COMMAND, MAKEWPARAM(100, 1), 0);             // accelerator
    Send(WM_COMMAND, MAKEWPARAM(100, BN_CLICKED), reinterpret_cast<LPARAM>(wnd.m_hWnd));
    EXPECT_EQ(wnd.command100, 3);
    EXPECT_EQ(wnd.defaults, 0);
}

TEST_F(MessageMapTest, ControlNotificationsMatchOnIdAndCode) {
    LPARAM control = reinterpret_cast<LPARAM>(wnd.m_hWnd);
    Send(WM_COMMAND, MAKEWPARAM(200, EN_CHANGE), control);
    Send(WM_COMMAND, MAKEWPARAM(200, EN_SETFOCUS), control);  // other code: not this entry
    Send(WM_COMMAND, MAKEWPARAM(201, EN_CHANGE), control);    // other control
    Send(WM_COMMAND, MAKEWPARAM(100, EN_CHANGE), control);    // a notification is no command
    EXPECT_EQ(wnd.editChanges, 1);
    EXPECT_EQ(wnd.command100, 0);
    EXPECT_EQ(wnd.defaults, 3);
}

TEST_F(MessageMapTest, CommandRangeHandlerLearnsWhichId) {
    Send(WM_COMMAND, MAKEWPARAM(305, 0), 0);
    EXPECT_EQ(wnd.lastRangeId, 305u);
    Send(WM_COMMAND, MAKEWPARAM(310, 0), 0);
    EXPECT_EQ(wnd.lastRangeId, 305u);
}

TEST_F(MessageMapTest, TimerMessagesCarryTheTimerId) {
    ASSERT_NE(wnd.SetTimer(7, 10), 0u);
    DWORD start = ::GetTickCount();
    MSG msg;
    while (wnd.lastTimer == 0 && ::GetTickCount() - start < 5000) {
        if (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::DispatchMessageA(&msg);
        } else {
            ::Sleep(5);
        }
    }
    EXPECT_EQ(wnd.lastTimer, 7u);
}

TEST_F(MessageMapTest, ExceptionFromAHandlerStaysInsideTheWindowProcedure) {
    EXPECT_EQ(Send(WM_APP + 4), 0);
    EXPECT_EQ(CountingUserException::alive, 0) << "the exception object was not deleted";
    EXPECT_EQ(Send(WM_APP + 1), 11) << "the window must keep working";
}

TEST_F(MessageMapTest, DestroyingTheWindowUnbindsTheObject) {
    HWND hWnd = wnd.m_hWnd;
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), &wnd);
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_FALSE(::IsWindow(hWnd));
}

// A subclassed system control: listed messages go to the table, the rest to the control.
class SubclassedButton : public CWnd {
public:
    const CMessageMap* GetMessageMap() const override {
        static const CMessageMap map(CWnd::GetMessageMap(), {
            MapMessage(WM_APP + 7, &SubclassedButton::OnProbe),
        });
        return &map;
    }
    LRESULT OnProbe(WPARAM, LPARAM) { return 77; }
};

TEST_F(MessageMapTest, SubclassedControlKeepsItsOwnBehaviourForUnlistedMessages) {
    HWND button = ::CreateWindowExA(0, "BUTTON", "Press", WS_CHILD | BS_PUSHBUTTON, 0, 0, 50, 20,
                                    wnd.m_hWnd, reinterpret_cast<HMENU>(42), nullptr, nullptr);
    ASSERT_NE(button, nullptr);
    LONG_PTR original = ::GetWindowLongPtrA(button, GWLP_WNDPROC);

    SubclassedButton object;
    ASSERT_TRUE(object.SubclassWindow(button));
    EXPECT_EQ(::SendMessageA(button, WM_APP + 7, 0, 0), 77);
    char text[32] = "";
    ::GetWindowTextA(button, text, sizeof(text));
    EXPECT_STREQ(text, "Press");
    EXPECT_EQ(wnd.GetDlgItem(42), &object);
    EXPECT_FALSE(SubclassedButton().SubclassWindow(button)) << "one object per window";

    EXPECT_EQ(object.UnsubclassWindow(), button);
    EXPECT_EQ(::GetWindowLongPtrA(button, GWLP_WNDPROC), original);
    EXPECT_EQ(object.m_hWnd, nullptr);
}

TEST_F(MessageMapTest, SubclassedChildIsUnboundWhenItsParentIsDestroyed) {
    HWND button = ::CreateWindowExA(0, "BUTTON", "", WS_CHILD, 0, 0, 10, 10, wnd.m_hWnd,
                                    reinterpret_cast<HMENU>(43), nullptr, nullptr);
    SubclassedButton object;
    ASSERT_TRUE(object.SubclassWindow(button));
    wnd.DestroyWindow();
    EXPECT_EQ(object.m_hWnd, nullptr);
}

TEST_F(MessageMapTest, ForeignChildGetsOneBorrowingObject) {
    HWND edit = ::CreateWindowExA(0, "EDIT", "borrowed", WS_CHILD, 0, 0, 10, 10, wnd.m_hWnd,
                                  reinterpret_cast<HMENU>(44), nullptr, nullptr);
    CWnd* first = wnd.GetDlgItem(44);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->m_hWnd, edit);
    EXPECT_EQ(wnd.GetDlgItem(44), first);
    EXPECT_EQ(CWnd::FromHandlePermanent(edit), nullptr);
    EXPECT_EQ(wnd.GetDlgItem(45), nullptr);
    CString text;
    first->GetWindowText(text);
    EXPECT_STREQ(text, "borrowed");
}

} // namespace

namespace {

// Painting the parent must leave the children's own repainting to them.
TEST(WindowPainting, ParentPaintDoesNotValidateItsChildren) {
    DerivedWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "paint", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                CRect(0, 0, 200, 100), nullptr, 0));
    HWND child = ::CreateWindowExA(0, "STATIC", "child", WS_CHILD | WS_VISIBLE, 10, 10, 80, 20,
                                   parent.m_hWnd, nullptr, nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    ::UpdateWindow(child);
    ::RedrawWindow(parent.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    ::SendMessageA(parent.m_hWnd, WM_PAINT, 0, 0);
    EXPECT_TRUE(::GetUpdateRect(child, nullptr, FALSE)) << "the child lost its pending paint";
}

} // namespace
