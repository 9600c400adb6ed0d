// CString: a growable ANSI string with value semantics.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <string>

// Text is held as bytes of the ANSI code page; case changes touch ASCII letters only.
// Index arguments out of range are programming errors: they assert in debug builds and are
// clamped or ignored otherwise, so no call reads or writes outside the text.
class CString {
public:
    CString() = default;
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString(const char* text);
    CString(const char* text, int length);
    CString(char ch, int repeat = 1);
    ~CString() = default;

    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(const char* text);
    CString& operator=(char ch);

    // Never null: an empty string gives "".
    operator LPCSTR() const { return m_text.c_str(); }
    const char* GetString() const { return m_text.c_str(); }

    int GetLength() const { return static_cast<int>(m_text.size()); }
    BOOL IsEmpty() const { return m_text.empty() ? TRUE : FALSE; }
    void Empty() { m_text.clear(); }

    char GetAt(int index) const;
    void SetAt(int index, char ch);
    char operator[](int index) const { return GetAt(index); }

    CString& operator+=(const CString& text);
    CString& operator+=(const char* text);
    CString& operator+=(char ch);

    friend CString operator+(const CString& left, const CString& right);
    friend CString operator+(const CString& left, const char* right);
    friend CString operator+(const char* left, const CString& right);
    friend CString operator+(const CString& left, char right);
    friend CString operator+(char left, const CString& right);

    // Byte-wise like strcmp; a null text compares as "".
    int Compare(const char* text) const;
    // Ignores the case of ASCII letters.
    int CompareNoCase(const char* text) const;

    // printf formatting into a string of any length; on a format error the string is empty.
    void Format(const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
    void FormatV(const char* format, va_list args);
    // Inserts like "%1!s!" and "%2!d!" as FormatMessage understands them.
    void FormatMessage(const char* format, ...);
    // Reads a string table entry of the resource module; FALSE and empty when it has none.
    BOOL LoadString(UINT id);

    CString& MakeLower();
    CString& MakeUpper();
    CString& MakeReverse();

    // Without an argument these remove white space: space, \t, \r, \n, \v and \f.
    CString& TrimLeft();
    CString& TrimRight();
    CString& TrimLeft(char ch);
    CString& TrimRight(char ch);
    CString& TrimLeft(const char* set);
    CString& TrimRight(const char* set);
    CString& Trim();

    // Searches return the index found, or -1 (also for a start outside the string).
    int Find(char ch, int start = 0) const;
    int Find(const char* sub, int start = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(const char* set) const;

    CString Left(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Right(int count) const;

    // Editing; each returns the count replaced or removed, or the new length.
    int Replace(const char* oldText, const char* newText);
    int Replace(char oldChar, char newChar);
    int Remove(char ch);
    int Insert(int index, char ch);
    int Insert(int index, const char* text);
    int Delete(int index, int count = 1);

    // A writable buffer of at least minLength + 1 bytes holding the current text; the length
    // is settled by ReleaseBuffer before the string is used again.
    char* GetBuffer(int minLength);
    char* GetBuffer();
    // newLength -1 takes the text up to the first zero byte of the buffer.
    void ReleaseBuffer(int newLength = -1);
    char* GetBufferSetLength(int length);

private:
    std::string m_text;
};

bool operator==(const CString& left, const CString& right);
bool operator==(const CString& left, const char* right);
bool operator==(const char* left, const CString& right);
bool operator!=(const CString& left, const CString& right);
bool operator!=(const CString& left, const char* right);
bool operator!=(const char* left, const CString& right);
bool operator<(const CString& left, const CString& right);
bool operator<(const CString& left, const char* right);
bool operator<(const char* left, const CString& right);
bool operator>(const CString& left, const CString& right);
bool operator>(const CString& left, const char* right);
bool operator>(const char* left, const CString& right);
bool operator<=(const CString& left, const CString& right);
bool operator<=(const CString& left, const char* right);
bool operator<=(const char* left, const CString& right);
bool operator>=(const CString& left, const CString& right);
bool operator>=(const CString& left, const char* right);
bool operator>=(const char* left, const CString& right);
