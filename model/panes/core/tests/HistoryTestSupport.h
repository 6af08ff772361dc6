#pragma once

// Shared by the history's core and widget tests: the sample model opened in a document with a
// scripted prompter, and a view that records every hint the document passes on.

#include "HistoryAction.h"
#include "ModelTestSupport.h"
#include "UpdateHint.h"

#include <functional>
#include <string>
#include <vector>

// A view of the document that keeps what it was sent.
class RecordingView : public IModelView
{
public:
    struct Seen
    {
        int kind = 0;
        int code = 0;
        CHistoryAction* action = nullptr;
        IModelView* sender = nullptr;
    };

    explicit RecordingView(CModelDoc& doc) : m_doc(doc) { m_doc.AddView(this); }
    ~RecordingView() override { m_doc.RemoveView(this); }
    RecordingView(const RecordingView&) = delete;
    RecordingView& operator=(const RecordingView&) = delete;

    void OnUpdate(IModelView* sender, CUpdateHint& hint) override
    {
        seen.push_back({hint.kind, hint.code, hint.Action(), sender});
        if (onHint)
            onHint(hint);
    }
    // The codes of the restore hints seen, in order.
    std::vector<int> RestoreCodes() const
    {
        std::vector<int> codes;
        for (const Seen& s : seen) {
            if (s.action)
                codes.push_back(s.code);
        }
        return codes;
    }

    std::vector<Seen> seen;
    std::function<void(CUpdateHint&)> onHint;

private:
    CModelDoc& m_doc;
};

// The sample model, open, with the history's switches at their defaults.
class SampleModelFixture : public ModelFixture
{
public:
    SampleModelFixture()
    {
        platform::ClearProfileCache();
        opened = doc.OnOpenDocument(MB_EXAMPLES_DIR "/sample.mdl");
    }

    // Page 0 "Station": E1 Stations, E2 Structures, E3 Pipelines; symbol S1 has the
    // counters of links L1 (Structures - Stations) and L2 (Pipelines - Stations).
    CElement* Stations() const { return Element(0, 0); }
    CElement* Structures() const { return Element(0, 1); }
    CElement* Pipelines() const { return Element(0, 2); }
    CRelationCounter* Counter(int symbol, int counter) const
    {
        CPage* page = doc.PageAt(0);
        if (!page || symbol >= static_cast<int>(page->symbols.size()))
            return nullptr;
        auto& counters = page->symbols[static_cast<std::size_t>(symbol)]->counters;
        return counter < static_cast<int>(counters.size())
                   ? &counters[static_cast<std::size_t>(counter)]
                   : nullptr;
    }

    bool opened = false;
};
