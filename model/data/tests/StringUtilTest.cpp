// Tests of the shared string and path helpers.

#include "StringUtil.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct TextCase
{
    std::string input;
    std::string expected;
};

TEST(StringUtil, TrimChar)
{
    EXPECT_EQ(TrimChar("xxaxbxx", 'x'), "axb");
    EXPECT_EQ(TrimChar("xxx", 'x'), "");
    EXPECT_EQ(TrimChar("", 'x'), "");
    EXPECT_EQ(TrimChar("a", 'x'), "a");
}

TEST(StringUtil, TrimLineEndRemovesBlanksThenTabsThenLineFeeds)
{
    for (const TextCase& c : {TextCase{"abc \t\n\n", "abc \t"}, TextCase{"abc\t  ", "abc"},
                              TextCase{"abc \n", "abc "}, TextCase{"abc  \t\t", "abc  "},
                              TextCase{"\n", ""}, TextCase{"", ""}, TextCase{"a\r\n", "a\r"}})
        EXPECT_EQ(TrimLineEnd(c.input), c.expected) << c.input;
}

TEST(StringUtil, TrimBlanks)
{
    EXPECT_EQ(TrimBlanks("  a b \t "), "a b \t");
    EXPECT_EQ(TrimBlanksTabs(" \t a b \t "), "a b");
    EXPECT_EQ(TrimBlanksTabs(" \t "), "");
}

TEST(StringUtil, ExtractNumber)
{
    struct Case
    {
        std::string text;
        int expected;
    };
    for (const Case& c : {Case{"E12", 12}, Case{"M-3", 3}, Case{"abc", -1}, Case{"", -1},
                          Case{"M2;E3", 23}, Case{"007", 7}, Case{"0", 0},
                          Case{"99999999999999999999", INT_MAX},
                          Case{"2147483647", INT_MAX}, Case{"2147483648", INT_MAX}})
        EXPECT_EQ(ExtractNumber(c.text), c.expected) << c.text;
}

TEST(StringUtil, MakeEntryKey)
{
    EXPECT_EQ(MakeEntryKey("E", 1), "E1");
    EXPECT_EQ(MakeEntryKey("L", 120), "L120");
}

TEST(StringUtil, DirectoryOfAcceptsBothSeparators)
{
    for (const TextCase& c : {TextCase{"D:\\m\\a.mdl", "D:\\m\\"}, TextCase{"/m/x/a.mdl", "/m/x/"},
                              TextCase{"a/b\\c", "a/b\\"}, TextCase{"a.mdl", "a.mdl"},
                              TextCase{"", ""}})
        EXPECT_EQ(DirectoryOf(c.input), c.expected) << c.input;
}

TEST(StringUtil, JoinModelPath)
{
    EXPECT_EQ(JoinModelPath("D:\\m\\", "x.txt"), "D:\\m\\x.txt");
    EXPECT_EQ(JoinModelPath("/m/", "x.txt"), "/m/x.txt");
    // A name with a separator stands on its own, with backslashes turned into slashes.
    EXPECT_EQ(JoinModelPath("D:\\m\\", "C:\\d\\x.txt"), "C:/d/x.txt");
    EXPECT_EQ(JoinModelPath("/m/", "sub/x.txt"), "sub/x.txt");
}

TEST(StringUtil, FileExists)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path();
    const std::filesystem::path file = dir / "stringutil_fileexists_test.txt";
    {
        std::ofstream out(file);
        out << "x";
    }
    EXPECT_EQ(FileExists(file.string()), 1);
    EXPECT_EQ(FileExists((dir / "stringutil_no_such_file.txt").string()), 0);
    EXPECT_EQ(FileExists(dir.string()), 0);
    std::filesystem::remove(file);
}

TEST(StringUtil, ReadIntBehavesLikeAtoiAndSaturates)
{
    struct Case
    {
        std::string text;
        int expected;
    };
    for (const Case& c : {Case{"42", 42}, Case{"  -17x", -17}, Case{"+8", 8}, Case{"x1", 0},
                          Case{"", 0}, Case{"-", 0}, Case{"\t12 3", 12},
                          Case{"2147483647", INT_MAX}, Case{"2147483648", INT_MAX},
                          Case{"-2147483648", INT_MIN}, Case{"-99999999999999", INT_MIN},
                          Case{"99999999999999999999999", INT_MAX}})
        EXPECT_EQ(ReadInt(c.text), c.expected) << c.text;
}

TEST(StringUtil, ParseIntPair)
{
    EXPECT_EQ(ParseIntPair(" 10 , 20 ", ','), std::make_pair(10, 20));
    EXPECT_EQ(ParseIntPair("3;4", ';'), std::make_pair(3, 4));
    EXPECT_EQ(ParseIntPair("7", ','), std::make_pair(7, 0));
    EXPECT_EQ(ParseIntPair("1,2,3", ','), std::make_pair(1, 2));
}

TEST(StringUtil, ReplaceFirst)
{
    EXPECT_EQ(ReplaceFirst("a %s b %s", "%s", "X"), "a X b %s");
    EXPECT_EQ(ReplaceFirst("abc", "z", "X"), "");
    EXPECT_EQ(ReplaceFirst("", "a", "X"), "");
    EXPECT_EQ(ReplaceFirst("abc", "", "X"), "");
    EXPECT_EQ(ReplaceFirst("abc", "b", ""), "");
}

TEST(StringUtil, IsVowel)
{
    for (char c : std::string("AEIOUYaeiouy\xC4\xD6\xC5\xE4\xF6\xE5"))
        EXPECT_EQ(IsVowel(c), 1) << static_cast<int>(static_cast<unsigned char>(c));
    for (char c : std::string("BZbz1 \xC3\xDC\xFC"))
        EXPECT_EQ(IsVowel(c), 0) << static_cast<int>(static_cast<unsigned char>(c));
    EXPECT_EQ(IsVowel('\0'), 0);
}

TEST(StringUtil, FindFrom)
{
    EXPECT_EQ(FindFrom("abcabc", "bc", 0), 1);
    EXPECT_EQ(FindFrom("abcabc", "bc", 2), 4);
    EXPECT_EQ(FindFrom("abcabc", "bc", 5), -1);
    EXPECT_EQ(FindFrom("abc", "a", 10), -1);
    EXPECT_EQ(FindFrom("abc", "a", -3), 0);
}

TEST(StringUtil, Between)
{
    std::string out = "old";
    EXPECT_EQ(Between("x<ab>y", "<", ">", out), 1);
    EXPECT_EQ(out, "<ab");
    out = "old";
    EXPECT_EQ(Between("x<ab", "<", ">", out), -1);
    EXPECT_EQ(out, "old");
    EXPECT_EQ(Between("xab>", "<", ">", out), -1);
    EXPECT_EQ(out, "old");
    // The close text is looked for from the open text's own position.
    EXPECT_EQ(Between("a<<b", "<", "<", out), 1);
    EXPECT_EQ(out, "");
}

TEST(StringUtil, AsciiCase)
{
    EXPECT_EQ(ToUpperAscii("abc\xE4z1"), "ABC\xE4Z1");
    std::string s = "mIx";
    ToUpperAsciiInPlace(s);
    EXPECT_EQ(s, "MIX");
    EXPECT_TRUE(EqualsIgnoreCaseAscii("Model", "mODEL"));
    EXPECT_FALSE(EqualsIgnoreCaseAscii("\xE4", "\xC4"));
    EXPECT_FALSE(EqualsIgnoreCaseAscii("ab", "abc"));
}

} // namespace
