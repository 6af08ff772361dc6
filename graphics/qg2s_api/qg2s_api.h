#pragma once

/* The graphics window library: shows a CGM picture or a bilevel TIFF image in a child window
 * of a host program, zooms and scrolls it, maps coordinates, finds and highlights the
 * picture's hot spots, tells the host about clicks through callbacks, and prints.
 *
 * C interface; no exception crosses it. Window handles are QWidget pointers. Unless a
 * function says otherwise it answers 0 for success and -1 for failure or a missing
 * argument (a missing graphic, view, document or out argument changes nothing).
 *
 * Coordinates: "G" are picture coordinates (floating point; pixels for images), "W" pixels
 * in the view's client area (its viewport, integers), "H" positions relative to the
 * picture's extents (0..1 across the picture, floating point). */

#include <stdint.h>

#if defined(QG2S_API_BUILD)
#define QG2S_EXPORT __attribute__((visibility("default")))
#else
#define QG2S_EXPORT
#endif

#ifdef __cplusplus
class QWidget;
class QPainter;
extern "C" {
#else
typedef struct QWidget QWidget;
typedef struct QPainter QPainter;
#endif

typedef struct QG2SGraphic QG2SGraphic;
typedef struct QG2SHotSpot QG2SHotSpot;

/* The host's window record: the view is made as a child of parentWindow. */
typedef struct QG2SWindowRecord
{
    QWidget* parentWindow;
    uintptr_t reserved;
} QG2SWindowRecord;

/* The printer record: a painter active on a QPrinter, a QPdfWriter or any other device. */
typedef struct QG2SPrinterRecord
{
    QPainter* painter;
} QG2SPrinterRecord;

/* Left, top, right, bottom. */
typedef struct QG2SRect
{
    int32_t left, top, right, bottom;
} QG2SRect;

/* What QG2S_inqGraphicGUI answers: all 0 but view, the view's window handle. */
typedef struct QG2SGuiRecord
{
    uintptr_t reserved0;
    QWidget* view;
    uintptr_t reserved2, reserved3, reserved4;
} QG2SGuiRecord;

/* Callback types and their further arguments a, b, c, d ("&" = a pointer to the value):
 *   1 the graphic is being destroyed:              0, 0, 0, 0
 *   2 a click that hit no hot spot and dragged nothing:  &x (int), &y (int), 0, 0
 *   3 a click on a hot spot:           &x (int), &y (int), first link text (const char*),
 *                                      the hot spot (QG2SHotSpot*)
 *   4 a rectangle dragged from outside any hot spot:  &x1, &y1, &x2, &y2 (int)
 * Points are W coordinates. The pointed-to values live for the call only. A callback may
 * destroy the graphic. */
enum
{
    QG2S_CB_DESTROY = 1,
    QG2S_CB_CLICK = 2,
    QG2S_CB_HOTSPOT = 3,
    QG2S_CB_RECTANGLE = 4
};
typedef int (*QG2SCallback)(void* graphic, uintptr_t user, uintptr_t a, uintptr_t b, uintptr_t c,
                            uintptr_t d);

/* Graphic records and their view. */

/* Makes a graphic with its view, a child of host->parentWindow named "QG2S_GraphicClient"
 * (child id 999); NULL when anything fails. The first and last words are not used. */
QG2S_EXPORT QG2SGraphic* QG2S_newGraphicFromGUI(uintptr_t unused1, const QG2SWindowRecord* host,
                                                uintptr_t unused2);
/* Calls callback 1 when set, then frees the graphic and its view. */
QG2S_EXPORT int QG2S_destroyGraphic(QG2SGraphic* graphic);
/* Loads a CGM or TIFF file: 0, -2 when loading fails, -1 for a missing or empty path. */
QG2S_EXPORT int QG2S_loadGraphicFile(QG2SGraphic* graphic, const char* path);
/* One static record for every call; NULL without a graphic or view. */
QG2S_EXPORT const QG2SGuiRecord* QG2S_inqGraphicGUI(QG2SGraphic* graphic);
/* Shows the view without activating it (repainting it at once when it was visible). */
QG2S_EXPORT int QG2S_mapGraphic(QG2SGraphic* graphic);
QG2S_EXPORT int QG2S_unmapGraphic(QG2SGraphic* graphic);
/* While disabled, clicks on the picture do nothing. */
QG2S_EXPORT int QG2S_enableGraphic(QG2SGraphic* graphic, int enable);
/* type 1 to 4; -1 for any other type. */
QG2S_EXPORT int QG2S_addGraphicCallback(QG2SGraphic* graphic, int type, QG2SCallback proc,
                                        uintptr_t user);
QG2S_EXPORT int QG2S_inqGraphicCallback(QG2SGraphic* graphic, int type, QG2SCallback* proc,
                                        uintptr_t* user);
/* Stored, not otherwise used. */
QG2S_EXPORT int QG2S_setDefaultGraphicGeometry(QG2SGraphic* graphic, int width, int height);
/* Not supported: -1. */
QG2S_EXPORT int QG2S_removeGraphicScrollbars(QG2SGraphic* graphic);
QG2S_EXPORT int QG2S_lowerGraphic(QG2SGraphic* graphic);
QG2S_EXPORT int QG2S_raiseGraphic(QG2SGraphic* graphic);

/* Coordinates and extents. These need a loaded picture (-1 without one). */

/* The view's current mapping, as it paints; G is cut to integers first. */
QG2S_EXPORT int QG2S_graphicCoordTransformGtoW(QG2SGraphic* graphic, double x, double y, int* wx,
                                               int* wy);
QG2S_EXPORT int QG2S_graphicCoordTransformWtoG(QG2SGraphic* graphic, int x, int y, double* gx,
                                               double* gy);
QG2S_EXPORT int QG2S_graphicCoordTransformGtoH(QG2SGraphic* graphic, double x, double y, double* hx,
                                               double* hy);
QG2S_EXPORT int QG2S_graphicCoordTransformHtoG(QG2SGraphic* graphic, double x, double y, double* gx,
                                               double* gy);
/* The picture's extents (G). */
QG2S_EXPORT int QG2S_graphicOverallGraphicExtents(QG2SGraphic* graphic, int* left, int* top,
                                                  int* right, int* bottom);
/* The extents mapped to the view and cut to its client rectangle (W). */
QG2S_EXPORT int QG2S_graphicWindowExtents(QG2SGraphic* graphic, int* left, int* top, int* right,
                                          int* bottom);
/* The part of the picture that is visible (G). */
QG2S_EXPORT int QG2S_graphicVisibleGraphicExtents(QG2SGraphic* graphic, double* left, double* top,
                                                  double* right, double* bottom);

/* Zoom. Magnification 1 shows the whole picture in the view; it stays within 1/4 and 64. */

/* Multiplies the magnification by factor (> 0). */
QG2S_EXPORT int QG2S_graphicZoom(QG2SGraphic* graphic, double factor);
QG2S_EXPORT int QG2S_graphicZoomReset(QG2SGraphic* graphic);
/* Zooms so that the region (G, cut to integers) fills the view. */
QG2S_EXPORT int QG2S_graphicZoomToGraphicRegion(QG2SGraphic* graphic, double x1, double y1,
                                                double x2, double y2);
/* The same for a region of the view (W). */
QG2S_EXPORT int QG2S_graphicZoomToRegion(QG2SGraphic* graphic, int x, int y, int width, int height);

/* Hot spots. A hot spot has a name, link texts numbered from 1 to its link count, a
 * rectangle (G, four int32_t: left, top, right, bottom) and a highlight state: 0 none,
 * 1 marked, 2 selected. Hot spot handles stay valid until the next load or the graphic's
 * destruction; a handle of another graphic is refused. */

/* state 0 to 2: sets hot spot's state; 3, 4, 5: sets every hot spot's state to 0, 1, 2. */
QG2S_EXPORT int QG2S_highlightHotSpot(QG2SGraphic* graphic, int state, QG2SHotSpot* hotSpot);
/* Walks the hot spots: mode 1 puts the first in *record (which must be NULL), mode 2 the
 * next; -1 at the end. The walk position is one for the whole library. */
QG2S_EXPORT int QG2S_getHotSpot(QG2SGraphic* graphic, int mode, QG2SHotSpot** record);
/* mode 1: the first hot spot named key (const char*); mode 3: the first whose link text
 * number index is key (const char*); mode 4: the first whose link count is key (a number).
 * *hotSpot receives it, or NULL (answer -1). Texts compare exactly. */
QG2S_EXPORT int QG2S_findHotSpot(QG2SGraphic* graphic, uintptr_t unused, uintptr_t key, int mode,
                                 int index, QG2SHotSpot** hotSpot);
/* kind 1: the name; 2: the rectangle (16 bytes); 3: link text number index (-1 outside
 * 1..link count); 4: the link count (4 bytes, int32_t). Without a buffer *size receives what
 * is needed (text length plus one, 16, 4). Texts are cut to *size - 1 characters and end
 * with a zero; kinds 2 and 4 need *size to be exactly 16 and 4. */
QG2S_EXPORT int QG2S_getHotSpotInfo(QG2SGraphic* graphic, QG2SHotSpot* hotSpot, int kind, int index,
                                    void* buffer, int* size);

/* Printing: with a printer record and a rectangle, draws the picture on the record's painter
 * into the rectangle; otherwise runs the view's own print command (the print dialog). */
QG2S_EXPORT int QG2S_printGraphic(QG2SGraphic* graphic, const QG2SPrinterRecord* printer,
                                  const QG2SRect* rect, uintptr_t unused);

#ifdef __cplusplus
}
#endif
