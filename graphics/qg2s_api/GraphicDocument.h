#pragma once

// The document of a graphic window: the picture loaded through the graphics conversion
// library, its extents, its hot spots and the magnification the view shows it at.

#include "qg1api32.h"

#include <QPainter>
#include <QPointF>
#include <QPolygonF>
#include <QRect>
#include <QRectF>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// A hot spot of the picture. Its regions are kept in hot-spot coordinates (0..1 across the
// picture's extents) so that hit tests do not depend on the magnification.
class CHotSpot
{
public:
    std::string name;
    std::vector<std::string> links; // link text number i is links[i - 1]
    QRect rect;                     // bounding rectangle in picture coordinates
    std::vector<QPolygonF> regions; // closed polygons, hot-spot coordinates
    int highlight = 0;              // 0 none, 1 marked, 2 selected

    int LinkCount() const { return static_cast<int>(links.size()); }
    // Link text number index (1-based); nullptr outside 1..LinkCount().
    const std::string* Link(int index) const;
    const std::string& FirstLink() const;
    // Whether a position in hot-spot coordinates lies inside one of the regions.
    bool Contains(const QPointF& h) const;
};

class CGraphicDocument
{
public:
    enum class State
    {
        Empty,
        Loading,
        Importing,
        Loaded,
        Failed
    };

    // Magnification limits; 1 shows the whole picture in the view. A view may allow more
    // than kMaxZoom where that does not yet show a picture unit eight pixels wide.
    static constexpr double kMinZoom = 0.25;
    static constexpr double kMaxZoom = 64.0;

    CGraphicDocument();
    ~CGraphicDocument();
    CGraphicDocument(const CGraphicDocument&) = delete;
    CGraphicDocument& operator=(const CGraphicDocument&) = delete;

    // Loads a CGM or TIFF file, dropping the previous picture. status is told each step
    // (Loading, Importing) before it starts. On failure the document is Failed and
    // FailureText() says why.
    bool Load(const std::string& path, const std::function<void(State)>& status = {});

    State GetState() const { return m_state; }
    bool HasPicture() const { return m_picture != nullptr; }
    bool IsRaster() const { return m_kind == QG1_KIND_RASTER; }
    QG1Pict* Picture() const { return m_picture; }
    QString FailureText() const { return m_failure; }
    // How many hot spots of the file were skipped because they were unusable.
    int SkippedHotSpots() const { return m_skipped; }

    // Overall extents in picture coordinates (right and bottom exclusive, never empty).
    QRect Extents() const { return m_extents; }
    QPointF GtoH(const QPointF& g) const;
    QPointF HtoG(const QPointF& h) const;

    const std::vector<std::unique_ptr<CHotSpot>>& HotSpots() const { return m_hotSpots; }
    // The document's hot spot behind a handle; nullptr for anything else. The handle is only
    // compared, never followed.
    CHotSpot* Find(const void* handle) const;
    // The first hot spot (in list order) containing a position in hot-spot coordinates.
    CHotSpot* HitTest(const QPointF& h) const;

    double Zoom() const { return m_zoom; }
    // Sets the magnification within the limits (maxZoom: kMaxZoom or more); answers the
    // value set.
    double SetZoom(double zoom, double maxZoom = kMaxZoom);

    // Draws the whole picture on a painter into target (device coordinates of the painter).
    // Vector pictures go through the library's printing; images, which it does not print,
    // through its drawing on any painter.
    bool Print(QPainter& painter, const QRect& target);

private:
    void Clear();
    bool Fail(const QString& text);
    void TakeHotSpot(const char* name, const char* id, const char* link, int polygonCount,
                     const int* pointCounts, const double* coords);
    static void OnError(int code, const char* text, uintptr_t user);
    static void OnHotSpot(const char* id, const char* name, const char* linkUri, int polygonCount,
                          const int* pointCounts, const double* coords, uintptr_t user);

    QG1Instance* m_instance = nullptr;
    QG1GrObj* m_object = nullptr;
    QG1Pict* m_picture = nullptr;
    int m_kind = 0;
    int m_lastError = QG1_OK;
    State m_state = State::Empty;
    QString m_failure;
    QRect m_extents;
    std::vector<std::unique_ptr<CHotSpot>> m_hotSpots;
    int m_skipped = 0;
    double m_zoom = 1.0;
};

// The texts the view shows.
namespace graphictext {
inline const char kLoading[] = "Loading...";
inline const char kImport[] = "Import...";
inline const char kImportFailed[] = "Import failed!";
inline const char kWaiting[] = "Waiting...";
inline const char kHint[] = "ZOOM IN: Ctrl+Drag; Ctrl+Left / ZOOM OUT: Ctrl+Right; Shift+Click";
inline const char kTempFileError[] =
    "An error occurred while creating a temporary file for CGM import";
inline const char kNoFilter[] = "Can't find the CGM Import Filter";
inline const char kInvalidHotSpot[] = "Invalid HotSpot encountered (will be skipped)";
} // namespace graphictext
