#include "framework/String.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstring>
#include <utility>

#include "framework/ResourceHandle.h"

namespace {

const char kWhiteSpace[] = " \t\r\n\v\f";

const char* NonNull(const char* text) {
    return text != nullptr ? text : "";
}

int ClampToRange(int value, int low, int high) {
    if (value < low) {
        return low;
    }
    return value > high ? high : value;
}

// Changes the case of ASCII letters, stepping over the trail bytes of double-byte characters
// so that a multi-byte code page keeps its characters intact.
void ChangeAsciiCase(std::string& text, bool toUpper) {
    for (size_t i = 0; i < text.size(); ++i) {
        char& ch = text[i];
        if (::IsDBCSLeadByte(static_cast<BYTE>(ch))) {
            ++i;
        } else if (toUpper && ch >= 'a' && ch <= 'z') {
            ch = static_cast<char>(ch - 'a' + 'A');
        } else if (!toUpper && ch >= 'A' && ch <= 'Z') {
            ch = static_cast<char>(ch - 'A' + 'a');
        }
    }
}

} // namespace

CString::CString(const char* text) : m_text(NonNull(text)) {}

CString::CString(const char* text, int length) {
    if (text != nullptr && length > 0) {
        m_text.assign(text, static_cast<size_t>(length));
    }
}

CString::CString(char ch, int repeat) {
    if (repeat > 0) {
        m_text.assign(static_cast<size_t>(repeat), ch);
    }
}

CString& CString::operator=(const char* text) {
    // The text may point into this string; assign copes with that.
    m_text.assign(NonNull(text));
    return *this;
}

CString& CString::operator=(char ch) {
    m_text.assign(1, ch);
    return *this;
}

char CString::GetAt(int index) const {
    assert(index >= 0 && index < GetLength() && "CString index out of range");
    if (index < 0 || index >= GetLength()) {
        return '\0';
    }
    return m_text[static_cast<size_t>(index)];
}

void CString::SetAt(int index, char ch) {
    assert(index >= 0 && index < GetLength() && "CString index out of range");
    if (index < 0 || index >= GetLength()) {
        return;
    }
    m_text[static_cast<size_t>(index)] = ch;
}

CString& CString::operator+=(const CString& text) {
    m_text += text.m_text;
    return *this;
}

CString& CString::operator+=(const char* text) {
    m_text.append(NonNull(text));
    return *this;
}

CString& CString::operator+=(char ch) {
    m_text += ch;
    return *this;
}

CString operator+(const CString& left, const CString& right) {
    CString result(left);
    result += right;
    return result;
}

CString operator+(const CString& left, const char* right) {
    CString result(left);
    result += right;
    return result;
}

CString operator+(const char* left, const CString& right) {
    CString result(left);
    result += right;
    return result;
}

CString operator+(const CString& left, char right) {
    CString result(left);
    result += right;
    return result;
}

CString operator+(char left, const CString& right) {
    CString result(left);
    result += right;
    return result;
}

int CString::Compare(const char* text) const {
    return std::strcmp(m_text.c_str(), NonNull(text));
}

int CString::CompareNoCase(const char* text) const {
    std::string mine(m_text);
    std::string theirs(NonNull(text));
    ChangeAsciiCase(mine, false);
    ChangeAsciiCase(theirs, false);
    return std::strcmp(mine.c_str(), theirs.c_str());
}

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

// Measures first, then writes into a fresh string, so an argument may be this string's text.
void CString::FormatV(const char* format, va_list args) {
    if (format == nullptr) {
        Empty();
        return;
    }
    va_list measure;
    va_copy(measure, args);
    int needed = __mingw_vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (needed < 0) {
        Empty();
        return;
    }
    std::string text(static_cast<size_t>(needed), '\0');
    // The terminating zero lands on text[needed], the string's own terminator.
    int written = __mingw_vsnprintf(&text[0], text.size() + 1, format, args);
    if (written != needed) {
        Empty();
        return;
    }
    m_text.swap(text);
}

void CString::FormatMessage(const char* format, ...) {
    if (format == nullptr) {
        Empty();
        return;
    }
    va_list args;
    va_start(args, format);
    char* message = nullptr;
    DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                    format, 0, 0, reinterpret_cast<LPSTR>(&message), 0, &args);
    va_end(args);
    if (length == 0 || message == nullptr) {
        Empty();
    } else {
        m_text.assign(message, length);
    }
    if (message != nullptr) {
        ::LocalFree(message);
    }
}

// Reads the counted UTF-16 entry in place (LoadStringW with no buffer), so any length fits.
BOOL CString::LoadString(UINT id) {
    Empty();
    const wchar_t* entry = nullptr;
    int wideLength = ::LoadStringW(AfxGetResourceHandle(), id, reinterpret_cast<LPWSTR>(&entry), 0);
    if (wideLength <= 0 || entry == nullptr) {
        return FALSE;
    }
    int length = ::WideCharToMultiByte(CP_ACP, 0, entry, wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return FALSE;
    }
    std::string text(static_cast<size_t>(length), '\0');
    if (::WideCharToMultiByte(CP_ACP, 0, entry, wideLength, &text[0], length, nullptr, nullptr) !=
        length) {
        return FALSE;
    }
    m_text.swap(text);
    return TRUE;
}

CString& CString::MakeLower() {
    ChangeAsciiCase(m_text, false);
    return *this;
}

CString& CString::MakeUpper() {
    ChangeAsciiCase(m_text, true);
    return *this;
}

CString& CString::MakeReverse() {
    m_text.assign(m_text.rbegin(), m_text.rend());
    return *this;
}

CString& CString::TrimLeft() {
    return TrimLeft(kWhiteSpace);
}

CString& CString::TrimRight() {
    return TrimRight(kWhiteSpace);
}

CString& CString::TrimLeft(char ch) {
    m_text.erase(0, m_text.find_first_not_of(ch));
    return *this;
}

CString& CString::TrimRight(char ch) {
    size_t last = m_text.find_last_not_of(ch);
    m_text.erase(last == std::string::npos ? 0 : last + 1);
    return *this;
}

CString& CString::TrimLeft(const char* set) {
    if (set == nullptr) {
        return *this;
    }
    std::string characters(set);
    m_text.erase(0, m_text.find_first_not_of(characters));
    return *this;
}

CString& CString::TrimRight(const char* set) {
    if (set == nullptr) {
        return *this;
    }
    std::string characters(set);
    size_t last = m_text.find_last_not_of(characters);
    m_text.erase(last == std::string::npos ? 0 : last + 1);
    return *this;
}

CString& CString::Trim() {
    TrimRight();
    return TrimLeft();
}

int CString::Find(char ch, int start) const {
    if (start < 0 || start >= GetLength()) {
        return -1;
    }
    size_t hit = m_text.find(ch, static_cast<size_t>(start));
    return hit == std::string::npos ? -1 : static_cast<int>(hit);
}

int CString::Find(const char* sub, int start) const {
    if (sub == nullptr || start < 0 || start > GetLength()) {
        return -1;
    }
    size_t hit = m_text.find(sub, static_cast<size_t>(start));
    return hit == std::string::npos ? -1 : static_cast<int>(hit);
}

int CString::ReverseFind(char ch) const {
    size_t hit = m_text.rfind(ch);
    return hit == std::string::npos ? -1 : static_cast<int>(hit);
}

int CString::FindOneOf(const char* set) const {
    if (set == nullptr || *set == '\0') {
        return -1;
    }
    size_t hit = m_text.find_first_of(set);
    return hit == std::string::npos ? -1 : static_cast<int>(hit);
}

CString CString::Left(int count) const {
    count = ClampToRange(count, 0, GetLength());
    return CString(m_text.data(), count);
}

CString CString::Mid(int first) const {
    first = ClampToRange(first, 0, GetLength());
    return CString(m_text.data() + first, GetLength() - first);
}

CString CString::Mid(int first, int count) const {
    first = ClampToRange(first, 0, GetLength());
    count = ClampToRange(count, 0, GetLength() - first);
    return CString(m_text.data() + first, count);
}

CString CString::Right(int count) const {
    count = ClampToRange(count, 0, GetLength());
    return CString(m_text.data() + GetLength() - count, count);
}

int CString::Replace(const char* oldText, const char* newText) {
    if (oldText == nullptr || *oldText == '\0') {
        return 0;
    }
    const std::string target(oldText);
    const std::string replacement(NonNull(newText));
    std::string result;
    int count = 0;
    size_t position = 0;
    for (size_t hit = m_text.find(target); hit != std::string::npos;
         hit = m_text.find(target, position)) {
        result.append(m_text, position, hit - position);
        result += replacement;
        position = hit + target.size();
        ++count;
    }
    if (count == 0) {
        return 0;
    }
    result.append(m_text, position, std::string::npos);
    m_text.swap(result);
    return count;
}

int CString::Replace(char oldChar, char newChar) {
    int count = 0;
    for (char& ch : m_text) {
        if (ch == oldChar) {
            ch = newChar;
            ++count;
        }
    }
    return count;
}

int CString::Remove(char ch) {
    size_t before = m_text.size();
    m_text.erase(std::remove(m_text.begin(), m_text.end(), ch), m_text.end());
    return static_cast<int>(before - m_text.size());
}

int CString::Insert(int index, char ch) {
    index = ClampToRange(index, 0, GetLength());
    m_text.insert(static_cast<size_t>(index), 1, ch);
    return GetLength();
}

int CString::Insert(int index, const char* text) {
    index = ClampToRange(index, 0, GetLength());
    const std::string insertion(NonNull(text));
    m_text.insert(static_cast<size_t>(index), insertion);
    return GetLength();
}

int CString::Delete(int index, int count) {
    index = ClampToRange(index, 0, GetLength());
    count = ClampToRange(count, 0, GetLength() - index);
    m_text.erase(static_cast<size_t>(index), static_cast<size_t>(count));
    return GetLength();
}

char* CString::GetBuffer(int minLength) {
    if (minLength > GetLength()) {
        m_text.resize(static_cast<size_t>(minLength), '\0');
    }
    return &m_text[0];
}

char* CString::GetBuffer() {
    return &m_text[0];
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength < 0) {
        newLength = static_cast<int>(std::strlen(m_text.c_str()));
    }
    assert(newLength <= GetLength() && "ReleaseBuffer past the buffer");
    m_text.resize(static_cast<size_t>(ClampToRange(newLength, 0, GetLength())));
}

char* CString::GetBufferSetLength(int length) {
    m_text.resize(static_cast<size_t>(length > 0 ? length : 0), '\0');
    return &m_text[0];
}

bool operator==(const CString& left, const CString& right) {
    return left.Compare(right) == 0;
}
bool operator==(const CString& left, const char* right) {
    return left.Compare(right) == 0;
}
bool operator==(const char* left, const CString& right) {
    return right.Compare(left) == 0;
}
bool operator!=(const CString& left, const CString& right) {
    return left.Compare(right) != 0;
}
bool operator!=(const CString& left, const char* right) {
    return left.Compare(right) != 0;
}
bool operator!=(const char* left, const CString& right) {
    return right.Compare(left) != 0;
}
bool operator<(const CString& left, const CString& right) {
    return left.Compare(right) < 0;
}
bool operator<(const CString& left, const char* right) {
    return left.Compare(right) < 0;
}
bool operator<(const char* left, const CString& right) {
    return right.Compare(left) > 0;
}
bool operator>(const CString& left, const CString& right) {
    return left.Compare(right) > 0;
}
bool operator>(const CString& left, const char* right) {
    return left.Compare(right) > 0;
}
bool operator>(const char* left, const CString& right) {
    return right.Compare(left) < 0;
}
bool operator<=(const CString& left, const CString& right) {
    return left.Compare(right) <= 0;
}
bool operator<=(const CString& left, const char* right) {
    return left.Compare(right) <= 0;
}
bool operator<=(const char* left, const CString& right) {
    return right.Compare(left) >= 0;
}
bool operator>=(const CString& left, const CString& right) {
    return left.Compare(right) >= 0;
}
bool operator>=(const CString& left, const char* right) {
    return left.Compare(right) >= 0;
}
bool operator>=(const char* left, const CString& right) {
    return right.Compare(left) <= 0;
}
