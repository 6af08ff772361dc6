#include "ShellTestSupport.h"

#include "AboutDialog.h"
#include "StartupSplash.h"

#include <QDropEvent>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QUrl>

namespace {

using FilesTest = ShellFixture;

TEST_F(FilesTest, RecentFilesOpenAgainAndAMissingOneIsDropped)
{
    const std::string copy = dir / "copy.mdl";
    ASSERT_TRUE(Start(kSampleModel));
    ASSERT_EQ(app->RecentFiles().size(), 1);
    Frame().RouteCommand(ID_FILE_NEW);
    EXPECT_EQ(ModelSide().TabCount(), 0);
    EXPECT_TRUE(Enabled(ID_FILE_MRU_FILE1));
    EXPECT_FALSE(Enabled(ID_FILE_MRU_FILE1 + 1));
    Frame().RouteCommand(ID_FILE_MRU_FILE1);
    EXPECT_EQ(app->Document().PathName(), kSampleModel);
    EXPECT_EQ(ModelSide().TabCount(), 4);

    // A recent file that has gone away is reported and taken off the list.
    std::filesystem::copy_file(kSampleModel, copy);
    ASSERT_TRUE(app->OpenDocumentFile(copy));
    EXPECT_EQ(app->RecentFiles().first().toStdString(), copy);
    std::filesystem::remove(copy);
    Frame().RouteCommand(ID_FILE_MRU_FILE1);
    EXPECT_EQ(prompter.MessageNumbers(), std::vector<int>{0});
    EXPECT_EQ(app->RecentFiles().size(), 1);
    EXPECT_EQ(app->RecentFiles().first().toStdString(), kSampleModel);
}

TEST_F(FilesTest, OpenDialogAndDroppedFilesOpenModels)
{
    ASSERT_TRUE(Start());
    prompter.PushFile(std::nullopt);
    Frame().RouteCommand(ID_FILE_OPEN);
    ASSERT_EQ(prompter.Events().size(), 1u);
    EXPECT_EQ(prompter.Events()[0].file.filter, "Model Files (*.mdl)|*.mdl|All Files (*.*)|*.*||");
    EXPECT_EQ(ModelSide().TabCount(), 0);

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(kSampleModel))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Frame(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Frame(), &drop);
    EXPECT_EQ(app->Document().PathName(), kSampleModel);
    EXPECT_EQ(ModelSide().TabCount(), 4);
}

TEST_F(FilesTest, ExportWritesTheCurrentPageAsPngOrPdf)
{
    ASSERT_TRUE(Start(kSampleModel));
    const std::string png = dir / "station.png";
    prompter.PushFile(png);
    Frame().RouteCommand(ID_EXPORT_PAGE);
    EXPECT_EQ(prompter.Events().back().file.defaultName, "Station");
    QImage image(QString::fromStdString(png));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), PageView(0)->PageSize());

    const std::string pdf = dir / "station.pdf";
    prompter.PushFile(pdf);
    Frame().RouteCommand(ID_EXPORT_PAGE);
    std::ifstream in(pdf, std::ios::binary);
    std::string head(5, '\0');
    in.read(head.data(), 5);
    EXPECT_EQ(head, "%PDF-");

    // A folder that does not exist is reported, nothing is written.
    prompter.PushFile(dir / "missing/station.png");
    Frame().RouteCommand(ID_EXPORT_PAGE);
    EXPECT_EQ(prompter.MessageNumbers(), std::vector<int>{0});
}

TEST_F(FilesTest, AboutBoxAndSplash)
{
    ASSERT_TRUE(Start());
    CAboutDialog about(&Frame());
    const auto labels = about.findChildren<QLabel*>(QStringLiteral("versionLabel"));
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0]->text(), QStringLiteral("Model Version 3.1"));

    // Any key ends the splash at once.
    QPointer<CStartupSplash> splash = new CStartupSplash(&Frame());
    EXPECT_TRUE(splash->isVisible());
    QTest::keyClick(&Frame(), Qt::Key_Shift);
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(splash.isNull() || !splash->isVisible());
}

} // namespace
