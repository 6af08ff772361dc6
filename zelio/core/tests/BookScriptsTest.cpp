#include "BookScripts.h"
#include "Book.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <random>
#include <sys/stat.h>

namespace {

using zelio::CUserDocument;

const char* const kRef =
    "<docref docnum=\"99999\" author=\"A. Author\" id=\"Id1\" file=\"%s\" "
    "colrefs=\"No colrefs\" bookrefs=\"No bookrefs\" noterefs=\"No noterefs\">\n"
    "<doctitle>%s</doctitle>\n<docdesc>%s</docdesc>\n</docref>\n";

std::string Ref(const std::string& file, const std::string& title, const std::string& desc)
{
    char buffer[2048];
    std::snprintf(buffer, sizeof buffer, kRef, file.c_str(), title.c_str(), desc.c_str());
    return buffer;
}

TEST(BookScriptsTest, DocRefFieldsAreReadAndEntitiesDecoded)
{
    CUserDocument doc;
    ASSERT_TRUE(zelio::ParseDocRef(
        Ref("notes/pump &amp; valve.txt", "Pump &lt;P-101&gt;", "Two\nlines"), doc));
    EXPECT_EQ(doc.docnum, "99999");
    EXPECT_EQ(doc.file, "notes/pump & valve.txt");
    EXPECT_EQ(doc.title, "Pump <P-101>");
    EXPECT_EQ(doc.description, "Two\nlines");

    CUserDocument bare;
    ASSERT_TRUE(zelio::ParseDocRef("<DOCREF FILE=c:\\x.pdf docnum=7><DocTitle>T", bare));
    EXPECT_EQ(bare.file, "c:\\x.pdf");
    EXPECT_EQ(bare.docnum, "7");
    EXPECT_EQ(bare.title, "T");

    CUserDocument none;
    EXPECT_FALSE(zelio::ParseDocRef("<docrefs file=\"x\">", none));
    EXPECT_FALSE(zelio::ParseDocRef("", none));
    EXPECT_TRUE(none.file.empty());
}

TEST(BookScriptsTest, UserDocFileListsReferencesInsideTheElementOnly)
{
    const auto entries = zelio::ParseUserDocFile(
        "&OUTSIDE;\n<!ENTITY OBU000.TXT SYSTEM \"OBU000.TXT\">\n"
        "<!entity obu001.txt system 'OBU001.TXT'>\n<!ENTITY % param SYSTEM \"p\">\n"
        "<userdoc>\n&OBU000.TXT;\n&amp &OBU001.TXT;\n&UNDECLARED;\n</userdoc>\n&AFTER;\n");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].entity, "OBU000.TXT");
    EXPECT_EQ(entries[0].systemId, "OBU000.TXT");
    EXPECT_EQ(entries[1].systemId, "OBU001.TXT");
    EXPECT_EQ(entries[2].entity, "UNDECLARED");
    EXPECT_EQ(entries[2].systemId, "");
    EXPECT_TRUE(zelio::ParseUserDocFile("<userdocs>&A;</userdocs>").empty());
    EXPECT_TRUE(zelio::ParseUserDocFile("no element &A;").empty());
    // An element that is never closed runs to the end of the text.
    EXPECT_EQ(zelio::ParseUserDocFile("<!ENTITY A SYSTEM \"a\"><userdoc>&A;").size(), 1u);
}

TEST(BookScriptsTest, BrokenOrRandomInputNeverCrashes)
{
    const char* broken[] = {"<",
                            "<!ENTITY",
                            "<!ENTITY A",
                            "<!ENTITY A SYSTEM",
                            "<!ENTITY A SYSTEM \"",
                            "<userdoc",
                            "<userdoc>&",
                            "<userdoc>&A",
                            "<docref",
                            "<docref file=",
                            "<docref file=\"",
                            "<docref =x ' \"",
                            "<docref><doctitle>"};
    for (const char* text : broken) {
        zelio::ParseUserDocFile(text);
        CUserDocument doc;
        zelio::ParseDocRef(text, doc);
        zelio::FindFigureReferences(text);
    }
    std::mt19937 random(7);
    const std::string alphabet = "<>!&;\"'= /ENTITYSYSTEMuserdocfile[]:figure\n\0x";
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 200);
        for (int i = 0; i < length; ++i)
            text += random() % 4 == 0 ? static_cast<char>(random() % 256)
                                      : alphabet[random() % alphabet.size()];
        for (const auto& entry : zelio::ParseUserDocFile(text))
            EXPECT_LE(entry.entity.size(), text.size());
        CUserDocument doc;
        zelio::ParseDocRef(text, doc);
        for (const auto& figure : zelio::FindFigureReferences(text))
            EXPECT_LE(figure.end, text.size());
    }
}

TEST(BookScriptsTest, ReadsTheBooksUserDocumentsAndSkipsUnsafeOrMissingReferences)
{
    TempDir dir;
    const std::string book = dir / "pumps";
    EXPECT_TRUE(zelio::ReadUserDocuments(book).empty()); // no folder, no file
    dir.Write("pumps/pumps.sgm", "<!ENTITY OBU000.TXT SYSTEM \"OBU000.TXT\">\n"
                                 "<!ENTITY UP SYSTEM \"../secret.txt\">\n"
                                 "<!ENTITY GONE SYSTEM \"OBU005.TXT\">\n"
                                 "<!ENTITY NOTITLE SYSTEM \"OBU001.TXT\">\n"
                                 "<userdoc>\n&OBU000.TXT;\n&UP;\n&GONE;\n&NOTITLE;\n</userdoc>\n");
    dir.Write("pumps/OBU000.TXT", Ref("note.txt", "Pump note", "About pumps"));
    dir.Write("pumps/OBU001.TXT", "<docref file=\"/abs/x.pdf\"></docref>");
    dir.Write("secret.txt", Ref("x", "secret", "d"));
    ASSERT_EQ(::mkfifo((dir / "pumps/OBU005.TXT").c_str(), 0600), 0); // must not block
    const auto docs = zelio::ReadUserDocuments(book + "/");
    ASSERT_EQ(docs.size(), 2u);
    EXPECT_EQ(docs[0].title, "Pump note");
    EXPECT_EQ(docs[0].referenceFile, "OBU000.TXT");
    EXPECT_EQ(zelio::UserDocumentPath(book, docs[0].file), book + "/note.txt");
    EXPECT_EQ(docs[1].title, "OBU001.TXT");
    EXPECT_EQ(zelio::UserDocumentPath(book, docs[1].file), "/abs/x.pdf");
}

TEST(BookScriptsTest, FigurePlacesWithLinesAndPlainNamesOnly)
{
    const std::string text =
        "Intro\n[figure: pump.tif] and [FIGURE:valve.cgm]\n[figure: ../x.tif]\n"
        "[figure: a/b.tif]\n[figure: open\n]\n[figure:   ]\n  [figure: last.tif ]";
    const auto figures = zelio::FindFigureReferences(text);
    ASSERT_EQ(figures.size(), 3u);
    EXPECT_EQ(figures[0].name, "pump.tif");
    EXPECT_EQ(figures[0].line, 1u);
    EXPECT_EQ(text.substr(figures[0].begin, figures[0].end - figures[0].begin),
              "[figure: pump.tif]");
    EXPECT_EQ(figures[1].name, "valve.cgm");
    EXPECT_EQ(figures[1].line, 1u);
    EXPECT_EQ(figures[2].name, "last.tif");
    EXPECT_EQ(figures[2].line, 7u);
}

TEST(BookScriptsTest, FigureCopiesGetNewSafeNamesAndRefuseUnsafeSources)
{
    TempDir dir;
    dir.Write("book/pump 1.tif", "TIFFDATA");
    std::filesystem::create_directories(dir / "tmp");
    std::string first;
    std::string second;
    ASSERT_EQ(zelio::CopyFigure(dir / "book", "pump 1.tif", dir / "tmp", first), 0);
    ASSERT_EQ(zelio::CopyFigure(dir / "book", "pump 1.tif", dir / "tmp", second), 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(first.find('/'), std::string::npos);
    EXPECT_EQ(first.find(' '), std::string::npos);
    EXPECT_NE(first.find("pump_1.tif"), std::string::npos);
    EXPECT_EQ(TempDir::Read(dir / "tmp/" + first), "TIFFDATA");

    std::string none;
    EXPECT_EQ(zelio::CopyFigure(dir / "book", "../book/pump 1.tif", dir / "tmp", none), EINVAL);
    EXPECT_EQ(zelio::CopyFigure(dir / "book", "missing.tif", dir / "tmp", none), ENOENT);
    ASSERT_EQ(::mkfifo((dir / "book/fifo.tif").c_str(), 0600), 0);
    EXPECT_EQ(zelio::CopyFigure(dir / "book", "fifo.tif", dir / "tmp", none), EISDIR);
    EXPECT_NE(zelio::CopyFigure(dir / "book", "pump 1.tif", dir / "no-such-folder", none), 0);
    EXPECT_TRUE(none.empty());
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir / "tmp"))
        ++files;
    EXPECT_EQ(files, 2u);
}

TEST(BookScriptsTest, TemporaryFolderComesFromTmpdirWhenItIsAFolder)
{
    TempDir dir;
    ::setenv("TMPDIR", (dir.Path() + "//").c_str(), 1);
    EXPECT_EQ(zelio::TemporaryFolder(), dir.Path());
    ::setenv("TMPDIR", (dir / "missing").c_str(), 1);
    EXPECT_EQ(zelio::TemporaryFolder(), "/tmp");
    ::unsetenv("TMPDIR");
    EXPECT_EQ(zelio::TemporaryFolder(), "/tmp");
}

TEST(BookScriptsTest, ReferenceFilesAreNoContentOfTheBook)
{
    TempDir dir;
    dir.Write("pumps/a.txt", "Pump text");
    dir.Write("pumps/OBU000.TXT", Ref("note.txt", "Pump note", "About pumps"));
    dir.Write("pumps/OBU001.TXT", "not referenced: content");
    auto book = zelio::CBook::Open(dir / "pumps");
    ASSERT_NE(book, nullptr);
    EXPECT_EQ(book->ContentFiles().size(), 3u);
    dir.Write("pumps/pumps.sgm", "<!ENTITY R SYSTEM \"obu000.txt\">\n<userdoc>&R;</userdoc>\n");
    ASSERT_TRUE(book->Refresh());
    ASSERT_EQ(book->ContentFiles().size(), 2u);
    EXPECT_EQ(book->ContentFiles()[0].name, "OBU001.TXT");
    EXPECT_EQ(book->ContentFiles()[1].name, "a.txt");
}

} // namespace
