#include "text/TextDecode.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace {

TEST(TextDecode, Utf8Validation)
{
    struct
    {
        std::string bytes;
        bool valid;
    } cases[] = {
        {"", true},
        {"plain ascii\n", true},
        {"\0inner nul"s, true},
        {"caf\xC3\xA9", true},       // U+00E9
        {"\xE2\x82\xAC", true},      // U+20AC
        {"\xF0\x9F\x98\x80", true},  // U+1F600
        {"\xF4\x8F\xBF\xBF", true},  // U+10FFFF
        {"\xED\x9F\xBF", true},      // U+D7FF, just below the surrogates
        {"\xEE\x80\x80", true},      // U+E000, just above them
        {"caf\xE9", false},          // 1252 e-acute
        {"\x80", false},             // lone continuation
        {"\xC3", false},             // truncated at the end
        {"\xC3 x", false},           // truncated in the middle
        {"\xC0\xAF", false},         // overlong '/'
        {"\xC1\xBF", false},         // overlong
        {"\xE0\x9F\xBF", false},     // overlong three-byte
        {"\xF0\x8F\xBF\xBF", false}, // overlong four-byte
        {"\xED\xA0\x80", false},     // U+D800 surrogate
        {"\xF4\x90\x80\x80", false}, // above U+10FFFF
        {"\xF5\x80\x80\x80", false}, // invalid lead
        {"\xFF", false},
        {"\xE2\x82", false},     // truncated three-byte
        {"\xF0\x9F\x98", false}, // truncated four-byte
        {"\xE2\x28\xA1", false}, // bad second byte
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::IsValidUtf8(c.bytes), c.valid) << ::testing::PrintToString(c.bytes);
}

TEST(TextDecode, ValidUtf8Unchanged)
{
    const std::string text = "Gr\xC3\xBC\xC3\x9F"
                             "e \xE2\x82\xAC 5";
    EXPECT_EQ(platform::DecodeToUtf8(text), text);
}

TEST(TextDecode, Windows1252Converted)
{
    struct
    {
        std::string in;
        std::string out;
    } cases[] = {
        {"caf\xE9", "caf\xC3\xA9"},
        {"\x80 5", "\xE2\x82\xAC 5"}, // euro sign
        {"\x93quoted\x94", "\xE2\x80\x9Cquoted\xE2\x80\x9D"},
        {"\x85", "\xE2\x80\xA6"}, // ellipsis
        {"\x8A\x9A\x9F", "\xC5\xA0\xC5\xA1\xC5\xB8"},
        {"\x83\x88\x98", "\xC6\x92\xCB\x86\xCB\x9C"},
        {"\x99", "\xE2\x84\xA2"},                                             // trade mark
        {"\x81\x8D\x8F\x90\x9D", "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"}, // undefined
        {"\xA0\xFF", "\xC2\xA0\xC3\xBF"},
        {"a\0b\xE9"s, "a\0b\xC3\xA9"s},
    };
    for (const auto& c : cases) {
        const std::string decoded = platform::DecodeToUtf8(c.in);
        EXPECT_EQ(decoded, c.out) << ::testing::PrintToString(c.in);
        EXPECT_TRUE(platform::IsValidUtf8(decoded));
    }
}

TEST(TextDecode, EveryByteDecodesToValidUtf8)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string decoded = platform::DecodeToUtf8(all);
    EXPECT_TRUE(platform::IsValidUtf8(decoded));
    // 128 ASCII bytes, 32 high-half letters of two bytes, the rest per table.
    EXPECT_GT(decoded.size(), all.size());
}

} // namespace
