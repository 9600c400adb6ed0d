// Saves camera files into a gallery folder under their numbered names and announces each one:
// to the shell program when it runs, else to the album list. The first failure stops it; what
// was saved before stays.
#pragma once

#include <vector>

#include "controls/AlbumList.h"
#include "framework/String.h"
#include "main_window/ExGalleryInterface.h"

// One file to save: where it is, and the name it is saved under (without the folder).
struct CSavedFile {
    CString source;
    CString name;
};

class CGalleryTransfer {
public:
    // `directory` ends in a backslash.
    explicit CGalleryTransfer(const CString& directory) : m_strDirectory(directory) {}

    // Announces to the shell program's object, in `gallery` (empty: the shell's own).
    void AnnounceToShell(IExGalleryInterface* shell, const CString& gallery) {
        m_pShell = shell;
        m_strGallery = gallery;
    }
    // Announces to the album list, if there is one.
    void AnnounceToAlbumList(CAlbumList* list, const CString& gallery) {
        m_pAlbumList = list;
        m_strGallery = gallery;
    }

    // TRUE when every file was saved and announced. Nothing is copied when the files cannot
    // all fit on the gallery's disk or a name would leave the gallery folder.
    BOOL Save(const std::vector<CSavedFile>& files);

    // Tells the shell program of one saved file; FALSE when it refused it or the call failed.
    static BOOL NotifyShell(IExGalleryInterface* shell, CString gallery, const CString& file);

private:
    BOOL Announce(const CString& target);

    CString m_strDirectory;
    CString m_strGallery;
    IExGalleryInterface* m_pShell = nullptr;
    CAlbumList* m_pAlbumList = nullptr;
};
