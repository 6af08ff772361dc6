#pragma once

// Shared fixtures of the data-layer tests: a temporary model folder, a recording status bar
// and a document wired to a scripted prompter.

#include "InstanceLoader.h"
#include "ModelContext.h"
#include "ModelDoc.h"
#include "StatusProgress.h"
#include "TempDir.h"
#include "profile/ProfileReader.h"
#include "prompter/ScriptedPrompter.h"

#include <memory>
#include <string>
#include <vector>

// Records every status-bar call.
class RecordingStatusBar : public IStatusBar
{
public:
    struct Bar : IProgressBar
    {
        explicit Bar(RecordingStatusBar& owner) : m_owner(owner) {}
        ~Bar() override { ++m_owner.barsDestroyed; }
        void Place(const CRectPx& rect) override { m_owner.lastPlace = rect; }
        void SetVisible(bool visible) override { m_owner.barVisible = visible; }
        void SetRange(int low, int high) override
        {
            m_owner.rangeLow = low;
            m_owner.rangeHigh = high;
        }
        void SetPosition(int position) override { m_owner.positions.push_back(position); }
        RecordingStatusBar& m_owner;
    };

    std::string Text() const override { return m_text; }
    void SetText(const std::string& text) override
    {
        m_text = text;
        texts.push_back(text);
    }
    CRectPx FirstPaneRect() const override { return CRectPx{0, 0, 400, 20}; }
    int TextWidth(const std::string& text) const override
    {
        return static_cast<int>(text.size()) * 6;
    }
    std::unique_ptr<IProgressBar> CreateProgressBar() override
    {
        ++barsCreated;
        return std::make_unique<Bar>(*this);
    }

    std::vector<std::string> texts;
    std::vector<int> positions;
    CRectPx lastPlace;
    bool barVisible = false;
    int rangeLow = 0, rangeHigh = 0;
    int barsCreated = 0, barsDestroyed = 0;

private:
    std::string m_text = "Ready";
};

// Collects instance records.
class CollectingSink : public IInstanceSink
{
public:
    bool AddInstance(CInstanceRecord&& record, CGroup* group) override
    {
        groups.push_back(group);
        records.push_back(std::move(record));
        return true;
    }
    std::vector<std::string> Keys() const
    {
        std::vector<std::string> keys;
        for (const auto& r : records)
            keys.push_back(r.key);
        return keys;
    }
    std::vector<CInstanceRecord> records;
    std::vector<CGroup*> groups;
};

// A model folder with a document whose messages go to a scripted prompter.
class ModelFixture
{
public:
    ModelFixture()
    {
        context.prompter = &prompter;
        context.statusBar = &statusBar;
    }

    // Writes the model file (LF line ends) and opens it.
    bool Open(const std::string& text, const std::string& name = "model.mdl")
    {
        platform::ClearProfileCache();
        return doc.OnOpenDocument(dir.Write(name, text));
    }

    CElement* Element(int page, int index) const { return doc.FindElement(page, index); }

    TempDir dir;
    platform::ScriptedPrompter prompter;
    RecordingStatusBar statusBar;
    CModelContext context;
    CModelDoc doc{context};
};
