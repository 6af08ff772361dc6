#include "InstanceView.h"

#include "AttributeCombo.h"
#include "ColListView.h"
#include "FindInstanceDialog.h"
#include "FrameRequests.h"
#include "History.h"
#include "InstanceList.h"
#include "Messages.h"
#include "ModelContext.h"
#include "ModelDoc.h"
#include "PagePainter.h"
#include "PropertyRows.h"
#include "ShellContext.h"
#include "DocumentationLink.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>

#include <new>

namespace {

constexpr int kSelectorMargin = 2;
constexpr int kListGap = 4;
constexpr int kPageInformation = 2; // the settings sheet's Information page
constexpr int kStringItemsLoaded = 5044; // "%s(s) loaded"

// A find box's text as the model's bytes.
std::string BoxText(const QWidget* box)
{
    const auto* combo = qobject_cast<const QComboBox*>(box);
    return combo ? combo->currentText().toStdString() : std::string();
}

// The instance "KEY|values" split at its first '|'.
CInstanceRecord RecordFromText(const std::string& instance, CElement* element)
{
    CInstanceRecord record;
    const std::size_t bar = instance.find('|');
    record.key = instance.substr(0, bar);
    record.text = bar == std::string::npos ? std::string() : instance.substr(bar + 1);
    record.element = element;
    return record;
}

} // namespace

CInstanceView::CInstanceView(CShellContext& shell, QWidget* parent)
    : QWidget(parent), m_shell(shell)
{
    setObjectName(QStringLiteral("instanceView"));
    CreateControls();
    SetControlsEnabled(true);
    m_finder.SetFoldPredicate([](std::string_view text, std::string_view word) {
        return DisplayText(std::string(text))
            .contains(DisplayText(std::string(word)), Qt::CaseInsensitive);
    });
    shell.document->AddView(this);
}

CInstanceView::~CInstanceView()
{
    if (m_findDialog)
        m_findDialog->close();
    m_shell.document->RemoveView(this);
}

void CInstanceView::CreateControls()
{
    m_model = new CInstanceListModel(m_store, this);
    m_selector = new CAttributeCombo(m_shell, this);
    m_list = new CInstanceList(m_shell, *m_model, this);
    connect(m_selector, &QComboBox::activated, this, &CInstanceView::OnAttributeChosen);
    connect(m_list, &CInstanceList::SelectionMoved, this, [this] { FillProperties(); });
    connect(m_list, &CInstanceList::EntryDoubleClicked, this, [this] { DocumentationCommand(); });
    connect(m_list, &CInstanceList::ContextMenuRequested, this, [this](const QPoint& pos) {
        if (m_shell.frame)
            m_shell.frame->ShowContextMenu(m_list, pos);
    });
    if (m_shell.frame) {
        if (auto* box = qobject_cast<QComboBox*>(m_shell.frame->FindBoxWidget())) {
            // Editing the word or choosing another one makes the next Find Next a new search.
            // Find Next is enabled only with a word, so its action follows every edit: F3
            // pressed right after typing the first word must reach it.
            connect(box, &QComboBox::editTextChanged, this, [this] {
                m_finder.SetContinuing(false);
                if (m_shell.frame)
                    m_shell.frame->CommandStateChanged();
            });
            connect(box, &QComboBox::currentIndexChanged, this,
                    [this] { m_finder.SetContinuing(false); });
        }
    }
    LayoutControls();
}

void CInstanceView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayoutControls();
}

void CInstanceView::LayoutControls()
{
    const int width = std::max(0, this->width() - 2 * kSelectorMargin);
    const int comboHeight = m_selector->sizeHint().height();
    m_selector->setGeometry(kSelectorMargin, kSelectorMargin, width, comboHeight);
    const int top = kSelectorMargin + comboHeight + kListGap;
    m_list->setGeometry(kSelectorMargin, top, width, std::max(0, height() - top));
}

// ---------------------------------------------------------------------------------------
// State

int CInstanceView::AttributeIndex() const
{
    return m_selector->currentIndex();
}

int CInstanceView::SelectedPosition() const
{
    return m_list->SelectedPosition();
}

bool CInstanceView::ListUsable() const
{
    return m_list->isEnabled() && m_store.Count() > 0;
}

CInstanceRecord CInstanceView::SelectedEntry() const
{
    const int position = SelectedPosition();
    if (position < 0)
        return CInstanceRecord();
    return m_store.Record(static_cast<std::size_t>(position));
}

void CInstanceView::SelectEntry(int position)
{
    if (position < 0 || position >= static_cast<int>(m_store.Count()))
        return;
    const bool moves = position != SelectedPosition();
    m_list->SelectPosition(position);
    // A new selection fills the property list through the list's signal; selecting the same
    // entry again refreshes it here. Filling twice would double what each Find Next costs.
    if (!moves)
        FillProperties();
}

void CInstanceView::SetControlsEnabled(bool enabled)
{
    m_selector->setEnabled(enabled);
    m_list->setEnabled(enabled);
    if (m_propertyList)
        m_propertyList->setEnabled(enabled);
    setEnabled(enabled);
}

// ---------------------------------------------------------------------------------------
// Attribute and properties

void CInstanceView::ApplyAttribute(int index)
{
    {
        const QSignalBlocker blocker(m_selector);
        m_selector->setCurrentIndex(index);
    }
    // With no attribute selected the list shows the first value.
    m_model->SetAttribute(std::max(0, m_selector->currentIndex()));
    FillProperties();
}

void CInstanceView::OnAttributeChosen(int index)
{
    m_attributeMemory.Remember(m_selector->AttributeName(index), index);
    m_model->SetAttribute(std::max(0, index));
    FillProperties();
}

void CInstanceView::FillProperties()
{
    if (!m_propertyList)
        return;
    const int position = SelectedPosition();
    CElement* element = position >= 0 ? m_store.Element(static_cast<std::size_t>(position)) : nullptr;
    if (!element) {
        m_propertyList->Clear();
        emit PropertiesFilled();
        return;
    }
    const std::string parentName = m_parent ? m_parent->name : std::string();
    m_propertyList->Fill(PropertyRows(*element, m_store.Text(static_cast<std::size_t>(position)),
                                      parentName, static_cast<int>(m_store.Count())));
    emit PropertiesFilled();
}

// ---------------------------------------------------------------------------------------
// Listing

void CInstanceView::ResetFind()
{
    m_finder.Reset();
    if (m_findDialog)
        m_findDialogText.clear();
    ShowFindStatus(0, 0);
}

void CInstanceView::ClearRelationMarks()
{
    m_shell.document->ResetCounters();
}

void CInstanceView::BeginListing(CElement* element)
{
    m_current = element;
    m_store.Clear();
    m_model->Reload();
    m_selector->Empty();
    m_selector->Fill(element->attributes, element->name);
    m_parent = m_shell.document->ParentElementOf(element);
}

int CInstanceView::FinishListing()
{
    m_store.Sort(m_shell.model->switches.autoSort);
    m_model->Reload();
    m_model->SetRelationSource(-1);
    if (m_store.Count() > 0) {
        if (m_shell.model->statusBar && m_current) {
            m_shell.model->statusBar->SetText(
                StringPrintf(MessageFormat(kStringItemsLoaded), m_current->name.c_str()));
        }
        SetControlsEnabled(true);
        m_list->SelectPosition(0);
        std::vector<std::string> names = m_current ? m_current->attributes : std::vector<std::string>();
        ApplyAttribute(ChooseAttribute(names, m_shell.model->switches.attribute, m_attributeMemory));
        emit ShowItemsRequested();
        m_list->setUpdatesEnabled(true);
        setUpdatesEnabled(true);
        LayoutControls();
        update();
        return 1;
    }
    m_list->setUpdatesEnabled(true);
    setUpdatesEnabled(true);
    return 0;
}

int CInstanceView::ListInstances(CElement* element)
{
    if (!element)
        return 0;
    CModelContext& context = *m_shell.model;
    m_list->setUpdatesEnabled(false);
    ResetFind();
    context.prompter->SetWaitCursor(true);
    setUpdatesEnabled(false);
    ClearRelationMarks();
    BeginListing(element);
    LoadInstanceTree(*m_shell.document, element, nullptr, m_store);
    int listed = FinishListing();
    m_documentationAvailable = 1;
    m_shell.document->ResetCounters();
    context.prompter->SetWaitCursor(false);
    return EndListing(listed);
}

int CInstanceView::EndListing(int listed)
{
    CModelContext& context = *m_shell.model;
    if (listed == 1) {
        if (context.switches.activateListOnLoad == 1 && m_shell.frame) {
            m_shell.frame->ActivateInformationSide();
            m_list->setFocus(Qt::OtherFocusReason);
        }
    } else {
        // Nothing listed: the pane stays empty and disabled until the next listing.
        m_selector->Empty();
        if (m_propertyList)
            m_propertyList->Clear();
        SetControlsEnabled(false);
        ShowModelMessage(context, MSG_NO_VALID_STRINGS, MessageFormat(MSG_NO_VALID_STRINGS),
                         platform::Icon::Exclamation);
    }
    if (m_shell.frame)
        m_shell.frame->CommandStateChanged();
    return listed;
}

int CInstanceView::ListRelatedInstances(CRelationCounter* counter)
{
    CModelContext& context = *m_shell.model;
    ResetFind();
    setUpdatesEnabled(false);
    CLink* link = counter ? counter->link : nullptr;
    CElement* other = nullptr;
    if (link && link->fromElement && link->fromElement == link->first)
        other = link->second;
    else if (link && link->fromElement && link->fromElement == link->second)
        other = link->first;
    if (!other) {
        setUpdatesEnabled(true);
        ShowModelMessage(context, MSG_NO_RELATIONS_SOURCE, MessageFormat(MSG_NO_RELATIONS_SOURCE),
                         platform::Icon::Exclamation);
        return 0;
    }
    context.prompter->SetWaitCursor(true);
    m_list->setUpdatesEnabled(false);
    BeginListing(other);
    LoadInstanceTree(*m_shell.document, other, link, m_store);
    const int listed = FinishListing();
    context.prompter->SetWaitCursor(false);
    return EndListing(listed);
}

// ---------------------------------------------------------------------------------------
// Relations

void CInstanceView::RelationsRequest(const CInstanceRecord* entry, int position)
{
    CModelContext& context = *m_shell.model;
    if (!m_current)
        return;
    ClearRelationMarks();
    if (m_shell.frame)
        m_shell.frame->ShowPageOfElement(m_current);
    m_shell.document->SetCurrentPage(m_shell.document->PageOfElement(m_current));
    CRequestScopeGuard scope(context.requestScope);
    context.prompter->SetWaitCursor(true);
    CRelationSource source;
    CUpdateHint hint;
    if (entry) {
        source.text = entry->text;
        source.key = entry->key;
        source.element = m_current;
        source.index = position;
        hint.Set(CUpdateHint::KindModelPane, CUpdateHint::CodeCountInstance, &source);
        m_shell.document->UpdateAllViews(this, hint);
        m_model->SetRelationSource(position);
    } else {
        hint.Set(CUpdateHint::KindModelPane, CUpdateHint::CodeCountAll, m_current);
        m_shell.document->UpdateAllViews(this, hint);
        m_model->SetRelationSource(-1);
    }
    context.prompter->SetWaitCursor(false);
    if (m_shell.history)
        m_shell.history->RecordRelations(this, m_current, entry ? position : -1,
                                         entry ? &source : nullptr);
}

void CInstanceView::RelatedInstances(int position)
{
    if (position < 0 || position >= static_cast<int>(m_store.Count()))
        return;
    const CInstanceRecord entry = m_store.Record(static_cast<std::size_t>(position));
    RelationsRequest(&entry, position);
}

void CInstanceView::AllRelatedInstances()
{
    RelationsRequest(nullptr, -1);
}

// ---------------------------------------------------------------------------------------
// Documentation

void CInstanceView::ShowDocumentation(const CInstanceRecord& entry)
{
    if (m_shell.showDocumentation)
        m_shell.showDocumentation(entry);
}

void CInstanceView::DocumentationCommand()
{
    CCommandState state;
    UpdateCommand(ID_DOCUMENTATION, state);
    const int position = SelectedPosition();
    if (!state.enabled || position < 0)
        return;
    const CInstanceRecord entry = m_store.Record(static_cast<std::size_t>(position));
    ShowDocumentation(entry);
    if (m_shell.history)
        m_shell.history->RecordDocumentation(this, entry.element, entry.key + "|" + entry.text);
}

// ---------------------------------------------------------------------------------------
// Find

std::string CInstanceView::FindText() const
{
    if (m_findDialog)
        return m_findDialogText;
    return m_shell.frame ? BoxText(m_shell.frame->FindBoxWidget()) : std::string();
}

void CInstanceView::FindNext()
{
    m_finder.FindNext(FindText(), m_store, m_shell.model->switches.matchCase, *this,
                      *m_shell.model->prompter);
}

void CInstanceView::ShowFindStatus(int current, int count)
{
    if (m_shell.frame)
        m_shell.frame->ShowFindStatus(current, count);
}

void CInstanceView::RecordSearch(const std::string& word, int hits, int matchCase)
{
    if (m_shell.history)
        m_shell.history->RecordSearch(this, word, hits, matchCase);
}

void CInstanceView::PushRecentWord()
{
    if (m_shell.frame)
        m_shell.frame->PushRecentFindWord();
}

void CInstanceView::OpenFindDialog()
{
    m_finder.SetContinuing(false);
    const QString word = m_shell.frame ? QString::fromStdString(BoxText(m_shell.frame->FindBoxWidget())) : QString();
    CFindInstanceDialog* dialog = nullptr;
    try {
        dialog = new CFindInstanceDialog(word, m_shell.model->switches.matchCase == 1, window());
    } catch (const std::bad_alloc&) {
        ShowModelMessage(*m_shell.model, MSG_NOT_ENOUGH_MEMORY, MessageFormat(MSG_NOT_ENOUGH_MEMORY),
                         platform::Icon::Exclamation);
        return;
    }
    m_findDialog = dialog;
    m_findDialogText.clear();
    m_matchCaseAtOpen = m_shell.model->switches.matchCase;
    m_shell.findDialogOpen = true;
    connect(dialog, &CFindInstanceDialog::FindNextRequested, this, &CInstanceView::OnFindDialogFindNext);
    connect(dialog, &QObject::destroyed, this, &CInstanceView::OnFindDialogClosed);
    dialog->show();
    if (m_shell.frame)
        m_shell.frame->CommandStateChanged();
}

void CInstanceView::OnFindDialogFindNext()
{
    if (!m_findDialog)
        return;
    const std::string word = m_findDialog->Word().toStdString();
    const int box = m_findDialog->MatchCase() ? 1 : 0;
    int& matchCase = m_shell.model->switches.matchCase;
    if (box == matchCase) {
        m_finder.SetContinuing(word == m_findDialogText);
    } else {
        matchCase = box;
        m_finder.SetContinuing(false);
    }
    m_findDialogText = word;
    // Only while the Items tab is current.
    if (isVisible())
        FindNext();
}

void CInstanceView::OnFindDialogClosed()
{
    // Called from the dialog's destruction, while the pointer to it may still be set: the
    // commands' states computed below must already see the dialog gone.
    m_findDialog = nullptr;
    m_shell.findDialogOpen = false;
    m_finder.SetContinuing(false);
    m_shell.model->switches.matchCase = m_matchCaseAtOpen;
    m_findDialogText.clear();
    if (m_shell.frame)
        m_shell.frame->CommandStateChanged();
}

bool CInstanceView::EnterFromFindBox()
{
    QWidget* box = m_shell.frame ? m_shell.frame->FindBoxWidget() : nullptr;
    QWidget* focus = QApplication::focusWidget();
    if (!box || !focus || (focus != box && !box->isAncestorOf(focus)))
        return false;
    FindNext();
    box->setFocus(Qt::OtherFocusReason);
    return true;
}

// ---------------------------------------------------------------------------------------
// Restore steps

void CInstanceView::RestoreRelated(const CHistoryAction& action)
{
    m_current = action.element;
    const CInstanceRecord entry = RecordFromText(action.text, action.element);
    RelationsRequest(&entry, action.index);
}

void CInstanceView::RestoreSearch(const CHistoryAction& action)
{
    m_finder.SetContinuing(false);
    if (m_findDialog)
        m_findDialogText.clear();
    if (m_shell.frame) {
        if (auto* box = qobject_cast<QComboBox*>(m_shell.frame->FindBoxWidget())) {
            const QSignalBlocker blocker(box);
            box->setEditText(QString::fromStdString(action.text));
        }
    }
    FindNext();
}

void CInstanceView::RestoreDocumentation(const CHistoryAction& action)
{
    ShowDocumentation(RecordFromText(action.text, action.element));
}

// ---------------------------------------------------------------------------------------
// Hints and commands

void CInstanceView::OnUpdate(IModelView* /*sender*/, CUpdateHint& hint)
{
    if (hint.kind != CUpdateHint::KindInformation)
        return;
    switch (hint.code) {
    case CUpdateHint::CodeListElement:
        if (CElement* element = hint.Element())
            hint.result = ListInstances(element);
        break;
    case CUpdateHint::CodeListRelated1:
    case CUpdateHint::CodeListRelated2:
        hint.result = ListRelatedInstances(hint.Counter());
        break;
    case CUpdateHint::CodeRestoreRelated:
        if (const CHistoryAction* action = hint.Action())
            RestoreRelated(*action);
        break;
    case CUpdateHint::CodeRestoreAllRelated:
        if (const CHistoryAction* action = hint.Action()) {
            if (action->element)
                m_current = action->element;
            AllRelatedInstances();
        }
        break;
    case CUpdateHint::CodeRestoreSearch:
        if (const CHistoryAction* action = hint.Action())
            RestoreSearch(*action);
        break;
    case CUpdateHint::CodeRestoreDocumentation:
        if (const CHistoryAction* action = hint.Action())
            RestoreDocumentation(*action);
        break;
    default:
        break;
    }
}

bool CInstanceView::UpdateCommand(int id, CCommandState& state)
{
    const bool usable = ListUsable();
    switch (id) {
    case ID_RELATED_INSTANCES:
        state.enabled = m_list->isEnabled() && SelectedPosition() >= 0;
        return true;
    case ID_ALL_RELATED_INSTANCES:
        state.enabled = usable;
        return true;
    case ID_DOCUMENTATION:
        state.enabled = m_shell.documentation && m_shell.documentation->DocumentationService() != 0 &&
                        m_documentationAvailable != 0;
        return true;
    case ID_FIND_INSTANCE:
        state.enabled = !m_findDialog && usable;
        return true;
    case ID_FIND_NEXT_INSTANCE:
        state.enabled = !m_findDialog && usable && !FindText().empty();
        return true;
    case ID_ENTER:
    case ID_PROPERTIES:
    case ID_NEXT_ITEM:
    case ID_PREVIOUS_ITEM:
        state.enabled = true;
        return true;
    default:
        return false;
    }
}

void CInstanceView::OnCommand(int id)
{
    switch (id) {
    case ID_RELATED_INSTANCES: RelatedInstances(SelectedPosition()); break;
    case ID_ALL_RELATED_INSTANCES: AllRelatedInstances(); break;
    case ID_DOCUMENTATION: DocumentationCommand(); break;
    case ID_FIND_INSTANCE: OpenFindDialog(); break;
    case ID_FIND_NEXT_INSTANCE: FindNext(); break;
    case ID_ENTER: EnterFromFindBox(); break;
    case ID_PROPERTIES:
        if (m_shell.frame)
            m_shell.frame->OpenSettings(kPageInformation, true);
        break;
    case ID_NEXT_ITEM: MoveFocus(true); break;
    case ID_PREVIOUS_ITEM: MoveFocus(false); break;
    default: break;
    }
}

void CInstanceView::MoveFocus(bool forward)
{
    // The ring: attribute selector, instance list, property list, model pane.
    QList<QWidget*> ring{m_selector, m_list};
    if (m_propertyList)
        ring << m_propertyList;
    QWidget* focus = QApplication::focusWidget();
    int at = -1;
    for (int i = 0; i < ring.size(); ++i) {
        if (focus && (focus == ring[i] || ring[i]->isAncestorOf(focus)))
            at = i;
    }
    const int next = at < 0 ? (forward ? 0 : static_cast<int>(ring.size()) - 1) : at + (forward ? 1 : -1);
    if (next < 0 || next >= ring.size()) {
        if (m_shell.frame)
            m_shell.frame->ActivateModelSide();
        return;
    }
    if (ring[next]->isEnabled())
        ring[next]->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    else if (m_shell.frame)
        m_shell.frame->ActivateModelSide();
}
