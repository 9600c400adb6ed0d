// The main window: camera status, contents and the commands on them.
#pragma once

#include "framework/Dialog.h"
#include "framework/Static.h"
#include "resource.h"

class CCameraManagerDlg : public CDialog {
public:
    const CMessageMap* GetMessageMap() const override {
        static const CMessageMap map(CDialog::GetMessageMap(), {
            MapCommand(ID_HELP_SECOND_WINDOW, &CCameraManagerDlg::OnHelpSecondWindow),
            MapCommand(IDC_MAIN_HELP, &CCameraManagerDlg::OnHelpButton),
            MapQueryDragIcon(&CCameraManagerDlg::OnQueryDragIcon),
        });
        return &map;
    }

    explicit CCameraManagerDlg(CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    // Writes "<value> <label>" into a status field; labels are string-table ids.
    void SetStatusField(int value, UINT labelId, CWnd* field);
    // TRUE: the message line replaces the three counts; FALSE: the counts are shown.
    void ShowStatusMessage(BOOL show);
    // A message box from the string table, captioned with the window title.
    int ShowMessageBox(UINT stringId, UINT style);

    const CString& GetWindowTitle() const { return m_strTitle; }

protected:
    void OnHelpSecondWindow();
    void OnHelpButton();
    HCURSOR OnQueryDragIcon();

private:
    CStatic m_memoryField;
    CStatic m_snapshotsField;
    CStatic m_videosField;
    HICON m_hIcon;
    CString m_strTitle;
};
