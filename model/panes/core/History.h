#pragma once

#include "HistoryAction.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct CModelContext;
class CModelDoc;
class IModelView;
class CElement;
struct CRelationCounter;
struct CRelationSource;

// One item of the history tree: the record it stands for, how it is drawn and its children.
// Items and their records are owned by the history; their addresses never change while they
// exist, so a tree widget may key its own items on them.
struct CHistoryItem
{
    CHistoryItem* parent = nullptr; // nullptr for an item at the root (an event)
    std::vector<std::unique_ptr<CHistoryItem>> children;
    std::string text;    // as shown, in the model's bytes
    int icon = 0;        // the record's type
    bool bold = false;   // events and related-instances actions
    bool dimmed = false; // searches that found nothing
    CHistoryAction record;
};

// What a tree widget needs to mirror the history. Every call happens after the history
// changed; the items stay valid until Cleared.
class IHistoryObserver
{
public:
    virtual ~IHistoryObserver() = default;
    // A new item, appended at the end of its parent's children (or of the root items).
    virtual void ItemAdded(const CHistoryItem& item) = 0;
    virtual void ItemExpanded(const CHistoryItem& item) = 0;
    virtual void ItemSelected(const CHistoryItem& item) = 0;
    // Every item was freed.
    virtual void Cleared() = 0;
};

// The progress side of a restore run (the GUI's progress dialog; tests script it).
class IRestoreRunner
{
public:
    virtual ~IRestoreRunner() = default;
    // Before the first record; count is the number of records of the chain.
    virtual void Begin(int /*count*/) {}
    // Shows the record about to run (position from 1 to count, icon = record type, its
    // description with " [Skipped]" when skipped) and lets pending work run. Answers false to
    // stop the run before this record (the user confirmed a cancel).
    virtual bool Step(int position, int count, int icon, const std::string& description,
                      bool skipped) = 0;
    // After the run, also after a cancel.
    virtual void End() {}
};

// The history of what the user did with the model: a tree of events (an element opened) with
// the actions taken on its instances below them, each item backed by a CHistoryAction. Any
// item can be restored: the records from its event up to it are broadcast again as update
// hints, by default skipping searches and documentation views in the middle.
//
// Messages go through the context's prompter; "SUPPRESS INFO MESSAGES", "RESTORE TYPE" and
// "DO NOT SHOW RESTORE TYPE DIALOG" are read from its switches. Nothing here throws.
class CHistory
{
public:
    enum Flag
    {
        FlagFrozen = 1,      // actions are not recorded until the next event
        FlagNoticeShown = 2, // the frozen notice was shown in this frozen period
    };
    using Chain = std::vector<CHistoryAction*>;

    CHistory(CModelContext& context, CModelDoc& document);
    ~CHistory();
    CHistory(const CHistory&) = delete;
    CHistory& operator=(const CHistory&) = delete;

    // The observer is told of every change; nullptr for none. Not owned.
    void SetObserver(IHistoryObserver* observer) { m_observer = observer; }

    // --- recording: each answers 1 when an item was added, else 0 --------------------------
    // An element's instances were loaded: a new event at the root ("%s(s) loaded"). It ends a
    // frozen period, also when it is not added because it repeats the last action.
    int RecordEvent(IModelView* sender, CElement* element);
    // Relations were enumerated for one instance (entry, at list index `index`: type 1) or
    // for all instances (entry nullptr: type 2) of the element.
    int RecordRelations(IModelView* sender, CElement* element, int index,
                        const CRelationSource* entry);
    // Related instances were loaded through a relation counter; otherEnd is the element at
    // the counter's other end, count the counter's relation count.
    int RecordRelated(IModelView* sender, CRelationCounter* counter, CElement* otherEnd, int count);
    // A new search of the instance list for word found `hits` entries.
    int RecordSearch(IModelView* sender, const std::string& word, int hits, int matchCase);
    // An instance was shown in the documentation; entry is the instance as "KEY|values".
    int RecordDocumentation(IModelView* sender, CElement* element, const std::string& entry);

    // --- restore -----------------------------------------------------------------------------
    // The records from the item's event up to the item, oldest first. Empty for nullptr, or
    // when memory runs out (nothing is restored then). The records stay owned by the history.
    Chain BuildChain(const CHistoryItem* item) const;
    // Sets every record's disposition: restore type 0 (default) skips searches and
    // documentation views that are neither first nor last; any other type restores all.
    static void MarkChain(const Chain& chain, int restoreType);
    // The record as the restore dialogs show it ("Loading Instances of %s", ...), followed
    // by " [Skipped]" when withSkipped is set and the record is skipped.
    static std::string Describe(const CHistoryAction& record, bool withSkipped = false);
    // Replays the chain: each record with disposition 1 is broadcast through the document as
    // the update hint of its type, with `sender` as the hint's sender. Nothing is recorded
    // while it runs. Afterwards the history is frozen unless the chain ended at the newest
    // record. Answers false when nothing ran, the run was cancelled or memory ran out.
    bool RunChain(const Chain& chain, IRestoreRunner& runner, IModelView* sender);
    // Asks whether a running restore shall be aborted (question beep; Yes/No, No the
    // default). Answers true for Yes.
    bool AskAbort();

    // --- clearing ------------------------------------------------------------------------------
    // Asks 5064 (information beep; Yes/No, No the default); on Yes frees every item and
    // freezes the history until the next event. Answers true when it was cleared. Does
    // nothing while a restore runs.
    bool Clear();
    // Frees every item without asking (a new model replaces the elements the records name);
    // recording starts afresh. Does nothing while a restore runs.
    void Reset();

    // --- state -------------------------------------------------------------------------------
    const std::vector<std::unique_ptr<CHistoryItem>>& Roots() const { return m_roots; }
    int ItemCount() const { return m_itemCount; }
    bool IsEmpty() const { return m_itemCount == 0; }
    const CHistoryItem* CurrentEvent() const { return m_currentEvent; }
    const CHistoryItem* LastAction() const { return m_lastAction; }
    int LastType() const { return m_lastType; }
    const CHistoryAction* Head() const { return m_head; }
    int Flags() const { return m_flags; }
    bool IsFrozen() const { return (m_flags & FlagFrozen) != 0; }
    // Above zero while a restore runs (in this process).
    static int RestoreDepth();

    // Value 1 of an instance given as "KEY|values": its first '^' value without surrounding
    // blanks and tabs (empty when there is none).
    static std::string FirstValue(const std::string& instance);

private:
    // Records an action of the type: fill completes the record and answers the item's text.
    int RecordAction(int type, IModelView* sender,
                     const std::function<std::string(CHistoryAction&)>& fill);
    CHistoryItem* AddItem(CHistoryItem* parent, CHistoryAction&& record, const std::string& text);
    void ShowInformation(int id);
    void FreeAll();

    CModelContext& m_context;
    CModelDoc& m_document;
    IHistoryObserver* m_observer = nullptr;
    std::vector<std::unique_ptr<CHistoryItem>> m_roots;
    int m_itemCount = 0;
    CHistoryItem* m_currentEvent = nullptr;
    CHistoryItem* m_lastAction = nullptr;
    int m_lastType = -1; // -1 before anything was recorded
    CHistoryAction* m_head = nullptr;
    int m_flags = 0;
};
