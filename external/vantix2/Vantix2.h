// The maker's utility library Vantix2.dll as a program sees it: registry access over two
// roots, a directory check, and fonts described by string-table entries. A program builds
// each object on its own stack, uses it at once and lets it go.
//
// CString travels by value through these members. That is safe with this toolchain: the
// library and the program compile the same framework/String.h with the same compiler, so
// the object layout (one libstdc++ std::string, C++11 ABI) is identical on both sides, and
// although each side links its own static copy of libstdc++, operator new and delete of
// both end in malloc and free of the one msvcrt.dll the process shares. A string allocated
// in the library may therefore be freed in the program and the other way round. Building
// either side against another C runtime (UCRT on one side only) or another compiler would
// break this.
#pragma once

#include <windows.h>

#include "framework/String.h"

#ifdef VANTIX2_BUILD
#define VANTIX2_API __declspec(dllexport)
#else
#define VANTIX2_API __declspec(dllimport)
#endif

// Reads and writes string values under two registry roots. A path names a key and a value
// in one string: the part after the last backslash is the value name, the part before it
// the key ("SOFTWARE\\Vendor\\Product\\Setting" is value "Setting" of key
// "SOFTWARE\\Vendor\\Product"). Reads try the first root, then the second; writes go to the
// first root.
class VANTIX2_API CRegistryIO {
public:
    CRegistryIO(HKEY first, HKEY second);
    virtual ~CRegistryIO();
    CRegistryIO(const CRegistryIO&) = delete;
    CRegistryIO& operator=(const CRegistryIO&) = delete;

    // The stored string (REG_SZ or REG_EXPAND_SZ, not expanded, of any length), or
    // defaultValue when neither root holds a string value at the path.
    CString GetRegString(CString path, CString defaultValue);
    // Nonzero when either root stores a value at the path; *type (if given) receives its
    // registry type (REG_SZ, REG_DWORD, ...). 0 when nothing is stored.
    int KeyExists(CString path, unsigned long* type);
    // Stores value as REG_SZ under the first root, creating the key; returns the Win32 code.
    long SetRegString(CString path, CString value);

private:
    HKEY m_first;
    HKEY m_second;
};

// Judges whether a directory can take temporary files.
class VANTIX2_API CPathName {
public:
    // A null path gives an empty path object.
    explicit CPathName(const char* path);
    virtual ~CPathName();
    CPathName(const CPathName&) = delete;
    CPathName& operator=(const CPathName&) = delete;

    // The directory to judge, with or without a trailing backslash; null clears it.
    virtual void SetDirPath(const char* directory);
    // Nonzero only when the directory exists, is a directory, and a new file can be created
    // in it (a uniquely named probe file is created and removed again). An empty path or one
    // too long to hold a file name gives 0.
    int IsLegalDirectory();

private:
    CString m_directory;
};

// A font described by an entry of the calling program's string table, such as
// "FONT_FACENAME=Arial;FONT_FIXED_POINT=10;FONT_WEIGHT=700": key=value pairs separated by
// semicolons, keys in any case, blanks around keys and values ignored. FONT_ITALIC=1,
// FONT_UNDERLINE=1 and FONT_STRIKEOUT=1 are understood as well; other keys are ignored.
class VANTIX2_API CFontParse {
public:
    // stringId names an entry of the program's own string table (the executable's module).
    explicit CFontParse(UINT stringId);
    virtual ~CFontParse();
    CFontParse(const CFontParse&) = delete;
    CFontParse& operator=(const CFontParse&) = delete;

    // Fills every field of *font: the height for the screen's vertical resolution, the weight
    // (FW_NORMAL when not given), the face name (cut to fit LF_FACESIZE), and default
    // character set, precision, quality and pitch. *text (if given) receives the entry as
    // stored; *reserved and *reserved2 (if given) are set to 0. Returns nonzero when the entry
    // exists, gives a face name and a point size, and every item it gives is valid; otherwise
    // *font describes MS Sans Serif, 8 points, FW_NORMAL, and it returns 0. A null font
    // gives 0.
    int GetStringAndInfo(CString* text, LOGFONTA* font, unsigned long* reserved, int* reserved2);

private:
    UINT m_stringId;
};
