// modelcheck query over the sample model and the sample document collection, through the
// real query library and documentation browser library.
#include "ModelCheckRun.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

namespace {

const std::string kSample = std::string(MB_EXAMPLES_DIR) + "/sample.mdl";

class ModelCheckQuery : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ::setenv("ZELIO_CONFIG", MB_EXAMPLES_DIR "/docs/corvelle.ini", 1);
        ::setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
    }

    // A one-element model of the collection with a template and two instances.
    std::string SmallModel(const std::string& collection, const std::string& queryTemplate)
    {
        dir.Write("pumps.ins", "P-1|P-1^Impeller Pump^Wear Ring\nP-2|P-2^^\n");
        const std::string path = dir / "small.mdl";
        dir.Write("small.mdl", "[MODEL]\nNAME=Small\nPAGES=Main\n[DOCUMENTATION]\nCOLLECTION=" +
                                   collection + "\n[Main]\nSIZE=20,10\nELEMENT SIZE=4,2\nIMAGE=0\nE1=1,1,Pumps,0,pumps.ins," +
                                   queryTemplate + ",s,Id;Name;Part\n[INSTANCE QUERY]\nP-2=pump AND "
                                                   "impeller\n");
        return path;
    }

    TempDir dir;
};

TEST_F(ModelCheckQuery, PrintsTheQueryAndTheBooksWithHitsInListOrder)
{
    const ModelCheckResult run =
        RunModelCheckCaptured({"query", kSample, "Station", "Stations", "STN-07", "--books"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::istringstream lines(run.out);
    std::string query;
    std::getline(lines, query);
    // STN-07 has its own entry in "INSTANCE QUERY".
    EXPECT_NE(query.find(" AND flood protection upgrade"), std::string::npos) << query;
    std::string book;
    std::vector<std::string> books;
    while (std::getline(lines, book))
        books.push_back(book);
    ASSERT_FALSE(books.empty());
    for (const std::string& line : books) {
        const std::size_t tab = line.find('\t');
        const std::size_t last = line.rfind('\t');
        ASSERT_NE(tab, last) << line;
        EXPECT_GT(std::stol(line.substr(last + 1)), 0) << line;
    }
    EXPECT_EQ(books.front().substr(0, books.front().find('\t')), "station-handbook");
}

TEST_F(ModelCheckQuery, TemplatesAndInstanceQueriesExpandWithoutTheBooks)
{
    const std::string model = SmallModel("Pumping Station Documentation", "$3 AND @1(0^1)@2(9^4)");
    ModelCheckResult run = RunModelCheckCaptured({"query", model, "Main", "Pumps", "P-1"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Wear Ring AND PPump\n");
    run = RunModelCheckCaptured({"query", model, "1", "E1", "P-2"});
    EXPECT_EQ(run.out, "pump AND impeller\n");
}

TEST_F(ModelCheckQuery, UnknownInstanceGivesOneAndUninstalledCollectionThree)
{
    const std::string model = SmallModel("Not Installed Anywhere", "$2");
    ModelCheckResult run = RunModelCheckCaptured({"query", model, "Main", "Pumps", "P-9"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("no instance 'P-9'"), std::string::npos) << run.err;

    run = RunModelCheckCaptured({"query", model, "Main", "Pumps", "P-1", "--books"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out, "Impeller Pump\n");
    EXPECT_NE(run.err.find("5035: Collection that is associated with current model has not "
                           "been installed"),
              std::string::npos)
        << run.err;

    run = RunModelCheckCaptured({"query", model, "Main", "Pumps"});
    EXPECT_EQ(run.status, 64);
}

} // namespace
