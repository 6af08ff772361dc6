// modelcheck render on the sample model.

#include "RenderCommand.h"
#include "ModelCheckRun.h"

#include "TempDir.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>

namespace {

const std::string kSample = std::string(MB_EXAMPLES_DIR) + "/sample.mdl";

using Result = ModelCheckResult;

Result Render(const std::vector<std::string>& args)
{
    return RunModelCheckCaptured(args, {RenderExtension()});
}

// The standard output of a poppler tool run on a file; nullopt when the tool is missing or
// fails.
std::optional<QString> Poppler(const char* tool, const QStringList& args)
{
    const QString program = QStandardPaths::findExecutable(QLatin1String(tool));
    if (program.isEmpty())
        return std::nullopt;
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput());
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
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    // Drawn, not pasted: no picture in the file, and the fonts travel with it.
    EXPECT_FALSE(bytes.contains("/Subtype /Image"));
    EXPECT_TRUE(bytes.contains("/FontFile"));
}

TEST(RenderCommand, PdfKeepsTheNamesAsTextAndThePageSize)
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    TempDir dir;
    const std::string pdf = dir / "station.pdf";
    const std::string png = dir / "station.png";
    ASSERT_EQ(Render({"render", kSample, "Station", pdf}).status, 0);
    ASSERT_EQ(Render({"render", kSample, "Station", png}).status, 0);
    const QString file = QString::fromStdString(pdf);

    const std::optional<QString> text = Poppler("pdftotext", {file, "-"});
    ASSERT_TRUE(text.has_value());
    for (const char* name : {"Stations", "Structures", "Pipelines", "Gate Valves", "Check Valves",
                             "Control Valves", "Pumps", "Drives", "Controls"})
        EXPECT_TRUE(text->contains(QLatin1String(name))) << name << "\n" << text->toStdString();

    // pdfimages lists two heading lines and then one line per image: none here.
    const std::optional<QString> images = Poppler("pdfimages", {"-list", file});
    ASSERT_TRUE(images.has_value());
    EXPECT_EQ(images->trimmed().split('\n').size(), 2) << images->toStdString();

    // One page of the PNG's size at 96 pixels per inch (in whole points).
    const QImage image(QString::fromStdString(png));
    const std::optional<QString> info = Poppler("pdfinfo", {file});
    ASSERT_TRUE(info.has_value());
    EXPECT_TRUE(info->contains(QRegularExpression("Pages: +1\n")));
    const QRegularExpressionMatch size =
        QRegularExpression("Page size: +([0-9.]+) x ([0-9.]+) pts").match(*info);
    ASSERT_TRUE(size.hasMatch()) << info->toStdString();
    EXPECT_NEAR(size.captured(1).toDouble(), image.width() * 0.75, 0.5);
    EXPECT_NEAR(size.captured(2).toDouble(), image.height() * 0.75, 0.5);
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
