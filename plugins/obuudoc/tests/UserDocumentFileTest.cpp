// Adding user documents to a book's user-document file: the reference file, the two
// insertions, every byte of a large file kept, and the file left as it was when any step
// fails.

#include "UserDocumentFile.h"
#include "DocumentReference.h"
#include "ObuMessages.h"

#include "TempDir.h"
#include "profile/ProfileReader.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <set>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace obuudoc;

namespace {

constexpr std::time_t kNow = 1700000000;

const UserDocumentInput kInput{"Pump P-101 data sheet", "Vendor data sheet\nsecond line",
                               "/srv/docs/p101.pdf"};

std::string FirstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}

mode_t ModeOf(const std::string& path)
{
    struct stat info = {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

// The bytes of a regular file; a FIFO or a folder is not opened (nothing waits on it).
std::string ReadRegular(const std::string& path)
{
    struct stat info = {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return "<not a regular file>";
    return TempDir::Read(path);
}

bool Exists(const std::string& path)
{
    struct stat info = {};
    return ::lstat(path.c_str(), &info) == 0;
}

// A collection with the book "manuals" and its user-document file.
struct CBookFixture
{
    TempDir dir;
    UserDocumentPaths paths;

    explicit CBookFixture(const std::string& userDoc)
    {
        paths = MakeUserDocumentPaths(dir.Path(), "manuals");
        dir.Write("books/manuals/manuals.sgm", userDoc);
    }
    std::string UserDoc() const { return ReadRegular(paths.userDocFile); }
};

// Runs the adding in a child process prepared by setUp, and hands its result back.
AddResult AddInChild(const std::function<void()>& setUp, const UserDocumentPaths& paths)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        setUp();
        const AddResult result = AddUserDocument(paths, kInput, kNow);
        const std::string bytes = std::to_string(static_cast<int>(result.step)) + "\n" +
                                  result.referenceName + "\n" + result.message;
        const ssize_t written = ::write(fds[1], bytes.data(), bytes.size());
        ::_exit(written == static_cast<ssize_t>(bytes.size()) ? 0 : 1);
    }
    ::close(fds[1]);
    std::string bytes;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
        bytes.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    AddResult result;
    const std::size_t first = bytes.find('\n');
    const std::size_t second = bytes.find('\n', first + 1);
    if (first == std::string::npos || second == std::string::npos)
        return result;
    result.step = static_cast<AddStep>(std::stoi(bytes.substr(0, first)));
    result.referenceName = bytes.substr(first + 1, second - first - 1);
    result.message = bytes.substr(second + 1);
    return result;
}

} // namespace

TEST(DocumentReference, FilledReferenceAndPlaceholders)
{
    EXPECT_EQ(MakeDocumentReference({"T & <b>", "D \"q\"", "/a/b>c"}, 42),
              "<docref docnum=\"99999\" author=\"A. Author\" id=\"Id42\" file=\"/a/b&gt;c\" "
              "colrefs=\"No colrefs\" bookrefs=\"No bookrefs\" noterefs=\"No noterefs\">\n"
              "<doctitle>T &amp; &lt;b&gt;</doctitle>\n"
              "<docdesc>D &quot;q&quot;</docdesc>\n"
              "</docref>\n");
    // Every occurrence; a value is not searched again, so a typed placeholder stays.
    EXPECT_EQ(FillPlaceholders("%a%-%b%-%a%%", {{"%a%", "%b%"}, {"%b%", "x"}}), "%b%-x-%b%%");
    EXPECT_NE(MakeDocumentReference({"%docdesc%", "d", "f"}, 1).find("<doctitle>%docdesc%<"),
              std::string::npos);
}

TEST(UserDocumentFile, AddsAfterTheTakenNamesWithDeclarationAndReference)
{
    const std::string before = "<!DOCTYPE userdoc SYSTEM \"userdoc.dtd\">\n<userdoc>\n"
                               "&OBU000.TXT;\n</userdoc>\n";
    CBookFixture book(before);
    book.dir.Write("books/manuals/OBU000.TXT", "first");
    book.dir.Write("books/manuals/OBU001.TXT", "second");
    ::chmod(book.paths.userDocFile.c_str(), 0640);

    const AddResult result = AddUserDocument(book.paths, kInput, kNow);
    ASSERT_TRUE(result.Ok()) << result.message;
    EXPECT_EQ(result.referenceName, "OBU002.TXT");
    EXPECT_EQ(book.UserDoc(), "<!DOCTYPE userdoc SYSTEM \"userdoc.dtd\">\n"
                              "\n<!ENTITY OBU002.TXT SYSTEM \"OBU002.TXT\">\n"
                              "<userdoc>\n&OBU000.TXT;\n"
                              "\n&OBU002.TXT;\n"
                              "</userdoc>\n");
    EXPECT_EQ(TempDir::Read(book.dir / "books/manuals/OBU002.TXT"),
              MakeDocumentReference(kInput, kNow));
    EXPECT_EQ(TempDir::Read(book.dir / "books/manuals/OBU001.TXT"), "second");
    EXPECT_EQ(TempDir::Read(book.paths.backupFile), before);
    EXPECT_FALSE(Exists(book.paths.tempFile));
    EXPECT_EQ(ModeOf(book.paths.userDocFile), 0640u);
}

TEST(UserDocumentFile, FileBeginningWithUserdocGetsNoDeclaration)
{
    CBookFixture book("<userdoc>\n</userdoc>");
    ASSERT_TRUE(AddUserDocument(book.paths, kInput, kNow).Ok());
    EXPECT_EQ(book.UserDoc(), "<userdoc>\n\n&OBU000.TXT;\n</userdoc>");
    // The reference goes before the end that follows the element's start.
    EXPECT_EQ(*InsertUserDocumentReference("</userdoc><userdoc></userdoc>", "N"),
              "</userdoc>\n<!ENTITY N SYSTEM \"N\">\n<userdoc>\n&N;\n</userdoc>");
}

TEST(UserDocumentFile, LargeFileKeepsEveryByte)
{
    // 200 KB of every byte value, the element in the middle.
    std::string head, body;
    for (std::size_t i = 0; head.size() < 100000; ++i)
        head += static_cast<char>((i * 7 + 3) % 251 == '<' ? 'x' : (i * 7 + 3) % 251);
    for (std::size_t i = 0; body.size() < 100000; ++i)
        body += static_cast<char>((i * 13) % 256 == '<' ? 'y' : (i * 13) % 256);
    const std::string before = head + "<userdoc>" + body + "</userdoc>\n";
    CBookFixture book(before);
    ASSERT_TRUE(AddUserDocument(book.paths, kInput, kNow).Ok());
    const std::string after = book.UserDoc();
    const std::string declaration = "\n<!ENTITY OBU000.TXT SYSTEM \"OBU000.TXT\">\n";
    const std::string reference = "\n&OBU000.TXT;\n";
    EXPECT_EQ(after.size(), before.size() + declaration.size() + reference.size());
    EXPECT_TRUE(after == head + declaration + "<userdoc>" + body + reference + "</userdoc>\n");
    EXPECT_TRUE(TempDir::Read(book.paths.backupFile) == before);
}

TEST(UserDocumentFile, TwoAddersAtOnceGetTheirOwnNamesAndBothReferences)
{
    CBookFixture book("<!DOCTYPE u>\n<userdoc>\n</userdoc>\n");
    std::vector<pid_t> children;
    for (int c = 0; c < 2; ++c) {
        const pid_t child = ::fork();
        if (child == 0) {
            bool ok = true;
            for (int i = 0; i < 10; ++i)
                ok = AddUserDocument(book.paths, kInput, kNow).Ok() && ok;
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 1;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const std::string after = book.UserDoc();
    for (int number = 0; number < 20; ++number) {
        const std::string name = ReferenceFileName(number);
        EXPECT_NE(after.find("\n&" + name + ";\n"), std::string::npos) << name;
        EXPECT_NE(after.find("<!ENTITY " + name + " "), std::string::npos) << name;
    }
    EXPECT_FALSE(Exists(book.dir / "books/manuals/OBU020.TXT"));
}

// A failure at each step: the step's message, and the user-document file as it was.
TEST(UserDocumentFile, EveryFailureLeavesTheFileAsItWasAndNamesTheStep)
{
    const std::string large =
        "<!DOCTYPE u>\n<userdoc>\n" + std::string(200000, 'z') + "\n</userdoc>\n";
    struct Case
    {
        const char* name;
        std::string userDoc;
        std::function<void(CBookFixture&)> prepare; // in this process
        std::function<void()> inChild;              // nullptr: add in this process
        AddStep step;
        const char* message;
        const char* file; // the file the message names
        bool referenceKept;
    };
    const auto unwritable = [](CBookFixture& book) {
        ::chmod(book.dir.Path().c_str(), 0755);
        ::chmod((book.dir / "books").c_str(), 0755);
        ::chmod(book.paths.userDocFile.c_str(), 0644);
        ::chmod(book.paths.bookFolder.c_str(), 0555);
    };
    const auto asNobody = [] {
        // The superuser writes anywhere: the child gives up its rights first.
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
    };
    const auto smallDisk = [] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{50000, 50000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    };
    const std::vector<Case> cases = {
        {"unwritable book folder", large, unwritable, asNobody, AddStep::CreateReference,
         "Could not create file for user document.", "OBU000.TXT", false},
        {"full disk", large, nullptr, smallDisk, AddStep::WriteTemp,
         "Error while writing user document file", "manuals.tmp", true},
        {"no <userdoc", "<book>\n</userdoc>\n", nullptr, nullptr, AddStep::NoUserDocElement,
         "User document file has no <userdoc> element to add to.", "manuals.sgm", true},
        {"no </userdoc", "<!DOCTYPE u>\n<userdoc>\n", nullptr, nullptr, AddStep::NoUserDocElement,
         "User document file has no <userdoc> element to add to.", "manuals.sgm", true},
        {"no free name", large,
         [](CBookFixture& book) {
             for (int number = 0; number < kReferenceFileCount; ++number)
                 book.dir.Write("books/manuals/" + ReferenceFileName(number), "");
         },
         nullptr, AddStep::FreeName, "Could not get free filename for user document.", "", false},
        {"backup failing", large,
         [](CBookFixture& book) { book.dir.Write("books/manuals/manuals.bak/keep", "x"); }, nullptr,
         AddStep::Backup, "Error while creating backup of user document file", "manuals.bak", true},
        {"temporary file not creatable", large,
         [](CBookFixture& book) { book.dir.Write("books/manuals/manuals.tmp/keep", "x"); }, nullptr,
         AddStep::CreateTemp, "Could not create file for user document.", "manuals.tmp", true},
        {"empty file", "", nullptr, nullptr, AddStep::ReadUserDoc,
         "Error while reading user document file", "manuals.sgm", true},
        {"a FIFO for the file", "",
         [](CBookFixture& book) {
             ::unlink(book.paths.userDocFile.c_str());
             ::mkfifo(book.paths.userDocFile.c_str(), 0644);
         },
         nullptr, AddStep::OpenUserDoc, "Error while opening user document file", "manuals.sgm",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CBookFixture book(c.userDoc);
        if (c.prepare)
            c.prepare(book);
        const std::string before = book.UserDoc();
        const mode_t mode = ModeOf(book.paths.userDocFile);
        const AddResult result = c.inChild ? AddInChild(c.inChild, book.paths)
                                           : AddUserDocument(book.paths, kInput, kNow);
        EXPECT_EQ(result.step, c.step);
        EXPECT_EQ(FirstLine(result.message), c.message);
        const std::string file =
            *c.file ? book.paths.bookFolder + "/" + c.file : book.paths.bookFolder;
        EXPECT_NE(result.message.find(file), std::string::npos) << result.message;
        EXPECT_EQ(book.UserDoc(), before);
        EXPECT_EQ(ModeOf(book.paths.userDocFile), mode);
        if (c.step != AddStep::CreateTemp) {
            EXPECT_FALSE(Exists(book.paths.tempFile));
        }
        EXPECT_EQ(Exists(book.dir / "books/manuals/OBU000.TXT"),
                  c.referenceKept || c.step == AddStep::FreeName);
        ::chmod(book.paths.bookFolder.c_str(), 0755);
    }
}

TEST(UserDocumentFile, MissingFileAndMissingSettingsAreSaid)
{
    TempDir dir;
    const AddResult missing =
        AddUserDocument(MakeUserDocumentPaths(dir.Path(), "none"), kInput, kNow);
    EXPECT_EQ(missing.step, AddStep::CreateReference);
    EXPECT_NE(missing.message.find(dir / "books/none/OBU000.TXT"), std::string::npos);
    dir.Write("books/book/readme", "");
    const AddResult noFile =
        AddUserDocument(MakeUserDocumentPaths(dir.Path(), "book"), kInput, kNow);
    EXPECT_EQ(noFile.step, AddStep::OpenUserDoc);
    EXPECT_EQ(noFile.message, "Error while opening user document file\n" +
                                  (dir / "books/book/book.sgm") + ": No such file or directory");
    EXPECT_EQ(AddUserDocument(UserDocumentSettings{dir.Path(), ""}, kInput, kNow).step,
              AddStep::Settings);
    EXPECT_EQ(AddUserDocument(UserDocumentSettings{"", "book"}, kInput, kNow).step,
              AddStep::Settings);
}

TEST(UserDocumentFile, PathsAndSettings)
{
    const UserDocumentPaths paths = MakeUserDocumentPaths("/data/x.sgm.d", "a.sgm");
    EXPECT_EQ(paths.bookFolder, "/data/x.sgm.d/books/a.sgm");
    EXPECT_EQ(paths.userDocFile, "/data/x.sgm.d/books/a.sgm/a.sgm.sgm");
    EXPECT_EQ(paths.tempFile, "/data/x.sgm.d/books/a.sgm/a.sgm.tmp");
    EXPECT_EQ(paths.backupFile, "/data/x.sgm.d/books/a.sgm/a.sgm.bak");

    TempDir dir;
    const std::string config = dir.Write(
        "etc/corvelle.ini", "[USERDOC]\ncollection1 = psd\\sub\nBook1=" + std::string(300, 'b') +
                                "\n[other]\nCollection1=/no\n");
    UserDocumentSettings settings = ReadUserDocumentSettings(config);
    EXPECT_EQ(settings.collectionFolder, dir / "etc/psd/sub");
    EXPECT_EQ(settings.book, std::string(260, 'b'));
    dir.Write("etc/corvelle.ini", "[userdoc]\nCollection1=/abs/coll\n");
    platform::ClearProfileCache();
    settings = ReadUserDocumentSettings(config);
    EXPECT_EQ(settings.collectionFolder, "/abs/coll");
    EXPECT_EQ(settings.book, "");
    EXPECT_EQ(ReadUserDocumentSettings(dir / "missing.ini").collectionFolder, "");
}

TEST(ObuMessages, ShellResultsAsTexts)
{
    EXPECT_STREQ(ShellResultMessage(8), "There was not enough memory to complete the operation.");
    EXPECT_STREQ(ShellResultMessage(5),
                 "The operating system denied access to the specified file.");
    EXPECT_STREQ(ShellResultMessage(0), "The operating system is out of memory or resources.");
    EXPECT_STREQ(ShellResultMessage(31),
                 "There is no application associated with the given filename extension.");
    for (int unknown : {1, 4, 25, 33, -1})
        EXPECT_STREQ(ShellResultMessage(unknown), "A unknown error occurred.");
}
