#include "PlacementInfo.h"

#include "StringUtil.h"
#include "settings/SettingsStore.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace {

constexpr std::string_view kSection = "PLACE";

// Field n (counted from 0) of the text split at sep; empty when the text has fewer fields.
std::string_view FieldAt(std::string_view text, char sep, int n)
{
    for (; n > 0; --n) {
        const std::size_t pos = text.find(sep);
        if (pos == std::string_view::npos)
            return {};
        text.remove_prefix(pos + 1);
    }
    return text.substr(0, text.find(sep));
}

int Clamp(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, -CPlacementInfo::MaxCoordinate,
                                                     CPlacementInfo::MaxCoordinate));
}

// One number of a PLACE text: atoi-style (0 when empty or not numeric), then clamped.
int NumberAt(std::string_view text, char sep, int n)
{
    return Clamp(ReadInt(FieldAt(text, sep, n)));
}

CPlacePoint ParsePoint(std::string_view text)
{
    return {NumberAt(text, ',', 0), NumberAt(text, ',', 1)};
}

CPlaceRect ParseRect(std::string_view text)
{
    return {NumberAt(text, ',', 0), NumberAt(text, ',', 1), NumberAt(text, ',', 2),
            NumberAt(text, ',', 3)};
}

std::string FormatPoint(const CPlacePoint& p)
{
    return std::to_string(p.x) + "," + std::to_string(p.y);
}

std::string FormatRect(const CPlaceRect& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

std::string FormatPair(const CSplitterPair& p)
{
    return std::to_string(p.first) + ";" + std::to_string(p.second);
}

// The stored show command as the frame should use it. A minimised start would leave the
// user without a visible window, so the minimising commands (2 and 6, and likewise 7 and 11)
// read as 1; so do 0 (hidden) and anything outside the platform's range 0 to 11.
int SanitizedShowCommand(int show)
{
    switch (show) {
    case ShowCommandHide:
    case ShowCommandMinimized:
    case ShowCommandMinimize:
    case ShowCommandMinNoActive:
    case ShowCommandForceMinimize:
        return ShowCommandNormal;
    default:
        return (show < 0 || show > ShowCommandForceMinimize) ? ShowCommandNormal : show;
    }
}

} // namespace

void CPlacementInfo::SetPlacement(const CWindowPlacement& placement)
{
    m_placement = placement;
    m_placement.flags = 0;
}

CSplitterPair CPlacementInfo::Splitter(int index) const
{
    if (index < 0 || index >= SplitterCount)
        return {};
    return m_splitters[index];
}

void CPlacementInfo::SetSplitter(int index, CSplitterPair sizes)
{
    if (index >= 0 && index < SplitterCount)
        m_splitters[index] = sizes;
}

void CPlacementInfo::SetMode(int mode)
{
    m_mode = (mode == PaneModeModelOnly || mode == PaneModeInfoOnly) ? mode : PaneModeBoth;
}

std::string CPlacementInfo::DefaultSplitters(const CPlaceRect& normal,
                                             const CScreenMetrics& metrics)
{
    // 64-bit arithmetic: the metrics come from the caller and are not range-checked.
    const std::int64_t w =
        (std::int64_t{normal.right} - 2 * std::int64_t{metrics.frameBorderWidth}) - normal.left;
    const std::int64_t v =
        std::int64_t{normal.bottom} -
        (4 * std::int64_t{metrics.captionHeight} + metrics.menuHeight + std::int64_t{normal.top});
    const CSplitterPair columns{Clamp(w * 2 / 3), Clamp(w / 3)};
    const CSplitterPair rows{Clamp(v * 3 / 4), Clamp(v / 4)};
    return FormatPair(columns) + "," + FormatPair(rows) + "," + FormatPair(rows);
}

void CPlacementInfo::Load(const platform::ISettingsStore& store, int useWindowInfo,
                          const CScreenMetrics& metrics)
{
    m_placement.showCmd = SanitizedShowCommand(store.ReadInt(kSection, "SHOW", ShowCommandNormal));
    m_placement.flags = 0;
    m_placement.minPosition = ParsePoint(store.ReadString(kSection, "MINPOS", "-1,-1"));
    m_placement.maxPosition = ParsePoint(store.ReadString(kSection, "MAXPOS", "-1,-1"));
    const std::string normalDefault =
        FormatRect({0, 0, Clamp(metrics.screenWidth), Clamp(metrics.screenHeight)});
    m_placement.normalPosition = ParseRect(store.ReadString(kSection, "NORMALPOS", normalDefault));

    switch (store.ReadInt(kSection, "MODE", 0)) {
    case 1:
        m_mode = PaneModeModelOnly;
        break;
    case 2:
        m_mode = PaneModeInfoOnly;
        break;
    default:
        m_mode = PaneModeBoth;
        break;
    }

    const std::string splitterDefault = DefaultSplitters(m_placement.normalPosition, metrics);
    const std::string splitters = useWindowInfo != 0
                                      ? store.ReadString(kSection, "SPLITTERS", splitterDefault)
                                      : splitterDefault;
    for (int i = 0; i < SplitterCount; ++i) {
        const std::string_view pair = FieldAt(splitters, ',', i);
        m_splitters[i] = {NumberAt(pair, ';', 0), NumberAt(pair, ';', 1)};
    }
}

void CPlacementInfo::Save(platform::ISettingsStore& store, int useWindowInfo) const
{
    if (useWindowInfo == 0)
        return;
    store.WriteInt(kSection, "SHOW", m_placement.showCmd);
    store.WriteString(kSection, "MINPOS", FormatPoint(m_placement.minPosition));
    store.WriteString(kSection, "MAXPOS", FormatPoint(m_placement.maxPosition));
    store.WriteString(kSection, "NORMALPOS", FormatRect(m_placement.normalPosition));
    const int mode = m_mode == PaneModeModelOnly ? 1 : m_mode == PaneModeInfoOnly ? 2 : 0;
    store.WriteInt(kSection, "MODE", mode);
    store.WriteString(kSection, "SPLITTERS",
                      FormatPair(m_splitters[0]) + "," + FormatPair(m_splitters[1]) + "," +
                          FormatPair(m_splitters[2]));
}

int PaneModeAfterDrag(int modelWidth, int modelMinWidth, int infoWidth, int infoMinWidth)
{
    if (modelMinWidth > 0 || infoMinWidth > 0)
        return PaneModeNone;
    const bool modelShown = modelWidth > 60;
    const bool infoShown = infoWidth > 60;
    if (modelShown && infoShown)
        return PaneModeBoth;
    return modelShown ? PaneModeModelOnly : PaneModeInfoOnly;
}
