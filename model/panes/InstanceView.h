#pragma once

#include "AttributeChoice.h"
#include "CommandIds.h"
#include "FindInstanceDialog.h"
#include "InstanceFinder.h"
#include "InstanceStore.h"
#include "UpdateHint.h"

#include <QPointer>
#include <QWidget>

class CAttributeCombo;
class CColListView;
class CElement;
class CInstanceList;
class CInstanceListModel;
struct CHistoryAction;
struct CRelationCounter;
struct CShellContext;

// The instance pane, upper half of the "Items" tab: the attribute selector over the list of
// the current element's instances. It lists an element's instances or the related instances
// behind a relation counter when the model pane asks (update hints of kind 2), fills the
// property list for the selected entry, asks the model pane to count relations, finds text in
// the list, and replays the history's steps.
class CInstanceView : public QWidget, public IModelView, public ICommandTarget, public IFindHost
{
    Q_OBJECT
public:
    CInstanceView(CShellContext& shell, QWidget* parent = nullptr);
    ~CInstanceView() override;

    // The property list the view fills (owned by the Items tab); nullptr for none.
    void SetPropertyList(CColListView* list) { m_propertyList = list; }

    // --- listing ---------------------------------------------------------------------------
    // Lists the element's instances (with its group family when it is a group's parent).
    // Answers 1 when the list is not empty afterwards, else 0 (message 5029).
    int ListInstances(CElement* element);
    // Lists the instances at the counter's other end related to the instance whose relations
    // were counted last. Answers 1 when the list is not empty afterwards, else 0.
    int ListRelatedInstances(CRelationCounter* counter);

    // --- relations ---------------------------------------------------------------------------
    // "Related Instances" for the entry at a list position (nothing without one).
    void RelatedInstances(int position);
    // "All Related Instances".
    void AllRelatedInstances();

    // --- find ------------------------------------------------------------------------------
    // Find Next with the find text (the find dialog's remembered text while it is open, else
    // the find box's text).
    void FindNext();
    // Opens the modeless find dialog ("Find Instance").
    void OpenFindDialog();
    CFindInstanceDialog* FindDialog() const { return m_findDialog; }
    const CInstanceFinder& Finder() const { return m_finder; }

    // --- state -------------------------------------------------------------------------------
    CElement* CurrentElement() const { return m_current; }
    CElement* ParentElement() const { return m_parent; }
    const CInstanceStore& Store() const { return m_store; }
    CInstanceListModel* ListModel() const { return m_model; }
    CInstanceList* List() const { return m_list; }
    CAttributeCombo* Selector() const { return m_selector; }
    // The selected attribute index (0-based, -1 for none).
    int AttributeIndex() const;
    // The selected entry's list position, or -1.
    int SelectedPosition() const;
    // Selects the entry and refreshes the property list; an invalid position changes nothing.
    void SelectEntry(int position) override;
    // A copy of the selected entry; an empty record (no element) when nothing is selected.
    CInstanceRecord SelectedEntry() const;
    int DocumentationAvailable() const { return m_documentationAvailable; }
    // Whether the list is enabled and has entries.
    bool ListUsable() const;

    // IModelView
    void OnUpdate(IModelView* sender, CUpdateHint& hint) override;
    // ICommandTarget
    bool UpdateCommand(int id, CCommandState& state) override;

    // IFindHost
    void ShowFindStatus(int current, int count) override;
    void RecordSearch(const std::string& word, int hits, int matchCase) override;
    void PushRecentWord() override;

signals:
    // The Items tab should become the current tab (a listing finished).
    void ShowItemsRequested();
    // The property list was refilled (the Items tab adjusts its splitter).
    void PropertiesFilled();

protected:
    void OnCommand(int id) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateControls();
    void LayoutControls();
    void ResetFind();
    void BeginListing(CElement* element);
    int FinishListing();
    // Activates the list or, with nothing listed, empties and disables the pane (5029).
    int EndListing(int listed);
    void SetControlsEnabled(bool enabled);
    void ApplyAttribute(int index);
    void OnAttributeChosen(int index);
    void FillProperties();
    void ClearRelationMarks();
    void RelationsRequest(const CInstanceRecord* entry, int position);
    void ShowDocumentation(const CInstanceRecord& entry);
    void DocumentationCommand();
    void MoveFocus(bool forward);
    std::string FindText() const;
    void OnFindDialogFindNext();
    void OnFindDialogClosed();
    bool EnterFromFindBox();

    void RestoreRelated(const CHistoryAction& action);
    void RestoreSearch(const CHistoryAction& action);
    void RestoreDocumentation(const CHistoryAction& action);

    CShellContext& m_shell;
    CInstanceStore m_store;
    CInstanceListModel* m_model = nullptr;
    CAttributeCombo* m_selector = nullptr;
    CInstanceList* m_list = nullptr;
    CColListView* m_propertyList = nullptr;
    CElement* m_current = nullptr;
    CElement* m_parent = nullptr;
    CAttributeMemory m_attributeMemory;
    CInstanceFinder m_finder;
    int m_documentationAvailable = 0;
    QPointer<CFindInstanceDialog> m_findDialog;
    std::string m_findDialogText; // the word of the last Find Next given in the dialog
    int m_matchCaseAtOpen = 0;
};
