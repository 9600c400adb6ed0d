// What the save-to-gallery dialog needs of the window that runs it (the main window): whether
// the running transfer would overwrite files, and the title its questions carry.
#pragma once

#include "framework/String.h"

class CSaveTargetOwner {
public:
    // Whether any file that the running transfer would write into `directory` exists already.
    virtual BOOL AnyTargetExists(const CString& directory) = 0;
    // The caption of the owner's message boxes.
    virtual const CString& GetWindowTitle() const = 0;

protected:
    ~CSaveTargetOwner() = default;
};
