// The resources the program is built with: every string, dialog template, bitmap and the
// icon, checked against the texts, controls, styles and sizes the program relies on.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "resource.h"

namespace {

HINSTANCE Module() {
    return ::GetModuleHandleA(nullptr);
}

std::string LoadText(UINT id) {
    // Read the counted string straight from the table: no buffer can cut it.
    const WCHAR* text = nullptr;
    int length = ::LoadStringW(Module(), id, reinterpret_cast<LPWSTR>(&text), 0);
    std::string narrow;
    for (int i = 0; i < length; ++i) {
        narrow += static_cast<char>(text[i]);
    }
    return narrow;
}

const std::map<UINT, std::string>& ExpectedStrings() {
    static const std::map<UINT, std::string> strings = {
        {101, "&About Fotoloft"},
        {102, "FONT_FACENAME=Arial;FONT_FIXED_POINT=10;FONT_WEIGHT=700"},
        {103, "Searching for the Orvex Kestrel Camera"},
        {104, "Camera not available. Check camera connections and close other applications "
              "using camera."},
        {106, "Are you sure you want to delete all snapshots and videos in the camera?"},
        {107, "Snapshots Taken"},
        {108, "Videos Taken"},
        {109, "Could not create the folder.\nEnsure that the path to the folder is valid."},
        {110, "Snapshot"},
        {111, "Video"},
        {112, "No snapshots or videos in camera memory."},
        {113, "Downloading ( %d of %d )"},
        {115, "No image selected to download"},
        {116, "Camera Status"},
        {117, "Camera Contents"},
        {118, "Aborting..... Please wait."},
        {119, "Images transfer complete."},
        {121, "No images to download."},
        {122, "Download aborted. Press the \"Refresh\" button for a complete download."},
        {123, "% of camera memory full"},
        {124, "Orvex(r) Fotoloft"},
        {125, "Cannot transfer files to the selected folder"},
        {126, "Camera memory is empty now"},
        {127, "The selected gallery already has images with the same names. \nReplace existing "
              "images?"},
        {128, "Video open error."},
        {130, "The specified directory does not exist.  Would you like to create it now?"},
        {131, "Snapshot Taken"},
        {132, "Video Taken"},
        {134, "Camera Memory is Already Empty"},
        {135, "FONT_FACENAME=Arial;FONT_FIXED_POINT=9;FONT_WEIGHT=700"},
        {136, "Create New Gallery"},
        {137, "The Gallery name contains invalid characters. Please enter a different name"},
        {138, "The Gallery \"%1!s!\" already exists.  Please enter a different name."},
        {140, "The application won't allow Hibernation/Stand by right now.\nClose the "
              "application or wait for it to finish."},
        {141, "Error"},
    };
    return strings;
}

TEST(StringTable, EveryTextIsExactlyTheOneTheProgramShows) {
    for (const auto& [id, text] : ExpectedStrings()) {
        EXPECT_EQ(LoadText(id), text) << "string " << id;
    }
}

TEST(StringTable, HoldsNoOtherStringsInItsRange) {
    for (UINT id = 100; id <= 142; ++id) {
        if (ExpectedStrings().count(id) == 0) {
            EXPECT_EQ(LoadText(id), "") << "unexpected string " << id;
        }
    }
}

// Class names compare without case, and the system classes a template may name either by
// ordinal or by name (the resource compiler writes "STATIC" for CONTROL lines) by ordinal.
std::string CanonicalClass(std::string name) {
    for (char& c : name) {
        c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
    }
    static const std::map<std::string, std::string> ordinals = {
        {"BUTTON", "#128"}, {"EDIT", "#129"},      {"STATIC", "#130"},
        {"LISTBOX", "#131"}, {"SCROLLBAR", "#132"}, {"COMBOBOX", "#133"},
    };
    auto known = ordinals.find(name);
    return known != ordinals.end() ? known->second : name;
}

// A dialog template as stored in the program: header and items.
struct TemplateItem {
    DWORD style;
    short x, y, cx, cy;
    WORD id;
    std::string className;  // "#128" style for predefined classes
    std::string text;
};

struct DialogTemplate {
    DWORD style = 0;
    short cx = 0, cy = 0;
    std::string caption;
    WORD pointSize = 0;
    std::string font;
    std::vector<TemplateItem> items;
};

class TemplateReader {
public:
    explicit TemplateReader(const BYTE* data) : m_p(data) {}

    DialogTemplate Read() {
        DialogTemplate t;
        t.style = Dword();
        Dword();  // extended style
        WORD count = Word();
        Word();  // x
        Word();  // y
        t.cx = static_cast<short>(Word());
        t.cy = static_cast<short>(Word());
        NameOrOrdinal();  // menu
        NameOrOrdinal();  // class
        t.caption = WideString();
        if (t.style & DS_SETFONT) {
            t.pointSize = Word();
            t.font = WideString();
        }
        for (WORD i = 0; i < count; ++i) {
            AlignToDword();
            TemplateItem item;
            item.style = Dword();
            Dword();  // extended style
            item.x = static_cast<short>(Word());
            item.y = static_cast<short>(Word());
            item.cx = static_cast<short>(Word());
            item.cy = static_cast<short>(Word());
            item.id = Word();
            item.className = CanonicalClass(NameOrOrdinal());
            item.text = NameOrOrdinal();
            WORD extra = Word();
            m_p += extra;
            t.items.push_back(item);
        }
        return t;
    }

private:
    WORD Word() {
        WORD value = *reinterpret_cast<const WORD*>(m_p);
        m_p += 2;
        return value;
    }
    DWORD Dword() {
        DWORD value = *reinterpret_cast<const DWORD*>(m_p);
        m_p += 4;
        return value;
    }
    void AlignToDword() {
        while (reinterpret_cast<ULONG_PTR>(m_p) % 4 != 0) {
            ++m_p;
        }
    }
    std::string WideString() {
        std::string text;
        for (WORD c = Word(); c != 0; c = Word()) {
            text += static_cast<char>(c);
        }
        return text;
    }
    std::string NameOrOrdinal() {
        if (*reinterpret_cast<const WORD*>(m_p) == 0xFFFF) {
            Word();
            return "#" + std::to_string(Word());
        }
        return WideString();
    }

    const BYTE* m_p;
};

DialogTemplate LoadTemplate(UINT id) {
    HRSRC resource = ::FindResourceA(Module(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
    if (resource == nullptr) {
        ADD_FAILURE() << "dialog template " << id << " is missing";
        return DialogTemplate();
    }
    const BYTE* data = static_cast<const BYTE*>(::LockResource(::LoadResource(Module(), resource)));
    return TemplateReader(data).Read();
}

const char kButton[] = "#128";
const char kEdit[] = "#129";
const char kStatic[] = "#130";
const char kScrollBar[] = "#132";

struct ExpectedControl {
    int id;  // -1 for controls without an id
    const char* className;
    const char* text;
    short x, y, cx, cy;  // -1: the program places it at run time
    DWORD styleBits;     // bits that must be set
    bool visible;
};

struct ExpectedDialog {
    UINT id;
    const char* caption;
    short cx, cy;
    DWORD styleBits;
    DWORD absentStyleBits;
    std::vector<ExpectedControl> controls;
};

const DWORD kModal = DS_MODALFRAME | WS_POPUP | WS_CAPTION;

std::vector<ExpectedDialog> ExpectedDialogs() {
    return {
        {IDD_CAMERA_MANAGER, "Fotoloft", 384, 282, kModal | WS_SYSMENU, 0,
         {
             {IDC_GET_ALL, kButton, "&Get All", -1, -1, -1, -1, 0, true},
             {IDC_GET_SELECTED, kButton, "Get &Selected", -1, -1, -1, -1, 0, true},
             {IDC_DELETE_ALL, kButton, "&Delete All", -1, -1, -1, -1, 0, true},
             {IDOK, kButton, "D&one", -1, -1, -1, -1, 0, true},
             {IDC_MAIN_HELP, kButton, "&Help", -1, -1, -1, -1, 0, true},
             {IDC_REFRESH, kButton, "&Refresh", -1, -1, -1, -1, 0, true},
             {IDC_MEMORY_FIELD, kStatic, "cam memory", -1, -1, -1, -1, 0, true},
             {IDC_SNAPSHOTS_FIELD, kStatic, "pic taken", -1, -1, -1, -1, 0, true},
             {IDC_VIDEOS_FIELD, kStatic, "video taken", -1, -1, -1, -1, 0, true},
             {IDC_MESSAGE_LINE, kStatic, "", -1, -1, -1, -1, SS_CENTER, true},
             {IDC_SEPARATOR, kStatic, "", -1, -1, -1, -1, SS_ETCHEDHORZ, true},
             {IDC_STATUS_CAPTION, kStatic, "Camera Status:", -1, -1, -1, -1, 0, false},
             {IDC_CONTENTS_CAPTION, kStatic, "Camera Contents:", -1, -1, -1, -1, 0, false},
             {IDC_UNUSED_LIST, "SysListView32", "", -1, -1, -1, -1, 0, false},
             {IDC_UNUSED_BUTTON, kButton, "", -1, -1, -1, -1, 0, false},
         }},
        {IDD_DOWNLOAD_PROGRESS, "Download in progress", 256, 49, kModal, WS_SYSMENU,
         {
             {IDC_PROGRESS_TEXT, kStatic, "", 21, 14, 158, 8, 0, true},
             {IDC_PROGRESS, "msctls_progress32", "", 20, 24, 162, 9, WS_BORDER, true},
             {IDCANCEL, kButton, "Cancel", 192, 22, 50, 14, 0, true},
         }},
        {IDD_SAVE_TO_GALLERY, "Select gallery for saving", 266, 132, kModal, 0,
         {
             {-1, kButton, "", 7, 3, 250, 61, BS_GROUPBOX, true},
             {-1, kStatic, "Start file names with:", 27, 11, 69, 8, 0, true},
             {IDC_PREFIX, kEdit, "", 27, 21, 130, 14, ES_AUTOHSCROLL | WS_TABSTOP, true},
             {-1, kStatic,
              "Example: if you enter PARTY above, your images will be named PARTY0001.jpg, "
              "PARTY0002.jpg, etc.",
              27, 40, 220, 17, 0, true},
             {IDC_GALLERY_LABEL, kStatic, "Add to Gallery :", 11, 70, 49, 8, 0, true},
             {IDC_GALLERY_PLACEHOLDER, kStatic, "", 27, 81, 172, 13, 0, false},
             {IDC_NEW_GALLERY, kButton, "&New", 212, 80, 45, 14, 0, true},
             {-1, kStatic, "", 3, 105, 258, 1, SS_ETCHEDHORZ, true},
             {IDOK, kButton, "&Save", 103, 111, 50, 14, BS_DEFPUSHBUTTON, true},
             {IDCANCEL, kButton, "&Cancel", 157, 111, 50, 14, 0, true},
             {IDC_SAVE_HELP, kButton, "&Help", 211, 111, 50, 14, 0, true},
         }},
        {IDD_NEW_GALLERY, "Create New Gallery", 174, 73, kModal, 0,
         {
             {-1, kStatic, "Enter the name for the new gallery:", 7, 8, 159, 15, 0, true},
             {IDC_GALLERY_NAME, kEdit, "", 7, 25, 159, 14, ES_AUTOHSCROLL | WS_TABSTOP, true},
             {IDOK, kButton, "OK", 34, 52, 50, 14, BS_DEFPUSHBUTTON, true},
             {IDCANCEL, kButton, "Cancel", 90, 52, 50, 14, 0, true},
         }},
        {IDD_IMAGE_VIEWER, nullptr, 396, 295, kModal | WS_SYSMENU, 0,
         {
             {IDOK, kButton, "Close", 341, 273, 51, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, true},
             {IDC_PICTURE_FRAME, kStatic, "", 3, 3, 379, 249, SS_BLACKFRAME, false},
             {IDC_VSCROLL, kScrollBar, "", 383, 3, 9, 250, SBS_VERT, true},
             {IDC_HSCROLL, kScrollBar, "", 3, 253, 379, 9, 0, true},
             {IDC_SEPARATOR, kStatic, "", 3, 265, 389, 1, SS_ETCHEDHORZ, true},
         }},
        {IDD_VIDEO_PLAYER, "Avi Dialog", 230, 153, kModal | WS_SYSMENU, 0,
         {
             {IDOK, kButton, "&Close", 173, 132, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, true},
             {IDC_SEPARATOR, kStatic, "", 7, 124, 215, 1, SS_ETCHEDHORZ, true},
         }},
        {IDD_ABOUTBOX, "About Orvex Kestrel Camera Manager", 243, 140, kModal | WS_SYSMENU, 0,
         {
             {IDOK, kButton, "OK", -1, -1, -1, -1, 0, true},
         }},
    };
}

TEST(DialogTemplates, HeadersHaveTheirCaptionSizeStyleAndFont) {
    for (const ExpectedDialog& expected : ExpectedDialogs()) {
        DialogTemplate t = LoadTemplate(expected.id);
        SCOPED_TRACE("dialog " + std::to_string(expected.id));
        if (expected.caption != nullptr) {
            EXPECT_EQ(t.caption, expected.caption);
        }
        EXPECT_EQ(t.cx, expected.cx);
        EXPECT_EQ(t.cy, expected.cy);
        EXPECT_EQ(t.style & expected.styleBits, expected.styleBits);
        EXPECT_EQ(t.style & expected.absentStyleBits, 0u);
        EXPECT_EQ(t.font, "MS Sans Serif");
        EXPECT_EQ(t.pointSize, 8);
    }
}

TEST(DialogTemplates, ControlsHaveTheirIdClassTextPlaceAndStyle) {
    for (const ExpectedDialog& expected : ExpectedDialogs()) {
        DialogTemplate t = LoadTemplate(expected.id);
        SCOPED_TRACE("dialog " + std::to_string(expected.id));
        ASSERT_EQ(t.items.size(), expected.controls.size());
        // Controls without an id are matched in template order, the others by id.
        size_t nextAnonymous = 0;
        for (const ExpectedControl& control : expected.controls) {
            const TemplateItem* item = nullptr;
            if (control.id == -1) {
                for (; nextAnonymous < t.items.size(); ++nextAnonymous) {
                    if (t.items[nextAnonymous].id == 0xFFFF &&
                        t.items[nextAnonymous].text == control.text &&
                        t.items[nextAnonymous].className == CanonicalClass(control.className)) {
                        item = &t.items[nextAnonymous++];
                        break;
                    }
                }
            } else {
                for (const TemplateItem& candidate : t.items) {
                    if (candidate.id == static_cast<WORD>(control.id)) {
                        item = &candidate;
                    }
                }
            }
            SCOPED_TRACE(std::string("control ") + std::to_string(control.id) + " \"" +
                         control.text + "\"");
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(item->className, CanonicalClass(control.className));
            EXPECT_EQ(item->text, control.text);
            EXPECT_EQ(item->style & control.styleBits, control.styleBits);
            EXPECT_EQ((item->style & WS_VISIBLE) != 0, control.visible);
            if (control.x >= 0) {
                EXPECT_EQ(item->x, control.x);
                EXPECT_EQ(item->y, control.y);
                EXPECT_EQ(item->cx, control.cx);
                EXPECT_EQ(item->cy, control.cy);
            }
        }
    }
}

TEST(DialogTemplates, NoControlIdRepeatsWithinADialog) {
    for (const ExpectedDialog& expected : ExpectedDialogs()) {
        std::set<WORD> seen;
        for (const TemplateItem& item : LoadTemplate(expected.id).items) {
            if (item.id != 0xFFFF) {
                EXPECT_TRUE(seen.insert(item.id).second)
                    << "dialog " << expected.id << " repeats control id " << item.id;
            }
        }
    }
}

// Creating each dialog proves that every control class it names exists.
TEST(DialogTemplates, EveryTemplateCreatesAWindowWithAllItsControls) {
    for (const ExpectedDialog& expected : ExpectedDialogs()) {
        HWND dialog = ::CreateDialogParamA(
            Module(), MAKEINTRESOURCEA(expected.id), nullptr,
            [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
        ASSERT_NE(dialog, nullptr) << "dialog " << expected.id << " (is there a display?)";
        for (const ExpectedControl& control : expected.controls) {
            if (control.id != -1) {
                EXPECT_NE(::GetDlgItem(dialog, control.id), nullptr)
                    << "dialog " << expected.id << " control " << control.id;
            }
        }
        ::DestroyWindow(dialog);
    }
}

struct ExpectedBitmap {
    UINT id;
    int width, height, bitsPerPixel;
};

TEST(Artwork, BitmapsHaveTheSizesTheLayoutAssumes) {
    const ExpectedBitmap bitmaps[] = {
        {IDB_STATUS_TOP_LEFT, 24, 18, 24},       {IDB_STATUS_TOP, 24, 18, 24},
        {IDB_STATUS_TOP_RIGHT, 25, 18, 24},      {IDB_STATUS_RIGHT, 22, 14, 24},
        {IDB_STATUS_BOTTOM_RIGHT, 25, 24, 24},   {IDB_STATUS_BOTTOM, 29, 24, 24},
        {IDB_STATUS_BOTTOM_LEFT, 19, 24, 24},    {IDB_STATUS_LEFT, 14, 19, 24},
        {IDB_CONTENTS_TOP_LEFT, 26, 19, 24},     {IDB_CONTENTS_TOP, 29, 19, 24},
        {IDB_CONTENTS_TOP_RIGHT, 38, 19, 24},    {IDB_CONTENTS_RIGHT, 29, 26, 24},
        {IDB_CONTENTS_BOTTOM_RIGHT, 31, 34, 24}, {IDB_CONTENTS_BOTTOM, 26, 34, 24},
        {IDB_CONTENTS_BOTTOM_LEFT, 168, 34, 24}, {IDB_CONTENTS_LEFT, 25, 29, 24},
        {IDB_BUTTON_NORMAL, 93, 30, 24},         {IDB_BUTTON_PRESSED, 93, 30, 24},
        {IDB_BUTTON_HOVER, 93, 30, 24},          {IDB_REFRESH_NORMAL, 93, 30, 24},
        {IDB_REFRESH_PRESSED, 93, 30, 24},       {IDB_REFRESH_HOVER, 93, 30, 24},
        {IDB_ABOUT, 419, 190, 8},
    };
    for (const ExpectedBitmap& expected : bitmaps) {
        HBITMAP bitmap = static_cast<HBITMAP>(::LoadImageA(
            Module(), MAKEINTRESOURCEA(expected.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_NE(bitmap, nullptr) << "bitmap " << expected.id;
        DIBSECTION dib = {};
        ASSERT_EQ(::GetObjectA(bitmap, sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
        EXPECT_EQ(dib.dsBm.bmWidth, expected.width) << "bitmap " << expected.id;
        EXPECT_EQ(dib.dsBm.bmHeight, expected.height) << "bitmap " << expected.id;
        EXPECT_EQ(dib.dsBm.bmBitsPixel, expected.bitsPerPixel) << "bitmap " << expected.id;
        ::DeleteObject(bitmap);
    }
}

TEST(Artwork, IconHasLargeAndSmallImages) {
    for (int size : {32, 16}) {
        HICON icon = static_cast<HICON>(
            ::LoadImageA(Module(), MAKEINTRESOURCEA(IDI_MAINFRAME), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info = {};
        ASSERT_TRUE(::GetIconInfo(icon, &info));
        BITMAP mask = {};
        ::GetObjectA(info.hbmMask, sizeof(mask), &mask);
        EXPECT_EQ(mask.bmWidth, size);
        ::DeleteObject(info.hbmMask);
        ::DeleteObject(info.hbmColor);
        ::DestroyIcon(icon);
    }
}

} // namespace
