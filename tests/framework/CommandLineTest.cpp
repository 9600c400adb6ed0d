// ParseCommandLine hands every argument to ParseParam once, flags without their prefix.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/WinApp.h"

namespace {

struct Call {
    std::string param;
    bool flag;
    bool last;
    bool operator==(const Call& other) const {
        return param == other.param && flag == other.flag && last == other.last;
    }
};

std::ostream& operator<<(std::ostream& os, const Call& call) {
    return os << "{\"" << call.param << "\", flag=" << call.flag << ", last=" << call.last << "}";
}

class RecordingInfo : public CCommandLineInfo {
public:
    void ParseParam(const char* param, BOOL flag, BOOL last) override {
        calls.push_back({param, flag != FALSE, last != FALSE});
    }
    std::vector<Call> calls;
};

std::vector<Call> Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "Fotoloft.exe");
    RecordingInfo info;
    CWinApp::ParseCommandLine(info, static_cast<int>(args.size()), args.data());
    return info.calls;
}

TEST(ParseCommandLine, StripsOneSlashOrHyphenAndMarksTheFlag) {
    EXPECT_EQ(Parse({"/setparent", "-SETPARENT", "1234"}),
              (std::vector<Call>{{"setparent", true, false},
                                 {"SETPARENT", true, false},
                                 {"1234", false, true}}));
}

TEST(ParseCommandLine, OnlyTheFirstCharacterIsAPrefix) {
    EXPECT_EQ(Parse({"--x", "/-y", "a/b", "x-"}),
              (std::vector<Call>{{"-x", true, false},
                                 {"-y", true, false},
                                 {"a/b", false, false},
                                 {"x-", false, true}}));
}

TEST(ParseCommandLine, LonePrefixAndEmptyArgument) {
    EXPECT_EQ(Parse({"/", ""}), (std::vector<Call>{{"", true, false}, {"", false, true}}));
}

TEST(ParseCommandLine, NoArgumentsMeansNoCalls) {
    EXPECT_TRUE(Parse({}).empty());
}

TEST(ParseCommandLine, LastIsSetOnlyOnTheFinalArgumentEvenWhenItIsAFlag) {
    std::vector<Call> calls = Parse({"one", "/two"});
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_FALSE(calls[0].last);
    EXPECT_TRUE(calls[1].last);
    EXPECT_TRUE(calls[1].flag);
}

TEST(CommandLineInfo, BaseClassTakesTheFirstPlainArgumentAsTheFile) {
    CCommandLineInfo info;
    const char* args[] = {"Fotoloft.exe", "/flag", "first.jpg", "second.jpg"};
    CWinApp::ParseCommandLine(info, 4, args);
    EXPECT_STREQ(info.m_strFileName, "first.jpg");
    EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::FileOpen);
}

} // namespace
