#include "ZelioConfig.h"
#include "ZelioTestBooks.h"
#include "profile/ProfileReader.h"

#include <gtest/gtest.h>

using namespace zelio;

TEST(ZelioConfig, CollectionTable)
{
    const auto table = ParseCollectionTable(
        "c:\\docs\\a = Manuals A ; c:\\docs\\b=Manuals B;;  ; c:\\docs\\a=Dup;solo");
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[0].directory, "c:\\docs\\a");
    EXPECT_EQ(table[0].alias, "Manuals A");
    EXPECT_EQ(table[1].alias, "Manuals B");
    EXPECT_EQ(table[2].directory, "solo");
    EXPECT_EQ(table[2].alias, "solo");
    EXPECT_EQ(FindCollection(table, "manuals b"), &table[1]);
    EXPECT_EQ(FindCollection(table, "C:\\DOCS\\B"), &table[1]);
    EXPECT_EQ(FindCollection(table, "Dup"), nullptr);
}

TEST(ZelioConfig, FoundByVariableBesideProgramOrInUserFolder)
{
    CTestLibrary lib;
    platform::ClearProfileCache();
    EXPECT_EQ(LocateConfigFile("corvelle.ini"), "");
    const std::string user = lib.Write("config/zelio/Corvelle.INI", "[zelio]\n");
    EXPECT_EQ(LocateConfigFile("corvelle.ini"), user);
    const std::string mine = lib.Write("etc/CORVELLE.INI", "[zelio]\n");
    const std::string other = lib.Write("etc/other.ini", "[x]\n");
    ::setenv("ZELIO_CONFIG", mine.c_str(), 1);
    EXPECT_EQ(LocateConfigFile("corvelle.ini"), mine);
    EXPECT_EQ(LocateConfigFile("OTHER.ini"), other);
    ::setenv("ZELIO_CONFIG", (lib.Root() + "/etc").c_str(), 1);
    EXPECT_EQ(LocateConfigFile("Corvelle.ini"), mine);
    ::setenv("ZELIO_CONFIG", (lib.Root() + "/nowhere/corvelle.ini").c_str(), 1);
    EXPECT_EQ(LocateConfigFile("corvelle.ini"), user);
    // A path is taken as a path.
    EXPECT_EQ(LocateConfigFile(lib.Root() + "\\etc\\other.INI"), other);
    EXPECT_EQ(LocateConfigFile("etc/missing.ini"), "");
    ::unsetenv("ZELIO_CONFIG");
}

TEST(ZelioConfig, FolderValuesRelativeToTheFile)
{
    CTestLibrary lib;
    lib.AddBook("Manuals", "b", "B", "x");
    lib.Write("data/Help/index.html", "<p>help</p>");
    const std::string path =
        lib.Write("corvelle.ini", "[ZELIO]\nDATA_DIR=data\nPUBLIC_DIR=C:\\pub\n"
                                  "ZELIO_AUTH=secret\n"
                                  "COLLECTION=manuals=Manuals;x=X\n"
                                  "PLUGINS=libobudde.so; /abs/libx.so\n");
    auto config = CZelioConfig::Load(path);
    ASSERT_TRUE(config);
    EXPECT_EQ(config->Folder(), lib.Root());
    EXPECT_EQ(config->DataDir(), lib.DataDir());
    EXPECT_EQ(config->PrivateDir(), "");
    EXPECT_EQ(config->PublicDir(), lib.Root() + "/C:/pub");
    EXPECT_EQ(config->Authorisation(), "secret");
    EXPECT_EQ(config->HelpDir(), lib.DataDir() + "/Help");
    ASSERT_EQ(config->Collections().size(), 2u);
    EXPECT_EQ(config->CollectionFolder("manuals"), lib.DataDir() + "/Manuals");
    EXPECT_EQ(config->Plugins(), (std::vector<std::string>{"libobudde.so", "/abs/libx.so"}));
    EXPECT_TRUE(IsFolderKey("Zelio", "data_dir"));
    EXPECT_FALSE(IsFolderKey("other", "DATA_DIR"));
    EXPECT_FALSE(IsFolderKey("zelio", "COLLECTION"));
    EXPECT_FALSE(CZelioConfig::Load(lib.Root() + "/missing.ini"));
}
