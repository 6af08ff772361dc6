#include "PageZoom.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace {

constexpr int kSteps[] = {25, 33, 50, 67, 75, 90, 100, 110, 125, 150, 175, 200, 250, 300, 400};

// Floor of a / b for b > 0, also for a negative a.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

} // namespace

int ClampZoom(int percent)
{
    return std::clamp(percent, kZoomMin, kZoomMax);
}

int ZoomInStep(int percent)
{
    for (int step : kSteps) {
        if (step > percent)
            return step;
    }
    return kZoomMax;
}

int ZoomOutStep(int percent)
{
    for (auto it = std::rbegin(kSteps); it != std::rend(kSteps); ++it) {
        if (*it < percent)
            return *it;
    }
    return kZoomMin;
}

int FitZoom(int pageWidth, int pageHeight, int viewWidth, int viewHeight)
{
    if (pageWidth <= 0 || pageHeight <= 0 || viewWidth <= 0 || viewHeight <= 0)
        return kZoomActual;
    const std::int64_t across = std::int64_t{viewWidth} * 100 / pageWidth;
    const std::int64_t down = std::int64_t{viewHeight} * 100 / pageHeight;
    return ClampZoom(static_cast<int>(std::min<std::int64_t>({across, down, kZoomMax})));
}

int PageToView(int pageCoordinate, int percent)
{
    // round(x * p / 100), halves up.
    return static_cast<int>(FloorDiv(std::int64_t{pageCoordinate} * percent * 2 + 100, 200));
}

int ViewToPage(int viewPixel, int percent)
{
    // The largest x with round(x * p / 100) <= d: x < (d + 0.5) * 100 / p.
    if (percent <= 0)
        return viewPixel;
    return static_cast<int>(
        FloorDiv((std::int64_t{viewPixel} * 2 + 1) * 100 - 1, std::int64_t{percent} * 2));
}

std::string FormatZooms(const std::vector<int>& zooms)
{
    if (std::all_of(zooms.begin(), zooms.end(), [](int z) { return z == kZoomActual; }))
        return std::string();
    std::string text;
    for (std::size_t i = 0; i < zooms.size(); ++i) {
        if (i > 0)
            text += ',';
        text += std::to_string(zooms[i]);
    }
    return text;
}

std::vector<int> ParseZooms(std::string_view text, std::size_t count)
{
    std::vector<int> zooms(count, kZoomActual);
    std::size_t index = 0;
    while (index < count && !text.empty()) {
        const std::size_t comma = text.find(',');
        std::string_view field = text.substr(0, comma);
        while (!field.empty() && field.front() == ' ')
            field.remove_prefix(1);
        while (!field.empty() && field.back() == ' ')
            field.remove_suffix(1);
        int value = 0;
        const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
        if (error == std::errc() && end == field.data() + field.size() && !field.empty())
            zooms[index] = ClampZoom(value);
        ++index;
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    return zooms;
}
