#pragma once

/* The graphics conversion library: loads CGM pictures (through the CGM import filter) and
 * bilevel TIFF images, and draws them into windows and onto printers. C interface; no
 * exception crosses it. Handles belong to the caller from their creation to their release.
 *
 * Window handles are QWidget pointers, device contexts QPainter pointers (for printing, a
 * painter open on a QPrinter or QPdfWriter). Rectangles are left, top, right, bottom. */

#include <stdint.h>

#if defined(QG1API32_BUILD)
#define QG1_EXPORT __attribute__((visibility("default")))
#else
#define QG1_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct QG1Instance QG1Instance;
typedef struct QG1GrObj QG1GrObj;
typedef struct QG1Pict QG1Pict;

typedef struct QG1Rect
{
    int32_t left, top, right, bottom;
} QG1Rect;

/* Error codes. */
enum {
    QG1_OK = 0,
    QG1_ERR_MEMORY = 1,
    QG1_ERR_OPEN = 2,
    QG1_ERR_FILE_TYPE = 3,
    QG1_ERR_ARGUMENT = 4,
    QG1_ERR_TRANSLATION = 5,
    QG1_ERR_OPTIONS = 6,
    QG1_ERR_NOT_SUPPORTED = 100
};

/* Graphic kinds. */
enum { QG1_KIND_VECTOR = 1, QG1_KIND_RASTER = 2 };

/* Drawing flags: QG1_DRAW_NO_COPY with QG1_DRAW_OFFSCREEN renders the off-screen bitmap
 * without copying it to the window; of the scaling bits the lowest set one counts. */
enum {
    QG1_DRAW_NO_COPY = 1,
    QG1_DRAW_OFFSCREEN = 2,
    QG1_DRAW_SCALE_0 = 4,
    QG1_DRAW_SCALE_1 = 8,
    QG1_DRAW_SCALE_2 = 16,
    QG1_DRAW_SCALE_3 = 32
};

/* Called with the error code, its text and the user word. */
typedef void (*QG1ErrorProc)(int code, const char* text, uintptr_t user);
/* Called with a percentage and the user word; a non-zero answer stops the work. */
typedef int (*QG1ProgressProc)(int percent, uintptr_t user);

/* A new instance using the import filter's options under settingsKey (empty or NULL: the
 * filter's default key); NULL when memory or the options cannot be had. */
QG1_EXPORT QG1Instance* QG1_Init(const char* settingsKey);
QG1_EXPORT void QG1_Exit(QG1Instance* instance);
/* 0, or 4 without an instance. */
QG1_EXPORT int QG1_SetErrorProc(QG1Instance* instance, QG1ErrorProc proc, uintptr_t user);
QG1_EXPORT int QG1_SetProgressProc(QG1Instance* instance, QG1ProgressProc proc, uintptr_t user);
/* The code's text in one buffer of the library, overwritten by the next call. */
QG1_EXPORT const char* QG1_GetErrorMsg(int code);
/* The text of the instance's last error code (4's text without an instance). */
QG1_EXPORT const char* QG1_GetLastError(QG1Instance* instance);
/* The import filter's options dialog; 0, or 4 without an instance. */
QG1_EXPORT int QG1_ShowOptions(QG1Instance* instance);
/* Writes the options under the instance's settings key; 0, or 4 without an instance. */
QG1_EXPORT int QG1_SaveOptions(QG1Instance* instance);
QG1_EXPORT int QG1_GetOption(QG1Instance* instance, uintptr_t a, uintptr_t b, uintptr_t c);
QG1_EXPORT int QG1_SetOption(QG1Instance* instance, uintptr_t a, uintptr_t b);

/* Loads a graphic object: a TIFF image (raster) unless *kind asks for a vector picture or
 * the file is no bilevel TIFF, else a CGM picture translated when a picture is created.
 * *kind receives the kind. NULL on failure (reported through the instance). */
QG1_EXPORT QG1GrObj* QG1_GrObjLoad(QG1Instance* instance, const char* path, int* kind);
QG1_EXPORT void QG1_GrObjUnload(QG1GrObj* object);
/* 100 (reported); 4 without an object. */
QG1_EXPORT int QG1_GetGrObjInfo(QG1GrObj* object, uintptr_t a, uintptr_t b, uintptr_t c);

/* A picture of the object (decodes the image / translates the CGM file); NULL on failure. */
QG1_EXPORT QG1Pict* QG1_CreatePict(QG1GrObj* object);
QG1_EXPORT void QG1_DestroyPict(QG1Pict* picture);
/* Translates the vector file again with the current options; an error code. */
QG1_EXPORT int QG1_ReTranslate(QG1Pict* picture);
/* Draws into the window (a QWidget*, from its paint event) within the rectangle. */
QG1_EXPORT int QG1_View(QG1Pict* picture, void* window, const QG1Rect* rect, int flags);
/* Draws a raster or vector picture on an active painter (a QPainter* on any device) into the
 * rectangle, as QG1_View draws into a window (the same flags, the clip rectangle, only the
 * part within the painter's clip), without needing a window. An error code. */
QG1_EXPORT int QG1_Render(QG1Pict* picture, void* painter, const QG1Rect* rect, int flags);
/* The decoded image of a raster picture: *bits receives its rows (height rows of *stride bytes,
 * the leftmost pixel in the most significant bit, 1 black, padding bits 0), owned by the
 * picture and valid until it is destroyed. 100 for a vector picture, 4 for missing
 * arguments. */
QG1_EXPORT int QG1_GetRasterImage(QG1Pict* picture, const unsigned char** bits, int* width,
                                  int* height, int* stride);
/* Draws on a device context (a QPainter*); 100 for a raster picture. */
QG1_EXPORT int QG1_Print(QG1Pict* picture, void* deviceContext, const QG1Rect* rect, int flags);
/* The clip rectangle of the next drawing (NULL: none). */
QG1_EXPORT void QG1_SetClipRect(QG1Pict* picture, const QG1Rect* rect);
QG1_EXPORT uintptr_t QG1_GetColorPal(QG1Pict* picture, uintptr_t word);
/* which 0: extent in picture units (pixels for images); which 2: in millimetres. */
QG1_EXPORT int QG1_GetPictExtent(QG1Pict* picture, int* x, int* y, int* width, int* height,
                                 int which);
/* Request -101 (size 22) and -100 (size 4, the picture count) on vector pictures; on raster
 * pictures request -100 (size 4) answers the TIFF file's page count and any other reports
 * 100. The picture option of the instance chooses the page as it chooses a CGM picture. */
QG1_EXPORT int QG1_GetPictInfo(QG1Pict* picture, int request, void* buffer, int size);
QG1_EXPORT const char* QG1_Version(void);

/* Called once per hot spot of a vector picture with its id, name and link (empty texts when
 * the file gives none) and its region: polygonCount closed polygons, pointCounts[i] points
 * in polygon i, all points one after the other in coords as x, y pairs in the picture's
 * coordinates (those of QG1_GetPictExtent with which 0). The pointers are valid for the
 * call only. */
typedef void (*QG1HotSpotProc)(const char* id, const char* name, const char* linkUri,
                               int polygonCount, const int* pointCounts, const double* coords,
                               uintptr_t user);
/* Reports the hot spots of a vector picture in the file's order (proc may be NULL to count
 * them) and answers their number; 0 for a raster picture, -1 without a picture. */
QG1_EXPORT int QG1_GetHotSpots(QG1Pict* picture, QG1HotSpotProc proc, uintptr_t user);

#ifdef __cplusplus
}
#endif
