#include "Resources.h"
#include "StringTable.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

namespace {

QImage Picture(const QIcon& icon, int size = 16)
{
    return icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
}

// A picture that draws something and lets the background show through.
void ExpectDrawnOnTransparentGround(const QImage& image)
{
    int transparent = 0;
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = qAlpha(image.pixel(x, y));
            transparent += alpha == 0;
            opaque += alpha == 255;
        }
    }
    EXPECT_GT(transparent, 0);
    EXPECT_GT(opaque, 8);
}

QString ReadText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(file.readAll());
}

} // namespace

TEST(Resources, PicturesAreCompiledIntoTheLibrary)
{
    // Registered by the resource object that comes with the static library.
    EXPECT_TRUE(QFile::exists(QStringLiteral(":/model/pictures/program/model32.xpm")));
    EXPECT_FALSE(ProgramIcon().isNull());
}

TEST(Resources, EveryToolbarCommandHasIconPromptAndToolTip)
{
    const int* toolbar = ToolbarSlots();
    int commands = 0;
    for (int slot = 0; slot < kToolbarSlotCount; ++slot) {
        const int id = toolbar[slot];
        if (id == 0)
            continue;
        ++commands;
        SCOPED_TRACE(id);
        const QIcon icon = CommandIcon(id);
        ASSERT_FALSE(icon.isNull());
        EXPECT_TRUE(icon.availableSizes().contains(QSize(16, 16)));
        ExpectDrawnOnTransparentGround(Picture(icon));
        EXPECT_FALSE(CommandPrompt(id).empty());
        EXPECT_FALSE(CommandToolTip(id).empty());
    }
    EXPECT_EQ(14, commands);
}

TEST(Resources, CommandIconsAreDistinctAndMissingOnesNull)
{
    QSet<qint64> seen;
    for (int id : {57600, 57601, 32826, 32816, 32817, 32818, 32820, 32822, 32823, 32824, 32825,
                   32829, 32827, 57664, 32858, 32852}) {
        const QImage image = Picture(CommandIcon(id));
        ASSERT_FALSE(image.isNull()) << id;
        EXPECT_FALSE(seen.contains(image.cacheKey())) << id;
        seen.insert(image.cacheKey());
    }
    for (int id : {0, -1, 57665, 32784, 99999})
        EXPECT_TRUE(CommandIcon(id).isNull()) << id;
}

TEST(Resources, StripIconsInAndOutOfRange)
{
    EXPECT_EQ(11, StripIconCount(243));
    EXPECT_EQ(8, StripIconCount(244));
    EXPECT_EQ(6, StripIconCount(250));
    EXPECT_EQ(0, StripIconCount(131));

    for (int bitmap : {243, 244, 250}) {
        QList<QImage> images;
        for (int index = 0; index < StripIconCount(bitmap); ++index) {
            SCOPED_TRACE(QStringLiteral("%1/%2").arg(bitmap).arg(index).toStdString());
            const QIcon icon = StripIcon(bitmap, index);
            ASSERT_FALSE(icon.isNull());
            const QImage image = Picture(icon);
            EXPECT_EQ(QSize(16, 16), image.size());
            ExpectDrawnOnTransparentGround(image);
            for (const QImage& other : images)
                EXPECT_NE(other, image) << "two indexes show the same picture";
            images.append(image);
        }
        EXPECT_TRUE(StripIcon(bitmap, -1).isNull());
        EXPECT_TRUE(StripIcon(bitmap, StripIconCount(bitmap)).isNull());
        EXPECT_TRUE(StripIcon(bitmap, 1000).isNull());
    }
    // The rows and tabs that use strip 243.
    for (int index :
         {SMALL_ICON_ATTRIBUTE, SMALL_ICON_INFORMATION, SMALL_ICON_ITEMS, SMALL_ICON_HISTORY})
        EXPECT_FALSE(StripIcon(243, index).isNull());
    EXPECT_TRUE(StripIcon(131, 0).isNull());
    EXPECT_TRUE(StripIcon(0, 0).isNull());
}

TEST(Resources, CursorsWithHotSpotsOnThePicture)
{
    const struct
    {
        int id;
        QPoint hotSpot;
    } cases[] = {{130, QPoint(5, 0)}, {140, QPoint(0, 0)}, {205, QPoint(0, 0)}};
    QList<QImage> images;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const QCursor cursor = ResourceCursor(c.id);
        EXPECT_EQ(Qt::BitmapCursor, cursor.shape());
        EXPECT_EQ(c.hotSpot, cursor.hotSpot());
        const QImage image = cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(QSize(32, 32), image.size());
        // The pointer acts where the user sees its tip.
        EXPECT_EQ(255, qAlpha(image.pixel(c.hotSpot)));
        ExpectDrawnOnTransparentGround(image);
        for (const QImage& other : images)
            EXPECT_NE(other, image);
        images.append(image);
    }
    for (int id : {0, 131, 204, 206})
        EXPECT_EQ(Qt::ArrowCursor, ResourceCursor(id).shape()) << id;
}

TEST(Resources, SplashAndProgramIcon)
{
    const QPixmap splash = SplashPixmap();
    ASSERT_EQ(QSize(400, 250), splash.size());
    const QImage image = splash.toImage();
    // Something is drawn over the background: the icon and the texts.
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 5)
        for (int x = 0; x < image.width(); x += 5)
            colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 20);

    const QIcon icon = ProgramIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (int size : {16, 32, 48}) {
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
        ExpectDrawnOnTransparentGround(Picture(icon, size));
    }
}

TEST(Manual, FoundInTheSourceTreeWhenNotInstalled)
{
    const QString path = ManualPath();
    ASSERT_FALSE(path.isEmpty());
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_TRUE(path.endsWith(QStringLiteral("/index.html")));
    EXPECT_EQ(QDir::cleanPath(QStringLiteral(MODEL_MANUAL_SOURCE)), path);
}

TEST(Manual, InstalledCopyBesideTheProgramComesFirst)
{
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    const QString bin = prefix.filePath(QStringLiteral("bin"));
    const QString manualDir = prefix.filePath(QStringLiteral("share/doc/model/manual"));
    ASSERT_TRUE(QDir().mkpath(bin));
    const QString fallback = QStringLiteral(MODEL_MANUAL_SOURCE);

    // Nothing installed: the fallback, and nothing at all without one.
    EXPECT_EQ(QDir::cleanPath(fallback), FindManual(bin, fallback));
    EXPECT_EQ(QString(), FindManual(bin, QString()));
    EXPECT_EQ(QString(), FindManual(bin, prefix.filePath(QStringLiteral("missing.html"))));
    EXPECT_EQ(QString(), FindManual(QString(), QString()));

    // A folder of that name is not a manual.
    ASSERT_TRUE(QDir().mkpath(manualDir + QStringLiteral("/index.html")));
    EXPECT_EQ(QDir::cleanPath(fallback), FindManual(bin, fallback));
    ASSERT_TRUE(QDir(manualDir).rmdir(QStringLiteral("index.html")));

    QFile installed(manualDir + QStringLiteral("/index.html"));
    ASSERT_TRUE(installed.open(QIODevice::WriteOnly));
    installed.close();
    const QString expected = QDir::cleanPath(installed.fileName());
    EXPECT_EQ(expected, FindManual(bin, fallback));
    EXPECT_EQ(expected, FindManual(bin + QStringLiteral("/"), QString()));
}

TEST(Manual, LinksPointAtExistingTargets)
{
    const QString index = QStringLiteral(MODEL_MANUAL_SOURCE);
    const QDir folder = QFileInfo(index).dir();
    const QStringList pages = folder.entryList({QStringLiteral("*.html")}, QDir::Files);
    ASSERT_FALSE(pages.isEmpty());
    const QRegularExpression idPattern(QStringLiteral("\\bid=\"([^\"]+)\""));
    const QRegularExpression hrefPattern(QStringLiteral("\\bhref=\"([^\"]+)\""));

    QHash<QString, QSet<QString>> ids;
    for (const QString& page : pages) {
        const QString text = ReadText(folder.filePath(page));
        ASSERT_FALSE(text.isEmpty()) << page.toStdString();
        for (const auto& match : idPattern.globalMatch(text))
            ids[page].insert(match.captured(1));
    }
    for (const QString& page : pages) {
        const QString text = ReadText(folder.filePath(page));
        for (const auto& match : hrefPattern.globalMatch(text)) {
            const QString href = match.captured(1);
            if (href.contains(QLatin1Char(':')))
                continue; // mailto:, https: ...
            const QString file = href.section(QLatin1Char('#'), 0, 0);
            const QString anchor = href.section(QLatin1Char('#'), 1);
            const QString target = file.isEmpty() ? page : file;
            SCOPED_TRACE((page + QStringLiteral(" -> ") + href).toStdString());
            EXPECT_TRUE(pages.contains(target));
            if (!anchor.isEmpty()) {
                EXPECT_TRUE(ids.value(target).contains(anchor));
            }
        }
    }
}

TEST(DesktopIntegration, EntryAndFileTypeAgree)
{
    const QString dir = QStringLiteral(MODEL_RESOURCES_DIR);
    const QString entry = ReadText(dir + QStringLiteral("/model.desktop"));
    const QString mime = ReadText(dir + QStringLiteral("/model-browser.xml"));
    ASSERT_FALSE(entry.isEmpty());
    ASSERT_FALSE(mime.isEmpty());

    EXPECT_TRUE(entry.startsWith(QStringLiteral("[Desktop Entry]\n")));
    EXPECT_TRUE(entry.contains(QStringLiteral("\nExec=model %f\n")));
    const QRegularExpression mimeLine(QStringLiteral("\nMimeType=([^;\n]+);\n"));
    const auto match = mimeLine.match(entry);
    ASSERT_TRUE(match.hasMatch());
    EXPECT_TRUE(mime.contains(QStringLiteral("<mime-type type=\"%1\">").arg(match.captured(1))));
    EXPECT_TRUE(mime.contains(QStringLiteral("<glob pattern=\"*.mdl\"/>")));
}
