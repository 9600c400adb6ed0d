#include "external/vantix2/Vantix2.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

const char kFallbackFace[] = "MS Sans Serif";
const int kFallbackPoints = 8;
const int kMaxPoints = 1638;
const int kScreenDpiWhenUnknown = 96;

// What an entry says; each item keeps its fallback until the entry gives a valid one.
struct FontItems {
    CString face = kFallbackFace;
    int points = kFallbackPoints;
    LONG weight = FW_NORMAL;
    BYTE italic = FALSE;
    BYTE underline = FALSE;
    BYTE strikeOut = FALSE;
    bool hasFace = false;
    bool hasPoints = false;
    bool anyInvalid = false;
};

// Reads the entry from the executable's string table, whatever its length.
bool LoadEntry(UINT id, CString* text) {
    const wchar_t* entry = nullptr;
    int wideLength =
        ::LoadStringW(::GetModuleHandleA(nullptr), id, reinterpret_cast<LPWSTR>(&entry), 0);
    if (wideLength <= 0 || entry == nullptr) {
        return false;
    }
    int length = ::WideCharToMultiByte(CP_ACP, 0, entry, wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return false;
    }
    char* buffer = text->GetBuffer(length);
    int written =
        ::WideCharToMultiByte(CP_ACP, 0, entry, wideLength, buffer, length, nullptr, nullptr);
    text->ReleaseBuffer(written == length ? length : 0);
    return written == length;
}

// A whole decimal number within [low, high]; false for anything else.
bool ParseNumber(const CString& text, long low, long high, long* number) {
    if (text.IsEmpty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    long parsed = std::strtol(text, &end, 10);
    if (errno != 0 || end == nullptr || *end != '\0' || parsed < low || parsed > high) {
        return false;
    }
    *number = parsed;
    return true;
}

// A 0/1 flag item such as FONT_ITALIC=1.
void ParseFlag(const CString& value, BYTE* flag, bool* anyInvalid) {
    long number = 0;
    if (!ParseNumber(value, 0, 1, &number)) {
        *anyInvalid = true;
        return;
    }
    *flag = static_cast<BYTE>(number);
}

void ApplyItem(const CString& key, const CString& value, FontItems* items) {
    long number = 0;
    if (key.CompareNoCase("FONT_FACENAME") == 0) {
        if (value.IsEmpty()) {
            items->anyInvalid = true;
            return;
        }
        items->face = value;
        items->hasFace = true;
    } else if (key.CompareNoCase("FONT_FIXED_POINT") == 0) {
        if (!ParseNumber(value, 1, kMaxPoints, &number)) {
            items->anyInvalid = true;
            return;
        }
        items->points = static_cast<int>(number);
        items->hasPoints = true;
    } else if (key.CompareNoCase("FONT_WEIGHT") == 0) {
        if (!ParseNumber(value, 0, FW_HEAVY, &number)) {
            items->anyInvalid = true;
            return;
        }
        items->weight = number;
    } else if (key.CompareNoCase("FONT_ITALIC") == 0) {
        ParseFlag(value, &items->italic, &items->anyInvalid);
    } else if (key.CompareNoCase("FONT_UNDERLINE") == 0) {
        ParseFlag(value, &items->underline, &items->anyInvalid);
    } else if (key.CompareNoCase("FONT_STRIKEOUT") == 0) {
        ParseFlag(value, &items->strikeOut, &items->anyInvalid);
    }
}

// Splits "key=value;key=value" and applies each pair; a piece without '=' counts as invalid.
void ParseEntry(const CString& text, FontItems* items) {
    int start = 0;
    while (start <= text.GetLength()) {
        int end = text.Find(';', start);
        if (end < 0) {
            end = text.GetLength();
        }
        CString piece = text.Mid(start, end - start);
        start = end + 1;
        if (piece.Trim().IsEmpty()) {
            continue;
        }
        int equals = piece.Find('=');
        if (equals < 0) {
            items->anyInvalid = true;
            continue;
        }
        CString key = piece.Left(equals);
        CString value = piece.Mid(equals + 1);
        ApplyItem(key.Trim(), value.Trim(), items);
    }
}

int ScreenPixelsPerInchY() {
    HDC screen = ::GetDC(nullptr);
    if (screen == nullptr) {
        return kScreenDpiWhenUnknown;
    }
    int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kScreenDpiWhenUnknown;
}

void FillFont(const FontItems& items, LOGFONTA* font) {
    std::memset(font, 0, sizeof(*font));
    font->lfHeight = -::MulDiv(items.points, ScreenPixelsPerInchY(), 72);
    font->lfWidth = 0;
    font->lfEscapement = 0;
    font->lfOrientation = 0;
    font->lfWeight = items.weight;
    font->lfItalic = items.italic;
    font->lfUnderline = items.underline;
    font->lfStrikeOut = items.strikeOut;
    font->lfCharSet = DEFAULT_CHARSET;
    font->lfOutPrecision = OUT_DEFAULT_PRECIS;
    font->lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font->lfQuality = DEFAULT_QUALITY;
    font->lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    // Cut to the field; the memset above leaves the terminator.
    std::strncpy(font->lfFaceName, items.face, LF_FACESIZE - 1);
}

} // namespace

CFontParse::CFontParse(UINT stringId) : m_stringId(stringId) {}

CFontParse::~CFontParse() = default;

int CFontParse::GetStringAndInfo(CString* text, LOGFONTA* font, unsigned long* reserved,
                                 int* reserved2) {
    if (reserved != nullptr) {
        *reserved = 0;
    }
    if (reserved2 != nullptr) {
        *reserved2 = 0;
    }
    CString entry;
    bool loaded = LoadEntry(m_stringId, &entry);
    if (text != nullptr) {
        *text = entry;
    }
    if (font == nullptr) {
        return 0;
    }
    FontItems items;
    if (loaded) {
        ParseEntry(entry, &items);
    }
    bool complete = loaded && items.hasFace && items.hasPoints && !items.anyInvalid;
    if (!complete) {
        // A partial or broken entry is not trusted for any item.
        items = FontItems();
    }
    FillFont(items, font);
    return complete ? 1 : 0;
}
