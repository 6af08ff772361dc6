#include "CommandLine.h"

#include "TempDir.h"
#include "settings/SettingsStore.h"

#include <gtest/gtest.h>

namespace {

using Action = CCommandLine::Action;

class CommandLineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store.WriteString("COLLECTION", "Pumps", "/srv/models/pumps.mdl");
        store.WriteString("COLLECTION", "Empty", "");
    }

    TempDir dir;
    platform::IniSettingsStore store{dir / "Model.ini"};
};

TEST_F(CommandLineTest, EmptyOrBlankTextGivesAnEmptyDocument)
{
    for (const char* text : {"", " ", " \t "}) {
        const CCommandLine r = CCommandLine::Resolve(text, store);
        EXPECT_EQ(r.action, Action::NewEmptyDocument) << '"' << text << '"';
        EXPECT_FALSE(r.forceNoStartupRelations);
    }
}

TEST_F(CommandLineTest, CollectionEntryReplacesTheTextAndForcesNoRelations)
{
    for (const char* text :
         {"COLLECTION=Pumps", "collection=pumps", "  Collection \t= Pumps  ", "COLLECTION=PUMPS"}) {
        const CCommandLine r = CCommandLine::Resolve(text, store);
        EXPECT_EQ(r.action, Action::OpenPath) << text;
        EXPECT_EQ(r.path, "/srv/models/pumps.mdl") << text;
        EXPECT_TRUE(r.forceNoStartupRelations) << text;
    }
}

TEST_F(CommandLineTest, AnythingElseOpensTheWholeTextUnchanged)
{
    for (const char* text : {"/home/u/a model.mdl", "COLLECTION=Unknown", "COLLECTION=Empty",
                             "COLLECTION=", "COLLECTION = ", "FILE=Pumps", "COLLECTIONS=Pumps",
                             "=Pumps", "COLLECTION=Pumps=x", "/data/x=y.mdl"}) {
        const CCommandLine r = CCommandLine::Resolve(text, store);
        EXPECT_EQ(r.action, Action::OpenPath) << text;
        EXPECT_EQ(r.path, text);
        EXPECT_FALSE(r.forceNoStartupRelations) << text;
    }
}

} // namespace
