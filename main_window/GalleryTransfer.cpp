#include "main_window/GalleryTransfer.h"

#include "framework/Exception.h"
#include "storage/SafeFileCopy.h"

namespace {

// A name typed with a separator or a wildcard would land outside the gallery folder (or
// nowhere): such a transfer is refused as a whole.
bool IsPlainFileName(const CString& name) {
    return !name.IsEmpty() && name.FindOneOf("\\/:*?\"<>|") < 0;
}

}  // namespace

BOOL CGalleryTransfer::Save(const std::vector<CSavedFile>& files) {
    ULONGLONG bytes = 0;
    for (const CSavedFile& file : files) {
        if (!IsPlainFileName(file.name)) {
            return FALSE;
        }
        ULONGLONG size = 0;
        if (CSafeFileCopy::FileSize(file.source, &size)) {
            bytes += size;  // an unreadable source fails at its copy
        }
    }
    if (!CSafeFileCopy::Fits(m_strDirectory, bytes)) {
        return FALSE;
    }
    for (const CSavedFile& file : files) {
        const CString target = m_strDirectory + file.name;
        if (target.GetLength() >= MAX_PATH || !CSafeFileCopy::Copy(file.source, target) ||
            !Announce(target)) {
            return FALSE;
        }
    }
    return TRUE;
}

BOOL CGalleryTransfer::Announce(const CString& target) {
    if (m_pShell != nullptr) {
        return NotifyShell(m_pShell, m_strGallery, target);
    }
    if (m_pAlbumList == nullptr) {
        return TRUE;
    }
    // The list's answer is not a verdict on the saved file, which is in the gallery already.
    try {
        m_pAlbumList->AddFileToGallery(m_strGallery, target);
        m_pAlbumList->Refresh();
    } catch (CException* e) {
        e->Delete();
    }
    return TRUE;
}

BOOL CGalleryTransfer::NotifyShell(IExGalleryInterface* shell, CString gallery,
                                   const CString& file) {
    if (shell == nullptr) {
        return FALSE;
    }
    try {
        if (gallery.IsEmpty()) {
            gallery = shell->GetCurrentGallery();
        }
        shell->OpenGallery(gallery, 1);
        return shell->AddFile(gallery, 1, file, TRUE) != 0 ? TRUE : FALSE;
    } catch (CException* e) {
        e->Delete();
        return FALSE;
    }
}
