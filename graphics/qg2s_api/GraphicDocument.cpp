#include "GraphicDocument.h"

#include <algorithm>
#include <cmath>

namespace {

bool Finite(double x, double y)
{
    return std::isfinite(x) && std::isfinite(y);
}

} // namespace

// ---------------------------------------------------------------------------------------
// Hot spots

const std::string* CHotSpot::Link(int index) const
{
    if (index < 1 || index > LinkCount())
        return nullptr;
    return &links[static_cast<std::size_t>(index - 1)];
}

const std::string& CHotSpot::FirstLink() const
{
    static const std::string none;
    return links.empty() ? none : links.front();
}

bool CHotSpot::Contains(const QPointF& h) const
{
    for (const QPolygonF& region : regions) {
        if (region.boundingRect().contains(h) && region.containsPoint(h, Qt::OddEvenFill))
            return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------
// Document

CGraphicDocument::CGraphicDocument() = default;

CGraphicDocument::~CGraphicDocument()
{
    Clear();
    QG1_Exit(m_instance);
}

void CGraphicDocument::Clear()
{
    m_hotSpots.clear();
    m_skipped = 0;
    QG1_DestroyPict(m_picture);
    m_picture = nullptr;
    QG1_GrObjUnload(m_object);
    m_object = nullptr;
    m_kind = 0;
    m_extents = QRect();
    m_zoom = 1.0;
    m_failure.clear();
}

bool CGraphicDocument::Fail(const QString& text)
{
    Clear();
    m_state = State::Failed;
    m_failure = text;
    return false;
}

void CGraphicDocument::OnError(int code, const char*, uintptr_t user)
{
    reinterpret_cast<CGraphicDocument*>(user)->m_lastError = code;
}

bool CGraphicDocument::Load(const std::string& path, const std::function<void(State)>& status)
{
    Clear();
    auto tell = [&](State state) {
        m_state = state;
        if (status)
            status(state);
    };
    tell(State::Loading);
    if (!m_instance) {
        m_instance = QG1_Init("");
        if (!m_instance)
            return Fail(QString::fromLatin1(graphictext::kNoFilter));
        QG1_SetErrorProc(m_instance, &CGraphicDocument::OnError, reinterpret_cast<uintptr_t>(this));
    }
    m_lastError = QG1_OK;
    int kind = 0;
    m_object = QG1_GrObjLoad(m_instance, path.c_str(), &kind);
    if (!m_object)
        return Fail(QString::fromLocal8Bit(QG1_GetErrorMsg(m_lastError)));
    m_kind = kind;
    if (kind == QG1_KIND_VECTOR)
        tell(State::Importing);
    m_lastError = QG1_OK;
    m_picture = QG1_CreatePict(m_object);
    if (!m_picture) {
        // The translation's only use of memory that can fail on its own is its temporary file.
        if (kind == QG1_KIND_VECTOR && m_lastError == QG1_ERR_MEMORY)
            return Fail(QString::fromLatin1(graphictext::kTempFileError));
        return Fail(QString::fromLocal8Bit(QG1_GetErrorMsg(m_lastError)));
    }

    int x = 0, y = 0, width = 0, height = 0;
    if (QG1_GetPictExtent(m_picture, &x, &y, &width, &height, 0) != QG1_OK)
        return Fail(QString::fromLocal8Bit(QG1_GetErrorMsg(m_lastError)));
    // Coordinates may run either way; a degenerate extent still gets one unit so that the
    // mappings stay finite.
    QRect extents = QRect(x, y, width, height).normalized();
    extents.setWidth(std::max(extents.width(), 1));
    extents.setHeight(std::max(extents.height(), 1));
    m_extents = extents;

    // Unusable hot spots are counted; the view tells the user about them.
    QG1_GetHotSpots(m_picture, &CGraphicDocument::OnHotSpot, reinterpret_cast<uintptr_t>(this));
    m_state = State::Loaded;
    return true;
}

void CGraphicDocument::OnHotSpot(const char* id, const char* name, const char* linkUri,
                                 int polygonCount, const int* pointCounts, const double* coords,
                                 uintptr_t user)
{
    reinterpret_cast<CGraphicDocument*>(user)->TakeHotSpot(name, id, linkUri, polygonCount,
                                                           pointCounts, coords);
}

void CGraphicDocument::TakeHotSpot(const char* name, const char* id, const char* link,
                                   int polygonCount, const int* pointCounts, const double* coords)
{
    auto spot = std::make_unique<CHotSpot>();
    spot->name = name && *name ? name : (id ? id : "");
    if (link && *link)
        spot->links.emplace_back(link);

    double left = 0, top = 0, right = 0, bottom = 0;
    bool any = false;
    std::size_t at = 0;
    for (int i = 0; i < polygonCount && pointCounts; ++i) {
        const int count = pointCounts[i];
        if (count < 0)
            break;
        std::vector<QPointF> points;
        bool finite = true;
        for (int k = 0; k < count; ++k, at += 2) {
            const double px = coords[at], py = coords[at + 1];
            finite = finite && Finite(px, py);
            points.emplace_back(px, py);
        }
        if (!finite || count < 2)
            continue;
        if (count == 2) // two corners of a rectangle
            points = {points[0], QPointF(points[1].x(), points[0].y()), points[1],
                      QPointF(points[0].x(), points[1].y())};
        QPolygonF region;
        for (const QPointF& g : points) {
            if (!any) {
                left = right = g.x();
                top = bottom = g.y();
                any = true;
            }
            left = std::min(left, g.x());
            right = std::max(right, g.x());
            top = std::min(top, g.y());
            bottom = std::max(bottom, g.y());
            region << GtoH(g);
        }
        spot->regions.push_back(region);
    }
    constexpr double kLimit = 1e9;
    if (!any ||
        std::max({std::abs(left), std::abs(top), std::abs(right), std::abs(bottom)}) > kLimit) {
        ++m_skipped;
        return;
    }
    spot->rect = QRect(
        QPoint(static_cast<int>(std::floor(left)), static_cast<int>(std::floor(top))),
        QPoint(static_cast<int>(std::ceil(right)) - 1, static_cast<int>(std::ceil(bottom)) - 1));
    m_hotSpots.push_back(std::move(spot));
}

QPointF CGraphicDocument::GtoH(const QPointF& g) const
{
    if (m_extents.isEmpty())
        return g;
    return QPointF((g.x() - m_extents.left()) / m_extents.width(),
                   (g.y() - m_extents.top()) / m_extents.height());
}

QPointF CGraphicDocument::HtoG(const QPointF& h) const
{
    if (m_extents.isEmpty())
        return h;
    return QPointF(m_extents.left() + h.x() * m_extents.width(),
                   m_extents.top() + h.y() * m_extents.height());
}

CHotSpot* CGraphicDocument::Find(const void* handle) const
{
    if (!handle)
        return nullptr;
    for (const auto& spot : m_hotSpots) {
        if (spot.get() == handle)
            return spot.get();
    }
    return nullptr;
}

CHotSpot* CGraphicDocument::HitTest(const QPointF& h) const
{
    for (const auto& spot : m_hotSpots) {
        if (spot->Contains(h))
            return spot.get();
    }
    return nullptr;
}

double CGraphicDocument::SetZoom(double zoom, double maxZoom)
{
    if (std::isfinite(zoom))
        m_zoom = std::clamp(zoom, kMinZoom,
                            std::isfinite(maxZoom) ? std::max(maxZoom, kMaxZoom) : kMaxZoom);
    return m_zoom;
}

bool CGraphicDocument::Print(QPainter& painter, const QRect& target)
{
    if (!m_picture || !painter.isActive() || target.isEmpty())
        return false;
    const QG1Rect rect{target.left(), target.top(), target.left() + target.width(),
                       target.top() + target.height()};
    // Images, which the library does not print, are drawn as a window would draw them.
    if (!IsRaster())
        return QG1_Print(m_picture, &painter, &rect, QG1_DRAW_NO_COPY) == QG1_OK;
    return QG1_Render(m_picture, &painter, &rect, QG1_DRAW_SCALE_0) == QG1_OK;
}
