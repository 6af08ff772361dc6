// Painting a large model page: 1,000 elements, 500 links, 200 symbols with two counted relation
// counters each, a few groups and the grid. The budget is 10 ms per paint of the whole page.
// A second benchmark paints the part a window shows (1280 x 1024) of the same page, as the
// page widget does when it is scrolled.

#include "PagePainter.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

constexpr int kColumns = 40;
constexpr int kRows = 25;
constexpr int kCellsAcross = 14; // grid units per element column
constexpr int kCellsDown = 5;

// A page laid out as a grid of elements; each link runs from an element east and then south
// to a neighbour; symbols sit on the first 200 links.
struct BenchPage
{
    CPage page;

    BenchPage()
    {
        page.name = "Bench";
        page.modelWidth = kColumns * kCellsAcross + 2;
        page.modelHeight = kRows * kCellsDown + 2;
        page.elementWidth = 11;
        page.elementHeight = 3;
        for (int i = 0; i < kColumns * kRows; ++i) {
            auto e = std::make_unique<CElement>();
            e->name = (i % 7 == 0 ? "&Pump " : "Valve ") + std::to_string(i);
            e->x = 1 + (i % kColumns) * kCellsAcross;
            e->y = 1 + (i / kColumns) * kCellsDown;
            e->enabled = i % 11 != 0;
            e->visited = i % 13 == 0;
            e->type = i % 17 == 0 ? 1 : 0;
            page.elements.push_back(std::move(e));
        }
        for (int g = 0; g < 20; ++g) {
            auto group = std::make_unique<CGroup>();
            const int first = g * 40 + 2;
            group->parent = page.elements[first].get();
            group->children = {page.elements[first + 1].get(), page.elements[first + 2].get()};
            group->arrowX = page.elements[first].get()->x + 5;
            group->arrowY = page.elements[first].get()->y + 3;
            group->arrowCode = 5;
            group->arrowLength = 2;
            page.groups.push_back(std::move(group));
        }
        for (int l = 0; l < 500; ++l) {
            auto link = std::make_unique<CLink>();
            const CElement& from = *page.elements[l * 2];
            link->first = page.elements[l * 2].get();
            link->second = page.elements[l * 2 + 1].get();
            link->kind = 1 + l % 5;
            link->startX = from.x + 11;
            link->startY = from.y + 1;
            link->halfCell = l % 2;
            link->segments = {{4, 1}, {8, 1}, {1, 1}};
            page.links.push_back(std::move(link));
        }
        for (int s = 0; s < 200; ++s) {
            auto symbol = std::make_unique<CSymbol>();
            CLink& link = *page.links[s];
            symbol->x = link.startX + 1;
            symbol->y = link.startY + 2;
            symbol->kind = 1 + s % 4;
            for (int c = 0; c < 2; ++c) {
                CRelationCounter counter;
                counter.link = &link;
                counter.place = (s + c * 4) % 8;
                counter.relations = (s * 7 + c) % 60;
                symbol->counters.push_back(counter);
            }
            page.symbols.push_back(std::move(symbol));
        }
    }
};

struct BenchPainter
{
    CColorTable colors;
    BenchPage page;
    CPagePainter painter{colors};
    CPageViewState state;

    BenchPainter()
    {
        AddDefaultColors(colors);
        painter.SetFont(FontFromRecord(CFontRecord::ModelDefault()));
        painter.Layout(page.page);
        state.drawGrid = true;
        state.hasFocus = true;
        state.selectedElement = page.page.elements[41].get();
        state.currentElement = page.page.elements[42].get();
    }
};

BenchPainter& Shared()
{
    static BenchPainter shared;
    return shared;
}

void BM_PaintWholePage(benchmark::State& st)
{
    BenchPainter& bench = Shared();
    QImage image(bench.painter.PageSize(bench.page.page), QImage::Format_RGB32);
    int counters = 0;
    for (auto _ : st) {
        QPainter p(&image);
        counters = bench.painter.Paint(p, bench.page.page, bench.state);
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    st.counters["counters"] = counters;
    st.counters["width"] = image.width();
    st.counters["height"] = image.height();
}
BENCHMARK(BM_PaintWholePage)->Unit(benchmark::kMillisecond);

void BM_PaintWindow(benchmark::State& st)
{
    BenchPainter& bench = Shared();
    QImage image(1280, 1024, QImage::Format_RGB32);
    const QSize page = bench.painter.PageSize(bench.page.page);
    const QPoint scroll(page.width() / 3, page.height() / 4);
    for (auto _ : st) {
        QPainter p(&image);
        p.translate(-scroll);
        p.setClipRect(QRect(scroll, image.size()));
        bench.painter.Paint(p, bench.page.page, bench.state, QRect(scroll, image.size()));
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_PaintWindow)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
