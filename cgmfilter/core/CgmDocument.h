#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A CGM file read into a display list: Qt-free, so it can be parsed, checked and fuzzed
// without a display. The renderer turns a picture of it into drawing commands.
namespace cgm {

struct CPoint
{
    double x = 0, y = 0;
};

struct CColor
{
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const CColor&) const = default;
};

// A hot spot from an application structure of type "grobject": its id, its "name" and
// "linkuri" attributes, and the region it reacts in (one or more closed polygons, in VDC).
struct CHotSpot
{
    std::string id;
    std::string name;
    std::string linkUri;
    std::vector<std::vector<CPoint>> regions;
};

// One picture of the file. Its elements are kept by the parser in whatever form the
// renderer needs (see CgmParser.h); the extent is in VDC.
struct CPictureInfo
{
    std::string name;
    CPoint extentLow, extentHigh; // VDC extent (corners as written)
    bool hasBackground = false;
    CColor background{255, 255, 255};
    std::vector<CHotSpot> hotSpots;
};

} // namespace cgm
