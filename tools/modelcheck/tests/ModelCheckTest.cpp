// The modelcheck commands on the sample model and on broken models.

#include "ModelCheck.h"
#include "ModelCheckRun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

const std::string kSample = std::string(MB_EXAMPLES_DIR) + "/sample.mdl";
const std::string kData = MODELCHECK_TEST_DATA_DIR;

using Result = ModelCheckResult;

Result Check(const std::vector<std::string>& args)
{
    return RunModelCheckCaptured(args);
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(ModelCheckSyntax, ExitStatusFollowsTheWorstFinding)
{
    const Result clean = Check({"syntax", kSample});
    EXPECT_EQ(clean.status, 0);
    EXPECT_EQ(clean.out, "");
    EXPECT_EQ(clean.err, "sample -- 0 error(s), 0 warning(s).\n");

    const Result warned = Check({"syntax", kData + "/warnings.mdl"});
    EXPECT_EQ(warned.status, 1);
    EXPECT_NE(warned.out.find("warning: missing entry"), std::string::npos);

    const Result broken = Check({"syntax", kData + "/broken.mdl"});
    EXPECT_EQ(broken.status, 2);
    EXPECT_NE(broken.out.find("wrong syntax: #,#,$,#,$,$,$,$\r\n"), std::string::npos);
}

TEST(ModelCheckSyntax, ReportGoesToTheOutputFile)
{
    const std::string report =
        (std::filesystem::path(::testing::TempDir()) / "modelcheck-report.txt").string();
    const Result run = Check({"syntax", kData + "/broken.mdl", "-o", report});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "broken -- 1 error(s), 0 warning(s). See detailed information from "
                       "the output file modelcheck-report\n");
    std::ifstream in(report, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text.rfind("(001) ", 0), 0u);
    std::filesystem::remove(report);

    EXPECT_EQ(Check({"syntax", kData + "/broken.mdl", "-o", "/nonexistent/dir/r.txt"}).status,
              74);
}

TEST(ModelCheckDump, FailedLoadPrintsItsMessages)
{
    const Result run = Check({"dump", kData + "/broken.mdl"});
    EXPECT_EQ(run.status, 1);
    const auto lines = Lines(run.err);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "5002: Unable to read 'SIZE' information from the section 'Main'. "
                        "Unable to continue.");
    EXPECT_EQ(lines[1].rfind("5017: Unable to load model.", 0), 0u);
    EXPECT_EQ(run.out, "");
}

TEST(ModelCheckDump, RelationsAppearOnlyWhenRead)
{
    const Result plain = Check({"dump", kSample});
    ASSERT_EQ(plain.status, 0);
    EXPECT_EQ(plain.out.rfind(std::string(105, '=') + "\r\nMODEL : Pumping Station Documentation\r\n",
                              0),
              0u);
    EXPECT_EQ(plain.out.find("\nR0000  "), std::string::npos);
    const Result full = Check({"dump", kSample, "--relations"});
    ASSERT_EQ(full.status, 0);
    EXPECT_NE(full.out.find("\nR0000  "), std::string::npos);
    EXPECT_GT(full.out.size(), plain.out.size());
}

TEST(ModelCheckInstances, ListsTheGroupFamilyInOrder)
{
    // Pumps is the parent of Centrifugal, Submersible and Dosing Pumps; Centrifugal Pumps of
    // End Suction and Split Case Pumps.
    const Result byName = Check({"instances", kSample, "Pumps", "Pumps"});
    ASSERT_EQ(byName.status, 0) << byName.err;
    const Result byKey = Check({"instances", kSample, "pumps", "E1"});
    EXPECT_EQ(byName.out, byKey.out);

    auto keysOf = [](const std::string& file) {
        std::vector<std::string> keys;
        std::ifstream in(std::string(MB_EXAMPLES_DIR) + "/" + file);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!line.empty())
                keys.push_back(line.substr(0, line.find('|')));
        }
        return keys;
    };
    std::vector<std::string> expected;
    for (const char* file : {"pumps.ins", "centrifugal.ins", "end_suction.ins",
                             "split_case.ins", "submersible.ins", "dosing.ins"}) {
        const auto keys = keysOf(file);
        expected.insert(expected.end(), keys.begin(), keys.end());
    }
    std::vector<std::string> listed;
    for (const std::string& line : Lines(byName.out))
        listed.push_back(line.substr(0, line.find('|')));
    EXPECT_EQ(listed, expected);
}

TEST(ModelCheckInstances, UnknownNamesAndJumpElementsFail)
{
    EXPECT_EQ(Check({"instances", kSample, "Nowhere", "Pumps"}).status, 1);
    EXPECT_EQ(Check({"instances", kSample, "Pumps", "Nothing"}).status, 1);
    EXPECT_EQ(Check({"instances", kSample, "Pumps", "Station"}).status, 1);
}

TEST(ModelCheckRelated, CountsEveryCounterAndListsWhatItLeadsTo)
{
    const Result all = Check({"related", kSample, "Pumps", "Pumps"});
    ASSERT_EQ(all.status, 0) << all.err;
    const auto lines = Lines(all.out);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0].rfind("Impellers\tIS PART OF\tPumps\t", 0), 0u);
    EXPECT_EQ(lines[2].rfind("Pumps\tUSES\tMotors\t", 0), 0u);
    EXPECT_EQ(lines[3].rfind("Pumps\tIS LOCATED IN\tStructures\t", 0), 0u);
    EXPECT_EQ(lines[4], "> Impellers\tIS PART OF\tPumps");

    // One instance's relations: a key written in capitals is found.
    const Result one = Check({"related", kSample, "Pumps", "Motors", "MT-1001"});
    EXPECT_EQ(one.status, 1); // Motors is not on the Pumps page
    const Result none = Check({"related", kSample, "Pumps", "Pumps", "no-such-key"});
    ASSERT_EQ(none.status, 0);
    for (const std::string& line : Lines(none.out)) {
        EXPECT_NE(line.rfind(">", 0), 0u) << line;
        EXPECT_TRUE(line.size() >= 2 && line.substr(line.size() - 2) == "\t0") << line;
    }
    // Zero counts for a key that no instance has are no answer: the tool says so.
    EXPECT_EQ(none.err, "modelcheck: no instance of 'Pumps' has the key 'no-such-key'\n");
    // A key of the family (End Suction Pumps is a grandchild of Pumps) is found.
    const Result family = Check({"related", kSample, "Pumps", "Pumps", "ES-101"});
    EXPECT_EQ(family.status, 0);
    EXPECT_EQ(family.err, "");
    EXPECT_NE(family.out.find("Pumps\tUSES\tMotors\t1\n"), std::string::npos) << family.out;
}

TEST(ModelCheckUsage, BadArgumentsPrintTheUsage)
{
    EXPECT_EQ(Check({}).status, 64);
    EXPECT_EQ(Check({"frobnicate", kSample}).status, 64);
    EXPECT_EQ(Check({"syntax"}).status, 64);
    EXPECT_EQ(Check({"dump", kSample, "-o"}).status, 64);
    const Result help = Check({"help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("modelcheck related"), std::string::npos);
}

} // namespace
