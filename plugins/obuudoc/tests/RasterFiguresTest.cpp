// Raster figures: which scripts are raster scripts, which figure names are taken, and the
// records that delete their figure files and give their scripts back.

#include "RasterFigures.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <sys/stat.h>

using namespace obuudoc;

namespace {
bool Exists(const std::string& path)
{
    struct stat info = {};
    return ::lstat(path.c_str(), &info) == 0;
}
} // namespace

TEST(RasterFigures, KindAndFigureName)
{
    EXPECT_TRUE(IsRasterScript("orn-raster"));
    EXPECT_TRUE(IsRasterScript("orn-raster=pump.tif"));
    EXPECT_FALSE(IsRasterScript("orn-raster2=pump.tif"));
    EXPECT_FALSE(IsRasterScript("user_document"));
    EXPECT_EQ(ScriptKind("orn-raster=a=b"), "orn-raster");
    EXPECT_EQ(RasterFigureName("orn-raster=pump=1.tif"), "pump=1.tif");
    EXPECT_EQ(RasterFigureName("orn-raster=.hidden.tif"), ".hidden.tif");
    EXPECT_EQ(RasterFigureName("orn-raster=zelio-1-2-pump..v2.tif"), "zelio-1-2-pump..v2.tif");
    for (const char* refused :
         {"orn-raster", "orn-raster=", "orn-raster=../etc/passwd", "orn-raster=/etc/passwd",
          "orn-raster=sub/a.tif", "orn-raster=..", "orn-raster=.", "orn-raster=a/.."})
        EXPECT_FALSE(RasterFigureName(refused)) << refused;
}

TEST(RasterFigures, TemporaryFolderFromTheEnvironment)
{
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    TempDir dir;
    ::setenv("TMPDIR", (dir.Path() + "//").c_str(), 1);
    EXPECT_EQ(UserTempFolder(), dir.Path());
    ::setenv("TMPDIR", (dir / "missing").c_str(), 1);
    EXPECT_EQ(UserTempFolder(), "/tmp");
    ::setenv("TMPDIR", "", 1);
    EXPECT_EQ(UserTempFolder(), "/tmp");
    ::unsetenv("TMPDIR");
    EXPECT_EQ(UserTempFolder(), "/tmp");
    if (old)
        ::setenv("TMPDIR", saved.c_str(), 1);
}

TEST(RasterFigures, DeletedRecordsDeleteTheirFilesAndReleaseTheirScripts)
{
    TempDir dir;
    std::vector<std::pair<uintptr_t, uintptr_t>> released;
    {
        CRasterFigureList* self = nullptr;
        CRasterFigureList figures([&](uintptr_t view, uintptr_t script) {
            released.push_back({view, script});
            // The list is consistent when the release runs: the record is gone already.
            EXPECT_EQ(self->FindScript(view, script), nullptr);
        });
        self = &figures;
        figures.Add({1, 11, dir.Write("a.tif", "a"), 0x100});
        figures.Add({1, 12, dir.Write("b.tif", "b"), 0});
        figures.Add({2, 11, dir.Write("c.tif", "c"), 0x300});
        EXPECT_EQ(figures.Graphs(), (std::vector<uintptr_t>{0x100, 0x300}));
        EXPECT_EQ(figures.FindGraph(0), nullptr);
        EXPECT_FALSE(figures.RemoveGraph(0));
        ASSERT_NE(figures.FindScript(2, 11), nullptr);
        EXPECT_EQ(figures.FindScript(2, 11)->path, dir / "c.tif");

        EXPECT_TRUE(figures.RemoveGraph(0x100));
        EXPECT_FALSE(Exists(dir / "a.tif"));
        EXPECT_TRUE(figures.RemoveScript(1, 12));
        EXPECT_FALSE(figures.RemoveScript(1, 12));
        EXPECT_FALSE(Exists(dir / "b.tif"));
        EXPECT_TRUE(Exists(dir / "c.tif"));
        EXPECT_EQ(figures.Size(), 1u);
    } // the rest go with the list
    EXPECT_FALSE(Exists(dir / "c.tif"));
    EXPECT_EQ(released, (std::vector<std::pair<uintptr_t, uintptr_t>>{{1, 11}, {1, 12}, {2, 11}}));
}
