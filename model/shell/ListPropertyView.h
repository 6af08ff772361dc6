#pragma once

#include "CommandIds.h"
#include "PropertyView.h"
#include "UpdateHint.h"

class CHistoryView;
class CInstanceView;
class CModelListView;

// The information side, captioned "Information": the "Items" tab (the instance pane over the
// property list) and the "History" tab. It creates both tabs when a model has been opened and
// passes the instance commands to the Items tab while it is current, the history commands to
// the History tab.
class CListPropertyView : public CPropertyView, public IModelView, public ICommandTarget
{
    Q_OBJECT
public:
    enum Tab { TabItems = 0, TabHistory = 1 };

    explicit CListPropertyView(CShellContext& shell, QWidget* parent = nullptr);
    ~CListPropertyView() override;

    // Adds "Items" and "History" (when there are no tabs yet) and selects "Items".
    void CreateTabs();
    // Removes both tabs: their views hold references into the model that is going away.
    void RemovePaneTabs();

    CModelListView* ItemsView() const;
    CInstanceView* InstanceView() const;
    CHistoryView* HistoryView() const;
    bool ItemsCurrent() const { return TabCount() > 0 && CurrentTab() == TabItems; }
    bool HistoryCurrent() const { return TabCount() > 1 && CurrentTab() == TabHistory; }

    void OnUpdate(IModelView* sender, CUpdateHint& hint) override;
    bool UpdateCommand(int id, CCommandState& state) override;

protected:
    void OnCommand(int id) override;
};
