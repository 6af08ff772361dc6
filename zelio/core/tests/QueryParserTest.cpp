#include "QueryParser.h"

#include <gtest/gtest.h>

using namespace zelio;

namespace {

std::string Match(std::string_view query)
{
    std::string match;
    BuildMatchExpression(query, CountTokensSimple, match);
    return match;
}

} // namespace

TEST(QueryParser, WordsPhrasesAndOperators)
{
    EXPECT_EQ(Match("P-101 AND impeller"), "(\"P-101\" AND \"impeller\")");
    EXPECT_EQ(Match("pump impeller"), "(\"pump\" AND \"impeller\")");
    EXPECT_EQ(Match("KV-0005 OR (Air Valve AND DN 150)"),
              "(\"KV-0005\" OR (\"Air\" AND \"Valve\" AND \"DN\" AND \"150\"))");
    EXPECT_EQ(Match("\"air valve\" NOT leak"), "(\"air valve\" NOT \"leak\")");
    EXPECT_EQ(Match("a OR b c"), "(\"a\" OR (\"b\" AND \"c\"))");
    // Only upper-case operators are operators.
    EXPECT_EQ(Match("a and b"), "(\"a\" AND \"and\" AND \"b\")");
}

TEST(QueryParser, PrefixesAndQuotesInsideTerms)
{
    EXPECT_EQ(Match("impel*"), "\"impel\"*");
    EXPECT_EQ(Match("\"air val\"*"), "\"air val\"*");
    EXPECT_EQ(Match("O\"Brien"), "(\"O\" AND \"Brien\")");
    EXPECT_EQ(Match("say\" \"x"), "(\"say\" AND \"x\")");
    // Unterminated quotes run to the end; FTS5 syntax inside a term is text.
    EXPECT_EQ(Match("\"open phrase"), "\"open phrase\"");
    EXPECT_EQ(Match("body:x NEAR(a b) ^c"),
              "(\"body:x\" AND \"NEAR\" AND (\"a\" AND \"b\") AND \"^c\")");
    EXPECT_EQ(Match("a\"\"b"), "(\"a\" AND \"b\")");
}

TEST(QueryParser, UnbalancedParenthesesAreText)
{
    EXPECT_EQ(Match("(a OR b"), "(\"a\" OR \"b\")");
    EXPECT_EQ(Match("a) OR b"), "(\"a\" OR \"b\")");
    EXPECT_EQ(Match("f(x)"), "(\"f\" AND \"x\")");
    std::string deep(100, '(');
    deep += "a";
    deep += std::string(100, ')');
    EXPECT_EQ(Match(deep), "\"a\"");
}

TEST(QueryParser, NothingSearchable)
{
    std::string match = "stale";
    EXPECT_FALSE(BuildMatchExpression("", CountTokensSimple, match));
    EXPECT_TRUE(match.empty());
    for (const char* query : {"   ", "AND OR", "NOT a", "- * ()", "\"\"", "( )", "NOT (a OR b)"})
        EXPECT_FALSE(BuildMatchExpression(query, CountTokensSimple, match)) << query;
}

TEST(QueryParser, DanglingOperatorsAreDropped)
{
    EXPECT_EQ(Match("a AND"), "\"a\"");
    EXPECT_EQ(Match("OR a"), "\"a\"");
    EXPECT_EQ(Match("a NOT"), "\"a\"");
    EXPECT_EQ(Match("a NOT NOT b"), "(\"a\" AND \"b\")");
    EXPECT_EQ(Match("a NOT b NOT c"), "(\"a\" NOT (\"b\" OR \"c\"))");
    EXPECT_EQ(Match("- OR a"), "\"a\"");
}
