#include "PlacementInfo.h"

#include "TempDir.h"
#include "settings/SettingsStore.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

namespace {

const CScreenMetrics kMetrics{1024, 768, 4, 19, 19};

class PlacementInfoTest : public ::testing::Test
{
protected:
    std::string Stored(const char* key) const { return store.ReadString("PLACE", key, "absent"); }
    std::string SplitterText(const CPlacementInfo& info) const
    {
        std::string text;
        for (int i = 0; i < CPlacementInfo::SplitterCount; ++i) {
            const CSplitterPair p = info.Splitter(i);
            text += (i ? "," : "") + std::to_string(p.first) + ";" + std::to_string(p.second);
        }
        return text;
    }

    TempDir dir;
    platform::IniSettingsStore store{dir / "Model.ini"};
    CPlacementInfo info;
};

TEST_F(PlacementInfoTest, EmptyStoreGivesDefaultsWithComputedSplitters)
{
    info.Load(store, 1, kMetrics);
    const CWindowPlacement& p = info.Placement();
    EXPECT_EQ(p.showCmd, 1);
    EXPECT_EQ(p.flags, 0);
    EXPECT_EQ(p.minPosition, (CPlacePoint{-1, -1}));
    EXPECT_EQ(p.maxPosition, (CPlacePoint{-1, -1}));
    EXPECT_EQ(p.normalPosition, (CPlaceRect{0, 0, 1024, 768}));
    EXPECT_EQ(info.Mode(), PaneModeBoth);
    // w = 1024 - 2*4 - 0 = 1016; v = 768 - (4*19 + 19 + 0) = 673
    EXPECT_EQ(SplitterText(info), "677;338,504;168,504;168");
}

TEST_F(PlacementInfoTest, DefaultSplittersFollowTheStoredNormalRectangle)
{
    struct Case
    {
        CPlaceRect rect;
        const char* expected;
    };
    const Case cases[] = {
        {{100, 50, 900, 650}, "528;264,378;126,378;126"},
        // Too small for the frame: negative sizes, divisions truncate toward zero.
        {{0, 0, 10, 10}, "1;0,-63;-21,-63;-21"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CPlacementInfo::DefaultSplitters(c.rect, kMetrics), c.expected);
        const CPlaceRect& r = c.rect;
        store.WriteString("PLACE", "NORMALPOS",
                          std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                              std::to_string(r.right) + "," + std::to_string(r.bottom));
        info.Load(store, 1, kMetrics);
        EXPECT_EQ(info.Placement().normalPosition, r);
        EXPECT_EQ(SplitterText(info), c.expected);
    }
}

TEST_F(PlacementInfoTest, SaveWritesExactTextsAndLoadReadsThemBack)
{
    CWindowPlacement p;
    p.showCmd = 3;
    p.flags = 5; // never kept
    p.minPosition = {-32000, -32000};
    p.maxPosition = {-4, -4};
    p.normalPosition = {10, 20, 800, 600};
    info.SetPlacement(p);
    info.SetSplitter(CPlacementInfo::SplitterMain, {400, 380});
    info.SetSplitter(CPlacementInfo::SplitterList, {300, 100});
    info.SetSplitter(CPlacementInfo::SplitterThird, {7, 8});
    info.SetMode(PaneModeInfoOnly);
    info.Save(store, 1);

    EXPECT_EQ(Stored("SHOW"), "3");
    EXPECT_EQ(Stored("MINPOS"), "-32000,-32000");
    EXPECT_EQ(Stored("MAXPOS"), "-4,-4");
    EXPECT_EQ(Stored("NORMALPOS"), "10,20,800,600");
    EXPECT_EQ(Stored("MODE"), "2");
    EXPECT_EQ(Stored("SPLITTERS"), "400;380,300;100,7;8");

    platform::IniSettingsStore reread(store.Path());
    ASSERT_TRUE(reread.Load());
    CPlacementInfo again;
    again.Load(reread, 1, kMetrics);
    p.flags = 0;
    EXPECT_EQ(again.Placement(), p);
    EXPECT_EQ(again.Mode(), PaneModeInfoOnly);
    EXPECT_EQ(SplitterText(again), "400;380,300;100,7;8");
}

TEST_F(PlacementInfoTest, StoredShowNeverStartsMinimisedOrHidden)
{
    const std::pair<int, int> cases[] = {{2, 1},  {6, 1},  {7, 1}, {11, 1}, {0, 1},
                                         {-5, 1}, {99, 1}, {1, 1}, {3, 3},  {9, 9}};
    for (const auto& [stored, expected] : cases) {
        store.WriteInt("PLACE", "SHOW", stored);
        info.Load(store, 1, kMetrics);
        EXPECT_EQ(info.Placement().showCmd, expected) << "SHOW " << stored;
    }
}

TEST_F(PlacementInfoTest, ModeIsMappedBothWays)
{
    const std::pair<const char*, int> loads[] = {{"0", PaneModeBoth},     {"1", PaneModeModelOnly},
                                                 {"2", PaneModeInfoOnly}, {"3", PaneModeBoth},
                                                 {"-1", PaneModeBoth},    {"32824", PaneModeBoth},
                                                 {"x", PaneModeBoth}};
    for (const auto& [stored, expected] : loads) {
        store.WriteString("PLACE", "MODE", std::string(stored));
        info.Load(store, 1, kMetrics);
        EXPECT_EQ(info.Mode(), expected) << "MODE " << stored;
    }
    const std::pair<int, const char*> saves[] = {{PaneModeBoth, "0"},
                                                 {PaneModeModelOnly, "1"},
                                                 {PaneModeInfoOnly, "2"},
                                                 {PaneModeNone, "0"}};
    for (const auto& [mode, expected] : saves) {
        info.SetMode(mode);
        info.Save(store, 1);
        EXPECT_EQ(Stored("MODE"), expected) << "mode " << mode;
    }
}

TEST_F(PlacementInfoTest, SplittersWithFewerPairsLeaveTheRestAtZero)
{
    const std::pair<const char*, const char*> cases[] = {
        {"400;380,300;100", "400;380,300;100,0;0"},
        {"400", "400;0,0;0,0;0"},
        {"", "0;0,0;0,0;0"},
        {";5,,7;", "0;5,0;0,7;0"},
        {"1;2;3,4;5,6;7,8;9", "1;2,4;5,6;7"}, // extra numbers and pairs are ignored
    };
    for (const auto& [stored, expected] : cases) {
        store.WriteString("PLACE", "SPLITTERS", std::string(stored));
        info.Load(store, 1, kMetrics);
        EXPECT_EQ(SplitterText(info), expected) << "SPLITTERS " << stored;
    }
}

TEST_F(PlacementInfoTest, WithoutWindowInfoStoredSplittersAreIgnoredAndNothingIsWritten)
{
    store.WriteString("PLACE", "SPLITTERS", "1;2,3;4,5;6");
    store.WriteInt("PLACE", "SHOW", 3);
    info.Load(store, 0, kMetrics);
    EXPECT_EQ(SplitterText(info), "677;338,504;168,504;168");
    EXPECT_EQ(info.Placement().showCmd, 3); // the rest is still read

    TempDir other;
    platform::IniSettingsStore empty(other / "Model.ini");
    info.Save(empty, 0);
    for (const char* key : {"SHOW", "MINPOS", "MAXPOS", "NORMALPOS", "MODE", "SPLITTERS"})
        EXPECT_EQ(empty.ReadString("PLACE", key, "absent"), "absent") << key;
}

TEST_F(PlacementInfoTest, HostileTextsReadAsZeroOrClamped)
{
    const std::string huge(100000, '9');
    store.WriteString("PLACE", "MINPOS", "abc");
    store.WriteString("PLACE", "MAXPOS", "  12abc,\t7");
    store.WriteString("PLACE", "NORMALPOS", "-99999999999," + huge + ",5");
    store.WriteString("PLACE", "SPLITTERS", huge + ";-" + huge + "," + huge);
    info.Load(store, 1, kMetrics);
    const int max = CPlacementInfo::MaxCoordinate;
    EXPECT_EQ(info.Placement().minPosition, (CPlacePoint{0, 0}));
    EXPECT_EQ(info.Placement().maxPosition, (CPlacePoint{12, 7}));
    EXPECT_EQ(info.Placement().normalPosition, (CPlaceRect{-max, max, 5, 0}));
    EXPECT_EQ(info.Splitter(0), (CSplitterPair{max, -max}));
    EXPECT_EQ(info.Splitter(1), (CSplitterPair{max, 0}));

    // The computed default neither overflows nor leaves the clamped range.
    store.WriteString("PLACE", "SPLITTERS", std::nullopt);
    store.WriteString("PLACE", "NORMALPOS", "-" + huge + ",-" + huge + "," + huge + "," + huge);
    info.Load(store, 1, {0, 0, 2000000000, 2000000000, 2000000000});
    EXPECT_EQ(SplitterText(info), "-1000000;-1000000,-1000000;-1000000,-1000000;-1000000");

    EXPECT_EQ(info.Splitter(-1), (CSplitterPair{}));
    EXPECT_EQ(info.Splitter(3), (CSplitterPair{}));
    info.SetSplitter(3, {1, 1}); // ignored, no write outside the pairs
}

TEST(PaneModeAfterDragTest, SixtyPixelRuleAndMinimumWidths)
{
    struct Case
    {
        int model, modelMin, infoWidth, infoMin, expected;
    };
    const Case cases[] = {
        {61, 0, 61, 0, PaneModeBoth},      {500, 0, 60, 0, PaneModeModelOnly},
        {60, 0, 500, 0, PaneModeInfoOnly}, {60, 0, 60, 0, PaneModeInfoOnly},
        {0, 0, 0, 0, PaneModeInfoOnly},    {500, 1, 500, 0, PaneModeNone},
        {500, 0, 500, 1024, PaneModeNone}, {500, 0, 500, -1, PaneModeBoth},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PaneModeAfterDrag(c.model, c.modelMin, c.infoWidth, c.infoMin), c.expected)
            << c.model << "/" << c.modelMin << " " << c.infoWidth << "/" << c.infoMin;
}

} // namespace
