// The "Query Result - " dialog, driven as a user would: it is found as the active modal
// widget once it shows, and its buttons and list are clicked.

#include "QueryResultDialog.h"

#include "QueryResults.h"
#include "prompter/ScriptedPrompter.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>

namespace {

CQuery MakeQuery()
{
    CQuery query;
    auto collection = std::make_unique<CCollectionResult>();
    collection->m_directory = "manuals";
    collection->m_alias = "Plant Manuals";
    collection->m_books = {{"kv5", "Valve KV-5", 0},
                           {"p101", "Pump P-101", 3},
                           {"bad", "Broken", -1},
                           {"pumps", "Pumps \xe4", 12}};
    query.m_collections.push_back(std::move(collection));
    return query;
}

// Runs action on the dialog once it is the active modal widget, then runs the dialog.
int RunWith(const CQuery& query, int showAll, platform::IPrompter& prompter,
            std::function<void(CQueryResultDialog&)> action)
{
    bool ran = false;
    std::function<void()> poll;
    poll = [&] {
        auto* dialog = qobject_cast<CQueryResultDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(10, poll);
            return;
        }
        ran = true;
        action(*dialog);
        if (dialog->isVisible())
            dialog->reject(); // the action left it open: close it so that the test ends
    };
    QTimer::singleShot(0, poll);
    const int answer = RunQueryResultDialog(&query, showAll, prompter, nullptr);
    EXPECT_TRUE(ran);
    return answer;
}

QPushButton* Button(QDialog& dialog, const QString& text)
{
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->text() == text)
            return button;
    return nullptr;
}

QStringList Rows(const QTreeWidget& list)
{
    QStringList rows;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        rows << list.topLevelItem(i)->text(0) + "|" + list.topLevelItem(i)->text(1);
    return rows;
}

} // namespace

TEST(QueryResultDialog, ShowsBooksWithHitsAndAnswersTheChosenIndex)
{
    const CQuery query = MakeQuery();
    platform::ScriptedPrompter prompter;
    const int answer = RunWith(query, 0, prompter, [](CQueryResultDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Query Result - Plant Manuals");
        QTreeWidget& list = *dialog.List();
        EXPECT_EQ(Rows(list), (QStringList{"Pump P-101|3", QString::fromUtf8("Pumps ä|12")}));
        EXPECT_EQ(list.headerItem()->text(0), "Book Name");
        EXPECT_EQ(list.headerItem()->text(1), "Hits");
        EXPECT_EQ(list.selectionMode(), QAbstractItemView::SingleSelection);
        // The first row is selected; the columns share the width 8 to 2.
        ASSERT_EQ(list.selectedItems().size(), 1);
        EXPECT_EQ(list.selectedItems().first(), list.topLevelItem(0));
        const int width = list.viewport()->width();
        EXPECT_EQ(list.columnWidth(0), width * 8 / 10);
        EXPECT_EQ(list.columnWidth(1), width * 2 / 10);
        EXPECT_EQ(list.topLevelItem(0)->icon(0).actualSize(QSize(16, 16)), QSize(16, 16));
        QStringList labels;
        for (QLabel* label : dialog.findChildren<QLabel*>())
            labels << label->text();
        EXPECT_TRUE(labels.contains("&Available Books:"));
        EXPECT_TRUE(labels.contains("The result of the query is shown in the list below. Choose "
                                    "book from the list and press ok to proceed. Press cancel "
                                    "to abort query."));
        list.setCurrentItem(list.topLevelItem(1));
        Button(dialog, "OK")->click();
    });
    EXPECT_EQ(answer, 3); // "pumps" is book result 3
    EXPECT_TRUE(prompter.Events().empty());
}

TEST(QueryResultDialog, ShowAllListsBooksWithoutHitsButNeverFailedOnes)
{
    const CQuery query = MakeQuery();
    platform::ScriptedPrompter prompter;
    const int answer = RunWith(query, 1, prompter, [](CQueryResultDialog& dialog) {
        EXPECT_EQ(Rows(*dialog.List()),
                  (QStringList{"Valve KV-5|0", "Pump P-101|3", QString::fromUtf8("Pumps ä|12")}));
        Button(dialog, "OK")->click();
    });
    EXPECT_EQ(answer, 0);
}

TEST(QueryResultDialog, DoubleClickChoosesTheRow)
{
    const CQuery query = MakeQuery();
    platform::ScriptedPrompter prompter;
    const int answer = RunWith(query, 1, prompter, [](CQueryResultDialog& dialog) {
        QTreeWidget& list = *dialog.List();
        const QRect row = list.visualItemRect(list.topLevelItem(1));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, row.center());
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, row.center());
    });
    EXPECT_EQ(answer, 1);
}

TEST(QueryResultDialog, CancelAndOkWithoutSelection)
{
    const CQuery query = MakeQuery();
    platform::ScriptedPrompter prompter;
    EXPECT_EQ(RunWith(query, 0, prompter,
                      [](CQueryResultDialog& dialog) { Button(dialog, "Cancel")->click(); }),
              -1);
    bool stayedOpen = false;
    const int answer = RunWith(query, 0, prompter, [&](CQueryResultDialog& dialog) {
        dialog.List()->clearSelection();
        Button(dialog, "OK")->click();
        stayedOpen = dialog.isVisible();
    });
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(answer, -1);
}

TEST(QueryResultDialog, NothingToListShowsMessage1500)
{
    CQuery query = MakeQuery();
    for (CBookResult& book : query.m_collections[0]->m_books)
        book.m_hits = book.m_hits > 0 ? 0 : book.m_hits;
    platform::ScriptedPrompter prompter;
    EXPECT_EQ(RunQueryResultDialog(&query, 0, prompter, nullptr), -1);
    ASSERT_EQ(prompter.Events().size(), 2u);
    EXPECT_EQ(prompter.Events()[0].kind, platform::ScriptedPrompter::Event::Kind::Beep);
    EXPECT_EQ(prompter.Events()[0].beep, platform::BeepType::Information);
    EXPECT_EQ(prompter.Events()[1].number, 1500);
    EXPECT_EQ(prompter.Events()[1].text, "No matches found from any books in current collection.");
    EXPECT_EQ(prompter.Events()[1].icon, platform::Icon::Information);
    // A show-all value other than 0 and 1 lists nothing either.
    prompter.Clear();
    EXPECT_EQ(RunQueryResultDialog(&query, 2, prompter, nullptr), -1);
    EXPECT_EQ(prompter.MessageNumbers(), std::vector<int>{1500});
}

TEST(QueryResultDialog, OnlyOneCollectionResultIsShown)
{
    platform::ScriptedPrompter prompter;
    CQuery none;
    EXPECT_EQ(RunQueryResultDialog(&none, 1, prompter, nullptr), -1);
    EXPECT_EQ(RunQueryResultDialog(nullptr, 1, prompter, nullptr), -1);
    CQuery two = MakeQuery();
    two.m_collections.push_back(std::make_unique<CCollectionResult>(*two.m_collections[0]));
    EXPECT_EQ(RunQueryResultDialog(&two, 1, prompter, nullptr), -1);
    EXPECT_TRUE(prompter.Events().empty());
}
