// Files replaced whole or not at all: what stays when a write is not committed, what a commit
// keeps of the old file, and the targets that cannot be written.

#include "AtomicFile.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace {

int FilesIn(const std::string& folder)
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

mode_t ModeOf(const std::string& path)
{
    struct stat status
    {
    };
    ::stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

TEST(AtomicFileTest, UncommittedWritesLeaveTheOldFileAndNoTemporaryFile)
{
    TempDir dir;
    const std::string path = dir.Write("out.pbm", "old");
    ::chmod(path.c_str(), 0640);
    {
        CAtomicFile file(path);
        ASSERT_TRUE(file.Open());
        ASSERT_TRUE(file.Write("new bytes", 9));
        EXPECT_EQ(FilesIn(dir.Path()), 2); // the temporary file sits beside the target
        EXPECT_EQ(TempDir::Read(path), "old");
    } // gone without a commit: an error on the way
    EXPECT_EQ(TempDir::Read(path), "old");
    EXPECT_EQ(FilesIn(dir.Path()), 1);

    CAtomicFile file(path);
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Write("new", 3));
    ASSERT_TRUE(file.Write(" bytes", 6));
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(TempDir::Read(path), "new bytes");
    EXPECT_EQ(ModeOf(path), 0640u);
    EXPECT_EQ(FilesIn(dir.Path()), 1);
    EXPECT_FALSE(file.Commit()); // once only
}

TEST(AtomicFileTest, NewFilesFollowTheUmaskAndLinksKeepPointing)
{
    TempDir dir;
    const mode_t previous = ::umask(027);
    {
        CAtomicFile file(dir / "new.pbm");
        ASSERT_TRUE(file.Open());
        ASSERT_TRUE(file.Commit());
    }
    ::umask(previous);
    EXPECT_EQ(ModeOf(dir / "new.pbm"), 0640u);

    const std::string target = dir.Write("target.pbm", "old");
    std::filesystem::create_symlink(target, dir / "link.pbm");
    CAtomicFile file(dir / "link.pbm");
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Write("new", 3));
    ASSERT_TRUE(file.Commit());
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.pbm"));
    EXPECT_EQ(TempDir::Read(target), "new");
}

TEST(AtomicFileTest, TargetsThatCannotBeWrittenFailWithoutATrace)
{
    TempDir dir;
    CAtomicFile missingFolder(dir / "no/such/out.pbm");
    EXPECT_FALSE(missingFolder.Open());
    EXPECT_FALSE(missingFolder.Write("x", 1));
    EXPECT_FALSE(missingFolder.Commit());

    std::filesystem::create_directory(dir / "folder.pbm");
    CAtomicFile folder(dir / "folder.pbm");
    EXPECT_FALSE(folder.Open());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "folder.pbm"));

    // The target's name taken by a folder after the temporary file was made: the rename
    // fails, the temporary file goes.
    CAtomicFile late(dir / "late.pbm");
    ASSERT_TRUE(late.Open());
    ASSERT_TRUE(late.Write("x", 1));
    std::filesystem::create_directory(dir / "late.pbm");
    std::filesystem::create_directory(dir / "late.pbm/inside");
    EXPECT_FALSE(late.Commit());
    EXPECT_EQ(FilesIn(dir.Path()), 2); // the two folders only
}

} // namespace
