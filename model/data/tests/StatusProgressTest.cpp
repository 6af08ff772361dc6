// Status-bar progress: texts, the bar's place and the percentage suffix.

#include "ModelTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(StatusProgressTest, RestoresTheTextItFoundEvenAfterOtherTexts)
{
    RecordingStatusBar bar;
    {
        CStatusProgress outer(&bar, "Outer");
        {
            CStatusProgress inner(&bar, "Inner", true);
            inner.SetText("Changed");
            EXPECT_EQ(bar.Text(), "Changed");
        }
        EXPECT_EQ(bar.Text(), "Outer");
        bar.SetText("Something else");
    }
    EXPECT_EQ(bar.Text(), "Ready");
    EXPECT_EQ(bar.barsCreated, 1);
    EXPECT_EQ(bar.barsDestroyed, 1);
}

TEST(StatusProgressTest, CompleteWithoutBarAppendsThePercentage)
{
    RecordingStatusBar bar;
    CStatusProgress progress(&bar, "Reading");
    progress.Complete(40);
    EXPECT_EQ(bar.Text(), "Reading -- 40%");
    progress.Complete(55); // the base text stays the text of the first call
    EXPECT_EQ(bar.Text(), "Reading -- 55%");
}

TEST(StatusProgressTest, BarIsPlacedAfterTheTextAndCompletedToAtLeast100)
{
    RecordingStatusBar bar;
    CStatusProgress progress(&bar, "Loading", true);
    EXPECT_FALSE(bar.barVisible);
    EXPECT_EQ(bar.rangeLow, 0);
    EXPECT_EQ(bar.rangeHigh, 0);
    progress.Show(1);
    EXPECT_TRUE(bar.barVisible);
    // 7 characters of 6 pixels, 5 pixels gap, 150 wide, 2 pixels free above and below.
    EXPECT_EQ(bar.lastPlace, (CRectPx{47, 2, 197, 18}));
    progress.SetPos(30, 0, 50);
    EXPECT_EQ(bar.rangeHigh, 50);
    progress.SetPos(-1, 10, -1); // low and high change together: nothing changes
    EXPECT_EQ(bar.rangeLow, 0);
    progress.Complete(120);
    EXPECT_EQ(bar.rangeHigh, 100);
    EXPECT_EQ(bar.positions.back(), 120);
    progress.Complete(40);
    EXPECT_EQ(bar.positions.back(), 100);
    EXPECT_EQ(bar.Text(), "Loading");
}

TEST(StatusProgressTest, NullStatusBarIsQuiet)
{
    CStatusProgress progress(nullptr, "x", true);
    progress.Show(1);
    progress.SetPos(5, 0, 100);
    progress.Complete(50);
    EXPECT_FALSE(progress.HasBar());
}

TEST(PercentTrackerTest, SendsOnlyChangedPercentages)
{
    RecordingStatusBar bar;
    CStatusProgress progress(&bar, "x", true);
    bar.positions.clear();
    CPercentTracker tracker(&progress, 1000);
    for (unsigned long long p = 0; p <= 1000; ++p)
        tracker.Update(p);
    ASSERT_EQ(bar.positions.size(), 101u);
    EXPECT_EQ(bar.positions.front(), 0);
    EXPECT_EQ(bar.positions.back(), 100);
}

} // namespace
