#include "files/PathLookup.h"

#include "NonRegularFiles.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

class PathLookup : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir.Write("Models/Sub Dir/Data.INI", "0123456789");
        m_dir.Write("Models/readme.txt", "x");
        m_dir.Write("Models/\xC3\x89t\xC3\xA9.mdl", "x");
    }
    TempDir m_dir;
};

TEST(NormalizeSeparators, TurnsBackslashesIntoSlashes)
{
    EXPECT_EQ(platform::NormalizeSeparators("C:\\dir\\file.mdl"), "C:/dir/file.mdl");
    EXPECT_EQ(platform::NormalizeSeparators("a/b\\c"), "a/b/c");
    EXPECT_EQ(platform::NormalizeSeparators(""), "");
}

TEST_F(PathLookup, ResolvesIgnoringCase)
{
    const std::string base = m_dir.Path();
    struct
    {
        std::string in;
        std::string out;
    } cases[] = {
        {base + "/Models/Sub Dir/Data.INI", base + "/Models/Sub Dir/Data.INI"},
        {base + "/models/sub dir/data.ini", base + "/Models/Sub Dir/Data.INI"},
        {base + "\\MODELS\\SUB DIR\\DATA.ini", base + "/Models/Sub Dir/Data.INI"},
        {base + "/MODELS//README.TXT", base + "/Models/readme.txt"},
        {base + "/models/./Readme.txt", base + "/Models/readme.txt"},
        {base + "/models/", base + "/Models/"},
        // Only ASCII letters fold.
        {base + "/models/\xC3\x89T\xC3\xA9.MDL", base + "/Models/\xC3\x89t\xC3\xA9.mdl"},
        {base + "/models/\xC3\xA9t\xC3\xA9.mdl", base + "/models/\xC3\xA9t\xC3\xA9.mdl"},
        // Nothing matches: the normalised input comes back.
        {base + "\\models\\missing.txt", base + "/models/missing.txt"},
        {base + "/models/readme.txt/deeper", base + "/models/readme.txt/deeper"},
        {base + "/nowhere/sub dir/data.ini", base + "/nowhere/sub dir/data.ini"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::ResolveExistingPath(c.in), c.out) << c.in;
}

TEST_F(PathLookup, ExactNameWinsOverOtherCase)
{
    m_dir.Write("Models/README.TXT", "y");
    EXPECT_EQ(platform::ResolveExistingPath(m_dir / "Models/README.TXT"),
              m_dir / "Models/README.TXT");
    // Several case variants and none exact: the choice does not depend on directory order.
    EXPECT_EQ(platform::ResolveExistingPath(m_dir / "Models/Readme.Txt"),
              m_dir / "Models/README.TXT");
}

TEST_F(PathLookup, RelativePathsStartAtCurrentFolder)
{
    char* old = ::getcwd(nullptr, 0);
    ASSERT_EQ(::chdir(m_dir.Path().c_str()), 0);
    EXPECT_EQ(platform::ResolveExistingPath("MODELS\\SUB DIR\\data.ini"),
              "Models/Sub Dir/Data.INI");
    EXPECT_EQ(platform::ResolveExistingPath("models/none"), "models/none");
    EXPECT_TRUE(platform::CanOpenForReading("models/README.txt"));
    ASSERT_EQ(::chdir(old), 0);
    std::free(old);
}

TEST_F(PathLookup, CanOpenForReading)
{
    EXPECT_TRUE(platform::CanOpenForReading(m_dir / "models/sub dir/data.ini"));
    EXPECT_FALSE(platform::CanOpenForReading(m_dir / "Models"));
    EXPECT_FALSE(platform::CanOpenForReading(m_dir / "Models/none.ini"));
    EXPECT_FALSE(platform::CanOpenForReading(""));
    ASSERT_EQ(::mkfifo((m_dir / "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(platform::CanOpenForReading(m_dir / "FIFO")); // and does not block
}

TEST_F(PathLookup, OnlyRegularFilesOpen)
{
    // A FIFO without a writer, a socket, a device and a folder: each is refused at once.
    const HangGuard guard;
    for (const SpecialFile kind : kSpecialFiles) {
        const std::string path = m_dir / SpecialFileName(kind);
        ASSERT_TRUE(MakeSpecialFile(path, kind)) << SpecialFileName(kind);
        int fd = 0;
        EXPECT_EQ(platform::OpenRegularFile(path, fd), EISDIR) << SpecialFileName(kind);
        EXPECT_EQ(fd, -1);
        EXPECT_FALSE(platform::CanOpenForReading(path)) << SpecialFileName(kind);
        std::string bytes;
        EXPECT_EQ(platform::ReadRegularFile(path, bytes), EISDIR) << SpecialFileName(kind);
    }

    int fd = -1;
    EXPECT_EQ(platform::OpenRegularFile(m_dir / "none", fd), ENOENT);
    ASSERT_EQ(platform::OpenRegularFile(m_dir / "Models/readme.txt", fd), 0);
    EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0); // back in blocking mode
    char byte = 0;
    EXPECT_EQ(::read(fd, &byte, 1), 1);
    EXPECT_EQ(byte, 'x');
    ::close(fd);
}

TEST_F(PathLookup, FileStatus)
{
    std::uint64_t size = 0;
    std::int64_t mtime = 0;
    ASSERT_TRUE(platform::FileStatus(m_dir / "MODELS/SUB DIR/DATA.INI", size, mtime));
    EXPECT_EQ(size, 10u);
    struct stat st;
    ASSERT_EQ(::stat((m_dir / "Models/Sub Dir/Data.INI").c_str(), &st), 0);
    EXPECT_EQ(mtime, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec);
    EXPECT_FALSE(platform::FileStatus(m_dir / "none", size, mtime));
}

} // namespace
