#pragma once

#include <QImage>
#include <QPicture>
#include <QRectF>

class QPainter;

// The scaling mode that drawing flags select: the lowest of the scaling bits 4, 8, 16 and
// 32 that is set gives mode 0, 1, 2 or 3; -1 when none is set.
int ScalingModeOf(int flags);

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
    // A bilevel image (QImage::Format_Mono, white 0 / black 1). Reductions are smoothed so
    // that thin lines stay visible.
    static void DrawRaster(QPainter& painter, const QImage& image, const QRectF& target,
                           int scalingMode);
    // Where a picture of the given size lands in target.
    static QRectF Placement(const QSizeF& size, const QRectF& target, int scalingMode);
};
