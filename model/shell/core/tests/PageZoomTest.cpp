#include "PageZoom.h"

#include <gtest/gtest.h>

TEST(PageZoom, StepsGoToTheNeighbouringStepAndStopAtTheEnds)
{
    EXPECT_EQ(ZoomInStep(100), 110);
    EXPECT_EQ(ZoomOutStep(100), 90);
    EXPECT_EQ(ZoomInStep(104), 110); // from between two steps
    EXPECT_EQ(ZoomOutStep(104), 100);
    EXPECT_EQ(ZoomInStep(400), 400);
    EXPECT_EQ(ZoomOutStep(25), 25);
    EXPECT_EQ(ZoomInStep(10), 25);
    int zoom = kZoomMin;
    int steps = 0;
    while (zoom < kZoomMax && steps < 100) {
        const int next = ZoomInStep(zoom);
        EXPECT_GT(next, zoom);
        EXPECT_EQ(ZoomOutStep(next), zoom);
        zoom = next;
        ++steps;
    }
    EXPECT_EQ(steps, 14);
}

TEST(PageZoom, FitTakesTheTighterSideAndStaysInRange)
{
    EXPECT_EQ(FitZoom(1000, 500, 500, 500), 50);
    EXPECT_EQ(FitZoom(1000, 500, 2000, 600), 120);
    EXPECT_EQ(FitZoom(300, 200, 299, 1000), 99); // never larger than fits
    EXPECT_EQ(FitZoom(10, 10, 1000, 1000), kZoomMax);
    EXPECT_EQ(FitZoom(100000, 10, 100, 100), kZoomMin);
    EXPECT_EQ(FitZoom(0, 10, 100, 100), kZoomActual);
    EXPECT_EQ(FitZoom(10, 10, 0, 100), kZoomActual);
}

TEST(PageZoom, ViewPixelsMapBackToThePagePixelThatCoversThem)
{
    for (int percent : {25, 33, 50, 67, 90, 100, 110, 125, 150, 175, 200, 300, 400}) {
        for (int x = 0; x < 300; ++x) {
            const int from = PageToView(x, percent);
            const int to = PageToView(x + 1, percent);
            for (int d = from; d < to; ++d)
                ASSERT_EQ(ViewToPage(d, percent), x) << percent << " " << d;
        }
    }
    for (int v : {0, 1, 17, 123456, 1 << 29}) {
        EXPECT_EQ(PageToView(v, 100), v);
        EXPECT_EQ(ViewToPage(v, 100), v);
    }
    EXPECT_EQ(PageToView(3, 50), 2); // 1.5 rounds up
    EXPECT_EQ(ViewToPage(1, 50), 2);
    EXPECT_EQ(ViewToPage(-1, 200), -1);
}

TEST(PageZoom, ZoomsOfAModelReadBackAndBadNumbersReadAsActualSize)
{
    EXPECT_EQ(FormatZooms({100, 100}), "");
    EXPECT_EQ(FormatZooms({100, 150, 25}), "100,150,25");
    EXPECT_EQ(ParseZooms("100,150,25", 3), (std::vector<int>{100, 150, 25}));
    EXPECT_EQ(ParseZooms("150", 3), (std::vector<int>{150, 100, 100}));
    EXPECT_EQ(ParseZooms(" 150 ,x,,9999,1,200", 5), (std::vector<int>{150, 100, 100, 400, 25}));
    EXPECT_EQ(ParseZooms("", 2), (std::vector<int>{100, 100}));
    EXPECT_TRUE(ParseZooms("150", 0).empty());
}
