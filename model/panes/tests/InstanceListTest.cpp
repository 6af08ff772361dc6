// The instance pane's list and property list on the sample model, in a shown window: what a
// selection fills, what marks and attribute changes repaint, and the property rows' icons.
#include "InstanceList.h"
#include "../core/tests/HistoryTestSupport.h"
#include "ColListView.h"
#include "InstanceView.h"
#include "ModelListView.h"
#include "PagePainter.h"
#include "Resources.h"
#include "ShellContext.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
    int paints = 0;
};

QImage Picture(const QIcon& icon)
{
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

class InstanceListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(model.opened);
        AddDefaultColors(colors);
        shell.model = &model.context;
        shell.document = &model.doc;
        shell.colors = &colors;
        CFontRecord font;
        font.weight = 400;
        shell.normalFont = FontFromRecord(font);
        font.weight = 700;
        shell.boldFont = FontFromRecord(font);
        auto* layout = new QVBoxLayout(&window);
        items = new CModelListView(shell);
        layout->addWidget(items);
        window.resize(400, 500);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

        CUpdateHint hint;
        hint.Set(CUpdateHint::KindInformation, CUpdateHint::CodeListElement, model.Stations());
        model.doc.UpdateAllViews(nullptr, hint);
        ASSERT_EQ(1, hint.result);
        QApplication::processEvents();
    }

    CInstanceView& View() { return *items->InstanceView(); }
    CColListView& Properties() { return *items->PropertyList(); }
    // The second attribute's row in the property list, and value 2 of an entry.
    QString ShownName() { return Properties().topLevelItem(1)->text(1); }
    QString StoredName(int position)
    {
        std::string value;
        EXPECT_TRUE(View().Store().Value(static_cast<std::size_t>(position), 1, value));
        return DisplayText(value);
    }

    SampleModelFixture model;
    CColorTable colors;
    CShellContext shell;
    QWidget window;
    CModelListView* items = nullptr;
};

TEST_F(InstanceListTest, EachSelectionFillsThePropertyListOnce)
{
    QSignalSpy fills(&View(), &CInstanceView::PropertiesFilled);
    View().SelectEntry(3);
    EXPECT_EQ(1, fills.count());
    EXPECT_EQ(3, View().SelectedPosition());
    EXPECT_EQ(StoredName(3), ShownName());

    // The same entry again refreshes the list; positions out of range change nothing.
    View().SelectEntry(3);
    EXPECT_EQ(2, fills.count());
    View().SelectEntry(-1);
    View().SelectEntry(static_cast<int>(View().Store().Count()));
    EXPECT_EQ(2, fills.count());
    EXPECT_EQ(3, View().SelectedPosition());

    // A key in the list moves the selection: one fill for the new entry.
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(View().List(), &down);
    EXPECT_EQ(3, fills.count());
    EXPECT_EQ(4, View().SelectedPosition());
    EXPECT_EQ(StoredName(4), ShownName());
}

TEST_F(InstanceListTest, RelationMarkAndAttributeChangeRepaintTheList)
{
    CInstanceList& list = *View().List();
    CInstanceListModel& listModel = *View().ListModel();
    PaintCounter counter;
    list.viewport()->installEventFilter(&counter);
    View().SelectEntry(0);
    QApplication::processEvents();

    // One row marked: its rectangle is repainted, in the relation colours.
    counter.paints = 0;
    listModel.SetRelationSource(2);
    QApplication::processEvents();
    EXPECT_GT(counter.paints, 0);
    const QRect row = list.visualRect(listModel.index(2));
    const QImage shown = list.viewport()->grab().toImage();
    EXPECT_EQ(ToQColor(colors.Color("BACKGROUND RELATION")).rgb(),
              shown.pixel(row.right() - 2, row.center().y()));

    // Another attribute: every visible row is repainted with the new value.
    counter.paints = 0;
    listModel.SetAttribute(2);
    QApplication::processEvents();
    EXPECT_GT(counter.paints, 0);
    std::string location;
    ASSERT_TRUE(View().Store().Value(1, 2, location));
    EXPECT_EQ(DisplayText(location), listModel.data(listModel.index(1)).toString());
}

TEST_F(InstanceListTest, PropertyRowsKeepTheirIconsAcrossFills)
{
    for (int position : {1, 5}) {
        View().SelectEntry(position);
        const int rows = Properties().topLevelItemCount();
        ASSERT_GE(rows, 3);
        for (int i = 0; i < rows; ++i) {
            SCOPED_TRACE(i);
            // Attribute rows carry icon 1, "Information" and "Count" icon 2.
            const int icon = i < rows - 2 ? 1 : 2;
            EXPECT_EQ(Picture(StripIcon(243, icon)),
                      Picture(Properties().topLevelItem(i)->icon(0)));
        }
    }
}

} // namespace
