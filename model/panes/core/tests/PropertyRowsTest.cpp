// The rows of the property list for one instance.

#include "PropertyRows.h"

#include "ModelTypes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CElement Element(const std::string& name, std::vector<std::string> attributes)
{
    CElement element;
    element.name = name;
    element.attributes = std::move(attributes);
    return element;
}

TEST(PropertyRows, AttributesThenInformationAndCount)
{
    const CElement program = Element("Program", {"Id", "Name", "Version", "Maker"});
    const std::vector<CPropertyRow> rows = PropertyRows(program, "P1 ^ Pump control\t^2.1", "", 12);
    const std::vector<CPropertyRow> expected = {
        {1, "Id", "P1"},  {1, "Name", "Pump control"},   {1, "Version", "2.1"},
        {1, "Maker", ""}, {2, "Information", "Program"}, {2, "Count", "12 items in Program"},
    };
    EXPECT_EQ(rows, expected);
}

struct ParentCase
{
    const char* name;
    std::string parent;
    std::string information;
};

class PropertyRowsParent : public ::testing::TestWithParam<ParentCase>
{
};

TEST_P(PropertyRowsParent, InformationAndCountNameTheParent)
{
    const ParentCase& c = GetParam();
    const std::vector<CPropertyRow> rows =
        PropertyRows(Element("Program", {"Id"}), "P1", c.parent, 3);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].value, c.information);
    EXPECT_EQ(rows[2].value, "3 items in " + c.parent);
}

INSTANTIATE_TEST_SUITE_P(
    Vowels, PropertyRowsParent,
    ::testing::Values(ParentCase{"Vowel", "Object", "Program IS AN Object"},
                      ParentCase{"Consonant", "Block", "Program IS A Block"},
                      ParentCase{"SmallVowel", "unit", "Program IS AN unit"},
                      ParentCase{"Ansi", "\xC5sen", "Program IS AN \xC5sen"},
                      ParentCase{"AnsiNonVowel", "\xC9tage", "Program IS A \xC9tage"},
                      ParentCase{"Utf8", "\xC3\x96ljett", "Program IS AN \xC3\x96ljett"},
                      ParentCase{"Utf8NonVowel", "\xC3\x89tage", "Program IS A \xC3\x89tage"}),
    [](const ::testing::TestParamInfo<ParentCase>& info) { return std::string(info.param.name); });

} // namespace
