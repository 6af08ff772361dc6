#include "CgmRenderer.h"

#include "CgmFilter.h"
#include "text/TextDecode.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <fstream>

namespace cgmfilter {
namespace {

constexpr double kCoordinateLimit = 1.0e7; // picture coordinates are kept within +-this
constexpr double kFontPixels = 100;        // the size fonts are laid out at, then scaled

double Clamp(double v)
{
    if (!std::isfinite(v))
        return 0;
    return std::clamp(v, -kCoordinateLimit, kCoordinateLimit);
}

QPointF Map(const CMapping& m, const cgm::CPoint& p)
{
    return {Clamp(m.a * p.x + m.c), Clamp(m.d * p.y + m.f)};
}

QColor Colour(const cgm::CColor& c, const CRenderOptions& options)
{
    if (!options.mapColors)
        return QColor(c.r, c.g, c.b);
    auto snap = [](std::uint8_t v) { return (v + 25) / 51 * 51; };
    return QColor(snap(c.r), snap(c.g), snap(c.b));
}

double Size(const CMapping& m, double vdc)
{
    const double v = vdc * m.sizeScale;
    return std::isfinite(v) ? std::min(v, kCoordinateLimit) : 0.0;
}

QPen MakePen(const QColor& colour, double width, int type, int cap, int join)
{
    QPen pen(colour);
    pen.setWidthF(width < 0.5 ? 0.0 : width); // thinner than half a unit: the thinnest line
    switch (type) {
    case 2: pen.setStyle(Qt::DashLine); break;
    case 3: pen.setStyle(Qt::DotLine); break;
    case 4: pen.setStyle(Qt::DashDotLine); break;
    case 5: pen.setStyle(Qt::DashDotDotLine); break;
    default: pen.setStyle(Qt::SolidLine); break;
    }
    pen.setCapStyle(cap == 3 ? Qt::RoundCap : cap == 4 ? Qt::SquareCap : Qt::FlatCap);
    pen.setJoinStyle(join == 3 ? Qt::RoundJoin : join == 4 ? Qt::BevelJoin : Qt::MiterJoin);
    return pen;
}

QBrush MakeBrush(const cgm::CAttributes& a, const CRenderOptions& options)
{
    const QColor colour = Colour(a.fillColor, options);
    switch (a.interiorStyle) {
    case cgm::kSolid:
    case cgm::kPattern: // patterns are not kept; drawn solid in the fill colour
    case 5:
    case 6: return QBrush(colour);
    case cgm::kHatch: {
        static const Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,
                                                 Qt::FDiagPattern, Qt::BDiagPattern,
                                                 Qt::CrossPattern, Qt::DiagCrossPattern};
        const int i = (a.hatchIndex >= 1 && a.hatchIndex <= 6) ? a.hatchIndex - 1 : 0;
        return QBrush(colour, hatches[i]);
    }
    default: return Qt::NoBrush; // hollow, empty
    }
}

QPolygonF Polygon(const CMapping& m, const cgm::CPicture& pic, const cgm::CElement& e)
{
    QPolygonF polygon;
    polygon.reserve(static_cast<qsizetype>(e.count));
    for (std::uint32_t i = 0; i < e.count; ++i)
        polygon.append(Map(m, pic.points[e.first + i]));
    return polygon;
}

QString FontFamilyFor(const std::string& cgmName, const CRenderOptions& options, QFont& font)
{
    std::string lower = cgmName;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    font.setBold(lower.find("bold") != std::string::npos);
    font.setItalic(lower.find("italic") != std::string::npos ||
                   lower.find("oblique") != std::string::npos);
    if (const auto it = options.fontMap.find(lower); it != options.fontMap.end())
        return QString::fromStdString(it->second);
    if (lower.find("times") != std::string::npos || lower.find("serif") != std::string::npos ||
        lower.find("roman") != std::string::npos) {
        if (lower.find("sans") == std::string::npos) {
            font.setStyleHint(QFont::Serif);
            return QStringLiteral("serif");
        }
    }
    if (lower.find("courier") != std::string::npos || lower.find("mono") != std::string::npos) {
        font.setStyleHint(QFont::Monospace);
        return QStringLiteral("monospace");
    }
    font.setStyleHint(QFont::SansSerif);
    return QStringLiteral("sans-serif");
}

cgm::CPoint Unit(cgm::CPoint v, cgm::CPoint fallback)
{
    const double length = std::hypot(v.x, v.y);
    if (!(length > 0) || !std::isfinite(length))
        return fallback;
    return {v.x / length, v.y / length};
}

void DrawText(const cgm::CMetafile& metafile, const cgm::CPicture& pic, const cgm::CElement& e,
              const cgm::CAttributes& a, const CMapping& m, const CRenderOptions& options,
              QPainter& painter)
{
    const cgm::CText& text = pic.texts[e.extra];
    const double height = Size(m, a.charHeight);
    if (text.bytes.empty() || !(height > 1e-3) || !(height < kCoordinateLimit / 100))
        return; // too small to see, or too large to lay out
    const QString string = QString::fromStdString(platform::DecodeToUtf8(text.bytes));

    QFont font;
    const std::size_t fontIndex = static_cast<std::size_t>(std::max(a.fontIndex, 1)) - 1;
    font.setFamily(FontFamilyFor(fontIndex < metafile.fonts.size() ? metafile.fonts[fontIndex]
                                                                   : std::string(),
                                 options, font));
    font.setPixelSize(static_cast<int>(kFontPixels));
    const QFontMetricsF metrics(font);
    double capHeight = metrics.capHeight();
    if (!(capHeight > 0))
        capHeight = metrics.ascent() * 0.7;
    if (!(capHeight > 0))
        capHeight = kFontPixels * 0.7;

    // Font units -> VDC: the character height is the cap height.
    const double k = a.charHeight / capHeight;
    const cgm::CPoint up = Unit(a.charUp, {0, 1});
    const cgm::CPoint base = Unit(a.charBase, {1, 0});
    double expansion = std::clamp(std::fabs(a.charExpansion), 0.01, 100.0);
    const double width = metrics.horizontalAdvance(string);
    if (text.restricted && width > 0) {
        const double boxWidth = std::fabs(text.width);
        const double natural = width * k * expansion;
        if (boxWidth > 0 && natural > boxWidth)
            expansion *= boxWidth / natural;
    }

    double dx = 0, dy = 0;
    switch (a.alignHorizontal) {
    case 2: dx = -width / 2; break;
    case 3: dx = -width; break;
    default: break;
    }
    switch (a.alignVertical) {
    case 1: dy = metrics.ascent(); break;
    case 2: dy = capHeight; break;
    case 3: dy = capHeight / 2; break;
    case 5: dy = -metrics.descent(); break;
    default: break;
    }

    const QPointF anchor = Map(m, text.position);
    const QTransform transform(m.a * base.x * k * expansion, m.d * base.y * k * expansion,
                               -m.a * up.x * k, -m.d * up.y * k, anchor.x(), anchor.y());
    if (!transform.isInvertible())
        return;
    painter.save();
    painter.setTransform(transform, false);
    const QColor colour = Colour(a.textColor, options);
    if (options.simulateText) {
        QPainterPath path;
        path.addText(QPointF(dx, dy), font, string);
        painter.setPen(QPen(colour, 0));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
    } else {
        painter.setFont(font);
        painter.setPen(colour);
        painter.drawText(QPointF(dx, dy), string);
    }
    painter.restore();
}

void DrawMarkers(const cgm::CPicture& pic, const cgm::CElement& e, const cgm::CAttributes& a,
                 const CMapping& m, const CRenderOptions& options, QPainter& painter)
{
    const double r = std::max(Size(m, a.markerSize) / 2, 0.5);
    const QColor colour = Colour(a.markerColor, options);
    painter.setPen(QPen(colour, 0));
    painter.setBrush(Qt::NoBrush);
    for (std::uint32_t i = 0; i < e.count; ++i) {
        const QPointF p = Map(m, pic.points[e.first + i]);
        const double x = p.x(), y = p.y();
        switch (a.markerType) {
        case 1: // dot
            painter.setBrush(colour);
            painter.drawEllipse(p, r / 5, r / 5);
            painter.setBrush(Qt::NoBrush);
            break;
        case 2: // plus
            painter.drawLine(QPointF(x - r, y), QPointF(x + r, y));
            painter.drawLine(QPointF(x, y - r), QPointF(x, y + r));
            break;
        case 4: painter.drawEllipse(p, r, r); break;
        case 5: // cross
            painter.drawLine(QPointF(x - r, y - r), QPointF(x + r, y + r));
            painter.drawLine(QPointF(x - r, y + r), QPointF(x + r, y - r));
            break;
        default: { // asterisk
            const double s = r * 0.7071;
            painter.drawLine(QPointF(x - r, y), QPointF(x + r, y));
            painter.drawLine(QPointF(x, y - r), QPointF(x, y + r));
            painter.drawLine(QPointF(x - s, y - s), QPointF(x + s, y + s));
            painter.drawLine(QPointF(x - s, y + s), QPointF(x + s, y - s));
            break;
        }
        }
    }
}

void DrawArea(const cgm::CPicture& pic, const cgm::CElement& e, const cgm::CAttributes& a,
              const CMapping& m, const CRenderOptions& options, QPainter& painter)
{
    const QPolygonF polygon = Polygon(m, pic, e);
    if (polygon.size() < 2)
        return;
    QPen outline(Qt::NoPen);
    if (a.edgeVisible)
        outline = MakePen(Colour(a.edgeColor, options), Size(m, a.edgeWidth), a.edgeType,
                          a.edgeCap, a.edgeJoin);
    else if (a.interiorStyle == cgm::kHollow)
        outline = QPen(Colour(a.fillColor, options), 0);

    if (e.kind == cgm::ElementKind::FilledArea) {
        painter.setPen(outline);
        painter.setBrush(MakeBrush(a, options));
        painter.drawPolygon(polygon, Qt::OddEvenFill);
        return;
    }

    // A polygon set: the fill covers every closed part; the edges follow their flags.
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    std::vector<QLineF> edges;
    qsizetype start = 0;
    for (qsizetype i = 0; i < polygon.size(); ++i) {
        const std::uint8_t flag = pic.edgeFlags[e.extra + static_cast<std::size_t>(i)];
        const bool closes = flag >= 2 || i + 1 == polygon.size();
        const qsizetype next = closes ? start : i + 1;
        if ((flag & 1) != 0)
            edges.emplace_back(polygon[i], polygon[next]);
        if (closes) {
            path.addPolygon(polygon.mid(start, i - start + 1));
            path.closeSubpath();
            start = i + 1;
        }
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(MakeBrush(a, options));
    painter.drawPath(path);
    if (outline.style() != Qt::NoPen) {
        painter.setPen(outline);
        if (a.edgeVisible)
            painter.drawLines(edges.data(), static_cast<int>(edges.size()));
        else
            painter.strokePath(path, outline);
    }
}

} // namespace

bool MakeMapping(const cgm::CPicture& picture, int scalingMode, CMapping& m, std::string& error)
{
    const cgm::CPoint lo = picture.info.extentLow, hi = picture.info.extentHigh;
    const double w = hi.x - lo.x, h = hi.y - lo.y;
    if (!(std::fabs(w) > 0) || !(std::fabs(h) > 0) || !std::isfinite(w) || !std::isfinite(h)) {
        error = "the picture's VDC extent is empty";
        return false;
    }
    // Mode 0: VDC as they are, the first corner at the lower left, y growing downwards.
    const double minX = std::min(lo.x, hi.x), minY = std::min(lo.y, hi.y);
    m.a = w > 0 ? 1 : -1;
    m.c = w > 0 ? 0 : lo.x + hi.x;
    m.d = h > 0 ? -1 : 1;
    m.f = h > 0 ? lo.y + hi.y : 0;
    m.sizeScale = 1;
    double sx = 1, sy = 1, ox = minX, oy = minY, width = std::fabs(w), height = std::fabs(h);
    bool scaled = true;
    switch (scalingMode) {
    case 1: {
        sx = sy = kUnitSquare / std::max(width, height);
        ox = minX - (kUnitSquare / sx - width) / 2;
        oy = minY - (kUnitSquare / sy - height) / 2;
        break;
    }
    case 2:
        if (picture.metric && picture.metricScale > 0)
            sx = sy = picture.metricScale * 100; // hundredths of a millimetre
        else
            scaled = false;
        break;
    case 3:
        sx = kUnitSquare / width;
        sy = kUnitSquare / height;
        break;
    default: scaled = false; break;
    }
    if (scaled) {
        // X' = (X - ox) * sx, where X = a x + c.
        m.a *= sx;
        m.c = (m.c - ox) * sx;
        m.d *= sy;
        m.f = (m.f - oy) * sy;
        m.sizeScale = std::sqrt(sx * sy);
    }
    if (!std::isfinite(m.a) || !std::isfinite(m.c) || !std::isfinite(m.d) ||
        !std::isfinite(m.f) || !(m.sizeScale > 0) || !std::isfinite(m.sizeScale)) {
        error = "the picture's VDC extent cannot be scaled";
        return false;
    }
    if (scalingMode == 1 || scalingMode == 3) {
        m.extent = QRectF(0, 0, kUnitSquare, kUnitSquare);
    } else {
        const QPointF p1 = Map(m, lo), p2 = Map(m, hi);
        m.extent = QRectF(p1, p2).normalized();
    }
    return true;
}

QRect ExtentRect(const QRectF& extent)
{
    auto toInt = [](double v) {
        return static_cast<int>(std::lround(std::clamp(v, -kCoordinateLimit, kCoordinateLimit)));
    };
    return QRect(QPoint(toInt(extent.left()), toInt(extent.top())),
                 QPoint(toInt(extent.right()), toInt(extent.bottom())));
}

void RenderPicture(const cgm::CMetafile& metafile, const cgm::CPicture& pic, const CMapping& m,
                   const CRenderOptions& options, QPainter& painter)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (pic.info.hasBackground)
        painter.fillRect(m.extent, Colour(pic.info.background, options));
    // No clip is recorded: one played back would replace the clip of whoever draws the
    // picture. Drawing clips to the extent (and the caller's clip) instead.

    for (const cgm::CElement& e : pic.elements) {
        const cgm::CAttributes& a = pic.attributes[e.attributes];
        switch (e.kind) {
        case cgm::ElementKind::Polyline:
        case cgm::ElementKind::DisjointPolyline: {
            const QPolygonF line = Polygon(m, pic, e);
            painter.setPen(MakePen(Colour(a.lineColor, options), Size(m, a.lineWidth),
                                   a.lineType, a.lineCap, a.lineJoin));
            painter.setBrush(Qt::NoBrush);
            if (e.kind == cgm::ElementKind::Polyline)
                painter.drawPolyline(line);
            else
                painter.drawLines(line.data(), static_cast<int>(line.size() / 2));
            break;
        }
        case cgm::ElementKind::Polymarker: DrawMarkers(pic, e, a, m, options, painter); break;
        case cgm::ElementKind::Text: DrawText(metafile, pic, e, a, m, options, painter); break;
        case cgm::ElementKind::FilledArea:
        case cgm::ElementKind::PolygonSet: DrawArea(pic, e, a, m, options, painter); break;
        }
    }
}

std::map<std::string, std::string> ReadFontMap(const std::string& path)
{
    std::map<std::string, std::string> map;
    if (path.empty())
        return map;
    std::ifstream in(path);
    std::string line;
    auto trim = [](std::string s) {
        const auto first = s.find_first_not_of(" \t\r");
        if (first == std::string::npos)
            return std::string();
        const auto last = s.find_last_not_of(" \t\r");
        return s.substr(first, last - first + 1);
    };
    while (map.size() < 10000 && std::getline(in, line)) {
        line = trim(line);
        if (line.empty() || line[0] == ';' || line[0] == '#' || line[0] == '[')
            continue;
        const auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string name = trim(line.substr(0, eq));
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        const std::string family = trim(line.substr(eq + 1));
        if (!name.empty() && !family.empty())
            map.emplace(name, family);
    }
    return map;
}

} // namespace cgmfilter
