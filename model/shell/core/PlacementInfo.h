#pragma once

#include <string>

namespace platform {
class ISettingsStore;
}

// The pane modes of the main frame; the values are the ids of the three mode commands.
enum PaneMode : int
{
    PaneModeNone = 0, // no mode applies (empty layout, or a column held at a minimum width)
    PaneModeBoth = 32823,
    PaneModeModelOnly = 32824,
    PaneModeInfoOnly = 32825,
};

// Platform show commands as stored in "SHOW".
enum ShowCommand : int
{
    ShowCommandHide = 0,
    ShowCommandNormal = 1,
    ShowCommandMinimized = 2,
    ShowCommandMaximized = 3,
    ShowCommandMinimize = 6,
    ShowCommandMinNoActive = 7,
    ShowCommandForceMinimize = 11,
};

struct CPlacePoint
{
    int x = 0;
    int y = 0;
    bool operator==(const CPlacePoint&) const = default;
};

struct CPlaceRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const CPlaceRect&) const = default;
};

// The frame's placement in screen pixels, as the platform's window placement record holds it.
struct CWindowPlacement
{
    int showCmd = ShowCommandNormal;
    int flags = 0; // always 0
    CPlacePoint minPosition{-1, -1};
    CPlacePoint maxPosition{-1, -1};
    CPlaceRect normalPosition;
    bool operator==(const CWindowPlacement&) const = default;
};

// Two sizes of one splitter in pixels (column widths or row heights).
struct CSplitterPair
{
    int first = 0;
    int second = 0;
    bool operator==(const CSplitterPair&) const = default;
};

// Screen and frame metrics the GUI measures and hands in for the default splitter sizes.
struct CScreenMetrics
{
    int screenWidth = 0;
    int screenHeight = 0;
    int frameBorderWidth = 0;
    int captionHeight = 0;
    int menuHeight = 0;
};

// The window placement record of the main frame: placement, pane mode and three splitter
// size pairs, kept in section PLACE of the settings store.
//
// Stored texts are read defensively: a number that is missing, empty or not numeric reads as
// 0 (digits up to the first other character count, as the C library's atoi reads them), and
// every number read from a PLACE text is clamped to +-MaxCoordinate, so that hostile values
// can never overflow the arithmetic here or in the widgets that use them.
class CPlacementInfo
{
public:
    enum SplitterIndex
    {
        SplitterMain = 0,  // the main splitter's columns: model side, information side
        SplitterList = 1,  // the rows of the information side's list view
        SplitterThird = 2, // kept and stored, used by no pane
        SplitterCount = 3,
    };
    static constexpr int MaxCoordinate = 1000000;

    const CWindowPlacement& Placement() const { return m_placement; }
    // Takes the frame's current placement; flags are forced to 0.
    void SetPlacement(const CWindowPlacement& placement);

    // Pair of the given splitter; {0, 0} for an index outside 0 to 2.
    CSplitterPair Splitter(int index) const;
    // Sets a pair; an index outside 0 to 2 is ignored.
    void SetSplitter(int index, CSplitterPair sizes);

    // One of the three PaneMode values that a mode command stores (initially PaneModeBoth).
    int Mode() const { return m_mode; }
    // Stores a mode; anything other than the three mode ids stores PaneModeBoth.
    void SetMode(int mode);

    // Reads section PLACE key by key: SHOW, MINPOS, MAXPOS, NORMALPOS, MODE, SPLITTERS.
    // SPLITTERS is read only when useWindowInfo is non-zero; otherwise, and when it is absent,
    // the default computed from the normal rectangle and the metrics is used. A SHOW that
    // would start the frame minimised (2, 6, 7, 11) or hidden (0), or lies outside 0 to 11,
    // reads as 1. Missing keys give their defaults; nothing fails.
    void Load(const platform::ISettingsStore& store, int useWindowInfo,
              const CScreenMetrics& metrics);
    // Writes SHOW, MINPOS, MAXPOS, NORMALPOS, MODE and SPLITTERS in that order; writes nothing
    // when useWindowInfo is 0.
    void Save(platform::ISettingsStore& store, int useWindowInfo) const;

    // The default SPLITTERS text for a normal rectangle: "a;b,c;d,c;d".
    static std::string DefaultSplitters(const CPlaceRect& normal, const CScreenMetrics& metrics);

private:
    CWindowPlacement m_placement;
    CSplitterPair m_splitters[SplitterCount];
    int m_mode = PaneModeBoth;
};

// The pane mode after the user dragged the main splitter, from both columns' current and
// minimum widths: PaneModeNone when either minimum is above 0, else PaneModeBoth when both
// columns are wider than 60 pixels, PaneModeModelOnly when only the model side is, and
// PaneModeInfoOnly otherwise.
int PaneModeAfterDrag(int modelWidth, int modelMinWidth, int infoWidth, int infoMinWidth);
