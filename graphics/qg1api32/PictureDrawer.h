#pragma once

#include <QImage>
#include <QPicture>
#include <QRect>
#include <QRectF>

class QPainter;

// The scaling mode that drawing flags select: the lowest of the scaling bits 4, 8, 16 and
// 32 that is set gives mode 0, 1, 2 or 3; -1 when none is set.
int ScalingModeOf(int flags);

// A grey rendition of a whole bilevel image at one size, kept between paints of a picture so
// that repainting a reduced view only copies pixels.
struct CGreyCache
{
    QImage grey; // Format_Grayscale8
    QSize size;  // the output size it was made for
};

// Draws a picture (a translated vector picture or a decoded raster image) into a target
// rectangle on any painter: windows, off-screen images, printers and tests use the same
// code. Scaling mode 1 keeps the picture's proportions and centres it; every other mode
// fills the rectangle.
class CPictureDrawer
{
public:
    // source: the part of the picture's coordinate space to show (its extent); the drawing
    // is clipped to it within the painter's own clip.
    static void DrawVector(QPainter& painter, const QPicture& picture, const QRectF& source,
                           const QRectF& target, int scalingMode);
    // A bilevel image (QImage::Format_Mono, white 0 / black 1), drawn only where it meets
    // exposed (painter coordinates; empty: the painter's clip, or everything). Reduced, every
    // device pixel shows how much black it covers, darkened so that thin strokes stay
    // readable; enlarged, the image's pixels stay sharp squares. cache (may be null) keeps
    // the grey rendition of small reductions.
    static void DrawRaster(QPainter& painter, const QImage& image, const QRectF& target,
                           int scalingMode, const QRect& exposed = QRect(),
                           CGreyCache* cache = nullptr);
    // Where a picture of the given size lands in target.
    static QRectF Placement(const QSizeF& size, const QRectF& target, int scalingMode);

    // The grey rendition of output cells [cells) of image reduced to size out (no larger
    // than the image): each cell averages the image pixels it covers. Null when out of
    // memory.
    static QImage ReduceToGrey(const QImage& image, const QSize& out, const QRect& cells);
};
