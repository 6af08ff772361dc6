#include "Resources.h"

#include "StringTable.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>

// Registers the compiled-in pictures. The resource object is linked into every program that
// uses this library; calling the initialiser again is harmless and keeps a linker from
// dropping it.
static void InitModelResources()
{
    Q_INIT_RESOURCE(model_resources);
}

namespace {

void EnsureResources()
{
    static const bool done = (InitModelResources(), true);
    (void)done;
}

struct CommandPicture
{
    int commandId;
    const char* path;
};

const CommandPicture kCommandPictures[] = {
    {ID_FILE_NEW, ":/model/pictures/toolbar/new.xpm"},
    {ID_FILE_OPEN, ":/model/pictures/toolbar/open.xpm"},
    {ID_INSTANCES, ":/model/pictures/toolbar/instances.xpm"},
    {ID_RELATED_INSTANCES, ":/model/pictures/toolbar/related.xpm"},
    {ID_ALL_RELATED_INSTANCES, ":/model/pictures/toolbar/allrelated.xpm"},
    {ID_DOCUMENTATION, ":/model/pictures/toolbar/documentation.xpm"},
    {ID_FIND_INSTANCE, ":/model/pictures/strip243/05.xpm"},
    {ID_FIND_NEXT_INSTANCE, ":/model/pictures/toolbar/findnext.xpm"},
    {ID_VIEW_BOTH_PANES, ":/model/pictures/toolbar/panesboth.xpm"},
    {ID_VIEW_MODEL_ONLY, ":/model/pictures/toolbar/panemodel.xpm"},
    {ID_VIEW_INFORMATION_ONLY, ":/model/pictures/toolbar/paneinfo.xpm"},
    {ID_FONT, ":/model/pictures/toolbar/font.xpm"},
    {ID_CLEAR_TRACKS, ":/model/pictures/toolbar/cleartracks.xpm"},
    {ID_HISTORY, ":/model/pictures/strip243/10.xpm"},
    {ID_EXPORT_PAGE, ":/model/pictures/toolbar/exportpage.xpm"},
    {ID_APP_ABOUT, ":/model/pictures/toolbar/about.xpm"},
};

constexpr int kSmallIconCount = 11;
constexpr int kPageIconCount = 8;
constexpr int kHistoryIconCount = 6;

struct CursorPicture
{
    int id;
    const char* path;
    int hotX;
    int hotY;
};

// Hot spots: the fingertip of the hand, the tip of the arrows.
const CursorPicture kCursors[] = {
    {IDC_ELEMENT, ":/model/pictures/cursors/cursor130.xpm", 5, 0},
    {IDC_ACTIVE_COUNTER, ":/model/pictures/cursors/cursor140.xpm", 0, 0},
    {IDC_INACTIVE_COUNTER, ":/model/pictures/cursors/cursor205.xpm", 0, 0},
};

QIcon IconFromFile(const QString& path)
{
    EnsureResources();
    const QPixmap pixmap(path);
    return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

} // namespace

QIcon CommandIcon(int commandId)
{
    for (const CommandPicture& picture : kCommandPictures) {
        if (picture.commandId == commandId)
            return IconFromFile(QString::fromLatin1(picture.path));
    }
    return QIcon();
}

int StripIconCount(int bitmapId)
{
    switch (bitmapId) {
    case IDB_SMALL_ICONS:
        return kSmallIconCount;
    case IDB_PAGE_ICONS:
        return kPageIconCount;
    case IDB_HISTORY_ICONS:
        return kHistoryIconCount;
    default:
        return 0;
    }
}

QIcon StripIcon(int bitmapId, int index)
{
    if (index < 0 || index >= StripIconCount(bitmapId))
        return QIcon();
    return IconFromFile(QStringLiteral(":/model/pictures/strip%1/%2.xpm")
                            .arg(bitmapId)
                            .arg(index, 2, 10, QLatin1Char('0')));
}

QCursor ResourceCursor(int id)
{
    for (const CursorPicture& cursor : kCursors) {
        if (cursor.id != id)
            continue;
        EnsureResources();
        const QPixmap pixmap(QString::fromLatin1(cursor.path));
        if (pixmap.isNull())
            break;
        return QCursor(pixmap, cursor.hotX, cursor.hotY);
    }
    return QCursor(Qt::ArrowCursor);
}

QIcon ProgramIcon()
{
    EnsureResources();
    QIcon icon;
    for (const char* path :
         {":/model/pictures/program/model16.xpm", ":/model/pictures/program/model32.xpm",
          ":/model/pictures/program/model48.xpm"}) {
        const QPixmap pixmap(QString::fromLatin1(path));
        if (!pixmap.isNull())
            icon.addPixmap(pixmap);
    }
    return icon;
}

QPixmap SplashPixmap()
{
    EnsureResources();
    const QSize size(400, 250);
    QPixmap pixmap(size);
    pixmap.fill(Qt::white);

    QPainter painter(&pixmap);
    QLinearGradient gradient(0, 0, 0, size.height());
    gradient.setColorAt(0.0, QColor(0x1F, 0x5F, 0xBF));
    gradient.setColorAt(1.0, QColor(0x0E, 0x2F, 0x66));
    painter.fillRect(pixmap.rect(), gradient);
    painter.setPen(QColor(0x9C, 0xC3, 0xF5));
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));

    // The 48-pixel program icon doubled without smoothing keeps its crisp pixel edges.
    const QPixmap icon(QStringLiteral(":/model/pictures/program/model48.xpm"));
    if (!icon.isNull())
        painter.drawPixmap(QRect(32, 77, 96, 96), icon);

    painter.setPen(Qt::white);
    QFont title = painter.font();
    title.setPixelSize(48);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(QRect(152, 70, 230, 60), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromLatin1(LoadResourceString(IDS_APP_TITLE)));

    QFont line = painter.font();
    line.setPixelSize(16);
    line.setBold(false);
    painter.setFont(line);
    painter.drawText(QRect(154, 132, 230, 24), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromLatin1(LoadResourceString(IDS_ABOUT_VERSION)));

    line.setPixelSize(12);
    painter.setFont(line);
    painter.setPen(QColor(0x9C, 0xC3, 0xF5));
    painter.drawText(QRect(16, 216, 368, 20), Qt::AlignRight | Qt::AlignVCenter,
                     QString::fromLatin1(LoadResourceString(IDS_COMPANY)));
    painter.end();
    return pixmap;
}

QString FindManual(const QString& programDir, const QString& fallbackManual)
{
    if (!programDir.isEmpty()) {
        const QFileInfo installed(
            QDir(programDir).filePath(QStringLiteral("../share/doc/model/manual/index.html")));
        if (installed.isFile())
            return QDir::cleanPath(installed.absoluteFilePath());
    }
    if (!fallbackManual.isEmpty() && QFileInfo(fallbackManual).isFile())
        return QDir::cleanPath(QFileInfo(fallbackManual).absoluteFilePath());
    return QString();
}

QString ManualPath()
{
    const QString programDir =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
#ifdef MODEL_MANUAL_SOURCE
    const QString fallback = QString::fromUtf8(MODEL_MANUAL_SOURCE);
#else
    const QString fallback;
#endif
    return FindManual(programDir, fallback);
}
