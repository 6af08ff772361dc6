// modelcheck check on the sample model and on small broken models; files that cannot be
// read; text on a terminal.

#include "ModelCheck.h"
#include "ModelCheckRun.h"
#include "NonRegularFiles.h"
#include "TempDir.h"
#include "profile/ProfileReader.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

const std::string kSample = std::string(MB_EXAMPLES_DIR) + "/sample.mdl";

// A clean model: Alpha is the parent of Gamma's group and linked to Beta; Again jumps back to
// the page itself. Line numbers are those of the file.
const char kModel[] = "[MODEL]\n"                      // 1
                      "NAME=Check\n"                   // 2
                      "PAGES=Main\n"                   // 3
                      "[DOCUMENTATION]\n"              // 4
                      "COLLECTION=Check\n"             // 5
                      "PUBLISHING ID=C-1\n"            // 6
                      "[Main]\n"                       // 7
                      "SIZE=40,20\n"                   // 8
                      "ELEMENT SIZE=4,2\n"             // 9
                      "E1=1,1,Alpha,0,a.ins,q,s,Id\n"  // 10
                      "E2=10,1,Beta,0,b.ins,q,s,Id\n"  // 11
                      "E3=1,10,Gamma,0,g.ins,q,s,Id\n" // 12
                      "E4=20,1,Again,1,M1\n"           // 13
                      "G1=2;3;5;2,0,E1,E3\n"           // 14
                      "L1=E1,E2,0,2,ab.rel,5;1,1;5\n"  // 15
                      "S1=7,1,0,0,2,L1;0\n";           // 16

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

class CheckCommand : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::ClearProfileCache();
        m_dir.Write("a.ins", "A-1|x\nA-2|y\n");
        m_dir.Write("b.ins", "B-1|x\n");
        m_dir.Write("g.ins", "G-1|z\nlow-1|w\n");
        m_dir.Write("ab.rel", "A-1,B-1\nG-1,B-1\n");
    }

    // Writes the model and runs check on it.
    ModelCheckResult Check(const std::string& model)
    {
        platform::ClearProfileCache();
        return RunModelCheckCaptured({"check", m_dir.Write("m.mdl", model)});
    }
    std::string Model() const { return m_dir / "m.mdl"; }

    TempDir m_dir;
};

TEST(ModelCheckCheck, SampleModelHasOnlyItsUnpublishedElement)
{
    // Spare Part Kits names an instance file that is deliberately not supplied.
    int line = 0;
    std::ifstream in(kSample);
    int n = 0;
    for (std::string text; std::getline(in, text);) {
        ++n;
        if (text.find(",Spare Part Kits,") != std::string::npos)
            line = n;
    }
    ASSERT_GT(line, 0);
    const ModelCheckResult run = RunModelCheckCaptured({"check", kSample});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, kSample + ":" + std::to_string(line) +
                           ": warning: instance file 'spare_kits.ins' of element 'Spare Part "
                           "Kits' cannot be read (no such file); the element is shown disabled\n");
    EXPECT_EQ(run.err, kSample + " -- 0 error(s), 1 warning(s)\n");
}

TEST_F(CheckCommand, CleanModelPassesSilently)
{
    const ModelCheckResult run = Check(kModel);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, Model() + " -- 0 error(s), 0 warning(s)\n");
}

TEST_F(CheckCommand, LoadFailuresPointAtTheEntry)
{
    const std::string notLoaded = "5017: Unable to load model. Model file contains syntax "
                                  "errors. To run model syntax check test press "
                                  "SHIFT+CTRL+ALT+D simultaneously.";
    const struct
    {
        const char* name;
        std::string model;
        std::vector<std::string> lines; // each prefixed with "m.mdl:"
    } cases[] = {
        // The syntax test does not look at SIZE: only the load finds it missing.
        {"MissingSize",
         Replace(kModel, "SIZE=40,20\n", ""),
         {"7: error: 5002: Unable to read 'SIZE' information from the section 'Main'. Unable "
          "to continue.",
          "7: error: " + notLoaded}},
        {"SizeNotNumbers", Replace(kModel, "SIZE=40,20", "SIZE=40,x"), {"8: error: " + notLoaded}},
        {"GroupChildMissing",
         Replace(kModel, "E1,E3\n", "E1,E9\n"),
         {"14: error: 5003: Invalid element reference 'E9' found in group 'G1' / model 'Main'.",
          "14: error: " + notLoaded}},
        {"LinkToMissingPage",
         Replace(kModel, "L1=E1,E2", "L1=E1,M4;E2"),
         {"15: error: 5008: Invalid link between two elements, belonging to different models "
          "found while doing late binding. Check that all elements and links between them "
          "correct .",
          "15: error: " + notLoaded}},
        // Both the syntax test and the load stop at a file name without a dot.
        {"SyntaxAndLoad",
         Replace(kModel, "b.ins", "bfile"),
         {"11: error: syntax error: the syntax of the element is incorrect (section [Main], "
          "entry E2; right syntax: #,#,$,#,F$,$,$,$[~;$]/#,#,$,#,M#; wrong syntax: "
          "#,#,$,#,$,$,$,$)",
          "11: error: " + notLoaded}},
        // A page in the list without a section: the page list is the line to fix.
        {"PageWithoutSection",
         Replace(kModel, "PAGES=Main", "PAGES=Main,Lost"),
         {"3: error: zero elements in page: no elements were defined in current page (section "
          "[Lost], entry E1)",
          "3: warning: zero links in page: no links were defined in current page (section "
          "[Lost], entry L1)",
          "3: warning: zero groups in page: no groups were defined in current page (section "
          "[Lost], entry G1)",
          "3: warning: zero symbols in page: no symbols were defined in current page (section "
          "[Lost], entry S1)",
          "3: error: 5002: Unable to read 'SIZE' information from the section 'Lost'. Unable "
          "to continue.",
          "3: error: " + notLoaded}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ModelCheckResult run = Check(c.model);
        std::string expected;
        for (const std::string& line : c.lines)
            expected += Model() + ":" + line + "\n";
        EXPECT_EQ(run.out, expected);
        EXPECT_EQ(run.status, 2);
    }
}

TEST_F(CheckCommand, FilesThatCannotBeReadAndJumpsToNowhere)
{
    const std::string model = Model();
    std::filesystem::remove(m_dir / "ab.rel");
    // Between two enabled elements a missing relation file is an error.
    ModelCheckResult run = Check(kModel);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, model + ":15: error: relation file 'ab.rel' of the link between 'Alpha' "
                               "and 'Beta' cannot be read (no such file); none of its "
                               "relations can be counted or listed\n");

    // Beta disabled: its file and the link's file are warnings. Alpha without its own file
    // still lists Gamma's instances. Again jumps to a page that does not exist.
    std::filesystem::remove(m_dir / "b.ins");
    std::filesystem::remove(m_dir / "a.ins");
    run = Check(Replace(kModel, "Again,1,M1", "Again,1,M3"));
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out,
              model +
                  ":10: warning: instance file 'a.ins' of element 'Alpha' cannot be read (no "
                  "such file); only its children's instances are listed\n" +
                  model +
                  ":11: warning: instance file 'b.ins' of element 'Beta' cannot be read "
                  "(no such file); the element is shown disabled\n" +
                  model +
                  ":13: error: jump element 'Again' leads to page M3, but the model has "
                  "1 page(s)\n" +
                  model +
                  ":15: warning: relation file 'ab.rel' of the link between 'Alpha' and "
                  "'Beta' cannot be read (no such file)\n");
    EXPECT_EQ(run.err, model + " -- 1 error(s), 3 warning(s)\n");
}

TEST_F(CheckCommand, RelationKeysWithoutInstances)
{
    // G-1 belongs to Alpha's family (Gamma); b-1 is upper-cased to B-1 and found.
    m_dir.Write("ab.rel", "A-1,B-1\n"
                          "G-1,b-1\n"
                          "A-9,B-1\n"
                          "low-1,B-1\n"
                          " A-1,B-1\n"
                          "A-2\n"
                          "E12,X\n");
    const ModelCheckResult run = Check(kModel);
    EXPECT_EQ(run.status, 1);
    const std::string rel = m_dir / "ab.rel";
    EXPECT_EQ(run.out,
              rel + ":3: warning: key 'A-9' matches no instance of 'Alpha'\n" + rel +
                  ":4: warning: key 'low-1' matches no instance of 'Alpha' (the instance key is "
                  "written 'low-1'; relation keys are compared in capitals)\n" +
                  rel +
                  ":5: warning: key ' A-1' matches no instance of 'Alpha' (blanks around a "
                  "key are part of it)\n" +
                  rel + ":6: warning: relation line has no key for 'Beta'\n");
}

TEST_F(CheckCommand, UnreadableModelFileIsSaidToBeSo)
{
    const HangGuard guard;
    for (const char* command : {"check", "syntax"}) {
        SCOPED_TRACE(command);
        const std::string missing = m_dir / "none.mdl";
        ModelCheckResult run = RunModelCheckCaptured({command, missing});
        EXPECT_EQ(run.status, 66);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "modelcheck: cannot read '" + missing + "': no such file\n");
        for (const SpecialFile kind : kSpecialFiles) {
            const std::string path =
                m_dir / (std::string(command) + "-" + SpecialFileName(kind) + ".mdl");
            ASSERT_TRUE(MakeSpecialFile(path, kind));
            run = RunModelCheckCaptured({command, path});
            EXPECT_EQ(run.status, 66) << SpecialFileName(kind);
            EXPECT_EQ(run.err,
                      "modelcheck: cannot read '" + path + "': " +
                          (kind == SpecialFile::Folder ? "is a folder" : "is not a regular file") +
                          "\n");
        }
    }
}

TEST_F(CheckCommand, InstanceAndRelationFilesThatAreNotFiles)
{
    // None of the commands waits on a FIFO, socket or device; each reads as unopenable.
    const HangGuard guard;
    std::filesystem::remove(m_dir / "b.ins");
    std::filesystem::remove(m_dir / "ab.rel");
    for (const SpecialFile kind : kSpecialFiles) {
        SCOPED_TRACE(SpecialFileName(kind));
        ASSERT_TRUE(MakeSpecialFile(m_dir / "b.ins", kind));
        const std::string reason =
            kind == SpecialFile::Folder ? "is a folder" : "is not a regular file";
        const ModelCheckResult instances =
            RunModelCheckCaptured({"instances", m_dir.Write("m.mdl", kModel), "Main", "Beta"});
        EXPECT_EQ(instances.status, 0);
        EXPECT_EQ(instances.out, "");
        EXPECT_EQ(instances.err,
                  "5012: Unable to open inatance file 'b.ins' for element 'Beta'.\n");
        EXPECT_EQ(Check(kModel).out,
                  Model() +
                      ":11: warning: instance file 'b.ins' of element 'Beta' cannot be read (" +
                      reason + "); the element is shown disabled\n" + Model() +
                      ":15: warning: relation file 'ab.rel' of the link between 'Alpha' and 'Beta' "
                      "cannot be read (no such file)\n");
        std::filesystem::remove_all(m_dir / "b.ins");

        ASSERT_TRUE(MakeSpecialFile(m_dir / "ab.rel", kind));
        m_dir.Write("b.ins", "B-1|x\n");
        const ModelCheckResult related =
            RunModelCheckCaptured({"related", Model(), "Main", "Alpha"});
        EXPECT_EQ(related.status, 0);
        EXPECT_EQ(related.out, "Alpha\tUSES\tBeta\t0\n");
        EXPECT_EQ(RunModelCheckCaptured({"dump", Model(), "--relations"}).status, 0);
        EXPECT_EQ(Check(kModel).out, Model() +
                                         ":15: error: relation file 'ab.rel' of the link between "
                                         "'Alpha' and 'Beta' cannot be read (" +
                                         reason +
                                         "); none of its relations can be counted or listed\n");
        std::filesystem::remove_all(m_dir / "ab.rel");
        std::filesystem::remove(m_dir / "b.ins");
    }
}

TEST_F(CheckCommand, SyntaxReportNamesTheModelByItsAbsolutePath)
{
    const std::filesystem::path old = std::filesystem::current_path();
    m_dir.Write("Sub/Bad.MDL", Replace(kModel, "NAME=Check\n", ""));
    std::filesystem::current_path(m_dir.Path());
    const ModelCheckResult run = RunModelCheckCaptured({"syntax", "Sub/Bad.MDL"});
    std::filesystem::current_path(old);
    std::string lower = m_dir / "sub/bad.mdl";
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out.rfind("(001) " + lower + ": warning: missing entry\r\n", 0), 0u) << run.out;
}

// Text written to a terminal: the pseudo-terminal's other end reads what a user would see.
class Terminal
{
public:
    Terminal()
    {
        if (::openpty(&m_master, &m_slave, nullptr, nullptr, nullptr) != 0)
            return;
        termios raw{};
        ::tcgetattr(m_slave, &raw);
        ::cfmakeraw(&raw); // no CR added before LF
        ::tcsetattr(m_slave, TCSANOW, &raw);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_stream = ::fdopen(m_slave, "w");
    }
    ~Terminal()
    {
        if (m_stream)
            std::fclose(m_stream);
        if (m_master >= 0)
            ::close(m_master);
    }
    std::FILE* Stream() const { return m_stream; }
    std::string Read()
    {
        std::fflush(m_stream);
        std::string text;
        char buffer[4096];
        for (ssize_t got; (got = ::read(m_master, buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<std::size_t>(got));
        return text;
    }

private:
    int m_master = -1, m_slave = -1;
    std::FILE* m_stream = nullptr;
};

TEST_F(CheckCommand, TerminalShowsDecodedTextPipesKeepTheBytes)
{
    // Beta's file: one Windows-1252 line and one UTF-8 line. Ghost's name is Windows-1252.
    m_dir.Write("b.ins", "B-1|Dvor\xE1k\nB-2|S\xC3\xA9verac\n");
    const std::string model =
        m_dir.Write("m.mdl", Replace(kModel, "E4=20,1,Again,1,M1\n",
                                     "E4=20,1,Again,1,M1\nE5=30,1,Se\xF1or,0,none.ins,q,s,Id\n"));

    Terminal terminal;
    ASSERT_NE(terminal.Stream(), nullptr);
    EXPECT_EQ(
        RunModelCheck({"instances", model, "Main", "Beta"}, terminal.Stream(), terminal.Stream()),
        0);
    EXPECT_EQ(terminal.Read(), "B-1|Dvor\xC3\xA1k\nB-2|S\xC3\xA9verac\n");
    EXPECT_EQ(
        RunModelCheck({"instances", model, "Main", "E5"}, terminal.Stream(), terminal.Stream()), 0);
    EXPECT_EQ(terminal.Read(), "5012: Unable to open inatance file 'none.ins' for element "
                               "'Se\xC3\xB1or'.\n");

    const ModelCheckResult piped = RunModelCheckCaptured({"instances", model, "Main", "Beta"});
    EXPECT_EQ(piped.out, "B-1|Dvor\xE1k\nB-2|S\xC3\xA9verac\n");
    const ModelCheckResult pipedError = RunModelCheckCaptured({"instances", model, "Main", "E5"});
    EXPECT_EQ(pipedError.err, "5012: Unable to open inatance file 'none.ins' for element "
                              "'Se\xF1or'.\n");
}

} // namespace
