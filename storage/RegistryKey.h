// CRegistryKey: reads string values of one key, opening (and creating) the key for each read.
#pragma once

#include <windows.h>

#include "framework/String.h"

class CRegistryKey {
public:
    CRegistryKey(HKEY root, LPCSTR subKey);
    virtual ~CRegistryKey();

    // Opens the key with full access, creating it when missing; an empty subkey opens the root.
    // Returns the Win32 code; on success the caller closes *phKey.
    LONG OpenKey(HKEY* phKey);
    // Reads a value of up to 512 bytes into *value (empty when the read fails) and returns the
    // Win32 code; when the key cannot be opened, returns that code and leaves *value alone.
    LONG QueryString(LPCSTR valueName, CString* value);

protected:
    HKEY m_hRoot;
    CString m_strSubKey;
};
