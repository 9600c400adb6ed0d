// The program's command line: "/setparent N" names the owner window, nothing else counts.
#include <gtest/gtest.h>

#include <vector>

#include "app/AppCommandLineInfo.h"
#include "app/CameraManagerApp.h"

namespace {

CAppCommandLineInfo Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "Fotoloft.exe");
    CAppCommandLineInfo info;
    CWinApp::ParseCommandLine(info, static_cast<int>(args.size()), args.data());
    return info;
}

TEST(AppCommandLine, SetparentFlagTakesTheNextPlainArgument) {
    struct Case {
        std::vector<const char*> args;
        const char* parentText;
    };
    const Case cases[] = {
        {{"/setparent", "1234"}, "1234"},
        {{"-SETPARENT", "1234"}, "1234"},
        {{"/SetParent", "12ab"}, "12ab"},
        {{"1234"}, ""},                                         // a lone number is ignored
        {{"/setparent"}, ""},                                   // nothing follows
        {{"/setparent", "/other", "77"}, "77"},                 // other flags change nothing
        {{"/setparent", "1", "/setparent", "2"}, "2"},          // a later pair replaces
        {{"/setparent", "5", "9"}, "5"},                        // only the next one counts
        {{"file.jpg", "/setparentx", "3"}, ""},                 // the flag must match whole
    };
    for (const Case& c : cases) {
        CAppCommandLineInfo info = Parse(c.args);
        EXPECT_STREQ(info.m_strParentWindow, c.parentText) << "first argument " << c.args[0];
        EXPECT_TRUE(info.m_strFileName.IsEmpty()) << "file names are not taken";
    }
}

TEST(AppCommandLine, ParentTextBecomesAHandleOnlyWhenUsable) {
    struct Case {
        const char* text;
        ULONG_PTR handle;
    };
    const Case cases[] = {
        {"1234", 1234}, {"12ab", 12},        {"0", 0},   {"4294967295", 0},
        {"abc", 0},     {"", 0},             {"007", 7}, {"4294967294", 4294967294u},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(reinterpret_cast<ULONG_PTR>(CCameraManagerApp::ParentHandleFromText(c.text)),
                  c.handle)
            << "text \"" << c.text << "\"";
    }
}

} // namespace
