// modelcheck render on the sample model.

#include "RenderCommand.h"
#include "ModelCheckRun.h"

#include "TempDir.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

const std::string kSample = std::string(MB_EXAMPLES_DIR) + "/sample.mdl";

using Result = ModelCheckResult;

Result Render(const std::vector<std::string>& args)
{
    return RunModelCheckCaptured(args, {RenderExtension()});
}

} // namespace

TEST(RenderCommand, PageByNameOrNumberGivesTheSameImage)
{
    TempDir dir;
    const std::string byName = dir / "pumps.png";
    const std::string byNumber = dir / "two.png";
    Result run = Render({"render", kSample, "pumps", byName});
    ASSERT_EQ(run.status, 0) << run.err;
    run = Render({"render", kSample, "2", byNumber});
    ASSERT_EQ(run.status, 0) << run.err;

    const QImage image(QString::fromStdString(byName));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image, QImage(QString::fromStdString(byNumber)));
    // The page is 146 x 58 cells.
    EXPECT_EQ(image.width() % 146, 0);
    EXPECT_EQ(image.height() % 58, 0);
    EXPECT_GT(image.width(), 146);
}

TEST(RenderCommand, WritesPdf)
{
    TempDir dir;
    const std::string pdf = dir / "station.pdf";
    const Result run = Render({"render", kSample, "Station", pdf});
    ASSERT_EQ(run.status, 0) << run.err;
    QFile file(QString::fromStdString(pdf));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5) == "%PDF-");
}

TEST(RenderCommand, FailuresGiveTheirStatusAndNoFile)
{
    TempDir dir;
    const std::string broken = dir / "broken.mdl";
    {
        std::FILE* f = std::fopen(broken.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("[MODEL]\nPAGES=Main\n[Main]\nSIZE=10,10\nELEMENT SIZE=2,2\n", f);
        std::fclose(f);
    }
    struct Case
    {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{"render", kSample, "Nowhere", dir / "a.png"}, 1, "no page 'Nowhere'"},
        {{"render", kSample, "5", dir / "a.png"}, 1, "no page '5'"},
        {{"render", kSample, "0", dir / "a.png"}, 1, "no page '0'"},
        {{"render", broken, "Main", dir / "a.png"}, 1, "5017"},
        {{"render", kSample, "1", dir / "a.bmp"}, 64, "unknown file type"},
        {{"render", kSample, "1"}, 64, "modelcheck render MODEL.mdl PAGE"},
        {{"render", kSample, "1", dir / "missing/a.png"}, 74, "cannot write"},
    };
    for (const Case& c : cases) {
        const Result run = Render(c.args);
        EXPECT_EQ(run.status, c.status) << c.args[2];
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()) || !std::filesystem::exists(dir / "a.png"));
    EXPECT_FALSE(std::filesystem::exists(dir / "a.bmp"));
}
