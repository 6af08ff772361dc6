// Where the disclaimer is found from the browser's configuration and how its file is read,
// failures included.

#include "Disclaimer.h"

#include "NonRegularFiles.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

using namespace obuutil;

namespace {

void ExpectNotice(const std::optional<Notice>& notice, int number)
{
    ASSERT_TRUE(notice) << number;
    EXPECT_EQ(notice->number, number);
    EXPECT_EQ(notice->icon, platform::Icon::Exclamation);
}

} // namespace

TEST(DisclaimerLocation, FromTheObuKeyElseFromDataDir)
{
    TempDir dir;
    const std::string root = std::filesystem::canonical(dir.Path()).string();
    std::filesystem::create_directories(root + "/data");

    // DATA_DIR with a trailing separator, relative to the configuration's folder: one "/".
    for (const char* dataDir : {"data/", "data\\", "data", "./data//"}) {
        const std::string config =
            dir.Write("corvelle.ini", std::string("[zelio]\nDATA_DIR=") + dataDir + "\n");
        const DisclaimerLocation location = LocateDisclaimer(config);
        EXPECT_FALSE(location.notice);
        EXPECT_EQ(location.path, root + "/data/disclaim.txt") << dataDir;
    }
    { // An absolute DATA_DIR.
        const std::string config =
            dir.Write("corvelle.ini", "[zelio]\nDATA_DIR=" + root + "/data/\n");
        EXPECT_EQ(LocateDisclaimer(config).path, root + "/data/disclaim.txt");
    }
    { // The "obu" section's file comes first; a relative one starts at the configuration.
        const std::string config = dir.Write(
            "corvelle.ini", "[zelio]\nDATA_DIR=data\n[obu]\ndisclaimer file=texts/legal.txt\n");
        EXPECT_EQ(LocateDisclaimer(config).path, root + "/texts/legal.txt");
        const std::string absolute = dir.Write(
            "corvelle.ini", "[zelio]\nDATA_DIR=data\n[OBU]\nDisclaimer File=/srv/legal.txt\n");
        EXPECT_EQ(LocateDisclaimer(absolute).path, "/srv/legal.txt");
    }
    { // An empty key falls back to DATA_DIR; nothing at all is message 1005.
        const std::string config =
            dir.Write("corvelle.ini", "[obu]\ndisclaimer file=\n[zelio]\nDATA_DIR=data\n");
        EXPECT_EQ(LocateDisclaimer(config).path, root + "/data/disclaim.txt");
        const std::string none = dir.Write("corvelle.ini", "[obu]\ndisclaimer file=\n[zelio]\n"
                                                           "DATA_DIR=\n");
        const DisclaimerLocation location = LocateDisclaimer(none);
        ExpectNotice(location.notice, kMsgNoDisclaimerDefinition);
        EXPECT_EQ(location.notice->text, "No disclaimer file definitions found from "
                                         "configuration files (corvelle.ini)");
        ExpectNotice(LocateDisclaimer("").notice, kMsgNoDisclaimerDefinition);
        ExpectNotice(LocateDisclaimer(root + "/missing.ini").notice, kMsgNoDisclaimerDefinition);
    }
}

TEST(DisclaimerText, WholeFileUpToItsFirstZeroByte)
{
    TempDir dir;
    EXPECT_EQ(ReadDisclaimer(dir.Write("a.txt", "Line 1\r\nLine 2\n")).text, "Line 1\r\nLine 2\n");
    EXPECT_EQ(ReadDisclaimer(dir.Write("b.txt", std::string("Before\0after", 12))).text, "Before");
    EXPECT_EQ(ReadDisclaimer(dir.Write("c.txt", "")).text, "");
    // UTF-8 stays; other bytes are Windows-1252.
    EXPECT_EQ(ReadDisclaimer(dir.Write("d.txt", "Gr\xc3\xbc\xc3\x9f"
                                                "e"))
                  .text,
              "Gr\xc3\xbc\xc3\x9f"
              "e");
    EXPECT_EQ(ReadDisclaimer(dir.Write("e.txt", "caf\xe9 \x80")).text, "caf\xc3\xa9 \xe2\x82\xac");
    EXPECT_FALSE(ReadDisclaimer(dir / "a.txt").notice);
}

TEST(DisclaimerText, FailuresGiveTheirMessageAndAnEmptyText)
{
    TempDir dir;
    { // 1004: missing, or anything that is not a regular file (a FIFO must not block).
        DisclaimerText text = ReadDisclaimer(dir / "missing.txt");
        ExpectNotice(text.notice, kMsgNoDisclaimerFile);
        EXPECT_EQ(text.notice->text, "Unable to find disclaimer file.");
        for (SpecialFile kind : kSpecialFiles) {
            const std::string path = dir / (std::string("special-") + SpecialFileName(kind));
            ASSERT_TRUE(MakeSpecialFile(path, kind)) << SpecialFileName(kind);
            text = ReadDisclaimer(path);
            ExpectNotice(text.notice, kMsgNoDisclaimerFile);
            EXPECT_EQ(text.text, "");
        }
    }
    { // 1007: larger than the limit.
        const std::string path = dir.Write("big.txt", std::string(64, 'x'));
        const DisclaimerText text = ReadDisclaimer(path, 63);
        ExpectNotice(text.notice, kMsgNoDisclaimerMemory);
        EXPECT_EQ(text.notice->text, "Unable to allocate memory for disclaimer file.");
        EXPECT_EQ(text.text, "");
        EXPECT_EQ(ReadDisclaimer(path, 64).text.size(), 64u);
    }
    { // 1006: the size cannot be taken, or the bytes cannot be read.
        DisclaimerText text = ReadDisclaimerFrom(-1);
        ExpectNotice(text.notice, kMsgCannotReadDisclaimer);
        EXPECT_EQ(text.notice->text, "Unable to read disclaimer file.");
        const int folder = ::open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY);
        ASSERT_GE(folder, 0);
        text = ReadDisclaimerFrom(folder);
        ::close(folder);
        ExpectNotice(text.notice, kMsgCannotReadDisclaimer);
        EXPECT_EQ(text.text, "");
    }
}
