#include "ThinLinePainter.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

class CThinLineDevice::CEngine : public QPaintEngine
{
public:
    explicit CEngine(QPainter& target) : QPaintEngine(AllFeatures), m_target(target) {}

    bool begin(QPaintDevice*) override { return m_target.isActive(); }
    bool end() override { return true; }
    Type type() const override { return User; }

    void updateState(const QPaintEngineState& state) override
    {
        const DirtyFlags dirty = state.state();
        if (dirty & DirtyTransform)
            m_target.setWorldTransform(state.transform());
        if (dirty & DirtyPen)
            m_pen = state.pen();
        if (dirty & DirtyHints)
            m_hints = state.renderHints();
        if (dirty & (DirtyPen | DirtyTransform | DirtyHints))
            ApplyPen();
        if (dirty & DirtyBrush)
            m_target.setBrush(state.brush());
        if (dirty & DirtyBrushOrigin)
            m_target.setBrushOrigin(state.brushOrigin());
        if (dirty & DirtyFont)
            m_target.setFont(state.font());
        if (dirty & DirtyBackground)
            m_target.setBackground(state.backgroundBrush());
        if (dirty & DirtyBackgroundMode)
            m_target.setBackgroundMode(state.backgroundMode());
        if (dirty & DirtyCompositionMode)
            m_target.setCompositionMode(state.compositionMode());
        if (dirty & DirtyOpacity)
            m_target.setOpacity(state.opacity());
        // A clip of the picture's own can only narrow the caller's.
        if ((dirty & DirtyClipPath) && state.clipOperation() != Qt::NoClip)
            m_target.setClipPath(state.clipPath(), Qt::IntersectClip);
        if ((dirty & DirtyClipRegion) && state.clipOperation() != Qt::NoClip)
            m_target.setClipRegion(state.clipRegion(), Qt::IntersectClip);
    }

    void drawPath(const QPainterPath& path) override { m_target.drawPath(path); }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override
    {
        if (mode == PolylineMode)
            m_target.drawPolyline(points, count);
        else
            m_target.drawPolygon(points, count,
                                 mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
    }
    void drawLines(const QLineF* lines, int count) override { m_target.drawLines(lines, count); }
    void drawRects(const QRectF* rects, int count) override { m_target.drawRects(rects, count); }
    void drawEllipse(const QRectF& rect) override { m_target.drawEllipse(rect); }
    void drawPoints(const QPointF* points, int count) override
    {
        m_target.drawPoints(points, count);
    }
    void drawPixmap(const QRectF& r, const QPixmap& pixmap, const QRectF& source) override
    {
        m_target.drawPixmap(r, pixmap, source);
    }
    void drawImage(const QRectF& r, const QImage& image, const QRectF& source,
                   Qt::ImageConversionFlags flags) override
    {
        m_target.drawImage(r, image, source, flags);
    }
    void drawTiledPixmap(const QRectF& r, const QPixmap& pixmap, const QPointF& offset) override
    {
        m_target.drawTiledPixmap(r, pixmap, offset);
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        m_target.drawTextItem(p, item);
    }

private:
    // The pen as the picture set it, unless it would be thinner than a device pixel: then
    // one pixel wide and drawn without smoothing, solid as a plotter's line.
    void ApplyPen()
    {
        QPen pen = m_pen;
        bool thin = false;
        if (pen.style() != Qt::NoPen) {
            const QTransform device = m_target.deviceTransform();
            const double scale = std::sqrt(std::abs(device.determinant()));
            thin = pen.isCosmetic() ? pen.widthF() <= 1.0 : pen.widthF() * scale < 1.0;
            if (thin) {
                pen.setCosmetic(true);
                pen.setWidthF(1.0);
            }
        }
        m_target.setRenderHints(m_hints);
        if (thin)
            m_target.setRenderHint(QPainter::Antialiasing, false);
        m_target.setPen(pen);
    }

    QPainter& m_target;
    QPen m_pen;
    QPainter::RenderHints m_hints;
};

CThinLineDevice::CThinLineDevice(QPainter& target) : m_target(target), m_engine(new CEngine(target))
{
}

CThinLineDevice::~CThinLineDevice()
{
    delete m_engine;
}

QPaintEngine* CThinLineDevice::paintEngine() const
{
    return m_engine;
}

int CThinLineDevice::metric(PaintDeviceMetric metric) const
{
    const QPaintDevice* device = m_target.device();
    if (!device)
        return QPaintDevice::metric(metric);
    switch (metric) {
    case PdmWidth:
        return device->width();
    case PdmHeight:
        return device->height();
    case PdmWidthMM:
        return device->widthMM();
    case PdmHeightMM:
        return device->heightMM();
    case PdmNumColors:
        return device->colorCount();
    case PdmDepth:
        return device->depth();
    case PdmDpiX:
        return device->logicalDpiX();
    case PdmDpiY:
        return device->logicalDpiY();
    case PdmPhysicalDpiX:
        return device->physicalDpiX();
    case PdmPhysicalDpiY:
        return device->physicalDpiY();
    case PdmDevicePixelRatio:
        return static_cast<int>(device->devicePixelRatio());
    case PdmDevicePixelRatioScaled:
        return static_cast<int>(device->devicePixelRatioF() * devicePixelRatioFScale());
    default:
        return QPaintDevice::metric(metric);
    }
}
