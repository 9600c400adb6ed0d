// CDialog: a dialog bound to its template, run modally; data exchange with its controls.
#pragma once

#include "framework/Wnd.h"

// A modal dialog. DoModal returns the end code; callers read results from the object's
// fields afterwards. The object can be run again after it has ended.
class CDialog : public CWnd {
public:
    const CMessageMap* GetMessageMap() const override;

    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    UINT GetTemplateId() const { return m_templateId; }

    // Runs the dialog; -1 when its window could not be created.
    virtual INT_PTR DoModal();
    void EndDialog(int result);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    CWnd* m_pParentWnd;

protected:
    // Commands that no handler of the dialog takes go to the application object.
    BOOL OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);
    // Centres the dialog over its owner, or over the work area of the screen that holds the
    // cursor when it has none (or the owner is minimised or hidden), inside that work area.
    void CenterOverOwner();
    LRESULT HandleHelp(WPARAM wParam, LPARAM lParam);
    // The owner of a modal run: the parent given, else the application's main window's last
    // active pop-up (the modal dialog it is running, if any).
    HWND GetModalOwner() const;

    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
};

// The state of one data exchange between a window's controls and its members.
class CDataExchange {
public:
    CDataExchange(CWnd* dlgWnd, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dlgWnd) {}

    // The control with that id, remembered for Fail; null when the window has none.
    HWND PrepareCtrl(int id);
    // Ends a failed validation: focus back to the last prepared control, exchange aborted.
    [[noreturn]] void Fail();

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;

private:
    HWND m_lastControl = nullptr;
};

// Binds a control object to the dialog's control (subclassing it) unless already bound.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
// Moves text between a control and a string member.
void DDX_Text(CDataExchange* pDX, int id, CString& value);
