#pragma once

#include "CgmDocument.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The CGM reader: binary and clear-text metafiles into a display list per picture.
namespace cgm {

// How a line, edge or marker size is given (the picture's width and size modes).
enum class SizeMode : std::uint8_t { Absolute, Scaled, Fractional, Millimetres };

// Interior styles, line types and the other small enumerations keep their CGM numbers.
enum InteriorStyle : int { kHollow = 0, kSolid = 1, kPattern = 2, kHatch = 3, kEmpty = 4 };

// The attributes in force when a primitive was drawn. Colours are resolved (an indexed
// colour is looked up in the colour table when the primitive is read); sizes are in VDC.
struct CAttributes
{
    CColor lineColor{0, 0, 0};
    double lineWidth = 0; // VDC; 0 = thinnest
    int lineType = 1;     // 1 solid, 2 dash, 3 dot, 4 dash-dot, 5 dash-dot-dot
    int lineCap = 1;      // 1 unspecified, 2 butt, 3 round, 4 square
    int lineJoin = 1;     // 1 unspecified, 2 mitre, 3 round, 4 bevel

    CColor markerColor{0, 0, 0};
    double markerSize = 0; // VDC
    int markerType = 3;    // 1 dot, 2 plus, 3 asterisk, 4 circle, 5 cross

    CColor fillColor{0, 0, 0};
    int interiorStyle = kHollow;
    int hatchIndex = 1; // 1 horizontal, 2 vertical, 3 +45, 4 -45, 5 cross, 6 diagonal cross

    bool edgeVisible = false;
    CColor edgeColor{0, 0, 0};
    double edgeWidth = 0;
    int edgeType = 1;
    int edgeCap = 1;
    int edgeJoin = 1;

    CColor textColor{0, 0, 0};
    int fontIndex = 1;           // 1-based into CMetafile::fonts
    double charHeight = 0;       // VDC
    double charExpansion = 1;
    double charSpacing = 0;
    CPoint charUp{0, 1};         // VDC
    CPoint charBase{1, 0};       // VDC
    int textPath = 0;            // 0 right, 1 left, 2 up, 3 down
    int alignHorizontal = 0;     // 0 normal, 1 left, 2 centre, 3 right, 4 continuous
    int alignVertical = 0;       // 0 normal, 1 top, 2 cap, 3 half, 4 base, 5 bottom, 6 cont.
    int restrictedTextType = 1;  // 1 basic, 2 boxed-cap, ...
};

enum class ElementKind : std::uint8_t {
    Polyline,         // points[first .. first+count)
    DisjointPolyline, // pairs of points, each a separate segment
    Polymarker,
    Text,             // texts[extra]
    FilledArea,       // one closed polygon
    PolygonSet,       // edge flags in edgeFlags[extra ..]: 0 invisible, 1 visible,
                      // 2 close invisible, 3 close visible (one per point)
};

struct CElement
{
    ElementKind kind = ElementKind::Polyline;
    std::uint32_t attributes = 0; // index into CPicture::attributes
    std::uint32_t first = 0, count = 0;
    std::uint32_t extra = 0;
};

struct CText
{
    std::string bytes; // as written (8-bit)
    CPoint position;
    bool restricted = false;
    double width = 0, height = 0; // the box of restricted text (VDC)
};

struct CPicture
{
    CPictureInfo info;
    bool metric = false;     // the scaling mode gives millimetres
    double metricScale = 0;  // millimetres per VDC unit when metric
    bool kept = false;       // false: only counted (its elements were not stored)
    std::vector<CElement> elements;
    std::vector<CPoint> points;
    std::vector<std::uint8_t> edgeFlags;
    std::vector<CText> texts;
    std::vector<CAttributes> attributes;
};

struct CMetafile
{
    std::string name;
    std::string description;
    std::vector<std::string> fonts;
    bool clearText = false;
    std::vector<CPicture> pictures; // every picture, with elements only for the kept ones
};

struct CParseOptions
{
    int keepPicture = -1; // the picture whose elements are stored; -1 keeps all
    // Limits that keep a hostile file from taking unbounded memory.
    std::size_t maxPoints = std::size_t(1) << 22;   // stored points of all pictures
    std::size_t maxElements = std::size_t(1) << 21; // stored elements of all pictures
    std::size_t maxPictures = 100000;
};

// Reads a metafile (binary or clear text, told apart by its first bytes). Returns false with
// a reason in error when the file is no CGM or is damaged; out then holds what was read.
// Elements it does not know are skipped.
bool ParseCgm(const std::uint8_t* data, std::size_t size, CMetafile& out, std::string& error,
              const CParseOptions& options = CParseOptions());

// True when the bytes start like a clear-text metafile (BEGMF after blanks and comments).
bool LooksLikeClearText(const std::uint8_t* data, std::size_t size);

} // namespace cgm
