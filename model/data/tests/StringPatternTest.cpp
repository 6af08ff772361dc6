// Tests of the pattern checker: signatures, checks, field extraction, and a differential test
// of the fast checker against the plain reference implementation.

#include "StringPattern.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

struct SignatureCase
{
    std::string value;
    std::string separators;
    int files;
    int numbersAsText;
    std::string signature;
};

class SignatureTest : public ::testing::TestWithParam<SignatureCase>
{
};

TEST_P(SignatureTest, FastAndReferenceGiveTheExpectedSignature)
{
    const SignatureCase& c = GetParam();
    EXPECT_EQ(BuildSignature(c.value, c.separators, c.files, c.numbersAsText), c.signature);
    EXPECT_EQ(reference_pattern::BuildSignature(c.value, c.separators, c.files, c.numbersAsText),
              c.signature);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SignatureTest,
    ::testing::Values(
        SignatureCase{"10,20,Pump,0,p.txt,q,,a;b", ",;", 1, 0, "#,#,$,#,F$,$,#,$;$"},
        SignatureCase{"3;4", ",;", 1, 0, "#;#"},
        SignatureCase{"E7", ",;", 1, 0, "E#"},
        SignatureCase{"K1|x^y^z", "|^", 0, 1, "$|$^$^$"},
        SignatureCase{"1,,2", ",;", 1, 0, "#,#,#"},
        SignatureCase{"-", ",;", 1, 0, "#"},
        SignatureCase{"1-2", ",;", 1, 0, "#"},
        SignatureCase{"E", ",;", 1, 0, "E#"},
        SignatureCase{"E-", ",;", 1, 0, "E#"},
        SignatureCase{"e1", ",;", 1, 0, "$"},
        SignatureCase{"x.txt", ",;", 1, 0, "F$"},
        SignatureCase{"x.txt", ",;", 0, 0, "$"},
        SignatureCase{"a\\b", ",;", 1, 0, "F$"},
        SignatureCase{"c:x", ",;", 1, 0, "F$"},
        SignatureCase{"12", ",;", 1, 1, "$"},
        SignatureCase{"E12", "|^", 0, 1, "E#"},
        SignatureCase{"E1.5", ",;", 1, 0, "F$"},
        SignatureCase{" 12\t", ",;", 1, 0, "#"},
        SignatureCase{"1 2", ",;", 1, 0, "$"},
        SignatureCase{"E 1", ",;", 1, 0, "$"},
        SignatureCase{" \t", ",;", 1, 0, "#"},
        SignatureCase{"x", ",;", 1, 0, "$"},
        // Separators at the ends and empty fields.
        SignatureCase{",a", ",;", 1, 0, "#,$"},
        SignatureCase{"a,", ",;", 1, 0, "$,#"},
        SignatureCase{"a,;b", ",;", 1, 0, "$,#;$"},
        SignatureCase{"a;b,c", ",;", 1, 0, "$;$,$"},
        SignatureCase{"1;2;3;4,0,E1,E2;E3", ",;", 1, 0, "#;#;#;#,#,E#,E#;E#"},
        SignatureCase{"M2;E3", ";", 1, 0, "M#;E#"},
        // The last field of an inner level takes the enclosing level's separator.
        SignatureCase{"a|b^c|d", "|^", 0, 1, "$|$^$|$"},
        SignatureCase{"a^b", "|^", 0, 1, "$^$"},
        // A field with only a third-level separator ends with the second level's one.
        SignatureCase{"a,b:c,d", ",;:", 0, 0, "$,$:$;$"}));

struct CheckCase
{
    std::string value;
    std::string_view pattern;
    std::string_view separators;
    int files;
    int numbersAsText;
    int expected;
};

class CheckTest : public ::testing::TestWithParam<CheckCase>
{
};

TEST_P(CheckTest, FastAndReferenceAgreeWithTheExpectedResult)
{
    const CheckCase& c = GetParam();
    CStringPattern checker;
    checker.SetDetectFileNames(c.files);
    EXPECT_EQ(checker.Check(c.value, c.pattern, c.separators, c.numbersAsText), c.expected);
    EXPECT_EQ(MatchPattern(c.value, c.pattern, c.separators, STRSNTX_NONE, c.files,
                           c.numbersAsText),
              c.expected);
    std::string signature;
    EXPECT_EQ(reference_pattern::Check(c.value, std::string(c.pattern),
                                       std::string(c.separators), c.files, c.numbersAsText,
                                       &signature),
              c.expected);
    EXPECT_EQ(checker.Signature(), signature);
}

using namespace pattern;

INSTANTIATE_TEST_SUITE_P(
    Patterns, CheckTest,
    ::testing::Values(
        CheckCase{"", kSize, kModelSeparators, 1, 0, 0},
        CheckCase{"", kInstances, kInstanceSeparators, 0, 1, 0},
        CheckCase{"1,2", kSize, kModelSeparators, 1, 0, 1},
        CheckCase{"1,2,3", kSize, kModelSeparators, 1, 0, 1},
        CheckCase{"1,x", kSize, kModelSeparators, 1, 0, 0},
        CheckCase{"10,20", kElementJump, kModelSeparators, 1, 0, 1},
        CheckCase{"10,20,Pump,0,M2", kElementJump, kModelSeparators, 1, 0, 1},
        CheckCase{"10,20,Pump,0,E2", kElementJump, kModelSeparators, 1, 0, 0},
        CheckCase{"10,20,Pump,0,p.txt,q,r,a", kElementNormal, kModelSeparators, 1, 0, 1},
        CheckCase{"10,20,Pump,0,p.txt,q,r,a;b;c", kElementNormal, kModelSeparators, 1, 0, 1},
        CheckCase{"10,20,Pump,0,p.txt,q,r,a;b;1", kElementNormal, kModelSeparators, 1, 0, 0},
        CheckCase{"10,20,Pump,0,ptxt,q,r,a", kElementNormal, kModelSeparators, 1, 0, 0},
        CheckCase{"a|b|c", kInstances, kInstanceSeparators, 0, 1, 0},
        CheckCase{"a|b", kInstances, kInstanceSeparators, 0, 1, 1},
        CheckCase{"a|b^c^d", kInstances, kInstanceSeparators, 0, 1, 1},
        CheckCase{"K1|12^x.y^", kInstances, kInstanceSeparators, 0, 1, 1},
        CheckCase{"K1|E1^x", kInstances, kInstanceSeparators, 0, 1, 0},
        CheckCase{"1;2;3;4,0,E1,E2;E3", kGroup, kModelSeparators, 1, 0, 1},
        CheckCase{"1;2;3;4,0,E1,E2,E3", kGroup, kModelSeparators, 1, 0, 0},
        CheckCase{"M1;E2,E3,0,1,l.rel,1;2,3;4", kLink, kModelSeparators, 1, 0, 1},
        CheckCase{"E2,M1;E3,0,1,l.rel,1;2", kLink, kModelSeparators, 1, 0, 1},
        CheckCase{"E2,E3,0,1,l.rel,1;2,3", kLink, kModelSeparators, 1, 0, 1},
        CheckCase{"E2,E3,0,1,l.rel,1;2,x;4", kLink, kModelSeparators, 1, 0, 0},
        CheckCase{"1,2,3,4,5,L1;0,L2;1", kSymbol, kModelSeparators, 1, 0, 1},
        CheckCase{"1,2,3,4,5,L1;0,2;1", kSymbol, kModelSeparators, 1, 0, 0},
        CheckCase{"a,b", kRelations, kModelSeparators, 0, 1, 1},
        CheckCase{"12,E3", kRelations, kModelSeparators, 0, 1, 0},
        // An optional group is skipped when it does not match, and a partly matching group
        // consumes what matched.
        CheckCase{"E3", "[M#;]E#", ";", 1, 0, 1},
        CheckCase{"M3", "[M#;]E#", ";", 1, 0, 1},
        CheckCase{"M3;E4", "[M#;]E#", ";", 1, 0, 1},
        CheckCase{"L3", "[M#;]E#", ";", 1, 0, 0},
        CheckCase{"M2;E3", kQualifiedElement, ";", 1, 0, 1},
        CheckCase{"E3", kQualifiedElement, ";", 1, 0, 0},
        CheckCase{"3;4", kPair, ";", 0, 0, 1},
        CheckCase{"3;x", kPair, ";", 0, 0, 0},
        CheckCase{"L3;4", kCounter, ";", 0, 0, 1},
        CheckCase{"P1,P2,P3", kPageList, kModelSeparators, 1, 0, 1},
        CheckCase{"P1,P2;x", kPageList, kModelSeparators, 1, 0, 0},
        CheckCase{"x", "#", ",;", 0, 0, 0},
        CheckCase{"x", "", ",;", 0, 0, 0},
        CheckCase{"x", "$", "", 0, 0, 0},
        // Malformed patterns end: an empty repeating body and a stray "]".
        CheckCase{"a,b,c", "$[~]", ",;", 0, 0, 1},
        CheckCase{"a,b,c", "$[~~],#", ",;", 0, 0, 0},
        CheckCase{"a,b", "$],$", ",;", 0, 0, 1}));

TEST(CheckObject, SignatureStaysReadableAndIsClearedByAnEarlyFailure)
{
    CStringPattern checker;
    EXPECT_TRUE(checker.Signature().empty());
    checker.SetDetectFileNames(1);
    EXPECT_EQ(checker.Check("10,20,p.txt", kSize, kModelSeparators, 0), 1);
    EXPECT_EQ(checker.Signature(), "#,#,F$");
    EXPECT_EQ(checker.Check("", kSize, kModelSeparators, 0), 0);
    EXPECT_EQ(checker.Signature(), "");
}

struct FieldCase
{
    std::string text;
    char separator;
    int n;
    int result;
    std::string field; // "<unchanged>" when the out field must keep its old value
};

class FieldTest : public ::testing::TestWithParam<FieldCase>
{
};

TEST_P(FieldTest, BothOverloads)
{
    const FieldCase& c = GetParam();
    std::string field = "<unchanged>";
    EXPECT_EQ(GetField(c.text, c.separator, c.n, field), c.result);
    EXPECT_EQ(field, c.field);
    std::string_view view = "<unchanged>";
    EXPECT_EQ(GetField(c.text, c.separator, c.n, view), c.result);
    EXPECT_EQ(std::string(view), c.field);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, FieldTest,
    ::testing::Values(FieldCase{"a,b", ',', 3, -1, "<unchanged>"},
                      FieldCase{",a", ',', 1, 2, ""}, FieldCase{"a", ',', 1, 0, "a"},
                      FieldCase{"", ',', 1, 0, ""}, FieldCase{"", ',', 2, -1, "<unchanged>"},
                      FieldCase{"a,b", ',', 1, 1, "a"}, FieldCase{"a,b", ',', 2, 0, "b"},
                      FieldCase{"a,", ',', 2, 0, ""}, FieldCase{"a,,b", ',', 2, 2, ""},
                      FieldCase{" a ,b", ',', 1, 1, " a "},
                      FieldCase{"a,b", ',', 0, -1, "<unchanged>"},
                      FieldCase{std::string("a\0b", 3), '\0', 2, 0, "b"}));

// ---- Differential test ------------------------------------------------------------------

struct Combination
{
    std::string pattern;
    std::string separators;
    int files;
    int numbersAsText;
};

std::vector<Combination> TableCombinations()
{
    std::vector<Combination> all;
    for (std::string_view p : {kSize, kImage, kElementNormal, kElementJump, kGroup, kLink,
                               kSymbol, kPageList})
        all.push_back({std::string(p), std::string(kModelSeparators), 1, 0});
    all.push_back({std::string(kRelations), std::string(kModelSeparators), 0, 1});
    all.push_back({std::string(kInstances), std::string(kInstanceSeparators), 0, 1});
    all.push_back({std::string(kQualifiedElement), ";", 1, 0});
    all.push_back({std::string(kPair), ";", 0, 0});
    all.push_back({std::string(kCounter), ";", 0, 0});
    return all;
}

std::string RandomValue(std::mt19937& rng, const std::string& separators)
{
    static const std::string kAlphabet = "EGLSMex0123456789-.:\\ \t|^,;";
    const int length = static_cast<int>(rng() % 24);
    std::string value;
    for (int i = 0; i < length; ++i) {
        const unsigned pick = rng() % 8;
        if (pick < 3)
            value += separators[rng() % separators.size()];
        else if (pick < 5)
            value += static_cast<char>('0' + rng() % 10);
        else
            value += kAlphabet[rng() % kAlphabet.size()];
    }
    return value;
}

std::string RandomPattern(std::mt19937& rng)
{
    static const std::vector<std::string> kPieces = {"#", "$", "F$", "E#", "M#", "L#", ",",
                                                     ";", "|", "^", "[", "[~", "]", "~"};
    const int length = 1 + static_cast<int>(rng() % 10);
    std::string pattern;
    for (int i = 0; i < length; ++i)
        pattern += kPieces[rng() % kPieces.size()];
    return pattern;
}

void ExpectSame(const std::string& value, const std::string& pattern,
                const std::string& separators, int files, int numbersAsText)
{
    std::string expectedSignature;
    const int expected = reference_pattern::Check(value, pattern, separators, files,
                                                  numbersAsText, &expectedSignature);
    CStringPattern checker;
    checker.SetDetectFileNames(files);
    const int actual = checker.Check(value, pattern, separators, numbersAsText);
    ASSERT_EQ(actual, expected) << "value '" << value << "' pattern '" << pattern
                                << "' separators '" << separators << "'";
    ASSERT_EQ(checker.Signature(), expectedSignature) << "value '" << value << "'";
    ASSERT_EQ(MatchPattern(value, pattern, separators, STRSNTX_NONE, files, numbersAsText),
              expected)
        << "value '" << value << "' pattern '" << pattern << "'";
}

TEST(Differential, TablePatternsAgreeWithTheReference)
{
    std::mt19937 rng(20240611);
    const std::vector<Combination> combinations = TableCombinations();
    int checked = 0;
    for (int round = 0; round < 16000; ++round) {
        for (const Combination& c : combinations) {
            ExpectSame(RandomValue(rng, c.separators), c.pattern, c.separators, c.files,
                       c.numbersAsText);
            if (::testing::Test::HasFatalFailure())
                return;
            ++checked;
        }
    }
    EXPECT_GE(checked, 200000);
}

TEST(Differential, RandomPatternsAndSwitchesAgreeWithTheReference)
{
    std::mt19937 rng(7);
    const std::vector<std::string> separatorLists = {",;", "|^", ";", ",", ",;:", ";,", "^|"};
    for (int i = 0; i < 60000; ++i) {
        const std::string& separators = separatorLists[rng() % separatorLists.size()];
        ExpectSame(RandomValue(rng, separators), RandomPattern(rng), separators,
                   static_cast<int>(rng() % 2), static_cast<int>(rng() % 2));
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

TEST(Differential, UnusualSeparatorListsAgreeWithTheReference)
{
    // Separator lists with repeated characters or kind-symbol characters take the general
    // stripping path; the signature must still be the reference's.
    std::mt19937 rng(99);
    const std::vector<std::string> separatorLists = {",,", ",;,", "#,", "$;", "E,", std::string(1, '\0') + ","};
    for (int i = 0; i < 20000; ++i) {
        const std::string& separators = separatorLists[rng() % separatorLists.size()];
        ExpectSame(RandomValue(rng, separators), RandomPattern(rng), separators,
                   static_cast<int>(rng() % 2), static_cast<int>(rng() % 2));
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

TEST(LongValues, ManySeparatorsStayLinear)
{
    // 1 MB with about 250,000 fields: the fast checker must handle it in linear time.
    std::string value;
    value.reserve(1 << 20);
    value += "K|";
    while (value.size() < (1u << 20))
        value += "ab^";
    value += "z";
    EXPECT_EQ(MatchPattern(value, kInstances, kInstanceSeparators, STRSNTX_INSTANCES, 0, 1), 1);
    value[value.size() / 2] = '|';
    EXPECT_EQ(MatchPattern(value, kInstances, kInstanceSeparators, STRSNTX_INSTANCES, 0, 1), 0);
    const std::string signature = BuildSignature(value, kInstanceSeparators, 0, 1);
    EXPECT_EQ(signature.substr(0, 7), "$|$^$^$");
}

} // namespace
