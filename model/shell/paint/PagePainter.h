#pragma once

// Drawing of one model page onto any QPainter: the page widget paints with it, and so do the
// image export, the render command and the tests. Everything is drawn in page pixel
// coordinates with (0, 0) at the page's top-left; a scrolling widget translates the painter.

#include "ColorTable.h"
#include "ModelTypes.h"
#include "PageGeometry.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPen>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QStaticText>
#include <QString>

#include <array>
#include <string>
#include <unordered_map>
#include <vector>

class QPainter;
class QPaintDevice;

// A colour reference (0x00BBGGRR) as an opaque QColor.
QColor ToQColor(ColorRef color);

// Bytes of a model file as display text (UTF-8 when valid, else Windows-1252).
QString DisplayText(const std::string& bytes);

// The face name that stands for the system's sans-serif UI font.
inline constexpr const char* kUiFontFaceName = "Ms Sans Serif";

// The Qt font that draws a font record: "Ms Sans Serif" (any case) is the system's general UI
// font family; |height| is the point size (0: the UI font's size), so the default height 8
// looks like an 8-point UI font; weights 1..1000 map to the same Qt weights (0: normal);
// italic, underline, strike-out, fixed pitch and the family's style hint are carried over.
// Needs a QGuiApplication.
QFont FontFromRecord(const CFontRecord& record);

// The record of a font chosen in a font dialog, starting from the previous record: a value
// the font still shows as previous drew it keeps previous's number (so a round trip keeps
// every number and the face name "Ms Sans Serif" when the family was not changed); changed
// values take the font's (height keeps previous's sign). Fields a font dialog cannot express
// (width, escapement, orientation, character set, precisions, quality) keep their values.
CFontRecord RecordFromFont(const QFont& font, const CFontRecord& previous);
// The same, comparing with the font the dialog showed for previous (shownAs) instead of the
// font previous asks for: a dialog can only show the faces that exist, so "weight 800" may
// show as the family's "Bold" (700), and OK without a change must still keep 800.
CFontRecord RecordFromFont(const QFont& font, const CFontRecord& previous, const QFont& shownAs);

// The font a record is actually drawn with, as a font dialog can show it: the family and
// style the font matched on this system (the UI font's real family, "Bold" for weight 800
// when the family has nothing heavier), its point size and effects.
QFont DrawnFontOf(const CFontRecord& record);

// Fills a colour table with every stored and named colour at its default value (for tools and
// tests that draw without a settings store). Keys already present are left alone.
void AddDefaultColors(CColorTable& table);

// What a page view knows beyond the page itself.
struct CPageViewState
{
    const CElement* selectedElement = nullptr;
    const CElement* currentElement = nullptr; // the element whose items are listed
    const CRelationCounter* focusedCounter = nullptr;
    bool hasFocus = false;
    bool elementMode = true;            // false: relation mode
    bool conventionalFocusRect = false; // "USE CONVENTIONAL FOCUS RECT" is 1
    bool drawGrid = false;              // the process-wide grid switch
    // Smooth edges: for a page shown smaller than its actual size, where a one-pixel line
    // would otherwise fall between the screen's pixels.
    bool smooth = false;
};

// ITextMeasure on the metrics of a Qt font.
class CFontTextMeasure : public ITextMeasure
{
public:
    // device: the paint device whose resolution the font is measured for; nullptr: the screen.
    explicit CFontTextMeasure(const QFont& font, const QPaintDevice* device = nullptr);
    int TextWidth(const std::string& text) const override;
    int TextHeight() const override;
    int AverageCharWidth() const override;

private:
    QFontMetrics m_metrics;
};

// Paints model pages. One painter per page view (it remembers the cell metrics and the
// decoded element names of the page it was laid out for), or one shared by pages that are laid
// out again before they are painted. The colour table is read at every paint and must outlive
// the painter.
class CPagePainter
{
public:
    explicit CPagePainter(const CColorTable& colors);

    // The model font. Changing it requires a new Layout before the next paint.
    void SetFont(const QFont& font);
    const QFont& Font() const { return m_font; }

    // Computes the cell metrics of page in the model font (measured for device, or the screen)
    // and remembers them; also decodes the page's element names for painting.
    CCellMetrics Layout(const CPage& page, const QPaintDevice* device = nullptr);
    // Sets the cell metrics directly (tests, or a caller that computed them itself).
    void SetCells(const CCellMetrics& cells) { m_cells = cells; }
    const CCellMetrics& Cells() const { return m_cells; }
    // The page's full size in pixels for the current cell metrics.
    QSize PageSize(const CPage& page) const;

    // Paints the page: background over eraseArea (page coordinates), grid, groups, elements,
    // links, symbols and their counters. Only eraseArea is guaranteed to be painted: items
    // wholly outside it are skipped (a widget passes its exposed rectangle). Every counter's
    // rect is set to its box when it has one (visible or not) and emptied when not. Returns
    // how many counters have a box: 0 puts the view into element mode, more into relation
    // mode.
    int Paint(QPainter& painter, CPage& page, const CPageViewState& state, const QRect& eraseArea);
    // The same, erasing the page's own rectangle.
    int Paint(QPainter& painter, CPage& page, const CPageViewState& state);

    // The hatch brush of groups (8 x 8 tile, light grey with dark grey where (x - y) mod 4 = 1).
    const QBrush& GroupBrush() const { return m_groupBrush; }

private:
    struct Palette
    {
        QBrush background, element, relation;
        QBrush linkBackground[5];    // P, U, I, L, N
        QPen linkText[4];            // P, U, I, L
        QBrush counterBackground[3]; // by ECounterState
        QPen counterText[3];
        QColor gridColor; // invalid: no pen
        QColor markColor;
        QPen textDisabled, textVisited, textJump, textElement;
    };
    void ResolvePalette();
    void PrepareNames(const CPage& page);
    void FillRects(QPainter& painter, const QBrush& brush);
    // The group hatching over an area as vector shapes (a grey fill and thin diagonal bands
    // where the tile has its dark pixels), for devices that keep vectors.
    void FillHatch(QPainter& painter, const QRegion& area);
    void DrawBox(QPainter& painter, const QRect& rect, const QBrush& brush);
    void DrawSelectionMark(QPainter& painter, const QRect& rect, bool conventional);
    void DrawArrow(QPainter& painter, const CArrowSpec& arrow, const QBrush& brush,
                   CGridPoint* end = nullptr);
    int DrawCounters(QPainter& painter, CSymbol& symbol, const CPageViewState& state);

    // A counter number with its width in the model font, laid out once per number.
    struct NumberText
    {
        QStaticText laidOut;
        int width = 0;
    };
    const NumberText& Number(int value);

    const CColorTable& m_colors;
    QFont m_font;
    QFontMetrics m_metrics;
    CCellMetrics m_cells;
    QBrush m_groupBrush;
    QBrush m_focusBrush; // 2 x 2 checker for the dotted focus rectangle
    Palette m_palette;

    // A name of the laid-out page, decoded and laid out once. A name with an ampersand is
    // drawn through the full text layout at every paint, for its mnemonic underline.
    struct NameText
    {
        QString text;
        QStaticText laidOut;
        bool mnemonic = false;
    };
    void DrawCentred(QPainter& painter, const QRect& rect, const QStaticText& text);

    const CPage* m_namesPage = nullptr;
    std::vector<NameText> m_names;
    QStaticText m_letters[4]; // "P", "U", "I", "L"

    // Scratch buffers reused by every paint.
    std::vector<CRectPx> m_rects;
    std::vector<int> m_gridX, m_gridY;
    QRect m_area;          // what the current paint must cover
    bool m_vector = false; // the current paint goes to a vector device (PDF, picture)
    std::unordered_map<int, NumberText> m_numbers;
};

// Lays the page out as the exports draw it (measured at an image's resolution) and answers
// its size in pixels; an empty size, with the reason in *error, when the page has no area.
QSize LayoutForExport(CPagePainter& painter, CPage& page, QString* error);

// Renders the whole page at its full pixel size (laying it out for the image first) with the
// given state. A null image, with the reason in *error, when the page has no area or is too
// large to hold in memory.
QImage RenderPageImage(CPagePainter& painter, CPage& page, const CPageViewState& state,
                       QString* error);

// The kinds of file a page is exported to.
enum class EPageFileType
{
    Unknown,
    Png,
    Pdf
};

// The file type named by a path's suffix (".png", ".pdf", any case); Unknown for others.
EPageFileType PageFileTypeOf(const QString& path);

// path with the suffix of type: a ".png" or ".pdf" suffix (any case) is replaced, any other
// name gets the suffix appended. Unknown leaves path as it is.
QString WithPageFileSuffix(const QString& path, EPageFileType type);

// Writes the page with no selection or focus as a one-page PDF: the page drawn by the page
// painter straight onto the PDF device at 96 units per inch, so lines and boxes stay vector,
// names stay text (fonts embedded) and the PDF page has the page's size. The cells are laid
// out as for an image, so the PDF matches the PNG export. Written through a temporary and
// renamed into place; false with the reason in *error.
bool WritePagePdf(CPagePainter& painter, CPage& page, const QString& path, QString* error);

// Writes an image to path: PNG or PDF (one page of the image's size at 96 dots per inch) by
// the file's suffix (any case). The file is written through a temporary and renamed into
// place, so a failure leaves no partial file. Returns false with the reason in *error.
bool SavePageImage(const QImage& image, const QString& path, QString* error);

// Exports the page with no selection or focus as a file of the given type, whatever path's
// suffix is: a PNG image of the page, or the page drawn into a PDF (WritePagePdf). Unknown is
// refused before anything is drawn. Returns false with the reason in *error; a failure leaves no
// partial file.
bool ExportPageFile(CPagePainter& painter, CPage& page, const QString& path, EPageFileType type,
                    QString* error);

// ExportPageFile with the type the path's suffix names.
bool ExportPageImage(CPagePainter& painter, CPage& page, const QString& path, QString* error);
