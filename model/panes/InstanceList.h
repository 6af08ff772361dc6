#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QStyledItemDelegate>

class CInstanceStore;
struct CShellContext;

// The instance list's item model: one row per entry of a CInstanceStore, showing the value of
// the selected attribute. Rows are made on demand from the store, so a million entries cost
// no widget or record per row.
class CInstanceListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role {
        RelationSourceRole = Qt::UserRole + 1, // bool: the entry is the relation source
    };

    CInstanceListModel(const CInstanceStore& store, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The store was refilled: every row is new.
    void Reload();
    // The attribute whose value the rows show (0-based; -1 shows value 1).
    void SetAttribute(int attributeIndex);
    int Attribute() const { return m_attribute; }
    // The relation source's list position, or -1 for none.
    void SetRelationSource(int position);
    int RelationSource() const { return m_relationSource; }
    // The text an entry shows: the attribute's value, trimmed, or "<Attribute not found or
    // defined>" when the entry has no such value.
    QString DisplayValue(int position) const;

private:
    const CInstanceStore& m_store;
    int m_attribute = 0;
    int m_relationSource = -1;
};

// Draws an entry as the instance list shows it: the selected entry in the highlight colours,
// the relation source in the relation colours with the bold font between dotted lines, the
// others in the window colours; the text 2 pixels in, one line, vertically centred.
class CInstanceItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    CInstanceItemDelegate(CShellContext& shell, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    CShellContext& m_shell;
};

// The list of instances: a list view with uniform rows over CInstanceListModel.
class CInstanceList : public QListView
{
    Q_OBJECT
public:
    CInstanceList(CShellContext& shell, CInstanceListModel& model, QWidget* parent = nullptr);

    // The selected list position, or -1.
    int SelectedPosition() const;
    // Selects the position (made current and scrolled into view); -1 clears the selection.
    void SelectPosition(int position);

signals:
    // The selection moved to another entry (-1: none).
    void SelectionMoved(int position);
    void EntryDoubleClicked(int position);
    void ContextMenuRequested(const QPoint& globalPos);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Repaints the changed rows: one row its own rectangle, a range the visible list. Rows
    // have one fixed height whatever they show, so a change never moves a row; QListView would
    // still lay every row out again (tens of milliseconds for a million entries, on each mark
    // of the relation source and each change of the attribute), and QAbstractItemView finds
    // what to repaint for a range by measuring every row in it.
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    CInstanceListModel& m_model;
};
