// Tests of the model dump: the report's bytes and the dialog flow around it.

#include "ModelContext.h"
#include "ModelDoc.h"
#include "ModelDump.h"
#include "prompter/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using platform::ScriptedPrompter;

namespace {

const std::string kDataDir = std::string(MODELDATA_TEST_DATA_DIR) + "/dump/";

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

CElement* AddElement(CPage& page, const std::string& name, int type, const std::string& file,
                     int enabled, int x, int y, int jump, int visited,
                     std::vector<std::string> attributes)
{
    auto e = std::make_unique<CElement>();
    e->name = name;
    e->type = type;
    e->file = file;
    e->enabled = enabled;
    e->x = x;
    e->y = y;
    e->jumpTarget = jump;
    e->visited = visited;
    e->attributes = std::move(attributes);
    page.elements.push_back(std::move(e));
    return page.elements.back().get();
}

CLink* AddLink(CPage& page, CElement* first, CElement* second, int kind, const std::string& file,
               int halfCell, int x, int y, std::vector<CSegment> segments)
{
    auto l = std::make_unique<CLink>();
    l->first = first;
    l->second = second;
    l->kind = kind;
    l->file = file;
    l->halfCell = halfCell;
    l->startX = x;
    l->startY = y;
    l->segments = std::move(segments);
    page.links.push_back(std::move(l));
    return page.links.back().get();
}

class ModelDumpTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_context.prompter = &m_prompter;
        m_dir = fs::path(::testing::TempDir()) /
                ("dump_" + std::string(::testing::UnitTest::GetInstance()
                                           ->current_test_info()
                                           ->name()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Loads the two-page fixture and replaces the pages' contents with records covering
    // every column of the report.
    void BuildModel(CModelDoc& doc)
    {
        ASSERT_TRUE(doc.OnOpenDocument(kDataDir + "dump.mdl"));
        ASSERT_EQ(doc.PageCount(), 2);
        CPage& main = *doc.Pages()[0];
        CPage& detail = *doc.Pages()[1];
        main.elements.clear();
        main.groups.clear();
        main.links.clear();
        main.symbols.clear();
        detail.elements.clear();
        detail.groups.clear();
        detail.links.clear();
        detail.symbols.clear();

        CElement* pump = AddElement(main, "Pump", 0, "pump.txt", 1, 2, 3, -1, 1, {"Id", "Name"});
        CElement* valve = AddElement(main, "Valve", 0, "valve.txt", 1, 10, 3, -1, 0, {"Id"});
        AddElement(main, "Next", 1, "", 1, 20, 3, 2, 0, {});
        CElement* odd = AddElement(main, "Odd", 2, "odd.txt", 0, 2, 10, -1, 0, {});
        AddElement(main, "A very long element name that overflows", 0,
                   "a_really_long_instance_file_name.txt", 0, 100, -5, -1, 0, {""});

        auto g1 = std::make_unique<CGroup>();
        *g1 = CGroup{4, 6, 5, 4, 1, pump, {valve, nullptr, odd}};
        main.groups.push_back(std::move(g1));
        auto g2 = std::make_unique<CGroup>();
        *g2 = CGroup{0, 0, 17, 123, 0, nullptr, {}};
        main.groups.push_back(std::move(g2));

        CLink* l1 = AddLink(main, pump, valve, 1, "pv.rel", 0, 8, 4, {{1, 2}});
        CLink* l2 = AddLink(main, pump, nullptr, 4, "", 1, 3, 3,
                            {{5, 3}, {9, 12}, {16, 1}, {0, 7}});
        CLink* l3 = AddLink(main, valve, odd, 7, "vo.rel", 0, 0, 0, {});
        CLink* l4 = AddLink(main, pump, valve, 2, "big.rel", 0, 1, 1, {{13, 10}});
        AddLink(main, valve, pump, 3, "vp.rel", 0, 2, 2, {{3, 1}}); // relations never read

        l1->maps[0].Add("A1", "B1");
        l1->maps[0].Add("A1", "B2");
        l1->maps[0].Add("A2", "B1");
        l1->maps[1].Add("B1", "A1");
        l1->maps[1].Add("B1", "A2");
        l1->maps[1].Add("B2", "A1");
        l3->maps[0].Add("NOT", "DUMPED"); // the link is not relation-capable
        char value[8];
        for (int i = 1; i <= 30; ++i) {
            std::snprintf(value, sizeof value, "V%04d", i);
            l4->maps[0].Add("K", value);
        }
        for (int i = 1; i <= 9; ++i) {
            std::snprintf(value, sizeof value, "W%04d", i);
            l4->maps[0].Add("LAST", value);
        }
        l4->maps[0].Add("EMPTY", "");
        l4->maps[0].Add("A_KEY_LONGER_THAN_ITS_COLUMN", "X");

        auto s1 = std::make_unique<CSymbol>();
        s1->x = 12;
        s1->y = 8;
        s1->kind = 1;
        s1->hShift = 0;
        s1->vShift = 1;
        s1->counters.resize(3);
        s1->counters[0].link = l1;
        s1->counters[0].place = 2;
        s1->counters[1].link = nullptr;
        s1->counters[2].link = l2;
        s1->counters[2].place = 9;
        main.symbols.push_back(std::move(s1));
        auto s2 = std::make_unique<CSymbol>();
        s2->x = 1;
        s2->y = 2;
        main.symbols.push_back(std::move(s2));
    }

    ScriptedPrompter m_prompter;
    CModelContext m_context;
    fs::path m_dir;
};

TEST_F(ModelDumpTest, ReportMatchesTheExpectedBytes)
{
    CModelDoc doc(m_context);
    BuildModel(doc);
    std::string report;
    WriteModelDump(doc, report);
    const std::string expected = ReadBytes(kDataDir + "expected.txt");
    ASSERT_FALSE(expected.empty());
    // Compare line by line first for a readable failure, then the whole bytes.
    std::istringstream a(report), b(expected);
    std::string la, lb;
    for (int line = 1; std::getline(b, lb); ++line) {
        ASSERT_TRUE(std::getline(a, la)) << "report ends before line " << line;
        ASSERT_EQ(la, lb) << "line " << line;
    }
    EXPECT_EQ(report, expected);
}

TEST_F(ModelDumpTest, EmptyCollectionWritesAnEmptyModelName)
{
    CModelDoc doc(m_context);
    ASSERT_TRUE(doc.OnOpenDocument(kDataDir + "empty_collection.mdl"));
    std::string report;
    WriteModelDump(doc, report);
    const std::string rule(105, '=');
    EXPECT_EQ(report.substr(0, 107 + 10 + 107 + 2), rule + "\r\nMODEL : \r\n" + rule + "\r\n\r\n");
}

TEST_F(ModelDumpTest, UntitledDocumentOnlyBeeps)
{
    CModelDoc doc(m_context);
    DumpModel(doc, nullptr);
    ASSERT_EQ(m_prompter.Events().size(), 1u);
    EXPECT_EQ(m_prompter.Events()[0].kind, ScriptedPrompter::Event::Kind::Beep);
    EXPECT_EQ(m_prompter.Events()[0].beep, platform::BeepType::Simple);
}

TEST_F(ModelDumpTest, CancelledDialogDoesNothing)
{
    CModelDoc doc(m_context);
    ASSERT_TRUE(doc.OnOpenDocument(kDataDir + "dump.mdl"));
    m_prompter.Clear();
    m_prompter.PushFile(std::nullopt);
    int owner = 0;
    DumpModel(doc, &owner);
    ASSERT_EQ(m_prompter.Events().size(), 1u);
    const platform::FileDialogSpec& spec = m_prompter.Events()[0].file;
    EXPECT_EQ(spec.mode, platform::FileDialogSpec::Mode::Save);
    EXPECT_EQ(spec.title, "Save Model Dump As");
    EXPECT_EQ(spec.defaultExt, "TXT");
    EXPECT_EQ(spec.defaultName, "MODDUMP");
    EXPECT_EQ(spec.filter, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||");
    EXPECT_TRUE(spec.overwritePrompt);
    EXPECT_TRUE(spec.hideReadOnly);
    EXPECT_EQ(spec.owner, &owner);
}

TEST_F(ModelDumpTest, WritesTheFileAndTellsItsSize)
{
    CModelDoc doc(m_context);
    BuildModel(doc);
    const fs::path target = m_dir / "dump.txt";
    {
        std::ofstream old(target, std::ios::binary);
        old << "an older and much longer report that is replaced as a whole " << std::string(20000, 'x');
    }
    m_prompter.Clear();
    m_prompter.PushFile(target.string());
    DumpModel(doc, nullptr);

    std::string expected;
    WriteModelDump(doc, expected);
    EXPECT_EQ(ReadBytes(target), expected);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1)
        << "no temporary file is left beside the report";

    ASSERT_EQ(m_prompter.MessageNumbers().size(), 1u);
    EXPECT_EQ(m_prompter.MessageTexts()[0],
              "Current model was dumpped to the file '" + target.string() +
                  "'. Size of the file is " + std::to_string(expected.size()) + " bytes.");
    const auto& events = m_prompter.Events();
    const auto message = std::find_if(events.begin(), events.end(), [](const auto& e) {
        return e.kind == ScriptedPrompter::Event::Kind::Message;
    });
    ASSERT_NE(message, events.begin());
    EXPECT_EQ(message->icon, platform::Icon::Information);
    EXPECT_EQ(std::prev(message)->kind, ScriptedPrompter::Event::Kind::Beep);
    EXPECT_EQ(std::prev(message)->beep, platform::BeepType::Information);
    const bool waitOn = std::any_of(events.begin(), events.end(), [](const auto& e) {
        return e.kind == ScriptedPrompter::Event::Kind::WaitCursor && e.waitOn;
    });
    EXPECT_TRUE(waitOn);
    EXPECT_FALSE(events.back().kind == ScriptedPrompter::Event::Kind::WaitCursor &&
                 events.back().waitOn);
}

TEST_F(ModelDumpTest, UnwritableTargetReports5006)
{
    CModelDoc doc(m_context);
    ASSERT_TRUE(doc.OnOpenDocument(kDataDir + "dump.mdl"));
    for (const fs::path& target : {m_dir / "missing-folder" / "dump.txt", m_dir}) {
        m_prompter.Clear();
        m_prompter.PushFile(target.string());
        DumpModel(doc, nullptr);
        ASSERT_EQ(m_prompter.MessageNumbers(), std::vector<int>{5006}) << target;
        EXPECT_EQ(m_prompter.MessageTexts()[0],
                  "Unable to create the file needed to save the model dump.");
        const auto& events = m_prompter.Events();
        const auto message = std::find_if(events.begin(), events.end(), [](const auto& e) {
            return e.kind == ScriptedPrompter::Event::Kind::Message;
        });
        ASSERT_NE(message, events.end());
        EXPECT_EQ(message->icon, platform::Icon::Exclamation);
    }
    EXPECT_TRUE(fs::is_directory(m_dir));
}

} // namespace
