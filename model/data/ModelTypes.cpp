#include "ModelTypes.h"

#include "LineReader.h"
#include "Messages.h"
#include "ModelContext.h"
#include "StringPattern.h"
#include "StringUtil.h"
#include "files/PathLookup.h"

#include <algorithm>
#include <unordered_set>

namespace {

constexpr std::uint64_t kLargeRelationFile = 200000; // bytes; files this large ask first
constexpr std::size_t kFaceNameMax = 31;             // characters kept of a face name

std::string NameOf(const CElement* element)
{
    return element ? element->name : std::string();
}

} // namespace

// ---------------------------------------------------------------------------------------
// CFontRecord

std::string CFontRecord::Format() const
{
    return StringPrintf("%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%s", height, width, escapement,
                        orientation, weight, italic, underline, strikeOut, charSet,
                        outPrecision, clipPrecision, quality, pitchAndFamily, faceName.c_str());
}

void CFontRecord::ParseSaved(const std::string& value)
{
    if (value.empty())
        return;
    int* const integers[] = {&height, &width, &escapement, &orientation, &weight};
    std::uint8_t* const bytes[] = {&italic,       &underline,     &strikeOut, &charSet,
                                   &outPrecision, &clipPrecision, &quality,   &pitchAndFamily};
    std::string_view field;
    for (int n = 1; n <= 14; ++n) {
        if (GetField(value, ',', n, field) == -1)
            break;
        if (n <= 5)
            *integers[n - 1] = ReadInt(field);
        else if (n <= 13)
            *bytes[n - 6] = static_cast<std::uint8_t>(ReadInt(field));
        else
            faceName = std::string(field.substr(0, kFaceNameMax));
    }
}

// ---------------------------------------------------------------------------------------
// CLink

CLink::CLink()
{
    maps[0].SetDirection(0);
    maps[1].SetDirection(1);
    maps[0].SetLink(this);
    maps[1].SetLink(this);
}

bool CLink::IsRelationCapable() const
{
    return first && second && first->enabled && second->enabled && first->type == 0 &&
           second->type == 0;
}

int CLink::LoadRelations(CModelContext& context)
{
    CStatusProgress progress(context.statusBar,
                             StringPrintf("Reading Relation File: %s/%s ", NameOf(first).c_str(),
                                          NameOf(second).c_str()),
                             true);
    progress.Show(1);

    // Both maps come from one pass over the file: map 0 keyed by field 1, map 1 by field 2.
    // They share the text of the lines, so each key is stored once for both.
    maps[0].Clear();
    maps[1].Clear();
    CTextLineReader reader;
    if (!reader.Open(JoinModelPath(context.modelDirectory, file)))
        return 0;
    std::uint64_t size = 0;
    if (!reader.Size(size))
        size = 0;
    if (size > 0)
        progress.SetPos(0, 0, 100);
    CPercentTracker tracker(size > 0 ? &progress : nullptr, size);
    if (!CRelationMap::StartShared(maps[0], maps[1], size)) {
        for (int m = 0; m < 2; ++m) {
            ShowModelMessage(context, MSG_RELATIONS_MEMORY, MessageFormat(MSG_RELATIONS_MEMORY),
                             platform::Icon::Exclamation);
        }
        return 0;
    }

    // Lines are handed over in batches, so that the maps can fetch what they look up ahead.
    constexpr std::size_t kBatch = 256;
    std::vector<std::string> firsts(kBatch), seconds(kBatch);
    std::vector<std::string_view> firstViews(kBatch), secondViews(kBatch);
    std::size_t batched = 0;
    bool ok = true;
    auto flush = [&] {
        for (std::size_t i = 0; i < batched; ++i) {
            firstViews[i] = firsts[i];
            secondViews[i] = seconds[i];
        }
        // A line that does not fit goes to neither map: each keeps what came before.
        ok = CRelationMap::AddPairs(maps[0], maps[1], firstViews.data(), secondViews.data(),
                                    batched) == batched;
        batched = 0;
    };
    std::string_view line, view;
    while (ok && reader.ReadTrimmedLine(line)) {
        tracker.Update(reader.Position());
        if (!MatchPattern(line, pattern::kRelations, pattern::kModelSeparators, STRSNTX_RELATIONS,
                          0, 1))
            continue;
        GetField(line, ',', 1, view);
        firsts[batched].assign(view);
        if (GetField(line, ',', 2, view) == -1)
            view = std::string_view();
        seconds[batched].assign(view);
        ToUpperAsciiInPlace(firsts[batched]);
        ToUpperAsciiInPlace(seconds[batched]);
        if (++batched == kBatch)
            flush();
    }
    if (ok && batched > 0)
        flush();
    // Group both maps by key now, while the status bar still says what is being read. Each
    // map that could not take everything says so.
    bool read[2] = {ok, ok};
    for (int m = 0; m < 2; ++m) {
        if (read[m] && !maps[m].Compact())
            read[m] = false;
        if (!read[m]) {
            ShowModelMessage(context, MSG_RELATIONS_MEMORY, MessageFormat(MSG_RELATIONS_MEMORY),
                             platform::Icon::Exclamation);
        }
    }
    return read[0] && read[1] ? 1 : 0;
}

int CLink::EnsureRelations(CModelContext& context, int direct)
{
    if (direct == 1)
        return LoadRelations(context);
    const bool loaded = maps[0].KeyCount() > 0 && maps[1].KeyCount() > 0;
    if (context.switches.largeDataAlarm == 1 && context.requestScope.IsOpen()) {
        std::uint64_t size = 0;
        std::int64_t mtime = 0;
        if (platform::FileStatus(JoinModelPath(context.modelDirectory, file), size, mtime) &&
            size >= kLargeRelationFile) {
            if (context.requestScope.Contains(this))
                return -1;
            if (loaded)
                return 1;
            const std::string text =
                StringPrintf(MessageFormat(MSG_LARGE_RELATION_FILE), NameOf(first).c_str(),
                             NameOf(second).c_str());
            if (ShowModelMessage(context, MSG_LARGE_RELATION_FILE, text,
                                 platform::Icon::Question,
                                 platform::Buttons::YesNo) == platform::Answer::Yes) {
                context.requestScope.Add(this);
                return -1;
            }
        }
    }
    if (loaded)
        return 1;
    return LoadRelations(context);
}

bool CLink::RelatedValues(CModelContext& context, const CElement* element, std::string_view key,
                          std::vector<std::string_view>& values)
{
    EnsureRelations(context, 0);
    if (!element)
        return false;
    if (element == first)
        return maps[0].Lookup(key, values);
    if (element == second)
        return maps[1].Lookup(key, values);
    return false;
}

int CLink::CountRelations(CModelContext& context, CElement* element, const std::string* key)
{
    const int loaded = EnsureRelations(context, 0);
    if (loaded == -1)
        return -1;
    if (loaded == 0) {
        errorFlag = 1;
        return 0;
    }
    if (!element || (element != first && element != second))
        return 0;
    const CRelationMap* map = nullptr;
    if (key)
        map = element == first ? &maps[0] : &maps[1];
    else
        map = element == first ? &maps[1] : &maps[0];
    fromElement = element;
    recordedKey = key ? *key : std::string();
    return key ? map->Count(*key) : map->KeyCount();
}

// ---------------------------------------------------------------------------------------
// CPage

CElement* CPage::ElementAt(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= elements.size())
        return nullptr;
    return elements[static_cast<std::size_t>(index)].get();
}

CLink* CPage::LinkAt(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= links.size())
        return nullptr;
    return links[static_cast<std::size_t>(index)].get();
}

int CPage::IndexOf(const CElement* element) const
{
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (elements[i].get() == element)
            return static_cast<int>(i);
    }
    return -1;
}

CElement* CPage::FirstEnabled() const
{
    for (const auto& e : elements) {
        if (e->enabled)
            return e.get();
    }
    return nullptr;
}

CElement* CPage::LastEnabled() const
{
    for (auto it = elements.rbegin(); it != elements.rend(); ++it) {
        if ((*it)->enabled)
            return it->get();
    }
    return nullptr;
}

CElement* CPage::NextEnabled(const CElement* e) const
{
    const int start = IndexOf(e);
    const int count = static_cast<int>(elements.size());
    if (start < 0)
        return FirstEnabled();
    for (int step = 1; step < count; ++step) {
        CElement* candidate = elements[static_cast<std::size_t>((start + step) % count)].get();
        if (candidate->enabled)
            return candidate;
    }
    return const_cast<CElement*>(e);
}

CElement* CPage::PreviousEnabled(const CElement* e) const
{
    const int start = IndexOf(e);
    const int count = static_cast<int>(elements.size());
    if (start < 0)
        return LastEnabled();
    for (int step = 1; step < count; ++step) {
        CElement* candidate =
            elements[static_cast<std::size_t>((start - step + count) % count)].get();
        if (candidate->enabled)
            return candidate;
    }
    return const_cast<CElement*>(e);
}

CGroup* CPage::GroupWithChild(const CElement* e) const
{
    for (const auto& g : groups) {
        if (std::find(g->children.begin(), g->children.end(), e) != g->children.end())
            return g.get();
    }
    return nullptr;
}

CGroup* CPage::GroupWithParent(const CElement* e) const
{
    for (const auto& g : groups) {
        if (g->parent == e)
            return g.get();
    }
    return nullptr;
}

CGroup* CPage::GroupOf(const CElement* e) const
{
    for (const auto& g : groups) {
        if (g->parent == e ||
            std::find(g->children.begin(), g->children.end(), e) != g->children.end())
            return g.get();
    }
    return nullptr;
}

CElement* CPage::TopAncestor(CElement* e) const
{
    // Hand-written models can make an element its own ancestor; the walk stops when it
    // comes back to an element it has seen.
    std::unordered_set<const CElement*> seen;
    CElement* top = e;
    while (top && seen.insert(top).second) {
        const CGroup* group = GroupWithChild(top);
        if (!group || !group->parent)
            break;
        top = group->parent;
    }
    return top;
}

namespace {

template <typename Visit>
CRelationCounter* ScanCounters(const CPage& page, bool backwards, Visit visit)
{
    const auto& symbols = page.symbols;
    if (!backwards) {
        for (const auto& s : symbols) {
            for (auto& c : s->counters) {
                if (visit(c))
                    return &c;
            }
        }
    } else {
        for (auto s = symbols.rbegin(); s != symbols.rend(); ++s) {
            for (auto c = (*s)->counters.rbegin(); c != (*s)->counters.rend(); ++c) {
                if (visit(*c))
                    return &*c;
            }
        }
    }
    return nullptr;
}

} // namespace

CRelationCounter* CPage::FirstCounter() const
{
    return ScanCounters(*this, false, [](const CRelationCounter& c) { return c.relations > 0; });
}

CRelationCounter* CPage::LastCounter() const
{
    return ScanCounters(*this, true, [](const CRelationCounter& c) { return c.relations > 0; });
}

namespace {

// The counted counter after current in the given direction; nullptr past the end. When
// current is not on the page the scan starts from the first (or last) counter.
CRelationCounter* StepCounter(const CPage& page, const CRelationCounter* current, bool backwards)
{
    bool passed = false;
    CRelationCounter* found = ScanCounters(page, backwards, [&](const CRelationCounter& c) {
        if (&c == current) {
            passed = true;
            return false;
        }
        return passed && c.relations > 0;
    });
    if (!passed)
        return backwards ? page.LastCounter() : page.FirstCounter();
    return found;
}

} // namespace

CRelationCounter* CPage::NextCounter(const CRelationCounter* current) const
{
    return StepCounter(*this, current, false);
}

CRelationCounter* CPage::PreviousCounter(const CRelationCounter* current) const
{
    return StepCounter(*this, current, true);
}

std::string LinkKindName(int kind)
{
    if (kind >= 1 && kind <= 4)
        return MessageFormat(999 + kind);
    return std::string();
}

platform::FontDialogSpec FontDialogFromRecord(const CFontRecord& record)
{
    platform::FontDialogSpec spec;
    spec.faceName = record.faceName;
    spec.height = record.height;
    spec.weight = record.weight;
    spec.italic = record.italic != 0;
    spec.underline = record.underline != 0;
    spec.strikeOut = record.strikeOut != 0;
    return spec;
}

CFontRecord RecordFromFontDialog(const platform::FontDialogSpec& chosen,
                                 const CFontRecord& previous)
{
    CFontRecord record = previous;
    record.faceName = chosen.faceName.substr(0, 31);
    record.height = chosen.height;
    record.weight = chosen.weight;
    record.italic = chosen.italic ? 1 : 0;
    record.underline = chosen.underline ? 1 : 0;
    record.strikeOut = chosen.strikeOut ? 1 : 0;
    return record;
}
