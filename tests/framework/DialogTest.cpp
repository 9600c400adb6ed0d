// Modal dialogs driven from a second thread: end codes, data exchange, command routing.
#include <gtest/gtest.h>

#include "framework/Dialog.h"
#include "framework/Edit.h"
#include "framework/WinApp.h"
#include "resource.h"
#include "tests/support/UiDriver.h"

namespace {

const DWORD kTimeout = 10000;
const char kTitle[] = "Create New Gallery";  // the caption of the template used here

class TestApp : public CWinApp {
public:
    const CMessageMap* GetMessageMap() const override {
        static const CMessageMap map(CWinApp::GetMessageMap(), {
            MapCommand(ID_HELP, &TestApp::OnHelp),
        });
        return &map;
    }
    void OnHelp() { ++helpCommands; }
    int helpCommands = 0;
};

class NameDialog : public CDialog {
public:
    const CMessageMap* GetMessageMap() const override {
        static const CMessageMap map(CDialog::GetMessageMap(), {
            MapMessage(WM_APP, &NameDialog::OnEndWith),
            MapTimer(&NameDialog::OnTimer),
        });
        return &map;
    }

    explicit NameDialog(UINT templateId = IDD_NEW_GALLERY, CWnd* parent = nullptr)
        : CDialog(templateId, parent) {}

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        ++initCount;
        owner = ::GetWindow(m_hWnd, GW_OWNER);
        editBoundDuringRun = CWnd::FromHandlePermanent(::GetDlgItem(m_hWnd, IDC_GALLERY_NAME)) == &m_edit;
        if (timerEnd != 0) {
            SetTimer(3, 20);
        }
        return TRUE;
    }
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_GALLERY_NAME, m_edit);
        DDX_Text(pDX, IDC_GALLERY_NAME, m_strName);
    }
    void OnOK() override {
        ++okPresses;
        if (refuseOk) {
            refuseOk = false;  // refuses once, like a failed validation
            return;
        }
        CDialog::OnOK();
    }
    LRESULT OnEndWith(WPARAM code, LPARAM) {
        EndDialog(static_cast<int>(code));
        return 0;
    }
    void OnTimer(UINT_PTR id) {
        KillTimer(id);
        EndDialog(timerEnd);
    }

    CEdit m_edit;
    CString m_strName;
    bool refuseOk = false;
    int timerEnd = 0;
    int initCount = 0;
    int okPresses = 0;
    HWND owner = nullptr;
    bool editBoundDuringRun = false;
};

class DialogTest : public ::testing::Test {
protected:
    // Runs the dialog modally while `script` drives it from a second thread.
    INT_PTR RunModal(CDialog& dialog, std::function<void(HWND)> script) {
        bool fired = false;
        INT_PTR result =
            ui::RunDriven([&] { return dialog.DoModal(); }, kTitle, script, kTimeout, &fired);
        EXPECT_FALSE(fired) << "the dialog did not end in time";
        return result;
    }

    TestApp app;
};

TEST_F(DialogTest, EndCodesFollowTheButtonOrMessageThatEndedTheRun) {
    struct Case {
        const char* name;
        std::function<void(HWND)> script;
        INT_PTR expected;
    };
    const Case cases[] = {
        {"OK button", [](HWND d) { ui::PressButton(d, IDOK); }, IDOK},
        {"Cancel button", [](HWND d) { ui::PressButton(d, IDCANCEL); }, IDCANCEL},
        {"close box", [](HWND d) { ::PostMessageA(d, WM_CLOSE, 0, 0); }, IDCANCEL},
        {"Escape key",
         [](HWND d) {
             ::PostMessageA(::GetDlgItem(d, IDC_GALLERY_NAME), WM_KEYDOWN, VK_ESCAPE, 0);
         },
         IDCANCEL},
        {"EndDialog from a handler", [](HWND d) { ::PostMessageA(d, WM_APP, 42, 0); }, 42},
    };
    for (const Case& c : cases) {
        NameDialog dialog;
        EXPECT_EQ(RunModal(dialog, c.script), c.expected) << c.name;
        EXPECT_EQ(dialog.m_hWnd, nullptr) << c.name << ": object still bound after the run";
    }
}

TEST_F(DialogTest, TimerMessagesReachTheDialogInsideItsModalLoop) {
    NameDialog dialog;
    dialog.timerEnd = 7;
    EXPECT_EQ(RunModal(dialog, [](HWND) {}), 7);
}

TEST_F(DialogTest, MissingTemplateFailsAtOnce) {
    NameDialog dialog(9999);
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_EQ(dialog.initCount, 0);
}

TEST_F(DialogTest, RefusedOkKeepsTheDialogOpen) {
    NameDialog dialog;
    dialog.refuseOk = true;
    INT_PTR result = RunModal(dialog, [](HWND d) {
        ui::PressButton(d, IDOK);
        ui::PressButton(d, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dialog.okPresses, 1);
}

TEST_F(DialogTest, TextTravelsIntoTheControlAndBackOnOk) {
    NameDialog dialog;
    dialog.m_strName = "Party";
    std::string shown;
    INT_PTR result = RunModal(dialog, [&](HWND d) {
        HWND edit = ::GetDlgItem(d, IDC_GALLERY_NAME);
        shown = ui::WindowText(edit);
        ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Holiday 2026"));
        ui::PressButton(d, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(shown, "Party");
    EXPECT_STREQ(dialog.m_strName, "Holiday 2026");
    EXPECT_TRUE(dialog.editBoundDuringRun) << "DDX_Control must subclass the control";
    EXPECT_EQ(dialog.m_edit.m_hWnd, nullptr) << "the control object must be free for the next run";
}

TEST_F(DialogTest, CancelLeavesTheMemberAsItWas) {
    NameDialog dialog;
    dialog.m_strName = "Party";
    RunModal(dialog, [](HWND d) {
        ::SendMessageA(::GetDlgItem(d, IDC_GALLERY_NAME), WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>("changed"));
        ui::PressButton(d, IDCANCEL);
    });
    EXPECT_STREQ(dialog.m_strName, "Party");
}

TEST_F(DialogTest, TheSameObjectRunsAgainAfterItEnded) {
    NameDialog dialog;
    dialog.m_strName = "first";
    EXPECT_EQ(RunModal(dialog, [](HWND d) { ui::PressButton(d, IDOK); }), IDOK);
    std::string shown;
    EXPECT_EQ(RunModal(dialog,
                       [&](HWND d) {
                           shown = ui::WindowText(::GetDlgItem(d, IDC_GALLERY_NAME));
                           ui::PressButton(d, IDOK);
                       }),
              IDOK);
    EXPECT_EQ(dialog.initCount, 2);
    EXPECT_EQ(shown, "first");
}

TEST_F(DialogTest, OwnerIsTheParentOrElseTheMainWindow) {
    CWnd mainWnd;
    ASSERT_TRUE(mainWnd.CreateEx(0, nullptr, "main", WS_OVERLAPPEDWINDOW, CRect(0, 0, 100, 100),
                                 nullptr, 0));
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_OVERLAPPEDWINDOW, CRect(0, 0, 100, 100),
                                nullptr, 0));
    app.m_pMainWnd = &mainWnd;

    NameDialog owned(IDD_NEW_GALLERY, &parent);
    RunModal(owned, [](HWND d) { ui::PressButton(d, IDCANCEL); });
    EXPECT_EQ(owned.owner, parent.m_hWnd);

    NameDialog unowned;
    RunModal(unowned, [](HWND d) { ui::PressButton(d, IDCANCEL); });
    EXPECT_EQ(unowned.owner, mainWnd.m_hWnd);
    app.m_pMainWnd = nullptr;
}

TEST_F(DialogTest, HelpCommandTheDialogDoesNotTakeGoesToTheApplication) {
    NameDialog dialog;
    RunModal(dialog, [](HWND d) {
        HELPINFO info = {sizeof(info)};
        info.iContextType = HELPINFO_WINDOW;
        ::SendMessageA(d, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));  // what F1 sends
        ::SendMessageA(d, WM_COMMAND, ID_HELP, 0);
        ui::PressButton(d, IDCANCEL);
    });
    EXPECT_EQ(app.helpCommands, 2);
}

} // namespace

namespace {

// Places itself in its initialisation: moved to (x, y), or only resized to w x h.
class PlacingDialog : public NameDialog {
public:
    PlacingDialog(CWnd* parent, int x, int y, int w, int h)
        : NameDialog(IDD_NEW_GALLERY, parent), m_x(x), m_y(y), m_w(w), m_h(h) {}
    BOOL OnInitDialog() override {
        NameDialog::OnInitDialog();
        if (m_w > 0) {
            SetWindowPos(nullptr, 0, 0, m_w, m_h, SWP_NOMOVE | SWP_NOZORDER);
        } else {
            SetWindowPos(nullptr, m_x, m_y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        }
        return TRUE;
    }

private:
    int m_x, m_y, m_w, m_h;
};

RECT WorkArea() {
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

POINT Centre(const RECT& r) {
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

}  // namespace

TEST_F(DialogTest, ADialogOpensCentredOverItsOwnerAndInsideTheWorkArea) {
    const RECT work = WorkArea();
    struct Case {
        RECT owner;
        bool inside;  // far enough from the edges for the centres to meet
    };
    const Case cases[] = {
        {{100, 80, 500, 380}, true},
        {{300, 200, 900, 700}, true},
        {{work.right - 120, work.bottom - 90, work.right + 200, work.bottom + 150}, false},
    };
    for (const Case& c : cases) {
        CWnd owner;
        ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                   CRect(c.owner.left, c.owner.top, c.owner.right, c.owner.bottom),
                                   nullptr, 0));
        RECT placed{};
        NameDialog dialog(IDD_NEW_GALLERY, &owner);
        RunModal(dialog, [&](HWND d) {
            ::GetWindowRect(d, &placed);
            ui::PressButton(d, IDCANCEL);
        });
        RECT ownerRect;
        ::GetWindowRect(owner.m_hWnd, &ownerRect);
        if (c.inside) {
            EXPECT_NEAR(Centre(ownerRect).x, Centre(placed).x, 1);
            EXPECT_NEAR(Centre(ownerRect).y, Centre(placed).y, 1);
        }
        EXPECT_GE(placed.left, work.left);
        EXPECT_GE(placed.top, work.top);
        EXPECT_LE(placed.right, work.right) << "kept inside the work area";
        EXPECT_LE(placed.bottom, work.bottom);
        owner.DestroyWindow();
    }

    NameDialog alone;
    RECT placed{};
    RunModal(alone, [&](HWND d) {
        ::GetWindowRect(d, &placed);
        ui::PressButton(d, IDCANCEL);
    });
    EXPECT_NEAR(Centre(work).x, Centre(placed).x, 1) << "without an owner: the work area's centre";
    EXPECT_NEAR(Centre(work).y, Centre(placed).y, 1);
}

TEST_F(DialogTest, ADialogThatPlacesItselfStaysThereOrIsCentredWithItsNewSize) {
    const RECT work = WorkArea();
    PlacingDialog moved(nullptr, 17, 23, 0, 0);
    RECT placed{};
    RunModal(moved, [&](HWND d) {
        ::GetWindowRect(d, &placed);
        ui::PressButton(d, IDCANCEL);
    });
    EXPECT_EQ(17, placed.left);
    EXPECT_EQ(23, placed.top);

    PlacingDialog resized(nullptr, 0, 0, 420, 260);
    RunModal(resized, [&](HWND d) {
        ::GetWindowRect(d, &placed);
        ui::PressButton(d, IDCANCEL);
    });
    EXPECT_EQ(420, placed.right - placed.left);
    EXPECT_NEAR(Centre(work).x, Centre(placed).x, 1);
    EXPECT_NEAR(Centre(work).y, Centre(placed).y, 1);
}
