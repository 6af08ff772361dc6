// Reads arbitrary bytes as a CGM file, binary or clear text, and checks that what the reader
// keeps is consistent: every element refers to points, texts, edge flags and attributes that
// exist.
#include "CgmParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckPicture(const cgm::CPicture& picture)
{
    for (const cgm::CElement& e : picture.elements) {
        Check(e.attributes < picture.attributes.size());
        Check(std::size_t(e.first) + e.count <= picture.points.size());
        if (e.kind == cgm::ElementKind::Text)
            Check(e.extra < picture.texts.size());
        if (e.kind == cgm::ElementKind::PolygonSet)
            Check(std::size_t(e.extra) + e.count <= picture.edgeFlags.size());
    }
    for (const cgm::CHotSpot& spot : picture.info.hotSpots)
        for (const auto& region : spot.regions)
            Check(region.size() >= 3);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    cgm::CParseOptions options;
    options.maxPoints = 1 << 18; // keeps each run small; the limit itself is what is tested
    options.maxElements = 1 << 16;
    cgm::CMetafile metafile;
    std::string error;
    const bool ok = cgm::ParseCgm(data, size, metafile, error, options);
    Check(ok == error.empty());
    for (const cgm::CPicture& picture : metafile.pictures)
        CheckPicture(picture);

    // Keeping one picture only must count the same pictures.
    options.keepPicture = 1;
    cgm::CMetafile one;
    std::string oneError;
    if (cgm::ParseCgm(data, size, one, oneError, options) && ok)
        Check(one.pictures.size() == metafile.pictures.size());
    return 0;
}
