// Instance files: line checks, records, relation filters, group families and progress.

#include "Messages.h"
#include "LineReader.h"
#include "ModelTestSupport.h"
#include "NonRegularFiles.h"

#include <gtest/gtest.h>

namespace {

// Pumps is the parent of Centrifugal (itself parent of Inline) and Dosing; Parts is linked
// to Pumps.
const char kModel[] = "[MODEL]\nPAGES=Main\n[DOCUMENTATION]\nCOLLECTION=I\n"
                      "[Main]\nSIZE=60,40\nELEMENT SIZE=4,2\n"
                      "E1=1,1,Pumps,0,pumps.ins,q,s,Id;Name\n"
                      "E2=1,10,Centrifugal,0,centrifugal.ins,q,s,Id\n"
                      "E3=10,10,Dosing,0,dosing.ins,q,s,Id\n"
                      "E4=1,20,Inline,0,inline.ins,q,s,Id\n"
                      "E5=30,1,Parts,0,parts.ins,q,s,Id\n"
                      "E6=40,1,Ghost,0,ghost.ins,q,s,Id\n"
                      "G1=2;3;5;2,0,E1,E2;E3\n"
                      "G2=2;13;5;2,0,E2,E4\n"
                      "L1=E5,E1,0,1,parts_pumps.rel,5;1,9;10\n"
                      "S1=20,1,0,0,1,L1;2\n";

class InstanceLoaderTest : public ::testing::Test, public ModelFixture
{
protected:
    void SetUp() override
    {
        dir.Write("pumps.ins", "K1|Pump P-1^Berlin\n"
                               "K2 | a ^ b\n"
                               "K3|a|b\n"
                               "K4\n"
                               "E5|x\n"
                               "K6|M2^x\n"
                               "12|x\n"
                               "\n"
                               "K8|last");
        dir.Write("centrifugal.ins", "C1|c\n");
        dir.Write("inline.ins", "I1|i\n");
        dir.Write("parts.ins", "P1|p\nP2|q\n");
        dir.Write("parts_pumps.rel", "P1,K1\nP1,K8\nP2,K2\n");
        ASSERT_TRUE(Open(kModel));
    }
    CElement* E(int n) { return Element(0, n - 1); }
    CLink* Link() { return doc.PageAt(0)->links[0].get(); }
};

TEST_F(InstanceLoaderTest, ValidLinesBecomeRecords)
{
    CollectingSink sink;
    ASSERT_EQ(LoadInstances(doc, E(1), nullptr, nullptr, 1, sink), 1);
    EXPECT_EQ(sink.Keys(), (std::vector<std::string>{"K1", "K2", "K4", "12", "K8"}));
    EXPECT_EQ(sink.records[0].text, "Pump P-1^Berlin");
    EXPECT_EQ(sink.records[1].text, "a ^ b");
    EXPECT_EQ(sink.records[2].text, "");
    EXPECT_EQ(sink.records[0].element, E(1));
    EXPECT_EQ(sink.records[0].index, -1);

    std::string value;
    ASSERT_TRUE(InstanceValue(sink.records[0].text, 1, value));
    EXPECT_EQ(value, "Pump P-1");
    ASSERT_TRUE(InstanceValue(sink.records[1].text, 2, value));
    EXPECT_EQ(value, "b");
    EXPECT_FALSE(InstanceValue(sink.records[0].text, 3, value));
}

TEST_F(InstanceLoaderTest, LongLinesAreReadInPiecesOf298Characters)
{
    // A 600-character line comes back as three reads; only the first holds the "|".
    dir.Write("parts.ins", "LONG|" + std::string(595, 'v') + "\nNEXT|n\r\n");
    CollectingSink sink;
    LoadInstances(doc, E(5), nullptr, nullptr, 1, sink);
    ASSERT_EQ(sink.records.size(), 4u);
    EXPECT_EQ(sink.records[0].key, "LONG");
    EXPECT_EQ(sink.records[0].text.size(), 293u);
    EXPECT_EQ(sink.records[1].key, std::string(298, 'v'));
    EXPECT_EQ(sink.records[2].key, std::string(4, 'v'));
    EXPECT_EQ(sink.records[3].key, "NEXT");
    EXPECT_EQ(sink.records[3].text, "n");
}

TEST_F(InstanceLoaderTest, MissingFileIsReportedOnlyWhenAsked)
{
    CollectingSink sink;
    EXPECT_EQ(LoadInstances(doc, E(6), nullptr, nullptr, 0, sink), 0);
    EXPECT_TRUE(prompter.MessageNumbers().empty());
    EXPECT_EQ(LoadInstances(doc, E(6), nullptr, nullptr, 1, sink), 0);
    ASSERT_EQ(prompter.MessageNumbers(), std::vector<int>{5012});
    EXPECT_EQ(prompter.MessageTexts()[0],
              "Unable to open inatance file 'ghost.ins' for element 'Ghost'.");
    EXPECT_TRUE(sink.records.empty());
}

TEST_F(InstanceLoaderTest, StatusTextAndProgress)
{
    CollectingSink sink;
    LoadInstances(doc, E(1), nullptr, nullptr, 1, sink);
    EXPECT_EQ(statusBar.texts.at(statusBar.texts.size() - 2), "Loading Instances: Pumps ");
    EXPECT_EQ(statusBar.Text(), "Ready");
    EXPECT_TRUE(statusBar.barVisible);
    EXPECT_EQ(statusBar.rangeHigh, 100);
    EXPECT_EQ(statusBar.positions.front(), 0);
    EXPECT_EQ(statusBar.positions.back(), 100);
    // One update per percent at most, not one per line.
    EXPECT_LE(statusBar.positions.size(), 102u);

    dir.Write("parts.ins", "");
    statusBar.texts.clear();
    LoadInstances(doc, E(5), nullptr, nullptr, 1, sink);
    EXPECT_EQ(statusBar.texts.at(0), "Loading Instances: Parts ...");
    EXPECT_TRUE(prompter.MessageNumbers().empty());

    statusBar.texts.clear();
    Link()->listingMode = 2;
    Link()->fromElement = E(5);
    LoadInstances(doc, E(1), nullptr, Link(), 1, sink);
    EXPECT_EQ(statusBar.texts.at(0), "Loading Relations: Parts/Pumps ");
}

TEST_F(InstanceLoaderTest, GroupFamilyListsParentThenEnabledChildrenRecursively)
{
    CollectingSink sink;
    LoadInstanceTree(doc, E(1), nullptr, sink, 0);
    // dosing.ins is missing: Dosing is disabled and skipped without a message.
    EXPECT_EQ(sink.Keys(), (std::vector<std::string>{"K1", "K2", "K4", "12", "K8", "C1", "I1"}));
    EXPECT_EQ(sink.groups.front(), doc.PageAt(0)->groups[0].get());
    EXPECT_EQ(sink.groups.back(), nullptr); // Inline is a leaf
    EXPECT_TRUE(prompter.MessageNumbers().empty());

    // A parent without its own file lists its children silently.
    std::filesystem::remove(dir / "pumps.ins");
    sink.records.clear();
    LoadInstanceTree(doc, E(1), nullptr, sink, 0);
    EXPECT_EQ(sink.Keys(), (std::vector<std::string>{"C1", "I1"}));
    EXPECT_TRUE(prompter.MessageNumbers().empty());
}

TEST_F(InstanceLoaderTest, FilesThatAreNotFilesCannotBeOpened)
{
    // An instance or relation file that is a FIFO, a socket, a device or a folder: the
    // element is disabled, listing it reports the file like a missing one, and nothing waits.
    const HangGuard guard;
    for (const SpecialFile kind : kSpecialFiles) {
        const std::string name = SpecialFileName(kind);
        SCOPED_TRACE(name);
        ASSERT_TRUE(MakeSpecialFile(dir / (name + ".ins"), kind));
        ASSERT_TRUE(MakeSpecialFile(dir / (name + ".rel"), kind));
        std::string model = kModel;
        model.replace(model.find("ghost.ins"), 9, name + ".ins");
        model.replace(model.find("parts_pumps.rel"), 15, name + ".rel");
        prompter.Clear();
        ASSERT_TRUE(Open(model));
        EXPECT_EQ(E(6)->enabled, 0);

        CollectingSink sink;
        EXPECT_EQ(LoadInstances(doc, E(6), nullptr, nullptr, 1, sink), 0);
        ASSERT_EQ(prompter.MessageNumbers(), std::vector<int>{5012});
        EXPECT_EQ(prompter.MessageTexts()[0],
                  "Unable to open inatance file '" + name + ".ins' for element 'Ghost'.");
        EXPECT_TRUE(sink.records.empty());

        EXPECT_EQ(Link()->LoadRelations(context), 0);
        const std::string key = "P1";
        doc.CountPageRelations(E(5), 0, &key);
        EXPECT_EQ(Link()->errorFlag, 1);
        LoadInstanceTree(doc, E(1), Link(), sink, 0);
        EXPECT_TRUE(sink.records.empty());
    }
}

// A (a.ins) is the parent of B, C and B again; B and C are both parents of D; D is the
// parent of A, which closes a loop.
const char kFamilyModel[] = "[MODEL]\nPAGES=Main\n[DOCUMENTATION]\nCOLLECTION=F\n"
                            "[Main]\nSIZE=60,40\nELEMENT SIZE=4,2\n"
                            "E1=1,1,A,0,a.ins,q,s,Id\n"
                            "E2=1,10,B,0,b.ins,q,s,Id\n"
                            "E3=10,10,C,0,c.ins,q,s,Id\n"
                            "E4=1,20,D,0,d.ins,q,s,Id\n"
                            "G1=2;3;5;2,0,E1,E2;E3;E2\n"
                            "G2=2;13;5;2,0,E2,E4\n"
                            "G3=2;13;5;2,0,E3,E4\n"
                            "G4=2;23;5;2,0,E4,E1\n";

TEST(InstanceFamilyTest, EveryNamedChildIsListedAndOnlyALoopStops)
{
    ModelFixture fixture;
    for (const char* name : {"a", "b", "c", "d"})
        fixture.dir.Write(std::string(name) + ".ins", std::string(1, name[0] - 32) + "1|x\n");
    ASSERT_TRUE(fixture.Open(kFamilyModel));
    CModelDoc& doc = fixture.doc;

    // B is named twice and D is shared by B and C: each is listed every time; D's child A
    // is an ancestor on every path, so the loop ends there.
    CollectingSink sink;
    LoadInstanceTree(doc, fixture.Element(0, 0), nullptr, sink, 0);
    EXPECT_EQ(sink.Keys(), (std::vector<std::string>{"A1", "B1", "D1", "C1", "D1", "B1", "D1"}));

    // From inside the loop: D, then A's family, which stops again at D.
    sink.records.clear();
    LoadInstanceTree(doc, fixture.Element(0, 3), nullptr, sink, 0);
    EXPECT_EQ(sink.Keys(), (std::vector<std::string>{"D1", "A1", "B1", "C1", "B1"}));

    // An element that is its own child is listed once.
    ModelFixture self;
    self.dir.Write("a.ins", "A1|x\n");
    ASSERT_TRUE(self.Open("[MODEL]\nPAGES=Main\n[Main]\nSIZE=9,9\nELEMENT SIZE=2,2\n"
                          "E1=1,1,A,0,a.ins,q,s,Id\nG1=1;1;5;2,0,E1,E1;E1\n"));
    sink.records.clear();
    LoadInstanceTree(self.doc, self.Element(0, 0), nullptr, sink, 0);
    EXPECT_EQ(sink.Keys(), std::vector<std::string>{"A1"});
    EXPECT_TRUE(fixture.prompter.MessageNumbers().empty());
}

TEST(InstanceFamilyTest, AFamilyThatDoublesAtEveryLevelEnds)
{
    // Each of 24 levels names the next element twice: 2^24 paths. The listing stops after
    // 4096 elements instead of running for hours.
    ModelFixture fixture;
    fixture.dir.Write("x.ins", "X1|x\n");
    std::string model = "[MODEL]\nPAGES=Main\n[Main]\nSIZE=99,99\nELEMENT SIZE=2,2\n";
    const int levels = 24;
    for (int n = 1; n <= levels; ++n)
        model += "E" + std::to_string(n) + "=1," + std::to_string(n) + ",Level" +
                 std::string(1, static_cast<char>('A' + n - 1)) + ",0,x.ins,q,s,Id\n";
    for (int n = 1; n < levels; ++n)
        model += "G" + std::to_string(n) + "=1;1;5;2,0,E" + std::to_string(n) + ",E" +
                 std::to_string(n + 1) + ";E" + std::to_string(n + 1) + "\n";
    ASSERT_TRUE(fixture.Open(model));
    CollectingSink sink;
    LoadInstanceTree(fixture.doc, fixture.Element(0, 0), nullptr, sink, 0);
    EXPECT_EQ(sink.records.size(), 4096u);
}

TEST_F(InstanceLoaderTest, RelationListingOfOneInstance)
{
    // Related Instances of P1 counted from Parts; opening the counter lists Pumps' K1, K8.
    const std::string key = "P1";
    doc.CountPageRelations(E(5), 0, &key);
    ASSERT_EQ(Link()->listingMode, 1);
    CollectingSink sink;
    LoadInstanceTree(doc, E(1), Link(), sink, 0);
    EXPECT_EQ(sink.Keys(), (std::vector<std::string>{"K1", "K8"}));

    // A recorded key without relations lists nothing.
    const std::string none = "P9";
    doc.CountPageRelations(E(5), 0, &none);
    sink.records.clear();
    LoadInstances(doc, E(1), nullptr, Link(), 1, sink);
    EXPECT_TRUE(sink.records.empty());
}

TEST_F(InstanceLoaderTest, RelationListingOfAllInstances)
{
    doc.CountPageRelations(E(5), 0, nullptr);
    ASSERT_EQ(Link()->listingMode, 2);
    CollectingSink sink;
    LoadInstances(doc, E(1), nullptr, Link(), 1, sink);
    EXPECT_EQ(sink.Keys(), (std::vector<std::string>{"K1", "K2", "K8"}));

    // From the other side.
    doc.CountPageRelations(E(1), 0, nullptr);
    sink.records.clear();
    LoadInstances(doc, E(5), nullptr, Link(), 1, sink);
    EXPECT_EQ(sink.Keys(), (std::vector<std::string>{"P1", "P2"}));

    // Any other mode adds nothing.
    Link()->listingMode = 0;
    sink.records.clear();
    LoadInstances(doc, E(5), nullptr, Link(), 1, sink);
    EXPECT_TRUE(sink.records.empty());
}

TEST(LineReaderTest, ReadsAsTextModeInPiecesOf298)
{
    TempDir dir;
    const std::string longLine(298, 'a');
    const std::string almost(297, 'b');
    dir.Write("t.txt", longLine + "\n" + almost + "\r\n" + "x \t\n" + "cr\rmid\n" +
                           std::string("nul\0tail\n", 9) + "y \t");
    CTextLineReader reader;
    ASSERT_TRUE(reader.Open(dir / "t.txt"));
    std::uint64_t size = 0;
    ASSERT_TRUE(reader.Size(size));
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.ReadTrimmedLine(line))
        lines.emplace_back(line);
    const std::vector<std::string> expected{longLine, "", almost, "x \t", "cr\rmid", "nul", "y "};
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(reader.Position(), size);
    EXPECT_FALSE(reader.Open(dir / "missing.txt"));
}

TEST(LineReaderTest, TellsTheLineEachReadBeganOn)
{
    TempDir dir;
    dir.Write("t.txt", "one\r\n" + std::string(300, 'x') + "\n\nlast");
    CTextLineReader reader;
    ASSERT_TRUE(reader.Open(dir / "t.txt"));
    EXPECT_EQ(reader.LineNumber(), 0u);
    std::vector<std::uint64_t> lines;
    std::string_view line;
    while (reader.ReadTrimmedLine(line))
        lines.push_back(reader.LineNumber());
    // The 300-character line comes back in two reads, both on line 2.
    EXPECT_EQ(lines, (std::vector<std::uint64_t>{1, 2, 2, 3, 4}));
}

} // namespace
