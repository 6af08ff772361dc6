// The exported functions of the graphics window library.

#include "GraphicDocument.h"
#include "GraphicView.h"
#include "qg2s_api.h"

#include <QApplication>
#include <QPainter>
#include <QPointer>

#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <set>

// The graphic record: document, view, callbacks and the stored default geometry.
struct QG2SGraphic final : public IGraphicViewHost
{
    std::unique_ptr<CGraphicDocument> document;
    QPointer<CGraphicView> view;
    QG2SCallback callbacks[5] = {};
    uintptr_t users[5] = {};
    int defaultWidth = 0, defaultHeight = 0;
    bool destroying = false;

    ~QG2SGraphic() override
    {
        if (view)
            view->Release();
    }

    bool OnClick(const QPoint& w) override
    {
        if (!callbacks[QG2S_CB_CLICK])
            return false;
        int x = w.x(), y = w.y();
        Call(QG2S_CB_CLICK, Word(&x), Word(&y), 0, 0);
        return true;
    }
    bool OnHotSpot(const QPoint& w, CHotSpot* hotSpot) override
    {
        if (!callbacks[QG2S_CB_HOTSPOT])
            return false;
        int x = w.x(), y = w.y();
        // The text is copied: the callback may load another file or destroy the graphic.
        const std::string link = hotSpot->FirstLink();
        Call(QG2S_CB_HOTSPOT, Word(&x), Word(&y), Word(link.c_str()), Word(hotSpot));
        return true;
    }
    bool OnRectangle(const QRect& w) override
    {
        if (!callbacks[QG2S_CB_RECTANGLE])
            return false;
        int x1 = w.left(), y1 = w.top(), x2 = w.right(), y2 = w.bottom();
        Call(QG2S_CB_RECTANGLE, Word(&x1), Word(&y1), Word(&x2), Word(&y2));
        return true;
    }

    int Call(int type, uintptr_t a, uintptr_t b, uintptr_t c, uintptr_t d)
    {
        return callbacks[type](this, users[type], a, b, c, d);
    }
    template <typename T> static uintptr_t Word(T* p) { return reinterpret_cast<uintptr_t>(p); }
};

namespace {

// The graphics alive; a handle not among them is refused.
std::set<const QG2SGraphic*>& Graphics()
{
    static std::set<const QG2SGraphic*> graphics;
    return graphics;
}

// The position of QG2S_getHotSpot's walk, one for the whole library.
std::size_t g_walkPosition = 0;

bool Alive(const QG2SGraphic* graphic)
{
    return graphic && Graphics().count(graphic) != 0;
}

// A graphic with its view and document. Once the host has deleted the parent window, and
// the view with it, every export but QG2S_destroyGraphic answers -1 and stores nothing.
bool Usable(const QG2SGraphic* graphic)
{
    return Alive(graphic) && graphic->view && graphic->document;
}

// A graphic showing a picture.
bool WithPicture(const QG2SGraphic* graphic)
{
    return Usable(graphic) && graphic->document->HasPicture();
}

// Cuts a picture coordinate to an integer; false when it has no integer value.
bool Cut(double value, double& out)
{
    if (!std::isfinite(value) || std::abs(value) > 2e9)
        return false;
    out = std::trunc(value);
    return true;
}

int Round(double value)
{
    constexpr double kLimit = 2147483647.0;
    if (!std::isfinite(value))
        return 0;
    return static_cast<int>(std::clamp(std::round(value), -kLimit, kLimit));
}

} // namespace

extern "C" {

QG2SGraphic* QG2S_newGraphicFromGUI(uintptr_t, const QG2SWindowRecord* host, uintptr_t)
{
    // Widgets need the host's application object and a parent window.
    if (!host || !host->parentWindow || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return nullptr;
    auto graphic = std::unique_ptr<QG2SGraphic>(new (std::nothrow) QG2SGraphic);
    if (!graphic)
        return nullptr;
    try {
        graphic->document = std::make_unique<CGraphicDocument>();
        graphic->view =
            new CGraphicView(graphic->document.get(), graphic.get(), host->parentWindow);
        Graphics().insert(graphic.get());
    } catch (const std::exception&) {
        return nullptr; // the record's destructor releases the view when it was made
    }
    return graphic.release();
}

int QG2S_destroyGraphic(QG2SGraphic* graphic)
{
    if (!Alive(graphic) || graphic->destroying)
        return -1;
    graphic->destroying = true;
    if (graphic->callbacks[QG2S_CB_DESTROY])
        graphic->Call(QG2S_CB_DESTROY, 0, 0, 0, 0);
    Graphics().erase(graphic);
    delete graphic;
    return 0;
}

int QG2S_loadGraphicFile(QG2SGraphic* graphic, const char* path)
{
    if (!Usable(graphic) || !path || !*path)
        return -1;
    return graphic->view->Load(path) ? 0 : -2;
}

const QG2SGuiRecord* QG2S_inqGraphicGUI(QG2SGraphic* graphic)
{
    static QG2SGuiRecord record;
    if (!Usable(graphic))
        return nullptr;
    record = QG2SGuiRecord{};
    record.view = graphic->view.data();
    return &record;
}

int QG2S_mapGraphic(QG2SGraphic* graphic)
{
    if (!Usable(graphic))
        return -1;
    CGraphicView* view = graphic->view;
    const bool wasVisible = view->isVisible();
    view->show();
    if (wasVisible)
        view->viewport()->repaint();
    return 0;
}

int QG2S_unmapGraphic(QG2SGraphic* graphic)
{
    if (!Usable(graphic))
        return -1;
    graphic->view->hide();
    return 0;
}

int QG2S_enableGraphic(QG2SGraphic* graphic, int enable)
{
    if (!Usable(graphic))
        return -1;
    graphic->view->setEnabled(enable != 0);
    return 0;
}

int QG2S_addGraphicCallback(QG2SGraphic* graphic, int type, QG2SCallback proc, uintptr_t user)
{
    if (!Usable(graphic) || type < QG2S_CB_DESTROY || type > QG2S_CB_RECTANGLE)
        return -1;
    graphic->callbacks[type] = proc;
    graphic->users[type] = user;
    return 0;
}

int QG2S_inqGraphicCallback(QG2SGraphic* graphic, int type, QG2SCallback* proc, uintptr_t* user)
{
    if (!Usable(graphic) || type < QG2S_CB_DESTROY || type > QG2S_CB_RECTANGLE || !proc || !user)
        return -1;
    *proc = graphic->callbacks[type];
    *user = graphic->users[type];
    return 0;
}

int QG2S_setDefaultGraphicGeometry(QG2SGraphic* graphic, int width, int height)
{
    if (!Usable(graphic))
        return -1;
    graphic->defaultWidth = width;
    graphic->defaultHeight = height;
    return 0;
}

int QG2S_removeGraphicScrollbars(QG2SGraphic*)
{
    return -1;
}

int QG2S_lowerGraphic(QG2SGraphic*)
{
    return -1;
}

int QG2S_raiseGraphic(QG2SGraphic*)
{
    return -1;
}

// ---------------------------------------------------------------------------------------
// Coordinates and extents

int QG2S_graphicCoordTransformGtoW(QG2SGraphic* graphic, double x, double y, int* wx, int* wy)
{
    double gx = 0, gy = 0;
    if (!WithPicture(graphic) || !wx || !wy || !Cut(x, gx) || !Cut(y, gy))
        return -1;
    const QPointF w = graphic->view->Transform().map(QPointF(gx, gy));
    *wx = Round(w.x());
    *wy = Round(w.y());
    return 0;
}

int QG2S_graphicCoordTransformWtoG(QG2SGraphic* graphic, int x, int y, double* gx, double* gy)
{
    if (!WithPicture(graphic) || !gx || !gy)
        return -1;
    const QPointF g = graphic->view->Transform().inverted().map(QPointF(x, y));
    *gx = g.x();
    *gy = g.y();
    return 0;
}

int QG2S_graphicCoordTransformGtoH(QG2SGraphic* graphic, double x, double y, double* hx, double* hy)
{
    if (!WithPicture(graphic) || !hx || !hy)
        return -1;
    const QPointF h = graphic->document->GtoH(QPointF(x, y));
    *hx = h.x();
    *hy = h.y();
    return 0;
}

int QG2S_graphicCoordTransformHtoG(QG2SGraphic* graphic, double x, double y, double* gx, double* gy)
{
    if (!WithPicture(graphic) || !gx || !gy)
        return -1;
    const QPointF g = graphic->document->HtoG(QPointF(x, y));
    *gx = g.x();
    *gy = g.y();
    return 0;
}

int QG2S_graphicOverallGraphicExtents(QG2SGraphic* graphic, int* left, int* top, int* right,
                                      int* bottom)
{
    if (!WithPicture(graphic) || !left || !top || !right || !bottom)
        return -1;
    const QRect extents = graphic->document->Extents();
    *left = extents.left();
    *top = extents.top();
    *right = extents.left() + extents.width();
    *bottom = extents.top() + extents.height();
    return 0;
}

namespace {

QRect WindowExtents(const QG2SGraphic* graphic)
{
    const QRectF picture = graphic->view->PictureRect();
    const QRectF visible = picture.intersected(QRectF(graphic->view->viewport()->rect()));
    return QRect(QPoint(Round(visible.left()), Round(visible.top())),
                 QPoint(Round(visible.right()) - 1, Round(visible.bottom()) - 1));
}

} // namespace

int QG2S_graphicWindowExtents(QG2SGraphic* graphic, int* left, int* top, int* right, int* bottom)
{
    if (!WithPicture(graphic) || !left || !top || !right || !bottom)
        return -1;
    const QRect window = WindowExtents(graphic);
    *left = window.left();
    *top = window.top();
    *right = window.left() + window.width();
    *bottom = window.top() + window.height();
    return 0;
}

int QG2S_graphicVisibleGraphicExtents(QG2SGraphic* graphic, double* left, double* top,
                                      double* right, double* bottom)
{
    if (!WithPicture(graphic) || !left || !top || !right || !bottom)
        return -1;
    const QRect window = WindowExtents(graphic);
    const QTransform inverse = graphic->view->Transform().inverted();
    const QPointF a = inverse.map(QPointF(window.topLeft()));
    const QPointF b =
        inverse.map(QPointF(window.left() + window.width(), window.top() + window.height()));
    *left = a.x();
    *top = a.y();
    *right = b.x();
    *bottom = b.y();
    return 0;
}

// ---------------------------------------------------------------------------------------
// Zoom

int QG2S_graphicZoom(QG2SGraphic* graphic, double factor)
{
    if (!WithPicture(graphic) || !std::isfinite(factor) || factor <= 0)
        return -1;
    graphic->view->ZoomBy(factor);
    return 0;
}

int QG2S_graphicZoomReset(QG2SGraphic* graphic)
{
    if (!WithPicture(graphic))
        return -1;
    graphic->view->ZoomReset();
    return 0;
}

int QG2S_graphicZoomToGraphicRegion(QG2SGraphic* graphic, double x1, double y1, double x2,
                                    double y2)
{
    double a = 0, b = 0, c = 0, d = 0;
    if (!WithPicture(graphic) || !Cut(x1, a) || !Cut(y1, b) || !Cut(x2, c) || !Cut(y2, d))
        return -1;
    return graphic->view->ZoomToGraphicRegion(QRectF(QPointF(a, b), QPointF(c, d))) ? 0 : -1;
}

int QG2S_graphicZoomToRegion(QG2SGraphic* graphic, int x, int y, int width, int height)
{
    if (!WithPicture(graphic))
        return -1;
    const QTransform inverse = graphic->view->Transform().inverted();
    const QPointF a = inverse.map(QPointF(x, y));
    const QPointF b =
        inverse.map(QPointF(static_cast<double>(x) + width, static_cast<double>(y) + height));
    return graphic->view->ZoomToGraphicRegion(QRectF(a, b)) ? 0 : -1;
}

// ---------------------------------------------------------------------------------------
// Hot spots

int QG2S_highlightHotSpot(QG2SGraphic* graphic, int state, QG2SHotSpot* hotSpot)
{
    if (!Usable(graphic))
        return -1;
    CGraphicDocument& document = *graphic->document;
    if (state >= 3 && state <= 5) {
        for (const auto& spot : document.HotSpots())
            spot->highlight = state - 3;
    } else if (state >= 0 && state <= 2) {
        CHotSpot* spot = document.Find(hotSpot);
        if (!spot)
            return -1;
        spot->highlight = state;
    } else {
        return -1;
    }
    graphic->view->RepaintHotSpots();
    return 0;
}

int QG2S_getHotSpot(QG2SGraphic* graphic, int mode, QG2SHotSpot** record)
{
    if (!Usable(graphic) || !record)
        return -1;
    const auto& spots = graphic->document->HotSpots();
    std::size_t position = 0;
    if (mode == 1) {
        if (*record)
            return -1;
        position = 0;
    } else if (mode == 2) {
        position = g_walkPosition + 1;
    } else {
        return -1;
    }
    if (position >= spots.size())
        return -1;
    g_walkPosition = position;
    *record = reinterpret_cast<QG2SHotSpot*>(spots[position].get());
    return 0;
}

int QG2S_findHotSpot(QG2SGraphic* graphic, uintptr_t, uintptr_t key, int mode, int index,
                     QG2SHotSpot** hotSpot)
{
    if (!Usable(graphic) || !hotSpot)
        return -1;
    *hotSpot = nullptr;
    const char* text = reinterpret_cast<const char*>(key);
    if ((mode == 1 || mode == 3) && !text)
        return -1;
    for (const auto& spot : graphic->document->HotSpots()) {
        bool match = false;
        switch (mode) {
        case 1:
            match = spot->name == text;
            break;
        case 3: {
            const std::string* link = spot->Link(index);
            match = link && *link == text;
            break;
        }
        case 4:
            match = static_cast<uintptr_t>(spot->LinkCount()) == key;
            break;
        default:
            return -1;
        }
        if (match) {
            *hotSpot = reinterpret_cast<QG2SHotSpot*>(spot.get());
            return 0;
        }
    }
    return -1;
}

int QG2S_getHotSpotInfo(QG2SGraphic* graphic, QG2SHotSpot* hotSpot, int kind, int index,
                        void* buffer, int* size)
{
    if (!Usable(graphic) || !size)
        return -1;
    const CHotSpot* spot = graphic->document->Find(hotSpot);
    if (!spot)
        return -1;
    auto copyText = [&](const std::string& text) {
        if (!buffer) {
            *size = static_cast<int>(text.size()) + 1;
            return 0;
        }
        if (*size <= 0)
            return -1;
        const std::size_t count = std::min(text.size(), static_cast<std::size_t>(*size - 1));
        std::memcpy(buffer, text.data(), count);
        static_cast<char*>(buffer)[count] = '\0';
        return 0;
    };
    switch (kind) {
    case 1:
        return copyText(spot->name);
    case 2: {
        if (!buffer) {
            *size = 16;
            return 0;
        }
        if (*size != 16)
            return -1;
        const int32_t rect[4] = {spot->rect.left(), spot->rect.top(),
                                 spot->rect.left() + spot->rect.width(),
                                 spot->rect.top() + spot->rect.height()};
        std::memcpy(buffer, rect, sizeof rect);
        return 0;
    }
    case 3: {
        const std::string* link = spot->Link(index);
        return link ? copyText(*link) : -1;
    }
    case 4: {
        if (!buffer) {
            *size = 4;
            return 0;
        }
        if (*size != 4)
            return -1;
        const int32_t count = spot->LinkCount();
        std::memcpy(buffer, &count, sizeof count);
        return 0;
    }
    default:
        return -1;
    }
}

// ---------------------------------------------------------------------------------------
// Printing

int QG2S_printGraphic(QG2SGraphic* graphic, const QG2SPrinterRecord* printer, const QG2SRect* rect,
                      uintptr_t)
{
    if (!WithPicture(graphic))
        return -1;
    if (printer && rect) {
        if (!printer->painter)
            return -1;
        const QRect target(
            QPoint(std::min(rect->left, rect->right), std::min(rect->top, rect->bottom)),
            QPoint(std::max(rect->left, rect->right) - 1, std::max(rect->top, rect->bottom) - 1));
        return graphic->document->Print(*printer->painter, target) ? 0 : -1;
    }
    return graphic->view->PrintWithDialog() ? 0 : -1;
}

} // extern "C"
