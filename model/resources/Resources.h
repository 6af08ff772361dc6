#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QString>

// Pictures of the model browser, loaded from the resources compiled into this library.
// Everything here needs a QGuiApplication; results are values owned by the caller.

// Bitmap and cursor numbers of the program's pictures.
enum ResourcePictureId
{
    IDB_SMALL_ICONS = 243,      // 16 x 16 icons of the property list rows and information tabs
    IDB_PAGE_ICONS = 244,       // 16 x 16 icons of the model page tabs
    IDB_HISTORY_ICONS = 250,    // 16 x 16 icons of the history items, index = action type
    IDB_SPLASH = 249,           // start-up splash picture
    IDC_ELEMENT = 130,          // cursor over an enabled element
    IDC_ACTIVE_COUNTER = 140,   // cursor over a relation counter with relations
    IDC_INACTIVE_COUNTER = 205, // cursor over a relation counter without relations
};

// Indexes into IDB_SMALL_ICONS.
enum SmallIconIndex
{
    SMALL_ICON_ELEMENT = 0,
    SMALL_ICON_ATTRIBUTE = 1,   // attribute rows of the property list
    SMALL_ICON_INFORMATION = 2, // "Information" and "Count" rows
    SMALL_ICON_INSTANCE = 3,
    SMALL_ICON_RELATION = 4,
    SMALL_ICON_FIND = 5,
    SMALL_ICON_DOCUMENTATION = 6,
    SMALL_ICON_MODEL = 7,
    SMALL_ICON_ERROR = 8,
    SMALL_ICON_ITEMS = 9,    // "Items" tab
    SMALL_ICON_HISTORY = 10, // "History" tab
};

// The 16 x 16 icon of a command for toolbars and menus; a null icon when the command has
// none.
QIcon CommandIcon(int commandId);

// Number of icons in strip 243, 244 or 250; 0 for any other bitmap.
int StripIconCount(int bitmapId);

// Icon `index` of strip 243, 244 or 250. A null icon for another bitmap or an index outside
// 0 .. StripIconCount - 1 (a page whose icon number is -1 has no icon).
QIcon StripIcon(int bitmapId, int index);

// Cursor 130, 140 or 205 with its hot spot; the standard arrow cursor for any other id.
QCursor ResourceCursor(int id);

// The start-up splash picture (400 x 250): program icon, name and version line.
QPixmap SplashPixmap();

// The program's icon (16, 32 and 48 pixels) for the window and the about box.
QIcon ProgramIcon();

// Full path of the user manual's first page: the installed copy beside the program
// (<bindir>/../share/doc/model/manual/index.html), else the copy in the source tree this
// library was built from; empty when neither exists.
QString ManualPath();

// The manual looked up from a given program folder, else `fallbackManual` when that file
// exists; empty when neither exists. ManualPath() uses it with the running program's folder.
QString FindManual(const QString& programDir, const QString& fallbackManual);
