#pragma once

#include "CommandIds.h"
#include "PropertyView.h"
#include "UpdateHint.h"

#include <QList>

class CElement;
class CModelView;
namespace platform {
class ISettingsStore;
}

// The model side: a tab per page of the model, each showing a page view. It holds the mode
// shared by its pages: element mode (keyboard selection over elements, caption "Model") or
// relation mode (over relation counters, caption "Model (with Relations)").
class CModelPropertyView : public CPropertyView, public IModelView, public ICommandTarget
{
    Q_OBJECT
public:
    explicit CModelPropertyView(CShellContext& shell, QWidget* parent = nullptr);
    ~CModelPropertyView() override;

    bool ElementMode() const { return m_elementMode; }
    void SetElementMode(bool elementMode);

    // The page views in tab order.
    QList<QWidget*> PageViews() const;
    CModelView* CurrentPageView() const;
    // Selects the tab of the page that holds the element (unless it is current) and repaints.
    void ShowPageOfElement(const CElement* element);
    // Gives the keyboard focus to the tabs themselves (leaving the page view).
    void TakeFocus();
    // Builds one tab per page of the document's model (when there are no tabs yet).
    void CreatePageTabs();
    // Applies "SHOW MODEL BORDER" to every page view.
    void ApplyBorders();
    // Repaints every page view whole (after a change of colours or switches they draw with).
    void RepaintPages();
    // Writes the zoom of every page to section "ZOOM" under the model's title upper-cased
    // (the key is deleted when every page is at 100%). Nothing happens without pages.
    void SaveZooms(platform::ISettingsStore& store) const;
    // Gives every page the zoom kept for the open model (100% when none is kept).
    void LoadZooms(const platform::ISettingsStore& store);

    void OnUpdate(IModelView* sender, CUpdateHint& hint) override;
    bool UpdateCommand(int id, CCommandState& state) override;

protected:
    void OnCommand(int id) override;

private:
    bool m_elementMode = true;
};
