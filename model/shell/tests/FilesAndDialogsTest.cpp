#include "ShellTestSupport.h"

#include "AboutDialog.h"
#include "StartupSplash.h"
#include "WidgetPrompter.h"

#include <QComboBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
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

std::string FileHead(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string head(5, '\0');
    in.read(head.data(), 5);
    return in ? head : std::string();
}

TEST_F(FilesTest, ExportWritesTheFileTypePickedAndFixesTheSuffix)
{
    ASSERT_TRUE(Start(kSampleModel));
    // PDF picked, the proposed PNG name kept: a PDF under the PDF suffix.
    prompter.PushFile(dir / "Station.png", 1);
    Frame().RouteCommand(ID_EXPORT_PAGE);
    const platform::FileDialogSpec& spec = prompter.Events().back().file;
    EXPECT_EQ(spec.filter, "PNG Image (*.png)|*.png|PDF Document (*.pdf)|*.pdf||");
    EXPECT_NE(spec.selectedFilter, nullptr);
    EXPECT_EQ(FileHead(dir / "Station.pdf"), "%PDF-");
    EXPECT_FALSE(std::filesystem::exists(dir / "Station.png"));

    // PNG picked for a name without a suffix, or with the PDF one.
    prompter.PushFile(dir / "plain", 0);
    Frame().RouteCommand(ID_EXPORT_PAGE);
    EXPECT_EQ(FileHead(dir / "plain.png"), "\x89PNG\r");
    prompter.PushFile(dir / "other.PDF", 0);
    Frame().RouteCommand(ID_EXPORT_PAGE);
    EXPECT_EQ(FileHead(dir / "other.png"), "\x89PNG\r");
    EXPECT_FALSE(std::filesystem::exists(dir / "other.PDF"));

    // The name the type asks for exists: replaced only on Yes.
    prompter.PushFile(dir / "Station.png", 1);
    prompter.PushAnswer(platform::Answer::No);
    const auto before = std::filesystem::last_write_time(dir / "Station.pdf");
    Frame().RouteCommand(ID_EXPORT_PAGE);
    EXPECT_EQ(prompter.Events().back().defaultButton, platform::Answer::No);
    EXPECT_EQ(std::filesystem::last_write_time(dir / "Station.pdf"), before);
    EXPECT_TRUE(prompter.MessageNumbers() == std::vector<int>{0});
}

TEST_F(FilesTest, TheSaveDialogTellsTheTypePickedAndTheNameFollowsIt)
{
    ASSERT_TRUE(Start());
    WidgetPrompter widgets;
    platform::FileDialogSpec spec;
    spec.mode = platform::FileDialogSpec::Mode::Save;
    spec.filter = "PNG Image (*.png)|*.png|PDF Document (*.pdf)|*.pdf||";
    spec.defaultExt = "PNG";
    spec.defaultName = dir / "Station.png";
    int chosen = -1;
    spec.selectedFilter = &chosen;
    QString shownAfterSwitch;
    WhenModal<QFileDialog>([&](QFileDialog& dialog) {
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (types && name) {
            QTest::keyClick(types, Qt::Key_Down); // the user picks "PDF Document (*.pdf)"
            shownAfterSwitch = name->text();
        }
        QMetaObject::invokeMethod(&dialog, "accept"); // as the user presses Save
    });
    const std::optional<std::string> path = widgets.ChooseFile(spec);
    EXPECT_EQ(shownAfterSwitch, QStringLiteral("Station.pdf"));
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(*path, dir / "Station.pdf");
    EXPECT_EQ(chosen, 1);

    EXPECT_EQ(FilterSuffixes("A (*.png)|*.png|B|*.PDF;*.pdf|All Files (*.*)|*.*||"),
              (QStringList{"png", "pdf", ""}));
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
