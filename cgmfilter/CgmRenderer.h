#pragma once

// Draws a picture of a read metafile with a QPainter, in picture coordinates chosen by the
// scaling mode.

#include "CgmParser.h"

#include <QRect>
#include <QRectF>

#include <map>
#include <string>

class QPainter;

namespace cgmfilter {

struct CRenderOptions
{
    bool simulateText = false; // text as outlines instead of font glyphs
    bool mapColors = true;     // colours snapped to the 6x6x6 colour cube
    std::map<std::string, std::string> fontMap; // CGM font name (lower case) -> family
};

// VDC -> picture coordinates: X = a x + c, Y = d y + f (y grows downwards).
struct CMapping
{
    double a = 1, c = 0, d = -1, f = 0;
    QRectF extent;         // the VDC extent in picture coordinates
    double sizeScale = 1;  // for widths, sizes and heights
};

// Works out the mapping of a picture for scaling mode 0..3. False (with a reason) when the
// picture's extent is empty.
bool MakeMapping(const cgm::CPicture& picture, int scalingMode, CMapping& mapping,
                 std::string& error);

// An integer rectangle around the extent, with values kept in a sane range.
QRect ExtentRect(const QRectF& extent);

// Records no clip: whoever plays the picture clips it to mapping.extent.
void RenderPicture(const cgm::CMetafile& metafile, const cgm::CPicture& picture,
                   const CMapping& mapping, const CRenderOptions& options, QPainter& painter);

// Reads a font map: "CGM name = family" lines; blank lines and lines starting with ';' or '#'
// are skipped. A missing file gives an empty map.
std::map<std::string, std::string> ReadFontMap(const std::string& path);

} // namespace cgmfilter
