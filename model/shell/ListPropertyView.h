#pragma once

#include "CommandIds.h"
#include "PropertyView.h"
#include "UpdateHint.h"

// The information side. It shows its caption "Information"; the instance list, the property
// list and the history live in its tabs.
class CListPropertyView : public CPropertyView, public IModelView, public ICommandTarget
{
    Q_OBJECT
public:
    explicit CListPropertyView(CShellContext& shell, QWidget* parent = nullptr);
    ~CListPropertyView() override;

    void OnUpdate(IModelView* sender, CUpdateHint& hint) override;
    bool UpdateCommand(int id, CCommandState& state) override;

protected:
    void OnCommand(int id) override;
};
