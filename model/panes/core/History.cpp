#include "History.h"

#include "InstanceLoader.h"
#include "Messages.h"
#include "ModelContext.h"
#include "ModelDoc.h"
#include "ModelTypes.h"
#include "UpdateHint.h"

#include <new>

namespace {

enum HistoryMessage
{
    MSG_EVENT_TEXT = 5044,
    MSG_ALL_RELATIONS_TEXT = 5045,
    MSG_RELATIONS_TEXT = 5046,
    MSG_RELATED_TEXT = 5047,
    MSG_SEARCH_HITS_TEXT = 5048,
    MSG_SEARCH_NO_HITS_TEXT = 5049,
    MSG_DOCUMENTATION_TEXT = 5050,
    MSG_DESCRIBE_EVENT = 5051,
    MSG_DESCRIBE_ALL_RELATIONS = 5052,
    MSG_DESCRIBE_RELATIONS = 5053,
    MSG_DESCRIBE_RELATED = 5054,
    MSG_DESCRIBE_SEARCH = 5055,
    MSG_DESCRIBE_DOCUMENTATION = 5056,
    MSG_ABORT_RESTORE = 5057,
    MSG_SAME_EVENT = 5058,
    MSG_NOT_RECORDED = 5061,
    MSG_SKIPPED = 5063,
    MSG_CLEAR_HISTORY = 5064,
};

int g_restoreDepth = 0;

// Holds the restore depth up for the length of a run, also when it ends early.
class CRestoreDepthGuard
{
public:
    CRestoreDepthGuard() { ++g_restoreDepth; }
    ~CRestoreDepthGuard() { --g_restoreDepth; }
    CRestoreDepthGuard(const CRestoreDepthGuard&) = delete;
    CRestoreDepthGuard& operator=(const CRestoreDepthGuard&) = delete;
};

const char* NameOf(const CElement* element)
{
    return element ? element->name.c_str() : "";
}

// The update hint that replays a record of the given type (kind, code).
struct CReplayHint
{
    int kind;
    int code;
};

CReplayHint ReplayHintOf(int type)
{
    switch (type) {
    case CHistoryAction::TypeElement:
        return {CUpdateHint::KindModelPane, CUpdateHint::CodeRestoreElement};
    case CHistoryAction::TypeRelated:
        return {CUpdateHint::KindInformation, CUpdateHint::CodeRestoreRelated};
    case CHistoryAction::TypeAllRelated:
        return {CUpdateHint::KindInformation, CUpdateHint::CodeRestoreAllRelated};
    case CHistoryAction::TypeCounter:
        return {CUpdateHint::KindModelPane, CUpdateHint::CodeRestoreSymbol};
    case CHistoryAction::TypeSearch:
        return {CUpdateHint::KindInformation, CUpdateHint::CodeRestoreSearch};
    case CHistoryAction::TypeDocumentation:
        return {CUpdateHint::KindInformation, CUpdateHint::CodeRestoreDocumentation};
    default:
        return {0, 0};
    }
}

} // namespace

CHistory::CHistory(CModelContext& context, CModelDoc& document)
    : m_context(context), m_document(document)
{
}

CHistory::~CHistory() = default;

int CHistory::RestoreDepth()
{
    return g_restoreDepth;
}

std::string CHistory::FirstValue(const std::string& instance)
{
    const std::string::size_type bar = instance.find('|');
    const std::string_view values =
        bar == std::string::npos ? std::string_view() : std::string_view(instance).substr(bar + 1);
    std::string value;
    InstanceValue(values, 1, value);
    return value;
}

void CHistory::ShowInformation(int id)
{
    if (m_context.switches.suppressInfoMessages == 1)
        return;
    ShowModelMessage(m_context, id, MessageFormat(id), platform::Icon::Information);
}

// ---------------------------------------------------------------------------------------
// Recording

CHistoryItem* CHistory::AddItem(CHistoryItem* parent, CHistoryAction&& record,
                                const std::string& text)
{
    auto item = std::make_unique<CHistoryItem>();
    item->parent = parent;
    item->text = text;
    item->icon = record.type;
    item->bold =
        record.type == CHistoryAction::TypeElement || record.type == CHistoryAction::TypeCounter;
    item->dimmed = record.type == CHistoryAction::TypeSearch && record.number == 0;
    item->record = std::move(record);
    CHistoryItem* added = item.get();
    (parent ? parent->children : m_roots).push_back(std::move(item));
    ++m_itemCount;
    return added;
}

int CHistory::RecordEvent(IModelView* sender, CElement* element)
{
    if (g_restoreDepth > 0 || !element)
        return 0;
    try {
        CHistoryAction record;
        record.type = CHistoryAction::TypeElement;
        record.view = sender;
        record.element = element;
        if (m_lastAction && m_currentEvent && m_lastAction->record.SameAction(record)) {
            ShowInformation(MSG_SAME_EVENT);
            m_flags = 0;
            return 0;
        }
        const std::string text = StringPrintf(MessageFormat(MSG_EVENT_TEXT), NameOf(element));
        CHistoryItem* item = AddItem(nullptr, std::move(record), text);
        m_currentEvent = item;
        m_lastAction = item;
        m_lastType = CHistoryAction::TypeElement;
        m_head = &item->record;
        m_flags = 0;
        if (m_observer) {
            m_observer->ItemAdded(*item);
            m_observer->ItemSelected(*item);
        }
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int CHistory::RecordAction(int type, IModelView* sender,
                           const std::function<std::string(CHistoryAction&)>& fill)
{
    if (g_restoreDepth > 0)
        return 0;
    try {
        if (m_flags & FlagFrozen) {
            if (!(m_flags & FlagNoticeShown)) {
                ShowInformation(MSG_NOT_RECORDED);
                m_flags |= FlagNoticeShown;
            }
            return 0;
        }
        // Every chain starts at an event: without one there is nothing to hang an action on.
        if (!m_currentEvent)
            return 0;
        CHistoryAction record;
        record.type = type;
        record.view = sender;
        const std::string text = fill(record);
        if ((m_lastAction && m_lastAction->record.SameAction(record)) ||
            m_currentEvent->record.SameAction(record)) {
            ShowInformation(MSG_SAME_EVENT);
            return 0;
        }
        // After related instances were loaded, later actions on them hang below that item.
        if (type != CHistoryAction::TypeCounter && m_lastType == CHistoryAction::TypeCounter &&
            m_lastAction)
            m_currentEvent = m_lastAction;
        CHistoryItem* parent = m_currentEvent;

        record.previous = m_head;
        CHistoryItem* item = AddItem(parent, std::move(record), text);
        m_lastAction = item;
        m_lastType = type;
        m_head = &item->record;
        if (m_observer) {
            m_observer->ItemAdded(*item);
            m_observer->ItemExpanded(*parent);
            m_observer->ItemExpanded(*item);
            m_observer->ItemSelected(*item);
        }
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int CHistory::RecordRelations(IModelView* sender, CElement* element, int index,
                              const CRelationSource* entry)
{
    if (!element)
        return 0;
    if (!entry) {
        return RecordAction(CHistoryAction::TypeAllRelated, sender, [&](CHistoryAction& record) {
            record.element = element;
            record.index = -1;
            return std::string(MessageFormat(MSG_ALL_RELATIONS_TEXT));
        });
    }
    return RecordAction(CHistoryAction::TypeRelated, sender, [&](CHistoryAction& record) {
        record.element = element;
        record.index = index;
        record.text = entry->key + "|" + entry->text;
        return StringPrintf(MessageFormat(MSG_RELATIONS_TEXT), FirstValue(record.text).c_str());
    });
}

int CHistory::RecordRelated(IModelView* sender, CRelationCounter* counter, CElement* otherEnd,
                            int count)
{
    if (!counter)
        return 0;
    return RecordAction(CHistoryAction::TypeCounter, sender, [&](CHistoryAction& record) {
        record.counter = counter;
        record.otherEnd = otherEnd;
        record.number = count;
        return StringPrintf(MessageFormat(MSG_RELATED_TEXT), static_cast<long>(count),
                            NameOf(otherEnd));
    });
}

int CHistory::RecordSearch(IModelView* sender, const std::string& word, int hits, int matchCase)
{
    return RecordAction(CHistoryAction::TypeSearch, sender, [&](CHistoryAction& record) {
        record.text = word;
        record.number = hits;
        record.matchCase = matchCase;
        return hits == 0 ? StringPrintf(MessageFormat(MSG_SEARCH_NO_HITS_TEXT), word.c_str())
                         : StringPrintf(MessageFormat(MSG_SEARCH_HITS_TEXT), word.c_str(), hits);
    });
}

int CHistory::RecordDocumentation(IModelView* sender, CElement* element, const std::string& entry)
{
    if (!element)
        return 0;
    return RecordAction(CHistoryAction::TypeDocumentation, sender, [&](CHistoryAction& record) {
        record.element = element;
        record.text = entry;
        return StringPrintf(MessageFormat(MSG_DOCUMENTATION_TEXT), FirstValue(entry).c_str());
    });
}

// ---------------------------------------------------------------------------------------
// Restore

CHistory::Chain CHistory::BuildChain(const CHistoryItem* item) const
{
    Chain chain;
    if (!item)
        return chain;
    try {
        // The previous links lead back to the event; a run longer than the history holds
        // items could only come from a broken link, so it stops there.
        for (CHistoryAction* record = const_cast<CHistoryAction*>(&item->record);
             record && static_cast<int>(chain.size()) < m_itemCount; record = record->previous)
            chain.push_back(record);
    } catch (const std::bad_alloc&) {
        return Chain();
    }
    return Chain(chain.rbegin(), chain.rend());
}

void CHistory::MarkChain(const Chain& chain, int restoreType)
{
    const std::size_t count = chain.size();
    for (std::size_t i = 0; i < count; ++i) {
        const int type = chain[i]->type;
        const bool middle = i != 0 && i + 1 != count;
        const bool skip =
            restoreType == 0 && middle &&
            (type == CHistoryAction::TypeSearch || type == CHistoryAction::TypeDocumentation);
        chain[i]->disposition =
            skip ? CHistoryAction::DispositionSkip : CHistoryAction::DispositionRestore;
    }
}

std::string CHistory::Describe(const CHistoryAction& record, bool withSkipped)
{
    std::string text;
    switch (record.type) {
    case CHistoryAction::TypeElement:
        text = StringPrintf(MessageFormat(MSG_DESCRIBE_EVENT), NameOf(record.element));
        break;
    case CHistoryAction::TypeRelated:
        text = StringPrintf(MessageFormat(MSG_DESCRIBE_RELATIONS), FirstValue(record.text).c_str(),
                            NameOf(record.element));
        break;
    case CHistoryAction::TypeAllRelated:
        text = StringPrintf(MessageFormat(MSG_DESCRIBE_ALL_RELATIONS), NameOf(record.element));
        break;
    case CHistoryAction::TypeCounter:
        text = StringPrintf(MessageFormat(MSG_DESCRIBE_RELATED), NameOf(record.otherEnd));
        break;
    case CHistoryAction::TypeSearch:
        text = StringPrintf(MessageFormat(MSG_DESCRIBE_SEARCH), record.text.c_str());
        break;
    case CHistoryAction::TypeDocumentation:
        text = StringPrintf(MessageFormat(MSG_DESCRIBE_DOCUMENTATION),
                            FirstValue(record.text).c_str());
        break;
    default:
        break;
    }
    if (withSkipped && record.disposition == CHistoryAction::DispositionSkip)
        text += std::string(" [") + MessageFormat(MSG_SKIPPED) + "]";
    return text;
}

bool CHistory::RunChain(const Chain& chain, IRestoreRunner& runner, IModelView* sender)
{
    // A restore does not start inside another one: the records of the running chain must
    // stay as they are until it ends.
    if (chain.empty() || g_restoreDepth > 0)
        return false;
    CRestoreDepthGuard depth;
    m_flags = 0;
    const int count = static_cast<int>(chain.size());
    bool completed = true;
    runner.Begin(count);
    try {
        CUpdateHint hint;
        for (int i = 0; i < count; ++i) {
            CHistoryAction* record = chain[static_cast<std::size_t>(i)];
            const bool skipped = record->disposition == CHistoryAction::DispositionSkip;
            if (!runner.Step(i + 1, count, record->type, Describe(*record, true), skipped)) {
                completed = false;
                break;
            }
            if (record->disposition != CHistoryAction::DispositionRestore)
                continue;
            const CReplayHint replay = ReplayHintOf(record->type);
            if (replay.code == 0)
                continue;
            hint.Set(replay.kind, replay.code, record);
            m_document.UpdateAllViews(sender, hint);
        }
    } catch (const std::bad_alloc&) {
        completed = false;
    }
    if (!m_lastAction || &m_lastAction->record != chain.back())
        m_flags |= FlagFrozen;
    runner.End();
    return completed;
}

bool CHistory::AskAbort()
{
    if (!m_context.prompter)
        return false;
    return platform::Report(*m_context.prompter, MSG_ABORT_RESTORE,
                            MessageFormat(MSG_ABORT_RESTORE), platform::Icon::Question,
                            platform::Buttons::YesNo,
                            platform::Answer::No) == platform::Answer::Yes;
}

// ---------------------------------------------------------------------------------------
// Clearing

void CHistory::FreeAll()
{
    m_currentEvent = nullptr;
    m_lastAction = nullptr;
    m_lastType = -1;
    m_head = nullptr;
    m_roots.clear();
    m_itemCount = 0;
    if (m_observer)
        m_observer->Cleared();
}

bool CHistory::Clear()
{
    if (g_restoreDepth > 0 || !m_context.prompter)
        return false;
    // The question's information icon beeps; Report makes the beep from the icon.
    const platform::Answer answer = platform::Report(
        *m_context.prompter, MSG_CLEAR_HISTORY, MessageFormat(MSG_CLEAR_HISTORY),
        platform::Icon::Information, platform::Buttons::YesNo, platform::Answer::No);
    if (answer != platform::Answer::Yes)
        return false;
    FreeAll();
    m_flags |= FlagFrozen;
    return true;
}

void CHistory::Reset()
{
    if (g_restoreDepth > 0)
        return;
    FreeAll();
    m_flags = 0;
}
