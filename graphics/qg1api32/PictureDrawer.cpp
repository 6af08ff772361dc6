#include "PictureDrawer.h"

#include <QPainter>

int ScalingModeOf(int flags)
{
    for (int mode = 0; mode < 4; ++mode) {
        if (flags & (4 << mode))
            return mode;
    }
    return -1;
}

QRectF CPictureDrawer::Placement(const QSizeF& size, const QRectF& target, int scalingMode)
{
    if (scalingMode != 1 || size.isEmpty())
        return target;
    const QSizeF fitted = size.scaled(target.size(), Qt::KeepAspectRatio);
    return QRectF(target.center().x() - fitted.width() / 2,
                  target.center().y() - fitted.height() / 2, fitted.width(), fitted.height());
}

void CPictureDrawer::DrawVector(QPainter& painter, const QPicture& picture, const QRectF& source,
                                const QRectF& target, int scalingMode)
{
    if (source.width() == 0 || source.height() == 0 || target.isEmpty())
        return;
    const QRectF placed = Placement(source.size(), target, scalingMode);
    painter.save();
    painter.translate(placed.topLeft());
    painter.scale(placed.width() / source.width(), placed.height() / source.height());
    painter.translate(-source.topLeft());
    // The picture carries no clip of its own: it is clipped to its extent here, within the
    // caller's clip (QG1_SetClipRect), which a clip recorded in the picture would replace.
    painter.setClipRect(source, Qt::IntersectClip);
    painter.drawPicture(0, 0, picture);
    painter.restore();
}

void CPictureDrawer::DrawRaster(QPainter& painter, const QImage& image, const QRectF& target,
                                int scalingMode)
{
    if (image.isNull() || target.isEmpty())
        return;
    const QRectF placed = Placement(QSizeF(image.size()), target, scalingMode);
    painter.save();
    const bool reduced = placed.width() < image.width() || placed.height() < image.height();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, reduced);
    painter.drawImage(placed, image);
    painter.restore();
}
