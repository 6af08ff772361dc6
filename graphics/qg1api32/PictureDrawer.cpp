#include "PictureDrawer.h"
#include "ThinLinePainter.h"

#include <QPaintEngine>
#include <QPainter>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Whole-picture grey renditions up to this many pixels are kept; larger reductions are made
// for the exposed part at each paint, in bands of this many rows.
constexpr std::int64_t kCachedPixels = 16 << 20;
constexpr int kBandRows = 256;

// Coverage (0..256) to grey: the square root darkens sparse cells, so that a one-pixel line
// reduced twelve times still shows as a mid grey instead of fading into the white.
const std::array<std::uint8_t, 257>& GreyOfCoverage()
{
    static const std::array<std::uint8_t, 257> table = [] {
        std::array<std::uint8_t, 257> t{};
        for (int c = 0; c <= 256; ++c)
            t[static_cast<std::size_t>(c)] =
                static_cast<std::uint8_t>(std::lround(255.0 * (1.0 - std::sqrt(c / 256.0))));
        return t;
    }();
    return table;
}

// The first source pixel of each output cell along one axis, and one past the last.
std::vector<int> CellEdges(int source, int out, int first, int last)
{
    std::vector<int> edges;
    edges.reserve(static_cast<std::size_t>(last - first + 1));
    for (int k = first; k <= last; ++k)
        edges.push_back(static_cast<int>(static_cast<std::int64_t>(k) * source / out));
    return edges;
}

} // namespace

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
    // Played through a device that keeps lines at least one device pixel wide.
    CThinLineDevice thin(painter);
    QPainter player(&thin);
    if (!player.isActive()) {
        painter.drawPicture(0, 0, picture);
        painter.restore();
        return;
    }
    player.setWorldTransform(painter.worldTransform());
    player.setRenderHints(painter.renderHints());
    player.drawPicture(0, 0, picture);
    player.end();
    painter.restore();
}

QImage CPictureDrawer::ReduceToGrey(const QImage& image, const QSize& out, const QRect& cells)
{
    const int width = image.width(), height = image.height();
    const QRect area = cells & QRect(QPoint(0, 0), out);
    if (area.isEmpty() || out.width() > width || out.height() > height)
        return QImage();
    QImage grey(area.size(), QImage::Format_Grayscale8);
    if (grey.isNull())
        return grey;
    const std::vector<int> xs = CellEdges(width, out.width(), area.left(), area.right() + 1);
    const std::vector<int> ys = CellEdges(height, out.height(), area.top(), area.bottom() + 1);
    const int columns = area.width();
    const int x0 = xs.front(), x1 = xs.back();
    // The output column of each source pixel of the span.
    std::vector<int> columnOf(static_cast<std::size_t>(x1 - x0));
    for (int c = 0; c < columns; ++c)
        for (int x = xs[static_cast<std::size_t>(c)]; x < xs[static_cast<std::size_t>(c) + 1]; ++x)
            columnOf[static_cast<std::size_t>(x - x0)] = c;
    std::vector<int> counts(static_cast<std::size_t>(columns));
    const auto& greyOf = GreyOfCoverage();
    const int firstByte = x0 / 8, endByte = (x1 + 7) / 8;

    for (int r = 0; r < area.height(); ++r) {
        std::fill(counts.begin(), counts.end(), 0);
        const int y0 = ys[static_cast<std::size_t>(r)], y1 = ys[static_cast<std::size_t>(r) + 1];
        for (int y = y0; y < y1; ++y) {
            const uchar* row = image.constScanLine(y);
            int b = firstByte;
            while (b < endByte) {
                // Drawings are mostly white: skip blank words.
                if (b + 8 <= endByte) {
                    std::uint64_t word;
                    std::memcpy(&word, row + b, 8);
                    if (word == 0) {
                        b += 8;
                        continue;
                    }
                }
                const unsigned byte = row[b];
                if (byte != 0) {
                    const int px = b * 8;
                    const int from = std::max(px, x0), to = std::min(px + 8, x1);
                    const int first = columnOf[static_cast<std::size_t>(from - x0)];
                    if (from == px && to == px + 8 &&
                        columnOf[static_cast<std::size_t>(to - 1 - x0)] == first) {
                        counts[static_cast<std::size_t>(first)] += std::popcount(byte);
                    } else {
                        // The byte spans several cells: each black pixel counts in its own.
                        unsigned rest = byte & (0xFFu >> (from - px)) & (0xFF00u >> (to - px));
                        while (rest != 0) {
                            const int bit = std::countl_zero(rest) - 24;
                            counts[static_cast<std::size_t>(
                                columnOf[static_cast<std::size_t>(px + bit - x0)])] += 1;
                            rest &= ~(0x80u >> bit);
                        }
                    }
                }
                ++b;
            }
        }
        uchar* line = grey.scanLine(r);
        const int rows = y1 - y0;
        for (int c = 0; c < columns; ++c) {
            const int cellArea =
                rows * (xs[static_cast<std::size_t>(c) + 1] - xs[static_cast<std::size_t>(c)]);
            const int coverage =
                cellArea > 0 ? counts[static_cast<std::size_t>(c)] * 256 / cellArea : 0;
            line[c] = greyOf[static_cast<std::size_t>(coverage)];
        }
    }
    return grey;
}

void CPictureDrawer::DrawRaster(QPainter& painter, const QImage& image, const QRectF& target,
                                int scalingMode, const QRect& exposed, CGreyCache* cache)
{
    if (image.isNull() || target.isEmpty())
        return;
    const QRectF placed = Placement(QSizeF(image.size()), target, scalingMode);
    QRectF visible = placed;
    if (!exposed.isEmpty())
        visible &= QRectF(exposed);
    else if (painter.hasClipping())
        visible &= painter.clipBoundingRect();
    if (visible.isEmpty())
        return;

    // Device pixels per image pixel along each axis.
    const QTransform device = painter.deviceTransform();
    const double deviceX = std::hypot(device.m11(), device.m12());
    const double deviceY = std::hypot(device.m21(), device.m22());
    const double sx = placed.width() / image.width(), sy = placed.height() / image.height();
    painter.save();
    if (sx * deviceX >= 1.0 && sy * deviceY >= 1.0) {
        // Enlarged: the image pixels behind the visible part, as sharp squares.
        const int left =
            std::max(0, static_cast<int>(std::floor((visible.left() - placed.left()) / sx)));
        const int top =
            std::max(0, static_cast<int>(std::floor((visible.top() - placed.top()) / sy)));
        const int right = std::min(
            image.width(), static_cast<int>(std::ceil((visible.right() - placed.left()) / sx)));
        const int bottom = std::min(
            image.height(), static_cast<int>(std::ceil((visible.bottom() - placed.top()) / sy)));
        if (right > left && bottom > top) {
            const QRect source(left, top, right - left, bottom - top);
            const QRectF to(placed.left() + left * sx, placed.top() + top * sy, source.width() * sx,
                            source.height() * sy);
            painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
            painter.drawImage(to, image.copy(source));
        }
        painter.restore();
        return;
    }

    // Reduced: grey cells at device resolution (never more cells than image pixels).
    const QSize out(
        std::clamp(static_cast<int>(std::lround(placed.width() * deviceX)), 1, image.width()),
        std::clamp(static_cast<int>(std::lround(placed.height() * deviceY)), 1, image.height()));
    const double cellW = placed.width() / out.width(), cellH = placed.height() / out.height();
    const int c0 =
        std::max(0, static_cast<int>(std::floor((visible.left() - placed.left()) / cellW)));
    const int r0 =
        std::max(0, static_cast<int>(std::floor((visible.top() - placed.top()) / cellH)));
    const int c1 = std::min(out.width(),
                            static_cast<int>(std::ceil((visible.right() - placed.left()) / cellW)));
    const int r1 = std::min(out.height(),
                            static_cast<int>(std::ceil((visible.bottom() - placed.top()) / cellH)));
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const auto cellRect = [&](const QRect& cells) {
        return QRectF(placed.left() + cells.left() * cellW, placed.top() + cells.top() * cellH,
                      cells.width() * cellW, cells.height() * cellH);
    };
    if (c1 > c0 && r1 > r0) {
        const QRect wanted(c0, r0, c1 - c0, r1 - r0);
        if (cache && static_cast<std::int64_t>(out.width()) * out.height() <= kCachedPixels) {
            if (cache->size != out || cache->grey.isNull()) {
                cache->grey = ReduceToGrey(image, out, QRect(QPoint(0, 0), out));
                cache->size = out;
            }
            if (!cache->grey.isNull())
                painter.drawImage(cellRect(wanted), cache->grey, QRectF(wanted));
        } else {
            for (int band = r0; band < r1; band += kBandRows) {
                const QRect cells(c0, band, c1 - c0, std::min(kBandRows, r1 - band));
                const QImage grey = ReduceToGrey(image, out, cells);
                if (!grey.isNull())
                    painter.drawImage(cellRect(cells), grey);
            }
        }
    }
    painter.restore();
}
