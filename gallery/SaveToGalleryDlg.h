// "Select gallery for saving": the prefix of the saved names and the gallery to save into. Save
// closes it only once the gallery folder exists and the user agreed to replace files of the
// same names. The main window keeps one for its whole life, so the prefix, the gallery and the
// folder of the last transfer are there again the next time.
#pragma once

#include "controls/AlbumList.h"
#include "framework/Dialog.h"
#include "framework/Edit.h"
#include "gallery/SaveTargetOwner.h"
#include "resource.h"

class CSaveToGalleryDlg : public CDialog {
public:
    const CMessageMap* GetMessageMap() const override {
        static const CMessageMap map(CDialog::GetMessageMap(), {
            MapCommand(IDC_SAVE_HELP, &CSaveToGalleryDlg::OnHelp),
            MapNotify(EN_CHANGE, IDC_PREFIX, &CSaveToGalleryDlg::OnChangePrefix),
            MapCommand(IDC_NEW_GALLERY, &CSaveToGalleryDlg::OnNew),
        });
        return &map;
    }

    CSaveToGalleryDlg();

    // Set before each run by the command that opens the dialog.
    void SetOwner(CSaveTargetOwner* owner) { m_pOwner = owner; }

    CString GetPrefix() const { return m_strPrefix; }
    CString GetSaveDirectory() const { return m_strDestDir; }
    CString GetSelectedGalleryName() const { return m_strGallery; }

    void OnChangePrefix();
    void OnHelp();
    // Creates a gallery: asks its name, makes its folder under the galleries root, lists it.
    void OnNew();

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;

private:
    // The name of the gallery selected in the list; empty when there is none or the list fails.
    CString SelectedGalleryName();
    // Puts the caret at the end of the prefix, so that the user can add to it.
    void PlaceCaretAtPrefixEnd();

    CString m_strPrefix;
    CSaveTargetOwner* m_pOwner = nullptr;
    CAlbumList m_galleryList;
    CEdit m_editPrefix;
    CString m_strGallery;
    CString m_strDestDir;
};
