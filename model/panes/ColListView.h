#pragma once

#include <QHash>
#include <QIcon>
#include <QTreeWidget>

struct CPropertyRow;
struct CShellContext;

// The property list under the instance list: a two-column report ("Attribute", "Value") of
// the selected instance's attributes, its "Information" and its "Count".
class CColListView : public QTreeWidget
{
    Q_OBJECT
public:
    static constexpr int kAttributeWidth = 85;
    static constexpr int kValueWidth = 400;
    static constexpr int kEmptyHeight = 100;

    explicit CColListView(CShellContext& shell, QWidget* parent = nullptr);

    // Replaces the rows (redrawing suspended meanwhile). With "ADJUST PROPERTY COLUMN
    // WIDTHS" 1 both columns are sized to their contents and headers.
    void Fill(const std::vector<CPropertyRow>& rows);
    // Removes every row.
    void Clear();
    // 100 pixels when empty; else a row's height times (rows + 1), plus a horizontal scroll
    // bar's height when the columns are wider than the list, plus 5.
    int WantedHeight() const;

signals:
    void ContextMenuRequested(const QPoint& globalPos);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The row icon of a kind (1 attribute, 2 information), made once: loading it from the
    // resources took more than a third of each fill.
    const QIcon& RowIcon(int icon);

    CShellContext& m_shell;
    QHash<int, QIcon> m_rowIcons;
};
