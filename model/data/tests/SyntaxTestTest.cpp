// Tests of the model file syntax test: records, counts, summary and the dialog flow.

#include "ModelContext.h"
#include "SyntaxTest.h"
#include "profile/ProfileReader.h"
#include "prompter/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;
using platform::ScriptedPrompter;

namespace {

const std::string kDataDir = std::string(MODELDATA_TEST_DATA_DIR) + "/syntax/";

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The "(nnn) path: kind" head and the location line of every record, in order.
struct RecordHead
{
    std::string kind;
    std::string location;
    std::string wrong;
    bool operator==(const RecordHead&) const = default;
};

std::ostream& operator<<(std::ostream& os, const RecordHead& r)
{
    return os << "{" << r.kind << " | " << r.location << " | " << r.wrong << "}";
}

std::vector<RecordHead> Heads(const std::string& text)
{
    std::vector<RecordHead> heads;
    std::istringstream in(text);
    std::string line;
    int expectedNumber = 1;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] != '(')
            continue;
        char number[16];
        std::snprintf(number, sizeof number, "(%3.3d) ", expectedNumber++);
        EXPECT_EQ(line.rfind(number, 0), 0u) << line;
        RecordHead head;
        const auto colon = line.find(": ", 6);
        head.kind = line.substr(colon + 2, line.size() - colon - 3); // without the CR
        for (int i = 0; i < 6 && std::getline(in, line); ++i) {
            if (i == 1)
                head.location = line.substr(15, line.size() - 16);
            if (i == 4)
                head.wrong = line.substr(15, line.size() - 16);
        }
        heads.push_back(head);
    }
    return heads;
}

struct FixtureCase
{
    const char* file;
    int errors;
    int warnings;
    std::vector<RecordHead> records;
};

class SyntaxFixtures : public ::testing::TestWithParam<FixtureCase>
{};

TEST_P(SyntaxFixtures, RecordsAndCounts)
{
    const FixtureCase& c = GetParam();
    const CSyntaxReport report = RunSyntaxTest(kDataDir + c.file);
    EXPECT_EQ(report.errors, c.errors);
    EXPECT_EQ(report.warnings, c.warnings);
    EXPECT_EQ(Heads(report.text), c.records) << report.text;
}

const char* const kNA = "<N/A>";

INSTANTIATE_TEST_SUITE_P(
    Cases, SyntaxFixtures,
    ::testing::Values(
        FixtureCase{"clean.mdl", 0, 0, {}},
        FixtureCase{"no_name_no_id.mdl",
                    0,
                    2,
                    {{"warning: missing entry", "section [MODEL], entry NAME=", kNA},
                     {"warning: missing entry", "section [DOCUMENTATION], entry PUBLISHING ID=",
                      kNA}}},
        FixtureCase{"bare_page.mdl",
                    0,
                    3,
                    {{"warning: zero links in page", "section [Bare], entry L1=", kNA},
                     {"warning: zero groups in page", "section [Bare], entry G1=", kNA},
                     {"warning: zero symbols in page", "section [Bare], entry S1=", kNA}}},
        // The page named 12 fails the page list, and its entries are still checked.
        FixtureCase{"page12.mdl",
                    2,
                    0,
                    {{"error: syntax error", "section [MODEL], entry PAGES=", kNA},
                     {"error: syntax error", "section [12], entry E1=", "#,#,$,#,$"}}},
        // An unreadable file reads as empty keys: one page with an empty name.
        FixtureCase{"does_not_exist.mdl",
                    3,
                    5,
                    {{"warning: missing entry", "section [MODEL], entry NAME=", kNA},
                     {"error: missing entry", "section [MODEL], entry PAGES=", kNA},
                     {"warning: missing entry", "section [DOCUMENTATION], entry PUBLISHING ID=",
                      kNA},
                     {"error: missing entry", "section [DOCUMENTATION], entry COLLETION=", kNA},
                     {"error: zero elements in page", "section [], entry E1=", kNA},
                     {"warning: zero links in page", "section [], entry L1=", kNA},
                     {"warning: zero groups in page", "section [], entry G1=", kNA},
                     {"warning: zero symbols in page", "section [], entry S1=", kNA}}}),
    [](const auto& info) {
        std::string name = info.param.file;
        name = name.substr(0, name.find('.'));
        return name;
    });

class SyntaxTestTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_context.prompter = &m_prompter;
        m_dir = fs::path(::testing::TempDir()) /
                ("SyntaxCase_" + std::string(::testing::UnitTest::GetInstance()
                                                 ->current_test_info()
                                                 ->name()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        platform::ClearProfileCache();
    }
    void TearDown() override { fs::remove_all(m_dir); }

    const ScriptedPrompter::Event* FirstMessage() const
    {
        for (const auto& e : m_prompter.Events())
            if (e.kind == ScriptedPrompter::Event::Kind::Message)
                return &e;
        return nullptr;
    }

    ScriptedPrompter m_prompter;
    CModelContext m_context;
    fs::path m_dir;
};

TEST_F(SyntaxTestTest, ReportBytesWithThePathInSmallLetters)
{
    const fs::path model = m_dir / "Errors.MDL";
    fs::copy_file(kDataDir + "errors.mdl", model);
    const CSyntaxReport report = RunSyntaxTest(model.string());
    std::string expected = ReadBytes(kDataDir + "expected_errors.txt");
    ASSERT_FALSE(expected.empty());
    const std::string path = Lower(model.string());
    for (std::size_t at; (at = expected.find("@PATH@")) != std::string::npos;)
        expected.replace(at, 6, path);
    EXPECT_EQ(report.text, expected);
    EXPECT_EQ(report.errors, 6);
    EXPECT_EQ(report.warnings, 2);
}

TEST_F(SyntaxTestTest, RelativePathIsMadeAbsoluteAndFindingsFollowTheRecords)
{
    fs::create_directories(m_dir / "Sub");
    fs::copy_file(kDataDir + "errors.mdl", m_dir / "Errors.MDL");
    const fs::path old = fs::current_path();
    fs::current_path(m_dir);
    const CSyntaxReport report = RunSyntaxTest("Sub/../Errors.MDL");
    fs::current_path(old);
    EXPECT_EQ(report.text.rfind("(001) " + Lower((m_dir / "Errors.MDL").string()) + ": ", 0), 0u)
        << report.text.substr(0, 80);

    const CSyntaxReport missing = RunSyntaxTest((m_dir / "none.mdl").string());
    ASSERT_EQ(missing.findings.size(), 8u);
    EXPECT_EQ(std::count_if(missing.findings.begin(), missing.findings.end(),
                            [](const CSyntaxFinding& f) { return f.error; }),
              missing.errors);
    const CSyntaxFinding& collection = missing.findings[3];
    EXPECT_EQ(collection.kind, "error: missing entry");
    EXPECT_EQ(collection.section, "DOCUMENTATION");
    EXPECT_EQ(collection.entry, "COLLETION");
    EXPECT_EQ(collection.key, "COLLECTION");
    EXPECT_EQ(missing.findings[4].entry, "E1");
    EXPECT_EQ(missing.findings[4].key, "E1");
    EXPECT_EQ(missing.findings[4].rightSyntax, "<N/A>");
}

TEST_F(SyntaxTestTest, SummaryForms)
{
    CSyntaxReport clean;
    EXPECT_EQ(SyntaxSummary("/m/dir.v2/Plant.mdl", "/r/MODSNTX.TXT", clean),
              "Plant -- 0 error(s), 0 warning(s).");
    CSyntaxReport dirty;
    dirty.errors = 3;
    dirty.warnings = 2;
    EXPECT_EQ(SyntaxSummary("C:\\models\\plant.v2.mdl", "/r/out.report.txt", dirty),
              "plant.v2 -- 3 error(s), 2 warning(s). See detailed information from the output "
              "file out.report");
    dirty.errors = 0;
    EXPECT_EQ(SyntaxSummary("noext", "MODSNTX", dirty),
              "noext -- 0 error(s), 2 warning(s). See detailed information from the output file "
              "MODSNTX");
}

// Values are cut at 298 characters as the model loader reads them: a page list of 100,000
// names gives 150 pages (the last one empty), and a huge entry reports a bounded signature.
TEST_F(SyntaxTestTest, HugeValuesAreCutAndStayBounded)
{
    std::string pages;
    for (int i = 0; i < 100000; ++i)
        pages += "a,";
    std::string bigEntry = "1,1,A,0,x";
    for (int i = 0; i < 50000; ++i)
        bigEntry += ",y";
    const fs::path model = m_dir / "huge.mdl";
    WriteBytes(model, "[MODEL]\nNAME=n\nPAGES=" + pages +
                          "\n[DOCUMENTATION]\nCOLLECTION=c\nPUBLISHING ID=p\n[a]\nE1=" + bigEntry +
                          "\nL1=E1,E1,0,1,r.rel,1;1\nG1=1;1;1;1,0,E1,E1\n");
    const CSyntaxReport report = RunSyntaxTest(model.string());
    // Page list syntax (the cut leaves a trailing empty name), E1 of page a 149 times, E1 of
    // the empty page; S1 of page a 149 times and L1, G1, S1 of the empty page.
    EXPECT_EQ(report.errors, 1 + 149 + 1);
    EXPECT_EQ(report.warnings, 149 + 3);
    const auto heads = Heads(report.text);
    ASSERT_GT(heads.size(), 2u);
    EXPECT_EQ(heads[1].location, "section [a], entry E1=");
    EXPECT_LT(heads[1].wrong.size(), 600u); // one symbol per field of the 298 characters
    EXPECT_EQ(heads.back().location, "section [], entry S1=");
}

TEST_F(SyntaxTestTest, RandomBytesDoNotBreakTheTest)
{
    std::mt19937 random(20240607u);
    const char alphabet[] = "[]=,;EGLSM#$0123456789 \t\r\n.:\\aZ";
    for (int round = 0; round < 20; ++round) {
        std::string bytes(20000, '\0');
        for (char& c : bytes)
            c = random() % 3 == 0 ? static_cast<char>(random() & 0xFF)
                                  : alphabet[random() % (sizeof alphabet - 1)];
        if (round % 2 == 0)
            bytes = "[MODEL]\nPAGES=E1,[x],,L2\n[E1]\n" + bytes;
        const fs::path model = m_dir / ("random" + std::to_string(round) + ".mdl");
        WriteBytes(model, bytes);
        const CSyntaxReport report = RunSyntaxTest(model.string());
        EXPECT_GE(report.errors, 0);
        EXPECT_LT(report.text.size(), 1000000u);
    }
}

TEST_F(SyntaxTestTest, CancelledDialogsDoNothing)
{
    m_prompter.PushFile(std::nullopt);
    int owner = 0;
    SyntaxTest(m_context, &owner);
    ASSERT_EQ(m_prompter.Events().size(), 1u);
    const platform::FileDialogSpec& open = m_prompter.Events()[0].file;
    EXPECT_EQ(open.mode, platform::FileDialogSpec::Mode::Open);
    EXPECT_EQ(open.title, "Open Model File");
    EXPECT_EQ(open.filter, "Model Files (*.mdl)|*.mdl|All Files (*.*)|*.*||");
    EXPECT_TRUE(open.fileMustExist);
    EXPECT_TRUE(open.hideReadOnly);
    EXPECT_EQ(open.owner, &owner);

    m_prompter.Clear();
    m_prompter.PushFile(kDataDir + "clean.mdl");
    m_prompter.PushFile(std::nullopt);
    SyntaxTest(m_context, nullptr);
    ASSERT_EQ(m_prompter.Events().size(), 2u);
    const platform::FileDialogSpec& save = m_prompter.Events()[1].file;
    EXPECT_EQ(save.mode, platform::FileDialogSpec::Mode::Save);
    EXPECT_EQ(save.title, "Save Output File As");
    EXPECT_EQ(save.defaultExt, "TXT");
    EXPECT_EQ(save.defaultName, "MODSNTX");
    EXPECT_EQ(save.filter, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||");
    EXPECT_TRUE(save.overwritePrompt);
    EXPECT_TRUE(save.hideReadOnly);
    EXPECT_TRUE(fs::is_empty(m_dir));
}

TEST_F(SyntaxTestTest, CleanModelGivesAnEmptyReportAndTheShortSummary)
{
    const fs::path target = m_dir / "MODSNTX.TXT";
    WriteBytes(target, "an older report");
    m_prompter.PushFile(kDataDir + "clean.mdl");
    m_prompter.PushFile(target.string());
    SyntaxTest(m_context, nullptr);
    EXPECT_TRUE(fs::exists(target));
    EXPECT_EQ(fs::file_size(target), 0u);
    EXPECT_EQ(m_prompter.MessageTexts(),
              std::vector<std::string>{"clean -- 0 error(s), 0 warning(s)."});
    const auto* message = FirstMessage();
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->icon, platform::Icon::Information);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);
}

TEST_F(SyntaxTestTest, FindingsAreWrittenAndSummarised)
{
    const fs::path target = m_dir / "out.txt";
    m_prompter.PushFile(kDataDir + "no_name_no_id.mdl");
    m_prompter.PushFile(target.string());
    SyntaxTest(m_context, nullptr);
    EXPECT_EQ(ReadBytes(target), RunSyntaxTest(kDataDir + "no_name_no_id.mdl").text);
    EXPECT_EQ(m_prompter.MessageTexts(),
              std::vector<std::string>{"no_name_no_id -- 0 error(s), 2 warning(s). See detailed "
                                       "information from the output file out"});
    const auto& events = m_prompter.Events();
    const auto at = std::find_if(events.begin(), events.end(), [](const auto& e) {
        return e.kind == ScriptedPrompter::Event::Kind::Message;
    });
    ASSERT_NE(at, events.begin());
    EXPECT_EQ(std::prev(at)->kind, ScriptedPrompter::Event::Kind::Beep);
    EXPECT_EQ(std::prev(at)->beep, platform::BeepType::Information);
}

TEST_F(SyntaxTestTest, UncreatableReportGives5036Only)
{
    for (const fs::path& target : {m_dir / "no-such-folder" / "out.txt", m_dir}) {
        m_prompter.Clear();
        m_prompter.PushFile(kDataDir + "clean.mdl");
        m_prompter.PushFile(target.string());
        SyntaxTest(m_context, nullptr);
        EXPECT_EQ(m_prompter.MessageNumbers(), std::vector<int>{5036}) << target;
        EXPECT_EQ(m_prompter.MessageTexts(),
                  std::vector<std::string>{
                      "Unable to create the file needed to save the syntax test result."});
        const auto* message = FirstMessage();
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(message->icon, platform::Icon::Exclamation);
    }
    EXPECT_TRUE(fs::is_empty(m_dir));
}

} // namespace
