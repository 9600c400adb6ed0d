#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "framework/ResourceHandle.h"
#include "framework/String.h"

namespace {

CString FormatThroughV(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

CString FormatThroughV(const char* format, ...) {
    CString result("previous text");
    va_list args;
    va_start(args, format);
    result.FormatV(format, args);
    va_end(args);
    return result;
}

// One call on a copy of `input`, the text it should leave and the number it should return.
struct EditCase {
    const char* name;
    const char* input;
    std::function<int(CString&)> edit;
    const char* expectedText;
    int expectedResult;
};

void RunEditCases(const std::vector<EditCase>& cases) {
    for (const EditCase& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " on \"" + c.input + "\"");
        CString text(c.input);
        int result = c.edit(text);
        EXPECT_STREQ(c.expectedText, text);
        EXPECT_EQ(c.expectedResult, result);
        EXPECT_EQ(static_cast<int>(strlen(c.expectedText)), text.GetLength());
    }
}

// A call returning a new string from `input`, and the string it should return.
struct ExtractCase {
    const char* name;
    const char* input;
    std::function<CString(const CString&)> extract;
    const char* expected;
};

void RunExtractCases(const std::vector<ExtractCase>& cases) {
    for (const ExtractCase& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " on \"" + c.input + "\"");
        CString text(c.input);
        EXPECT_STREQ(c.expected, c.extract(text));
        EXPECT_STREQ(c.input, text) << "the source must stay unchanged";
    }
}

} // namespace

TEST(StringConstruction, MakesTheExpectedText) {
    const char sample[] = "abcdef";
    struct Case {
        const char* name;
        CString value;
        const char* expected;
    } cases[] = {
        {"default", CString(), ""},
        {"null pointer", CString(static_cast<const char*>(nullptr)), ""},
        {"text", CString("camera"), "camera"},
        {"prefix of text", CString(sample, 3), "abc"},
        {"zero length", CString(sample, 0), ""},
        {"negative length", CString(sample, -4), ""},
        {"null with length", CString(nullptr, 5), ""},
        {"char", CString('x'), "x"},
        {"repeated char", CString('-', 5), "-----"},
        {"char repeated zero times", CString('-', 0), ""},
        {"char repeated negative times", CString('-', -2), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(c.expected, c.value);
        EXPECT_EQ(static_cast<int>(strlen(c.expected)), c.value.GetLength());
    }
}

TEST(StringConstruction, CopiesAndMovesAreIndependent) {
    CString original("original");
    CString copy(original);
    copy.SetAt(0, 'O');
    EXPECT_STREQ("original", original);
    EXPECT_STREQ("Original", copy);

    CString moved(std::move(copy));
    EXPECT_STREQ("Original", moved);

    CString assigned;
    assigned = moved;
    assigned += "!";
    EXPECT_STREQ("Original", moved);
    EXPECT_STREQ("Original!", assigned);

    assigned = static_cast<const char*>(nullptr);
    EXPECT_STREQ("", assigned);
    assigned = 'z';
    EXPECT_STREQ("z", assigned);
}

TEST(StringEmpty, EveryOperationIsSafeOnTheEmptyString) {
    CString empty;
    const char* text = empty;
    ASSERT_NE(nullptr, text);
    EXPECT_STREQ("", text);
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_EQ(0, empty.GetLength());
    EXPECT_EQ(-1, empty.Find('a'));
    EXPECT_EQ(0, empty.Find(""));
    EXPECT_EQ(-1, empty.Find("a"));
    EXPECT_EQ(-1, empty.ReverseFind('a'));
    EXPECT_EQ(-1, empty.FindOneOf("abc"));
    EXPECT_STREQ("", empty.Left(3));
    EXPECT_STREQ("", empty.Mid(0));
    EXPECT_STREQ("", empty.Mid(2, 3));
    EXPECT_STREQ("", empty.Right(1));
    EXPECT_EQ(0, empty.Replace("a", "b"));
    EXPECT_EQ(0, empty.Replace('a', 'b'));
    EXPECT_EQ(0, empty.Remove('a'));
    EXPECT_EQ(0, empty.Delete(0, 5));
    EXPECT_STREQ("", empty.Trim());
    EXPECT_STREQ("", empty.TrimLeft('x'));
    EXPECT_STREQ("", empty.TrimRight("xyz"));
    EXPECT_STREQ("", empty.MakeLower());
    EXPECT_STREQ("", empty.MakeUpper());
    EXPECT_STREQ("", empty.MakeReverse());
    EXPECT_EQ(0, empty.Compare(""));
    EXPECT_EQ(0, empty.Compare(nullptr));
    EXPECT_EQ(0, empty.CompareNoCase(""));
    EXPECT_TRUE(empty.IsEmpty());

    CString filled("not empty");
    filled.Empty();
    EXPECT_TRUE(filled.IsEmpty());
    EXPECT_STREQ("", filled);
}

TEST(StringAccess, ReadsAndWritesSingleCharacters) {
    CString text("abc");
    EXPECT_EQ('a', text.GetAt(0));
    EXPECT_EQ('c', text[2]);
    text.SetAt(1, 'X');
    EXPECT_STREQ("aXc", text);
}

TEST(StringAccess, OutOfRangeIndexNeitherReadsNorWritesOutside) {
    CString text("abc");
    EXPECT_DEBUG_DEATH(EXPECT_EQ('\0', text.GetAt(3)), "out of range");
    EXPECT_DEBUG_DEATH(EXPECT_EQ('\0', text.GetAt(-1)), "out of range");
    EXPECT_DEBUG_DEATH(text.SetAt(3, 'x'), "out of range");
    EXPECT_DEBUG_DEATH(text.SetAt(-1, 'x'), "out of range");
    EXPECT_STREQ("abc", text);
    EXPECT_EQ(3, text.GetLength());
}

TEST(StringConcatenation, JoinsAllCombinations) {
    CString camera("cam");
    struct Case {
        const char* name;
        CString value;
        const char* expected;
    } cases[] = {
        {"string + string", camera + CString("era"), "camera"},
        {"string + text", camera + "era", "camera"},
        {"text + string", "web" + camera, "webcam"},
        {"string + char", camera + 's', "cams"},
        {"char + string", 'x' + camera, "xcam"},
        {"string + null text", camera + static_cast<const char*>(nullptr), "cam"},
        {"empty + empty", CString() + "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(c.expected, c.value);
    }
    EXPECT_STREQ("cam", camera) << "operands must stay unchanged";
}

TEST(StringConcatenation, AppendsInPlaceIncludingItself) {
    CString text("ab");
    text += CString("cd");
    text += "ef";
    text += 'g';
    text += static_cast<const char*>(nullptr);
    EXPECT_STREQ("abcdefg", text);

    text += text;
    EXPECT_STREQ("abcdefgabcdefg", text);
    const char* self = text;
    text += self;
    EXPECT_STREQ("abcdefgabcdefgabcdefgabcdefg", text);

    CString longText;
    for (int i = 0; i < 10000; ++i) {
        longText += 'x';
    }
    EXPECT_EQ(10000, longText.GetLength());
}

TEST(StringComparison, OrdersByteWiseWithEitherOperandFirst) {
    struct Case {
        const char* left;
        const char* right;
        int sign; // of left compared with right
    } cases[] =
        {
            {"abc", "abc", 0}, {"abc", "abd", -1}, {"abd", "abc", 1}, {"ab", "abc", -1},
            {"", "a", -1},     {"", "", 0},        {"B", "a", -1},    {"a", "B", 1},
            {"\xE9", "z", 1}, // bytes above 0x7F sort after ASCII
        };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.left + "\" vs \"" + c.right + "\"");
        CString left(c.left);
        CString right(c.right);
        int compared = left.Compare(c.right);
        EXPECT_EQ(c.sign, (compared > 0) - (compared < 0));
        EXPECT_EQ(c.sign == 0, left == right);
        EXPECT_EQ(c.sign == 0, left == c.right);
        EXPECT_EQ(c.sign == 0, c.left == right);
        EXPECT_EQ(c.sign != 0, left != right);
        EXPECT_EQ(c.sign != 0, left != c.right);
        EXPECT_EQ(c.sign != 0, c.left != right);
        EXPECT_EQ(c.sign < 0, left < right);
        EXPECT_EQ(c.sign < 0, left < c.right);
        EXPECT_EQ(c.sign < 0, c.left < right);
        EXPECT_EQ(c.sign > 0, left > right);
        EXPECT_EQ(c.sign > 0, left > c.right);
        EXPECT_EQ(c.sign > 0, c.left > right);
        EXPECT_EQ(c.sign <= 0, left <= right);
        EXPECT_EQ(c.sign <= 0, left <= c.right);
        EXPECT_EQ(c.sign <= 0, c.left <= right);
        EXPECT_EQ(c.sign >= 0, left >= right);
        EXPECT_EQ(c.sign >= 0, left >= c.right);
        EXPECT_EQ(c.sign >= 0, c.left >= right);
    }
}

TEST(StringComparison, CompareNoCaseFoldsAsciiLettersOnly) {
    struct Case {
        const char* left;
        const char* right;
        int sign;
    } cases[] = {
        {"Snapshot", "SNAPSHOT", 0},
        {"snapshot0001.JPG", "SNAPSHOT0001.jpg", 0},
        {"abc", "ABD", -1},
        {"ABD", "abc", 1},
        {"a", "", 1},
        {"", nullptr, 0},
        {"\xC9", "\xE9", -1}, // non-ASCII letters keep their case
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.left + "\" vs \"" + (c.right ? c.right : "(null)") +
                     "\"");
        int compared = CString(c.left).CompareNoCase(c.right);
        EXPECT_EQ(c.sign, (compared > 0) - (compared < 0));
    }
}

TEST(StringFormat, FormatsPrintfConversions) {
    CString text("previous text");
    text.Format("Snapshot%04d", 7);
    EXPECT_STREQ("Snapshot0007", text);
    text.Format("%s (%d x %d)", "XGA", 1024, 768);
    EXPECT_STREQ("XGA (1024 x 768)", text);
    text.Format("%u|%lu|%d", 4000000000u, 4294967295ul, -42);
    EXPECT_STREQ("4000000000|4294967295|-42", text);
    text.Format("%f|%.2f|%5.1f", 1.5, 2.345, 3.0);
    EXPECT_STREQ("1.500000|2.35|  3.0", text);
    text.Format("%5s|%-5s|%c|%x|%X|%%", "ab", "cd", 'q', 255u, 255u);
    EXPECT_STREQ("   ab|cd   |q|ff|FF|%", text);
    text.Format("%lld|%llu|%zu", -9000000000LL, 18000000000ULL, static_cast<size_t>(12));
    EXPECT_STREQ("-9000000000|18000000000|12", text);
    text.Format("%s", "");
    EXPECT_STREQ("", text);
    EXPECT_TRUE(text.IsEmpty());
}

TEST(StringFormat, GrowsPastAnyFixedBuffer) {
    std::string big(100000, 'p');
    big[50000] = 'q';
    CString text;
    text.Format("[%s]", big.c_str());
    ASSERT_EQ(100002, text.GetLength());
    EXPECT_EQ(std::string("[") + big + "]", std::string(text));

    text.Format("%70000d", 5);
    ASSERT_EQ(70000, text.GetLength());
    EXPECT_EQ('5', text[69999]);
    EXPECT_EQ(' ', text[0]);

    text.Format("%s%s", big.c_str(), big.c_str());
    EXPECT_EQ(200000, text.GetLength());
}

TEST(StringFormat, MayUseItsOwnTextAsArgument) {
    CString text("abc");
    text.Format("%s-%s", static_cast<const char*>(text), static_cast<const char*>(text));
    EXPECT_STREQ("abc-abc", text);
}

TEST(StringFormat, FormatVTakesAnArgumentList) {
    EXPECT_STREQ("Snapshot 3 of 12", FormatThroughV("%s %d of %d", "Snapshot", 3, 12));
    EXPECT_STREQ("", FormatThroughV("%s", ""));
    std::string big(70000, 'v');
    EXPECT_EQ(70000, FormatThroughV("%s", big.c_str()).GetLength());
}

TEST(StringFormat, FormatMessageFillsNumberedInserts) {
    CString text("previous text");
    text.FormatMessage("%1!s! holds %2!d! pictures", "Camera", 12);
    EXPECT_STREQ("Camera holds 12 pictures", text);
    text.FormatMessage("%2 before %1", "one", "two");
    EXPECT_STREQ("two before one", text);
    text.FormatMessage("%1!04d!", 7);
    EXPECT_STREQ("0007", text);
    std::string big(5000, 'm');
    text.FormatMessage("<%1>", big.c_str());
    EXPECT_EQ(5002, text.GetLength());
    text.FormatMessage("no inserts");
    EXPECT_STREQ("no inserts", text);
}

TEST(StringCase, ChangesAsciiLettersAndNothingElse) {
    CString lower("MiXeD 123 Text_\xC4\xE4.JPG!");
    lower.MakeLower();
    EXPECT_STREQ("mixed 123 text_\xC4\xE4.jpg!", lower);
    CString upper("MiXeD 123 Text_\xC4\xE4.jpg!");
    upper.MakeUpper();
    EXPECT_STREQ("MIXED 123 TEXT_\xC4\xE4.JPG!", upper);
    CString chained("AbC");
    EXPECT_STREQ("abc", chained.MakeLower()) << "MakeLower returns the string itself";
}

TEST(StringCase, MakeReverseReversesEveryLength) {
    const char* cases[][2] = {
        {"", ""}, {"a", "a"}, {"ab", "ba"}, {"abc", "cba"}, {"Snapshot", "tohspanS"}};
    for (const auto& c : cases) {
        CString text(c[0]);
        EXPECT_STREQ(c[1], text.MakeReverse()) << "reversing \"" << c[0] << "\"";
    }
}

TEST(StringTrim, RemovesWhiteSpaceAndChosenCharacters) {
    RunEditCases({
        {"Trim", "  \t\r\n\v\f  ", [](CString& s) { return s.Trim().GetLength(); }, "", 0},
        {"TrimLeft", " \t \n", [](CString& s) { return s.TrimLeft().GetLength(); }, "", 0},
        {"TrimRight", " \t \n", [](CString& s) { return s.TrimRight().GetLength(); }, "", 0},
        {"Trim", " \t a b \r\n", [](CString& s) { return s.Trim().GetLength(); }, "a b", 3},
        {"TrimLeft", "\f\v a b ", [](CString& s) { return s.TrimLeft().GetLength(); }, "a b ", 4},
        {"TrimRight", " a b \v\f", [](CString& s) { return s.TrimRight().GetLength(); }, " a b", 4},
        {"Trim", "nothing", [](CString& s) { return s.Trim().GetLength(); }, "nothing", 7},
        {"TrimLeft('x')", "xxaxbxx", [](CString& s) { return s.TrimLeft('x').GetLength(); },
         "axbxx", 5},
        {"TrimRight('x')", "xxaxbxx", [](CString& s) { return s.TrimRight('x').GetLength(); },
         "xxaxb", 5},
        {"TrimLeft('x')", "xxxx", [](CString& s) { return s.TrimLeft('x').GetLength(); }, "", 0},
        {"TrimRight('x')", "xxxx", [](CString& s) { return s.TrimRight('x').GetLength(); }, "", 0},
        {"TrimLeft(\".\\\\\")", "..\\.dir\\.",
         [](CString& s) { return s.TrimLeft(".\\").GetLength(); }, "dir\\.", 5},
        {"TrimRight(\".\\\\\")", "C:\\dir\\.\\",
         [](CString& s) { return s.TrimRight(".\\").GetLength(); }, "C:\\dir", 6},
        {"TrimRight(\"\")", "abc  ", [](CString& s) { return s.TrimRight("").GetLength(); },
         "abc  ", 5},
        {"TrimLeft(null)", "  abc", [](CString& s) { return s.TrimLeft(nullptr).GetLength(); },
         "  abc", 5},
    });
}

TEST(StringFind, FindsCharactersAndSubstringsAtTheEdges) {
    const CString text("abcabc");
    struct Case {
        const char* name;
        int found;
        int expected;
    } cases[] = {
        {"Find('a')", text.Find('a'), 0},
        {"Find('c')", text.Find('c'), 2},
        {"Find('a', 1)", text.Find('a', 1), 3},
        {"Find('c', 5) at the last index", text.Find('c', 5), 5},
        {"Find('a', 6) at the end", text.Find('a', 6), -1},
        {"Find('a', 100) past the end", text.Find('a', 100), -1},
        {"Find('a', -1)", text.Find('a', -1), -1},
        {"Find('z')", text.Find('z'), -1},
        {"Find(\"bc\")", text.Find("bc"), 1},
        {"Find(\"bc\", 2)", text.Find("bc", 2), 4},
        {"Find(\"bc\", 5)", text.Find("bc", 5), -1},
        {"Find(\"abcabc\")", text.Find("abcabc"), 0},
        {"Find(\"abcabcd\") longer than the text", text.Find("abcabcd"), -1},
        {"Find(\"\")", text.Find(""), 0},
        {"Find(\"\", 6) at the end", text.Find("", 6), 6},
        {"Find(\"\", 7) past the end", text.Find("", 7), -1},
        {"Find(\"a\", INT_MAX)", text.Find("a", INT_MAX), -1},
        {"Find(null)", text.Find(static_cast<const char*>(nullptr)), -1},
        {"ReverseFind('a')", text.ReverseFind('a'), 3},
        {"ReverseFind('c') at the last index", text.ReverseFind('c'), 5},
        {"ReverseFind('z')", text.ReverseFind('z'), -1},
        {"FindOneOf(\"xc\")", text.FindOneOf("xc"), 2},
        {"FindOneOf(\"cb\")", text.FindOneOf("cb"), 1},
        {"FindOneOf(\"xyz\")", text.FindOneOf("xyz"), -1},
        {"FindOneOf(\"\")", text.FindOneOf(""), -1},
        {"FindOneOf(null)", text.FindOneOf(nullptr), -1},
        {"ReverseFind on one character", CString("a").ReverseFind('a'), 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, c.found) << c.name << " in \"abcabc\"";
    }
}

TEST(StringExtract, ClampsOutOfRangeArguments) {
    RunExtractCases({
        {"Left(3)", "abcdef", [](const CString& s) { return s.Left(3); }, "abc"},
        {"Left(0)", "abcdef", [](const CString& s) { return s.Left(0); }, ""},
        {"Left(-1)", "abcdef", [](const CString& s) { return s.Left(-1); }, ""},
        {"Left(6)", "abcdef", [](const CString& s) { return s.Left(6); }, "abcdef"},
        {"Left(100)", "abcdef", [](const CString& s) { return s.Left(100); }, "abcdef"},
        {"Right(2)", "abcdef", [](const CString& s) { return s.Right(2); }, "ef"},
        {"Right(0)", "abcdef", [](const CString& s) { return s.Right(0); }, ""},
        {"Right(-3)", "abcdef", [](const CString& s) { return s.Right(-3); }, ""},
        {"Right(100)", "abcdef", [](const CString& s) { return s.Right(100); }, "abcdef"},
        {"Mid(2)", "abcdef", [](const CString& s) { return s.Mid(2); }, "cdef"},
        {"Mid(0)", "abcdef", [](const CString& s) { return s.Mid(0); }, "abcdef"},
        {"Mid(-2)", "abcdef", [](const CString& s) { return s.Mid(-2); }, "abcdef"},
        {"Mid(6)", "abcdef", [](const CString& s) { return s.Mid(6); }, ""},
        {"Mid(100)", "abcdef", [](const CString& s) { return s.Mid(100); }, ""},
        {"Mid(1, 3)", "abcdef", [](const CString& s) { return s.Mid(1, 3); }, "bcd"},
        {"Mid(4, 10)", "abcdef", [](const CString& s) { return s.Mid(4, 10); }, "ef"},
        {"Mid(1, INT_MAX)", "abcdef", [](const CString& s) { return s.Mid(1, INT_MAX); }, "bcdef"},
        {"Mid(-2, 3)", "abcdef", [](const CString& s) { return s.Mid(-2, 3); }, "abc"},
        {"Mid(2, -1)", "abcdef", [](const CString& s) { return s.Mid(2, -1); }, ""},
        {"Mid(2, 0)", "abcdef", [](const CString& s) { return s.Mid(2, 0); }, ""},
        {"Mid(7, 2)", "abcdef", [](const CString& s) { return s.Mid(7, 2); }, ""},
        {"Mid(INT_MAX, INT_MAX)", "abcdef",
         [](const CString& s) { return s.Mid(INT_MAX, INT_MAX); }, ""},
    });
}

TEST(StringEdit, ReplacesRemovesInsertsAndDeletes) {
    RunEditCases({
        {"Replace(\"a\", \"xy\")", "banana", [](CString& s) { return s.Replace("a", "xy"); },
         "bxynxynxy", 3},
        {"Replace(\"an\", \"\")", "banana", [](CString& s) { return s.Replace("an", ""); }, "ba",
         2},
        {"Replace(\"an\", null)", "banana", [](CString& s) { return s.Replace("an", nullptr); },
         "ba", 2},
        {"Replace(\"aa\", \"b\") without overlap", "aaaaa",
         [](CString& s) { return s.Replace("aa", "b"); }, "bba", 2},
        {"Replace(\"a\", \"aa\") once per match", "aXa",
         [](CString& s) { return s.Replace("a", "aa"); }, "aaXaa", 2},
        {"Replace(\"zz\", \"y\") no match", "banana",
         [](CString& s) { return s.Replace("zz", "y"); }, "banana", 0},
        {"Replace(\"\", \"y\")", "banana", [](CString& s) { return s.Replace("", "y"); }, "banana",
         0},
        {"Replace(null, \"y\")", "banana", [](CString& s) { return s.Replace(nullptr, "y"); },
         "banana", 0},
        {"Replace(\"banana\", \"x\") whole text", "banana",
         [](CString& s) { return s.Replace("banana", "x"); }, "x", 1},
        {"Replace('a', 'o')", "banana", [](CString& s) { return s.Replace('a', 'o'); }, "bonono",
         3},
        {"Replace('z', 'o')", "banana", [](CString& s) { return s.Replace('z', 'o'); }, "banana",
         0},
        {"Remove('a')", "banana", [](CString& s) { return s.Remove('a'); }, "bnn", 3},
        {"Remove('z')", "banana", [](CString& s) { return s.Remove('z'); }, "banana", 0},
        {"Remove('x') all", "xxx", [](CString& s) { return s.Remove('x'); }, "", 3},
        {"Insert(0, '[')", "abc", [](CString& s) { return s.Insert(0, '['); }, "[abc", 4},
        {"Insert(3, ']') at the end", "abc", [](CString& s) { return s.Insert(3, ']'); }, "abc]",
         4},
        {"Insert(99, ']') past the end", "abc", [](CString& s) { return s.Insert(99, ']'); },
         "abc]", 4},
        {"Insert(-5, '[')", "abc", [](CString& s) { return s.Insert(-5, '['); }, "[abc", 4},
        {"Insert(1, \"XY\")", "abc", [](CString& s) { return s.Insert(1, "XY"); }, "aXYbc", 5},
        {"Insert(1, \"\")", "abc", [](CString& s) { return s.Insert(1, ""); }, "abc", 3},
        {"Insert(1, null)", "abc", [](CString& s) { return s.Insert(1, nullptr); }, "abc", 3},
        {"Delete(1)", "abcdef", [](CString& s) { return s.Delete(1); }, "acdef", 5},
        {"Delete(1, 3)", "abcdef", [](CString& s) { return s.Delete(1, 3); }, "aef", 3},
        {"Delete(4, 100)", "abcdef", [](CString& s) { return s.Delete(4, 100); }, "abcd", 4},
        {"Delete(6) at the end", "abcdef", [](CString& s) { return s.Delete(6); }, "abcdef", 6},
        {"Delete(-1, 2)", "abcdef", [](CString& s) { return s.Delete(-1, 2); }, "cdef", 4},
        {"Delete(2, -1)", "abcdef", [](CString& s) { return s.Delete(2, -1); }, "abcdef", 6},
        {"Delete(0, INT_MAX)", "abcdef", [](CString& s) { return s.Delete(0, INT_MAX); }, "", 0},
    });
}

TEST(StringEdit, TakesArgumentsPointingIntoItself) {
    CString text("abc");
    const char* self = text;
    text.Insert(1, self);
    EXPECT_STREQ("aabcbc", text);

    CString replaced("abab");
    self = replaced;
    EXPECT_EQ(1, replaced.Replace(self, "x"));
    EXPECT_STREQ("x", replaced);

    CString trimmed("abcba");
    self = trimmed;
    trimmed.TrimLeft(self);
    EXPECT_STREQ("", trimmed);
}

TEST(StringBuffer, WritingThroughTheBufferAndReleasingWithoutLength) {
    CString text;
    char* buffer = text.GetBuffer(20);
    ASSERT_NE(nullptr, buffer);
    strcpy(buffer, "written");
    text.ReleaseBuffer();
    EXPECT_STREQ("written", text);
    EXPECT_EQ(7, text.GetLength());
}

TEST(StringBuffer, ReleasingWithAnExplicitLength) {
    CString text;
    char* buffer = text.GetBuffer(10);
    memcpy(buffer, "0123456789", 10);
    text.ReleaseBuffer(4);
    EXPECT_STREQ("0123", text);
    EXPECT_EQ(4, text.GetLength());

    buffer = text.GetBuffer(10);
    memcpy(buffer, "abcdefghij", 10);
    text.ReleaseBuffer(10);
    EXPECT_STREQ("abcdefghij", text);
}

TEST(StringBuffer, HoldsTheCurrentTextAndRoomForTheTerminator) {
    CString text("camera");
    char* buffer = text.GetBuffer(3);
    EXPECT_STREQ("camera", buffer) << "a smaller request keeps the whole text";
    buffer[0] = 'C';
    text.ReleaseBuffer();
    EXPECT_STREQ("Camera", text);

    // As GetWindowTextA does: length characters and a zero in the extra byte.
    const char source[] = "abcdefghijklmnopqrstuvwxyz";
    int length = 26;
    buffer = text.GetBuffer(length);
    EXPECT_STREQ("Camera", buffer) << "a larger request keeps the text too";
    memcpy(buffer, source, static_cast<size_t>(length) + 1);
    text.ReleaseBuffer(length);
    EXPECT_STREQ(source, text);

    buffer = text.GetBuffer();
    EXPECT_STREQ(source, buffer);
    text.ReleaseBuffer();
    EXPECT_STREQ(source, text);
}

TEST(StringBuffer, EmptyAndZeroLengthBuffers) {
    CString text;
    char* buffer = text.GetBuffer(0);
    ASSERT_NE(nullptr, buffer);
    EXPECT_EQ('\0', buffer[0]);
    text.ReleaseBuffer();
    EXPECT_TRUE(text.IsEmpty());

    text = "abc";
    buffer = text.GetBuffer(10);
    buffer[0] = '\0';
    text.ReleaseBuffer();
    EXPECT_TRUE(text.IsEmpty());

    text = "abc";
    text.GetBuffer(10);
    text.ReleaseBuffer(0);
    EXPECT_TRUE(text.IsEmpty());
}

TEST(StringBuffer, GetBufferSetLengthFixesTheLength) {
    CString text("abc");
    char* buffer = text.GetBufferSetLength(5);
    EXPECT_EQ(5, text.GetLength());
    buffer[3] = 'd';
    buffer[4] = 'e';
    text.ReleaseBuffer();
    EXPECT_STREQ("abcde", text);

    text.GetBufferSetLength(2);
    text.ReleaseBuffer();
    EXPECT_STREQ("ab", text);

    text.GetBufferSetLength(-1);
    text.ReleaseBuffer();
    EXPECT_STREQ("", text);
}

TEST(StringBuffer, LargeBuffer) {
    CString text;
    const int size = 1 << 20;
    char* buffer = text.GetBuffer(size);
    memset(buffer, 'z', size);
    buffer[size] = '\0';
    text.ReleaseBuffer();
    EXPECT_EQ(size, text.GetLength());
    EXPECT_EQ('z', text[size - 1]);
}

TEST(StringLoad, ReadsEntriesOfTheProgramsStringTable) {
    CString text("previous text");
    EXPECT_TRUE(text.LoadString(110));
    EXPECT_STREQ("Snapshot", text);
    EXPECT_TRUE(text.LoadString(124));
    EXPECT_STREQ("Orvex(r) Fotoloft", text);
}

TEST(StringLoad, MissingEntryGivesFalseAndAnEmptyString) {
    CString text("previous text");
    EXPECT_FALSE(text.LoadString(105));
    EXPECT_TRUE(text.IsEmpty()) << "came: \"" << static_cast<const char*>(text) << "\"";
    EXPECT_FALSE(text.LoadString(60000));
    EXPECT_TRUE(text.IsEmpty());
}

namespace {

// A copy of this test program with one more string table block added, loaded as a data file:
// the program's own table has no entry longer than 255 characters.
class LongStringModule {
public:
    static const UINT kFirstId = 4000; // the first entry of block 251

    explicit LongStringModule(const std::vector<std::wstring>& entries) {
        char exe[MAX_PATH];
        char tempDir[MAX_PATH];
        DWORD exeLength = GetModuleFileNameA(nullptr, exe, MAX_PATH);
        if (exeLength == 0 || exeLength >= MAX_PATH || GetTempPathA(MAX_PATH, tempDir) == 0 ||
            GetTempFileNameA(tempDir, "fls", 0, m_path) == 0) {
            m_error = "no temporary copy of the test program";
            return;
        }
        if (!CopyFileA(exe, m_path, FALSE)) {
            m_error = "CopyFileA failed";
            return;
        }
        std::vector<WORD> block;
        for (size_t i = 0; i < 16; ++i) {
            const std::wstring entry = i < entries.size() ? entries[i] : std::wstring();
            block.push_back(static_cast<WORD>(entry.size()));
            block.insert(block.end(), entry.begin(), entry.end());
        }
        HANDLE update = BeginUpdateResourceA(m_path, FALSE);
        if (update == nullptr) {
            m_error = "BeginUpdateResourceA failed";
            return;
        }
        BOOL added = UpdateResourceA(update, RT_STRING, MAKEINTRESOURCEA(kFirstId / 16 + 1),
                                     MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), block.data(),
                                     static_cast<DWORD>(block.size() * sizeof(WORD)));
        if (!EndUpdateResourceA(update, added ? FALSE : TRUE) || !added) {
            m_error = "UpdateResourceA failed";
            return;
        }
        m_module = LoadLibraryExA(m_path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (m_module == nullptr) {
            m_error = "LoadLibraryExA failed";
        }
    }

    ~LongStringModule() {
        if (m_module != nullptr) {
            FreeLibrary(m_module);
        }
        if (m_path[0] != '\0') {
            DeleteFileA(m_path);
        }
    }

    HMODULE Module() const { return m_module; }
    const char* Error() const { return m_error; }

private:
    char m_path[MAX_PATH] = {};
    HMODULE m_module = nullptr;
    const char* m_error = "";
};

// Points resource loading at another module for the lifetime of this object.
class ResourceHandleOverride {
public:
    explicit ResourceHandleOverride(HINSTANCE module) : m_previous(AfxGetResourceHandle()) {
        AfxSetResourceHandle(module);
    }
    ~ResourceHandleOverride() { AfxSetResourceHandle(m_previous); }

private:
    HINSTANCE m_previous;
};

} // namespace

TEST(StringLoad, ReadsEntriesOfAnyLengthFromTheResourceModule) {
    std::wstring medium(300, L'm');
    medium[0] = L'<';
    medium[299] = L'>';
    std::wstring longest(65535, L'x');
    longest[65534] = L'!';
    LongStringModule resources({medium, longest, L"", L"short"});
    ASSERT_NE(nullptr, resources.Module()) << resources.Error();

    CString text;
    ASSERT_FALSE(text.LoadString(LongStringModule::kFirstId)) << "the program has no such entry";
    ResourceHandleOverride useResources(resources.Module());
    ASSERT_TRUE(text.LoadString(LongStringModule::kFirstId));
    EXPECT_EQ(std::string(medium.begin(), medium.end()), std::string(text));
    ASSERT_TRUE(text.LoadString(LongStringModule::kFirstId + 1));
    EXPECT_EQ(65535, text.GetLength());
    EXPECT_EQ(std::string(longest.begin(), longest.end()), std::string(text));
    text = "previous text";
    EXPECT_FALSE(text.LoadString(LongStringModule::kFirstId + 2)) << "an empty entry";
    EXPECT_TRUE(text.IsEmpty());
    ASSERT_TRUE(text.LoadString(LongStringModule::kFirstId + 3));
    EXPECT_STREQ("short", text);
}

TEST(StringLoad, ResourceHandleDefaultsToTheProgram) {
    EXPECT_EQ(GetModuleHandleA(nullptr), AfxGetResourceHandle());
    {
        ResourceHandleOverride other(reinterpret_cast<HINSTANCE>(GetModuleHandleA("kernel32.dll")));
        EXPECT_EQ(GetModuleHandleA("kernel32.dll"), AfxGetResourceHandle());
    }
    AfxSetResourceHandle(nullptr);
    EXPECT_EQ(GetModuleHandleA(nullptr), AfxGetResourceHandle());
}
