#include "ShellTestSupport.h"

#include "ColorComboBox.h"
#include "ColorSampleWnd.h"
#include "ColorTable.h"
#include "ModelContext.h"
#include "PagePainter.h"
#include "PropPageModel.h"
#include "PropSheetSet.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPainter>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace {

constexpr ColorRef kLightGrey = 12632256;
constexpr ColorRef kWhite = 16777215;
constexpr ColorRef kRed = 255;
constexpr ColorRef kGreen = 65280;
constexpr ColorRef kBlue = 16711680;
constexpr ColorRef kCustom = 0x00123456; // not one of the picker's colours

int IndexOf(const CColorComboBox& box, ColorRef color)
{
    for (int i = 0; i < box.count(); ++i) {
        if (box.ColorAt(i) == color)
            return i;
    }
    return -1;
}

// What a user's pick in the drop-down does: select the entry and report it as chosen.
void Choose(CColorComboBox& box, ColorRef color)
{
    const int index = IndexOf(box, color);
    ASSERT_GE(index, 0);
    box.setCurrentIndex(index);
    emit box.activated(index);
}

void SelectItem(CPropPageModel& page, const QString& displayName)
{
    const QList<QListWidgetItem*> found = page.ItemList()->findItems(displayName, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    page.ItemList()->setCurrentItem(found[0]);
}

class SettingsSheetTest : public ShellFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start(kSampleModel));
        view = PageView(0);
        ASSERT_NE(view, nullptr);
        view->setFocus();
        QApplication::processEvents();
    }

    // Runs command id through the frame while work handles the modal sheet it opens; the
    // sheet is closed with OK when work answers true, else with Cancel.
    void RunSheet(int id, const std::function<bool(CPropSheetSet&)>& work)
    {
        bool seen = false;
        std::function<void()> poll;
        poll = [&] {
            auto* sheet = qobject_cast<CPropSheetSet*>(QApplication::activeModalWidget());
            if (!sheet) {
                QTimer::singleShot(10, poll);
                return;
            }
            seen = true;
            title = sheet->windowTitle();
            tabs = sheet->Tabs()->count();
            if (work(*sheet))
                sheet->accept();
            else
                sheet->reject();
        };
        QTimer::singleShot(0, poll);
        Frame().RouteCommand(id);
        EXPECT_TRUE(seen);
    }

    CModelView* view = nullptr;
    QString title;
    int tabs = 0;
};

TEST(ColorComboBoxTest, FillsSixteenColoursOnceAndSelectsOnlyListedColours)
{
    CColorComboBox box(nullptr);
    box.Fill();
    const std::vector<ColorRef> expected = {0,        16777215, 255,     65280,    16711680, 65535,
                                            16711935, 16776960, 8421504, 12632256, 128,      32768,
                                            8388608,  32896,    8388736, 8421376};
    ASSERT_EQ(box.count(), 16);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(box.ColorAt(i), expected[i]) << "item " << i;
    EXPECT_FALSE(box.SelectedColor().has_value());
    box.Fill();
    EXPECT_EQ(box.count(), 16);

    EXPECT_TRUE(box.SelectColor(kRed));
    EXPECT_EQ(box.currentIndex(), 2);
    EXPECT_EQ(box.SelectedColor(), kRed);
    EXPECT_FALSE(box.SelectColor(kCustom));
    EXPECT_EQ(box.SelectedColor(), kRed);
    EXPECT_FALSE(box.ColorAt(16).has_value());
    EXPECT_FALSE(box.ColorAt(-1).has_value());
}

TEST(ColorComboBoxTest, ItemIsASwatchOutlinedTwoPixelsInsideTheWindowColour)
{
    CColorTable colors;
    colors.Add("COLOR_WINDOW", kGreen, kWhite, "", CColorTable::FlagNamed);
    CColorComboBox box(&colors);
    QImage image(20, 12, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    {
        QPainter painter(&image);
        box.DrawItem(painter, image.rect(), kBlue, false);
    }
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(1, 5), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::black)); // outline
    EXPECT_EQ(image.pixelColor(17, 9), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(3, 3), QColor(Qt::blue)); // swatch
    EXPECT_EQ(image.pixelColor(16, 8), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(18, 10), QColor(Qt::green));
}

TEST_F(SettingsSheetTest, ModelPageShowsTheSwitchesAndWritesThemBackOnlyOnOk)
{
    CSwitches& switches = app->Shell().model->switches;
    switches.useConventionalFocusRect = 1;
    switches.showTracks = 0;
    switches.showModelBorder = 1;
    switches.showTooltips = 1;
    switches.showTooltipDetails = 0;
    auto open = [&](bool ok, const std::function<void(CPropPageModel&)>& edit) {
        CPropSheetSet sheet(app->Shell(), CPropSheetSet::PageModel, true, &Frame());
        sheet.show();
        auto* page = qobject_cast<CPropPageModel*>(sheet.PageAt(0));
        ASSERT_NE(page, nullptr);
        edit(*page);
        ok ? sheet.accept() : sheet.reject();
    };
    open(false, [](CPropPageModel& page) {
        EXPECT_TRUE(page.FocusRectBox()->isChecked());
        EXPECT_FALSE(page.TracksBox()->isChecked());
        EXPECT_TRUE(page.BordersBox()->isChecked());
        EXPECT_TRUE(page.ToolTipsBox()->isChecked());
        EXPECT_FALSE(page.DetailsBox()->isChecked());
        EXPECT_EQ(page.FocusRectBox()->text(), QStringLiteral("&Draw Normal Focus Rect"));
        page.TracksBox()->setChecked(true);
        page.BordersBox()->setChecked(false);
    });
    EXPECT_EQ(switches.showTracks, 0);
    EXPECT_EQ(switches.showModelBorder, 1);

    open(true, [](CPropPageModel& page) {
        page.FocusRectBox()->setChecked(false);
        page.TracksBox()->setChecked(true);
        page.ToolTipsBox()->setChecked(false);
        page.DetailsBox()->setChecked(true);
    });
    EXPECT_EQ(switches.useConventionalFocusRect, 0);
    EXPECT_EQ(switches.showTracks, 1);
    EXPECT_EQ(switches.showModelBorder, 1);
    EXPECT_EQ(switches.showTooltips, 0);
    EXPECT_EQ(switches.showTooltipDetails, 1);
}

TEST_F(SettingsSheetTest, ColourReachesTheTableAndThePageOnlyOnOk)
{
    CColorTable& colors = app->Colors();
    ASSERT_EQ(colors.Color("BACKGROUND MODEL VIEW"), kLightGrey);
    ASSERT_EQ(view->RenderPage().pixelColor(0, 0), ToQColor(kLightGrey));

    auto chooseWhiteBackground = [](CPropSheetSet& sheet) {
        auto* page = qobject_cast<CPropPageModel*>(sheet.CurrentPage());
        EXPECT_NE(page, nullptr);
        if (!page)
            return;
        // The first item is selected with its colour.
        EXPECT_EQ(page->ItemList()->currentItem()->text(), QStringLiteral("Model background"));
        EXPECT_EQ(page->ColorBox()->SelectedColor(), kLightGrey);
        Choose(*page->ColorBox(), kWhite);
        EXPECT_EQ(page->WorkingColor(QStringLiteral("Model background")), kWhite);
    };
    RunSheet(ID_PROPERTIES, [&](CPropSheetSet& sheet) {
        chooseWhiteBackground(sheet);
        return false;
    });
    EXPECT_EQ(colors.Color("BACKGROUND MODEL VIEW"), kLightGrey);
    EXPECT_EQ(view->RenderPage().pixelColor(0, 0), ToQColor(kLightGrey));

    RunSheet(ID_PROPERTIES, [&](CPropSheetSet& sheet) {
        chooseWhiteBackground(sheet);
        return true;
    });
    EXPECT_EQ(colors.Color("BACKGROUND MODEL VIEW"), kWhite);
    EXPECT_EQ(view->RenderPage().pixelColor(0, 0), QColor(Qt::white));
}

TEST_F(SettingsSheetTest, UnlistedColourKeepsThePickerAndItsValueUntilChosen)
{
    CColorTable& colors = app->Colors();
    colors.Set("TEXT JUMP", kCustom);
    RunSheet(ID_PROPERTIES, [&](CPropSheetSet& sheet) {
        auto* page = qobject_cast<CPropPageModel*>(sheet.CurrentPage());
        if (!page)
            return false;
        SelectItem(*page, QStringLiteral("Element Text")); // black
        EXPECT_EQ(page->ColorBox()->SelectedColor(), 0u);
        SelectItem(*page, QStringLiteral("Jump Text"));
        EXPECT_EQ(page->ColorBox()->SelectedColor(), 0u); // kept from the previous item
        EXPECT_EQ(page->WorkingColor(QStringLiteral("Jump Text")), kCustom);
        return true;
    });
    EXPECT_EQ(colors.Color("TEXT JUMP"), kCustom);
    EXPECT_EQ(colors.Color("TEXT ELEMENT"), 0u);

    // Picking the colour the box still shows applies it.
    RunSheet(ID_PROPERTIES, [&](CPropSheetSet& sheet) {
        auto* page = qobject_cast<CPropPageModel*>(sheet.CurrentPage());
        if (!page)
            return false;
        SelectItem(*page, QStringLiteral("Element Text"));
        SelectItem(*page, QStringLiteral("Jump Text"));
        Choose(*page->ColorBox(), 0);
        return true;
    });
    EXPECT_EQ(colors.Color("TEXT JUMP"), 0u);
}

TEST_F(SettingsSheetTest, SampleDrawsWithTheWorkingColours)
{
    CPropSheetSet sheet(app->Shell(), CPropSheetSet::PageModel, true, &Frame());
    sheet.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sheet));
    auto* page = qobject_cast<CPropPageModel*>(sheet.PageAt(0));
    ASSERT_NE(page, nullptr);
    CColorSampleWnd* sample = page->SampleWnd();
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(sample->geometry(), page->SampleFrame()->rect().adjusted(5, 5, -5, -5));

    SelectItem(*page, QStringLiteral("Element background"));
    Choose(*page->ColorBox(), kGreen);
    SelectItem(*page, QStringLiteral("Uses link background"));
    Choose(*page->ColorBox(), kRed);
    SelectItem(*page, QStringLiteral("Error background"));
    Choose(*page->ColorBox(), kBlue);

    const CColorSampleWnd::Layout layout = sample->ComputeLayout();
    const QImage image = sample->grab().toImage();
    ASSERT_EQ(image.size(), sample->size());
    const int th = layout.textHeight;
    ASSERT_GT(th, 0);
    const QRect tracks = layout.elements[2];
    const QFontMetrics metrics(app->Shell().boldFont, sample);
    const int tw = metrics.horizontalAdvance(QStringLiteral("Disabled"));
    EXPECT_EQ(tracks, QRect(sample->width() - 2 * th - tw, 4 * th + 6, 2 * th + tw,
                            std::min(2 * th, sample->height() / 4 + 9)));
    // Element boxes: black outline, working background, the track mark in the visited colour.
    EXPECT_EQ(image.pixelColor(tracks.topLeft()), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(tracks.right() - 2, tracks.bottom() - 2), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(tracks.left() + 3, tracks.top() + 3),
              ToQColor(app->Colors().Color("TEXT VISITED")));
    // Link bars halfway down, clear of their letters: P teal, U red as chosen.
    const int middle = (4 * th + 6) / 2;
    EXPECT_EQ(image.pixelColor(layout.linkBars[0].left() + 1, middle),
              ToQColor(app->Colors().Color("BACKGROUND LINK P")));
    EXPECT_EQ(image.pixelColor(layout.linkBars[1].left() + 1, middle), QColor(Qt::red));
    EXPECT_EQ(layout.linkBars[1].left() - layout.linkBars[0].left(), (layout.elementX - 3) / 4);
    // Counters: relation yellow, error blue as chosen; background light grey.
    EXPECT_EQ(image.pixelColor(layout.counters[0].topLeft() + QPoint(1, 1)),
              ToQColor(app->Colors().Color("BACKGROUND RELATION")));
    EXPECT_EQ(image.pixelColor(layout.counters[2].topLeft() + QPoint(1, 1)), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(0, image.height() - 1), ToQColor(kLightGrey));

    sheet.reject();
    EXPECT_EQ(app->Colors().Color("BACKGROUND ELEMENT"), kWhite);
}

// Collects what a widget paints (the union of its paint events' regions).
class PaintRecorder : public QObject
{
public:
    explicit PaintRecorder(QWidget* widget) : m_widget(widget) { widget->installEventFilter(this); }
    ~PaintRecorder() override { m_widget->removeEventFilter(this); }
    // Lets pending paints happen, then starts afresh.
    void Reset()
    {
        QApplication::processEvents();
        painted = QRegion();
    }
    // Whether the whole widget was painted since the last Reset.
    bool PaintedAll()
    {
        QApplication::processEvents();
        return painted.contains(m_widget->rect());
    }
    QRegion painted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_widget && event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }

private:
    QWidget* m_widget;
};

TEST_F(SettingsSheetTest, ThePageRepaintsWholeWhenColoursGridOrFontChange)
{
    PaintRecorder recorder(view->viewport());
    // The first modal sheet changes the window's activation, which repaints everything by
    // itself; after it only what the change asks for is repainted.
    RunSheet(ID_PROPERTIES, [](CPropSheetSet&) { return false; });
    recorder.Reset();
    RunSheet(ID_PROPERTIES, [&](CPropSheetSet& sheet) {
        if (auto* page = qobject_cast<CPropPageModel*>(sheet.CurrentPage()))
            Choose(*page->ColorBox(), kWhite);
        return true;
    });
    EXPECT_EQ(app->Colors().Color("BACKGROUND MODEL VIEW"), kWhite);
    EXPECT_TRUE(recorder.PaintedAll()) << "colours";

    recorder.Reset();
    Frame().RouteCommand(ID_GRID_SWITCH);
    EXPECT_TRUE(recorder.PaintedAll()) << "grid";

    recorder.Reset();
    platform::FontDialogSpec bigger = FontDialogFromRecord(app->Document().Font());
    bigger.height = 12;
    prompter.PushFont(bigger);
    Frame().RouteCommand(ID_FONT);
    EXPECT_TRUE(recorder.PaintedAll()) << "font";
}

TEST_F(SettingsSheetTest, PropertiesAndSettingsOpenTheSheetAndGiveTheFocusBack)
{
    EXPECT_TRUE(Enabled(ID_PROPERTIES));
    EXPECT_TRUE(Enabled(ID_SETTINGS));
    RunSheet(ID_PROPERTIES, [](CPropSheetSet&) { return false; });
    EXPECT_EQ(title, QStringLiteral("Properties"));
    EXPECT_EQ(tabs, 1);
    EXPECT_EQ(Frame().focusWidget(), view);

    QString caption;
    RunSheet(ID_SETTINGS, [&](CPropSheetSet& sheet) {
        caption = sheet.Tabs()->tabText(sheet.Tabs()->currentIndex());
        sheet.Tabs()->setCurrentIndex(CPropSheetSet::PageModel);
        auto* page = qobject_cast<CPropPageModel*>(sheet.CurrentPage());
        if (page)
            page->BordersBox()->setChecked(false);
        return true;
    });
    EXPECT_EQ(title, QStringLiteral("Settings"));
    EXPECT_EQ(caption, QStringLiteral("General"));
    // OK applied "Draw Borders" to the page views.
    EXPECT_EQ(app->Shell().model->switches.showModelBorder, 0);
    EXPECT_EQ(view->frameShape(), QFrame::NoFrame);
    EXPECT_EQ(Frame().focusWidget(), view);
}

} // namespace
