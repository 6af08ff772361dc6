#include "QueryBuilder.h"

#include "InstanceLoader.h"
#include "ModelTypes.h"
#include "TempDir.h"
#include "profile/ProfileReader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

struct ExpansionCase
{
    const char* name;
    const char* queryTemplate;
    const char* values;
    int attributes;
    const char* expected;
};

class QueryExpansion : public ::testing::TestWithParam<ExpansionCase>
{};

TEST_P(QueryExpansion, ExpandsAsTheViewerExpects)
{
    const ExpansionCase& c = GetParam();
    EXPECT_EQ(ExpandQueryTemplate(c.queryTemplate, c.values, c.attributes), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Templates, QueryExpansion,
    ::testing::Values(
        ExpansionCase{"ValueAndGroup", "see $2 in @1(0^3)", "defgh^abc", 2, "see abc in def"},
        ExpansionCase{"GroupRunsOverTheEnd", "see $2 in @1(2^10)", "defgh^abc", 2,
                      "see abc in fgh"},
        ExpansionCase{"GroupStartBeyondValue", "x@1(9^2)y", "abc", 1, "xy"},
        ExpansionCase{"GroupsStartAtOne", "find @2(0^3)", "abcdef^ghijkl", 2, "find @2(0^3)"},
        ExpansionCase{"GapEndsTheGroups", "@1(0^2) @3(0^2)", "abcd^efgh^ijkl", 3, "ab @3(0^2)"},
        ExpansionCase{"DollarOneMatchesDollarTen", "$10 and $1", "v1^v2^v3^v4^v5^v6^v7^v8^v9^v10",
                      10, "v10 and $1"},
        ExpansionCase{"TwoDigitNumberLeavesABlank", "$1 [$12]", "a^b^c^d^e^f^g^h^i^j^k^twelve", 12,
                      "a [twelve ]"},
        ExpansionCase{"OnlyFirstOccurrence", "$1 $1", "x", 1, "x $1"},
        ExpansionCase{"ValuesAreTrimmed", "<$1|$2>", " \tspaced \t^  b", 2, "<spaced|b>"},
        ExpansionCase{"MissingValueIsEmpty", "a $3 b", "one^two", 3, "a  b"},
        ExpansionCase{"PlaceholderBeyondAttributesStays", "$2", "one^two", 1, "$2"},
        ExpansionCase{"GroupWithoutParenthesisStays", "@1) and @2(0^1)", "abc^def", 2,
                      "@1) and d"},
        ExpansionCase{"GroupWithoutCloseStays", "@1(0^2", "abc", 1, "@1(0^2"},
        ExpansionCase{"ValuesAreNotExpandedAgain", "$1 $2", "$2^@1(x)", 2, "$2 @1(x)"},
        ExpansionCase{"NoMarkers", "pump AND impeller", "a^b", 2, "pump AND impeller"}),
    [](const ::testing::TestParamInfo<ExpansionCase>& info) { return info.param.name; });

class InstanceQueryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        element.query = "$2 AND station";
        element.attributes = {"Id", "Name"};
        instance.key = "STN-07";
        instance.text = "STN-07^North Weir";
        instance.element = &element;
    }
    void WriteModel(const std::string& text)
    {
        std::ofstream(modelPath) << text;
        platform::ClearProfileCache();
    }

    TempDir dir;
    std::string modelPath = dir / "m.mdl";
    CElement element;
    CInstanceRecord instance;
};

TEST_F(InstanceQueryTest, InstanceQuerySectionWinsUnlessEmpty)
{
    WriteModel("[INSTANCE QUERY]\nSTN-07=$1 AND flood\nSTN-08=\n");
    EXPECT_EQ(BuildInstanceQuery(instance, modelPath).value_or("?"), "STN-07 AND flood");
    instance.key = "STN-08";
    EXPECT_EQ(BuildInstanceQuery(instance, modelPath).value_or("?"), "North Weir AND station");
    EXPECT_EQ(BuildInstanceQuery(instance, dir / "missing.mdl").value_or("?"),
              "North Weir AND station");
}

TEST_F(InstanceQueryTest, NoElementOrTooLongCannotBeBuilt)
{
    std::string used = "x";
    instance.element = nullptr;
    EXPECT_FALSE(BuildInstanceQuery(instance, modelPath, &used));
    EXPECT_EQ(used, "");

    instance.element = &element;
    instance.text = "id^" + std::string(kMaxQueryLength, 'n');
    EXPECT_FALSE(BuildInstanceQuery(instance, modelPath, &used));
    EXPECT_EQ(used, "$2 AND station");
    instance.text = "id^" + std::string(kMaxQueryLength - 12, 'n');
    EXPECT_EQ(BuildInstanceQuery(instance, modelPath).value_or("").size(), kMaxQueryLength);
}

} // namespace
