// Tests of the INI reader.
#include "profile/ProfileReader.h"

#include "NonRegularFiles.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <optional>
#include <thread>

using namespace std::string_literals;
using platform::ParsedProfile;

namespace {

struct LookupCase
{
    const char* name;
    std::string ini;
    std::string section;
    std::string key;
    std::optional<std::string> expected; // nullopt: not found
};

class ProfileLookup : public ::testing::TestWithParam<LookupCase>
{
};

TEST_P(ProfileLookup, FindsValue)
{
    const LookupCase& c = GetParam();
    const ParsedProfile profile = ParsedProfile::Parse(c.ini);
    const std::string* value = profile.Find(c.section, c.key);
    if (!c.expected) {
        EXPECT_EQ(value, nullptr) << "got: " << (value ? *value : "");
    } else {
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(*value, *c.expected);
    }
}

const LookupCase kLookupCases[] = {
    // Case of names and values.
    {"SectionIgnoresCase", "[Model]\nName=x\n", "MODEL", "name", "x"},
    {"KeyIgnoresCase", "[s]\nMyKey=v\n", "S", "MYKEY", "v"},
    {"ValueKeepsCase", "[s]\nk=MixedCase\n", "s", "k", "MixedCase"},
    {"OnlyAsciiFolds", "[s]\n\xC3\xA9=v\n", "s", "\xC3\x89", std::nullopt},
    // Blanks.
    {"BlanksAroundKeyAndValue", "[s]\n \t\vkey \t = \t value \v\n", "s", "key", "value"},
    {"InnerBlanksKept", "[s]\nmy key = a  b\tc\n", "s", "my key", "a  b\tc"},
    {"BlanksAroundHeader", " \t[  Sec Name \t]  \nk=v\n", "sec name", "k", "v"},
    {"EmptyValue", "[s]\nk=\n", "s", "k", ""},
    {"BlankOnlyValue", "[s]\nk=   \n", "s", "k", ""},
    {"FormFeedIsNotBlank", "[s]\nk=\fv\f\n", "s", "k", "\fv\f"},
    // Quotes.
    {"DoubleQuotesRemoved", "[s]\nk=\"quoted\"\n", "s", "k", "quoted"},
    {"SingleQuotesRemoved", "[s]\nk='quoted'\n", "s", "k", "quoted"},
    {"BlanksInsideQuotesKept", "[s]\nk=  \"  a b  \"  \n", "s", "k", "  a b  "},
    {"OnlyOnePairRemoved", "[s]\nk=\"\"x\"\"\n", "s", "k", "\"x\""},
    {"EmptyQuotes", "[s]\nk=\"\"\n", "s", "k", ""},
    {"LoneQuoteStays", "[s]\nk=\"\n", "s", "k", "\""},
    {"UnpairedQuoteStays", "[s]\nk=\"abc\n", "s", "k", "\"abc"},
    {"MismatchedQuotesStay", "[s]\nk=\"abc'\n", "s", "k", "\"abc'"},
    {"InnerQuotesStay", "[s]\nk=a \"b\" c\n", "s", "k", "a \"b\" c"},
    {"KeyQuotesStay", "[s]\n\"k\"=v\n", "s", "\"k\"", "v"},
    // Comments and special characters.
    {"CommentLine", "[s]\n;k=v\n", "s", ";k", std::nullopt},
    {"IndentedComment", "[s]\n  \t; k=v\nk=w\n", "s", "k", "w"},
    {"SemicolonInValueIsData", "[s]\nk=a ; b\n", "s", "k", "a ; b"},
    {"SemicolonInKeyIsData", "[s]\na;b=v\n", "s", "a;b", "v"},
    {"HashIsOrdinary", "[s]\n#k=v\n", "s", "#k", "v"},
    {"CommentedHeaderIsNoSection", ";[s]\nk=v\n", "s", "k", std::nullopt},
    {"FirstEqualsSplits", "[s]\nk=a=b\n", "s", "k", "a=b"},
    {"EmptyKey", "[s]\n=v\n", "s", "", "v"},
    {"LineWithoutEqualsIsNoEntry", "[s]\nkey\n", "s", "key", std::nullopt},
    {"LineWithoutEqualsSkipped", "[s]\njunk line\nk=v\n", "s", "k", "v"},
    // Duplicates and unreachable lines.
    {"FirstKeyWins", "[s]\nk=1\nK=2\n", "s", "k", "1"},
    {"OnlyFirstSectionSearched", "[s]\na=1\n[t]\n[S]\nb=2\n", "s", "b", std::nullopt},
    {"RepeatedSectionDoesNotOverride", "[s]\na=1\n[s]\na=2\n", "s", "a", "1"},
    {"LinesBeforeFirstSection", "k=v\n[s]\n", "s", "k", std::nullopt},
    {"NothingOutsideSections", "k=v\n", "", "k", std::nullopt},
    {"MissingSection", "[s]\nk=v\n", "t", "k", std::nullopt},
    // Section headers.
    {"RestOfHeaderIgnored", "[s] k=v\nj=w\n", "s", "j", "w"},
    {"HeaderTextAfterBracketNoKey", "[s] k=v\n", "s", "k", std::nullopt},
    {"NameEndsAtFirstBracket", "[a]b]\nk=v\n", "a", "k", "v"},
    {"HeaderWithoutBracket", "[open\nk=v\n", "open", "k", "v"},
    {"HeaderWithoutBracketTrimmed", "[ open  \nk=v\n", "open", "k", "v"},
    {"EmptySectionName", "[]\nk=v\n", "", "k", "v"},
    {"BracketInsideKeyLine", "[s]\na[1]=v\n", "s", "a[1]", "v"},
    // Line ends.
    {"CrLf", "[s]\r\na=1\r\nb=2\r\n", "s", "b", "2"},
    {"LoneCr", "[s]\ra=1\rb=2", "s", "b", "2"},
    {"CrDoesNotStayInValue", "[s]\ra=1\r", "s", "a", "1"},
    {"MixedLineEnds", "[s]\r\na=1\rb=2\nc=3", "s", "c", "3"},
    {"LastLineWithoutEnd", "[s]\nk=v", "s", "k", "v"},
    {"EmptyFile", "", "s", "k", std::nullopt},
    // Odd bytes.
    {"ValueCutAtNul", "[s]\nk=ab\0cd\n"s, "s", "k", "ab"},
    {"QuotedValueCutAtNul", "[s]\nk=\"ab\0cd\"\n"s, "s", "k", "ab"},
    {"Utf8SignatureSkipped", "\xEF\xBB\xBF[s]\nk=v\n", "s", "k", "v"},
    {"HighBytesKept", "[s]\nk=\xE9t\xE9\n", "s", "k", "\xE9t\xE9"},
};

INSTANTIATE_TEST_SUITE_P(Rules, ProfileLookup, ::testing::ValuesIn(kLookupCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ParsedProfile, ListsFirstOccurrencesInFileOrder)
{
    const ParsedProfile p =
        ParsedProfile::Parse("x=0\n[Beta]\nb=1\na=2\nB=3\n[alpha]\nz=1\n[BETA]\nc=4\n");
    EXPECT_EQ(p.SectionNames(), (std::vector<std::string>{"Beta", "alpha"}));
    EXPECT_EQ(p.KeyNames("beta"), (std::vector<std::string>{"b", "a"}));
    EXPECT_TRUE(p.KeyNames("missing").empty());
}

TEST(ParsedProfile, LinesOfSectionsAndKeys)
{
    // LF, CR LF and a lone CR each end a line; comments, blank and junk lines count too.
    const ParsedProfile p = ParsedProfile::Parse("\xEF\xBB\xBF; top\r\n"
                                                 "[Main]\r\n"
                                                 "SIZE=1,2\r\r"
                                                 "junk\n"
                                                 "e1 = x\n"
                                                 "E1=second occurrence\n"
                                                 "[main]\n"
                                                 "E2=unreachable\n"
                                                 "[Other]\n"
                                                 "k=");
    EXPECT_EQ(p.SectionLine("MAIN"), 2);
    EXPECT_EQ(p.KeyLine("main", "size"), 3);
    EXPECT_EQ(p.KeyLine("Main", "E1"), 6); // the entry Find reads
    EXPECT_EQ(*p.Find("Main", "E1"), "x");
    EXPECT_EQ(p.SectionLine("other"), 10);
    EXPECT_EQ(p.KeyLine("Other", "K"), 11);
    EXPECT_EQ(p.KeyLine("Main", "E2"), 0);
    EXPECT_EQ(p.KeyLine("None", "k"), 0);
    EXPECT_EQ(p.SectionLine("None"), 0);
}

TEST(ParsedProfile, ManySectionsAndKeys)
{
    std::string ini;
    for (int s = 0; s < 100; ++s) {
        ini += "[Section" + std::to_string(s) + "]\n";
        for (int k = 0; k < 100; ++k)
            ini += "Key" + std::to_string(k) + " = value " + std::to_string(s * 100 + k) + "\n";
    }
    const ParsedProfile p = ParsedProfile::Parse(ini);
    ASSERT_EQ(p.SectionNames().size(), 100u);
    for (int s = 0; s < 100; s += 7) {
        for (int k = 0; k < 100; k += 13) {
            const std::string* v = p.Find("SECTION" + std::to_string(s), "key" + std::to_string(k));
            ASSERT_NE(v, nullptr);
            EXPECT_EQ(*v, "value " + std::to_string(s * 100 + k));
        }
    }
}

class ProfileFile : public ::testing::Test
{
protected:
    void SetUp() override { platform::ClearProfileCache(); }
    void TearDown() override { platform::ClearProfileCache(); }
    TempDir m_dir;
};

TEST_F(ProfileFile, ValueAndDefaultAreCutToBuffer)
{
    const std::string path = m_dir.Write("a.ini", "[s]\nk=0123456789\n");
    struct
    {
        std::string_view key;
        std::size_t buffer;
        std::string expected;
    } cases[] = {
        {"k", 11, "0123456789"}, {"k", 10, "012345678"}, {"k", 1, ""},      {"k", 0, ""},
        {"x", 4, "def"},         {"x", 3, "de"},         {"x", 299, "def"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::GetProfileString(path, "S", c.key, "def", c.buffer), c.expected)
            << c.key << " buffer " << c.buffer;
    }
}

TEST_F(ProfileFile, DefaultBufferHolds298Characters)
{
    const std::string path = m_dir.Write("long.ini", "[s]\nk=" + std::string(400, 'x') + "\n");
    EXPECT_EQ(platform::GetProfileString(path, "s", "k", ""), std::string(298, 'x'));
}

TEST_F(ProfileFile, MissingFileGivesDefault)
{
    EXPECT_EQ(platform::GetProfileString(m_dir / "none.ini", "s", "k", "dflt"), "dflt");
    EXPECT_EQ(platform::GetProfileInt(m_dir / "none.ini", "s", "k", 42), 42);
    EXPECT_EQ(platform::LoadProfile(m_dir / "none.ini"), nullptr);
}

TEST_F(ProfileFile, DirectoryIsNoProfile)
{
    EXPECT_EQ(platform::LoadProfile(m_dir.Path()), nullptr);
    EXPECT_EQ(platform::GetProfileString(m_dir.Path(), "s", "k", "d"), "d");
}

TEST_F(ProfileFile, FilesThatAreNotFilesAreNoProfileAndDoNotBlock)
{
    const HangGuard guard;
    for (const SpecialFile kind : kSpecialFiles) {
        const std::string path = m_dir / (std::string(SpecialFileName(kind)) + ".ini");
        ASSERT_TRUE(MakeSpecialFile(path, kind));
        EXPECT_EQ(platform::LoadProfile(path), nullptr) << SpecialFileName(kind);
        EXPECT_EQ(platform::GetProfileString(path, "s", "k", "d"), "d");
    }
}

TEST_F(ProfileFile, NameFoundIgnoringCase)
{
    m_dir.Write("Sub/model.ini", "[s]\nk=found\n");
    EXPECT_EQ(platform::GetProfileString(m_dir / "SUB\\MODEL.INI", "s", "k", ""), "found");
}

TEST_F(ProfileFile, Integers)
{
    const std::string path = m_dir.Write(
        "int.ini", "[n]\nplain=42\nneg=-17\nplus=+5\ntrail=12abc\nword=abc\nempty=\n"
                   "quoted=\"7\"\nhuge=99999999999999999999\nnhuge=-99999999999999999999\n");
    struct
    {
        const char* key;
        int expected;
    } cases[] = {{"plain", 42},     {"neg", -17},      {"plus", 5},   {"trail", 12},
                 {"word", 0},       {"empty", 0},      {"quoted", 7}, {"missing", -1},
                 {"huge", INT_MAX}, {"nhuge", INT_MIN}};
    for (const auto& c : cases)
        EXPECT_EQ(platform::GetProfileInt(path, "N", c.key, -1), c.expected) << c.key;
}

TEST_F(ProfileFile, CacheSharesParsedFile)
{
    const std::string path = m_dir.Write("c.ini", "[s]\nk=v\n");
    const auto first = platform::LoadProfile(path);
    const auto second = platform::LoadProfile(path);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
}

TEST_F(ProfileFile, RewrittenFileIsReadAgain)
{
    const std::string path = m_dir.Write("c.ini", "[s]\nk=old\n");
    EXPECT_EQ(platform::GetProfileString(path, "s", "k", ""), "old");
    m_dir.Write("c.ini", "[s]\nk=newer\n");
    EXPECT_EQ(platform::GetProfileString(path, "s", "k", ""), "newer");
}

TEST_F(ProfileFile, SameSizeRewriteIsReadAgainWhenStampChanges)
{
    const std::string path = m_dir.Write("c.ini", "[s]\nk=aaa\n");
    EXPECT_EQ(platform::GetProfileString(path, "s", "k", ""), "aaa");
    m_dir.Write("c.ini", "[s]\nk=bbb\n");
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) +
                                               std::chrono::seconds(2));
    EXPECT_EQ(platform::GetProfileString(path, "s", "k", ""), "bbb");
}

TEST_F(ProfileFile, DeletedFileGivesDefault)
{
    const std::string path = m_dir.Write("c.ini", "[s]\nk=v\n");
    EXPECT_EQ(platform::GetProfileString(path, "s", "k", "d"), "v");
    std::filesystem::remove(path);
    EXPECT_EQ(platform::GetProfileString(path, "s", "k", "d"), "d");
}

TEST_F(ProfileFile, RelativeNameFollowsCurrentFolder)
{
    // Same size and stamp in both folders: only the folder tells them apart.
    const std::string a = m_dir.Write("a/p.ini", "[s]\nk=A\n");
    const std::string b = m_dir.Write("b/p.ini", "[s]\nk=B\n");
    std::filesystem::last_write_time(b, std::filesystem::last_write_time(a));
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(m_dir / "a");
    EXPECT_EQ(platform::GetProfileString("p.ini", "s", "k", ""), "A");
    std::filesystem::current_path(m_dir / "b");
    EXPECT_EQ(platform::GetProfileString("P.INI", "s", "k", ""), "B");
    EXPECT_EQ(platform::GetProfileString("p.ini", "s", "k", ""), "B");
    std::filesystem::current_path(old);
}

TEST_F(ProfileFile, ConcurrentReaders)
{
    std::string ini = "[s]\n";
    for (int i = 0; i < 500; ++i)
        ini += "k" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    const std::string path = m_dir.Write("t.ini", ini);
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 500; ++i) {
                if (platform::GetProfileInt(path, "s", "k" + std::to_string(i), -1) != i)
                    ++wrong;
                if (i % 100 == 0)
                    platform::ClearProfileCache();
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST(ProfileFixture, SampleFile)
{
    const std::string path = std::string(PLATFORM_TEST_DATA_DIR) + "/sample.ini";
    EXPECT_EQ(platform::GetProfileString(path, "Model", "Title", ""), "Sample Model");
    EXPECT_EQ(platform::GetProfileString(path, "model", "Path", ""), "C:\\Models\\demo");
    EXPECT_EQ(platform::GetProfileInt(path, "Colors", "Background", 0), 16777215);
    EXPECT_EQ(platform::GetProfileString(path, "Colors", "Note", ""), " spaced ");
}

} // namespace
