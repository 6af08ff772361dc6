#pragma once

#include "CommandIds.h"
#include "History.h"
#include "UpdateHint.h"

#include <QHash>
#include <QTreeWidget>
#include <functional>

struct CModelContext;
class CModelDoc;
class CRestoreProgressDialog;

// The "History" tab of the information side: a tree of what the user did with the model, kept
// by the CHistory it owns. The model pane and the instance pane report what they did through
// the Record functions; Restore History (32855) replays the selected item, Clear History
// (32857) empties the tree. Events and related-instances items are bold, searches without
// hits grey; the icons come from strip 250.
class CHistoryView : public QTreeWidget,
                     public IModelView,
                     public ICommandTarget,
                     private IHistoryObserver
{
    Q_OBJECT
public:
    // Registers with the document (the view sends the restore hints); both outlive the view.
    CHistoryView(CModelContext& context, CModelDoc& document, QWidget* parent = nullptr);
    ~CHistoryView() override;

    CHistory& History() { return m_history; }
    const CHistory& History() const { return m_history; }

    // Recording, as CHistory; each answers 1 when an item was added.
    int RecordEvent(IModelView* sender, CElement* element);
    int RecordRelations(IModelView* sender, CElement* element, int index,
                        const CRelationSource* entry);
    int RecordRelated(IModelView* sender, CRelationCounter* counter, CElement* otherEnd, int count);
    int RecordSearch(IModelView* sender, const std::string& word, int hits, int matchCase);
    int RecordDocumentation(IModelView* sender, CElement* element, const std::string& entry);

    // The history item of the selected tree item, or nullptr.
    const CHistoryItem* SelectedHistoryItem() const;
    // The tree item that shows a history item, or nullptr.
    QTreeWidgetItem* TreeItemOf(const CHistoryItem* item) const { return m_items.value(item); }

    // Restores the selected item (the dialog asks how unless it is switched off and Shift
    // is up). Does nothing without a selection or while a restore runs.
    void RestoreSelected();
    // Asks, then empties the history.
    void ClearHistory();
    // The progress dialog while a restore runs, else nullptr.
    CRestoreProgressDialog* ProgressDialog() const { return m_progress; }

    // Whether Shift is held down; by default asks the keyboard. Tests set their own answer
    // (nullptr restores the default).
    static void SetShiftQuery(std::function<bool()> query);

    // IModelView: a new model replaces the elements the records name, so the history starts
    // afresh; every other hint is for other views.
    void OnUpdate(IModelView* sender, CUpdateHint& hint) override;
    // ICommandTarget: Restore History while an item is selected, Clear History while the
    // history holds an item.
    bool UpdateCommand(int id, CCommandState& state) override;

signals:
    // A right click (or the menu key): the frame shows the history's context menu.
    void ContextMenuRequested(QPoint globalPos);
    // "&Help" in the Restore Event dialog.
    void HelpRequested();

protected:
    void OnCommand(int id) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void drawBranches(QPainter* painter, const QRect& rect,
                      const QModelIndex& index) const override;

private:
    // IHistoryObserver
    void ItemAdded(const CHistoryItem& item) override;
    void ItemExpanded(const CHistoryItem& item) override;
    void ItemSelected(const CHistoryItem& item) override;
    void Cleared() override;

    CModelContext& m_context;
    CModelDoc& m_document;
    CHistory m_history;
    QHash<const CHistoryItem*, QTreeWidgetItem*> m_items;
    CRestoreProgressDialog* m_progress = nullptr;
};
