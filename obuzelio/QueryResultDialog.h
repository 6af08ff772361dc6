#pragma once

#include <QDialog>

class CCollectionResult;
class CQuery;
class QTreeWidget;
class QTreeWidgetItem;

namespace platform {
class IPrompter;
}

// The dialog "Query Result - <alias>": the books of one collection result in which the query
// found hits, for the user to choose one. The list shows the title with a book icon and the
// hit count; a book is listed when its hit count is more than 0 (show-all 0) or 0 and more
// (show-all 1); any other show-all value lists nothing.
class CQueryResultDialog : public QDialog
{
    Q_OBJECT

public:
    CQueryResultDialog(const CCollectionResult& result, int showAll, QWidget* parent = nullptr);

    // The number of books listed.
    int RowCount() const;
    // The book result index of the row chosen with OK or a double-click; -1 until then.
    int ChosenIndex() const { return m_chosen; }
    QTreeWidget* List() const { return m_list; }

    // The 16 by 16 book icon of the list's rows.
    static QIcon BookIcon();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FitColumns();
    void Choose();

    QTreeWidget* m_list = nullptr;
    int m_chosen = -1;
};

// Shows the dialog for the query object's one collection result. Answers the chosen book
// result's index, or -1: cancelled, not exactly one collection result, no QApplication, or
// nothing to list - then the prompter beeps and shows message 1500 and no dialog opens.
int RunQueryResultDialog(const CQuery* query, int showAll, platform::IPrompter& prompter,
                         QWidget* parent);

// The message shown when no book is listed.
inline constexpr int MsgNoMatches = 1500;
inline constexpr const char* MsgNoMatchesText =
    "No matches found from any books in current collection.";
