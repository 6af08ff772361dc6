// Which attribute a new listing selects, by each rule of the setting "ATTRIBUTE".

#include "AttributeChoice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ChoiceCase
{
    const char* name;
    std::vector<std::string> names;
    int rule;
    std::string rememberedName;
    int rememberedIndex;
    int expected;
};

class AttributeChoice : public ::testing::TestWithParam<ChoiceCase>
{
};

TEST_P(AttributeChoice, SelectsTheExpectedEntry)
{
    const ChoiceCase& c = GetParam();
    CAttributeMemory memory;
    memory.name = c.rememberedName;
    memory.index = c.rememberedIndex;
    EXPECT_EQ(ChooseAttribute(c.names, c.rule, memory), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, AttributeChoice,
    ::testing::Values(
        // Rule 0: match to the previous attribute name.
        ChoiceCase{"ContainingNamePicked", {"Id", "Full Name"}, 0, "NAME", 0, 1},
        ChoiceCase{"ContainedNamePicked", {"Id", "Type"}, 0, "PUMP TYPE", 0, 1},
        ChoiceCase{"ExactBeatsEarlierContaining", {"Full Name", "Id", "name"}, 0, "NAME", 0, 2},
        ChoiceCase{"FirstContainingWins", {"Id", "Name 1", "Name 2"}, 0, "NAME", 5, 1},
        ChoiceCase{"NoMatchGivesFirst", {"Id", "Flow"}, 0, "NAME", 1, 0},
        ChoiceCase{"EmptyNameIsNoMatch", {"Id", "", "Full Name"}, 0, "NAME", 0, 2},
        ChoiceCase{"NonAsciiNotFolded", {"\xE4rende", "\xC4RENDE"}, 0, "\xC4RENDE", 0, 1},
        // Rule 1: keep the previously selected index.
        ChoiceCase{"RememberedIndexKept", {"Id", "Name", "Flow"}, 1, "NAME", 2, 2},
        ChoiceCase{"NoIndexRemembered", {"Id", "Name"}, 1, "", -1, 0},
        ChoiceCase{"MissingIndexSelectsNothing", {"Id", "Name"}, 1, "FLOW", 2, -1},
        // Rule 2, and values the settings dialog never writes: the first entry.
        ChoiceCase{"FirstAttribute", {"Id", "Name"}, 2, "NAME", 1, 0},
        ChoiceCase{"UnknownRule", {"Id", "Name"}, 7, "NAME", 1, 0},
        // No attributes at all: no selection under any rule.
        ChoiceCase{"EmptyRule0", {}, 0, "NAME", 1, -1},
        ChoiceCase{"EmptyRule2", {}, 2, "", -1, -1}),
    [](const ::testing::TestParamInfo<ChoiceCase>& info) { return std::string(info.param.name); });

TEST(AttributeMemory, RemembersTheChoiceUpperCased)
{
    CAttributeMemory memory;
    EXPECT_EQ(memory.index, -1);
    memory.Remember("Full name \xE4", 3);
    EXPECT_EQ(memory.name, "FULL NAME \xE4");
    EXPECT_EQ(memory.index, 3);
    // The remembered name then finds the same attribute in another element.
    EXPECT_EQ(ChooseAttribute({"Id", "full NAME \xE4"}, 0, memory), 1);
}

} // namespace
