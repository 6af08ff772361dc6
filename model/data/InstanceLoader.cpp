#include "InstanceLoader.h"

#include "LineReader.h"
#include "Messages.h"
#include "ModelContext.h"
#include "ModelDoc.h"
#include "StringPattern.h"
#include "StringUtil.h"

#include <string_view>
#include <unordered_set>
#include <vector>

namespace {

std::string StatusText(const CElement* target, const CLink* link, bool emptyFile)
{
    std::string text;
    if (link) {
        text = StringPrintf("Loading Relations: %s/%s ",
                            link->first ? link->first->name.c_str() : "",
                            link->second ? link->second->name.c_str() : "");
    } else {
        text = StringPrintf("Loading Instances: %s ", target->name.c_str());
    }
    if (emptyFile) {
        text.pop_back();
        text += " ...";
    }
    return text;
}

// Decides which records of a relation listing are added. The relation data is looked up
// once per file: it cannot change while the file is read.
class RelationFilter
{
public:
    RelationFilter(CModelContext& context, CLink* link) : m_link(link)
    {
        if (!link)
            return;
        if (link->listingMode == 1) {
            // The instances related to the recorded one: its values on the from side, as
            // views into the relation map (which does not change while a file is read).
            std::vector<std::string_view> values;
            if (link->RelatedValues(context, link->fromElement, link->recordedKey, values)) {
                m_keys.reserve(values.size());
                m_keys.insert(values.begin(), values.end());
            }
        } else if (link->listingMode == 2) {
            // Every instance of the other end that has relations at all.
            const CElement* other = nullptr;
            if (link->fromElement == link->first)
                other = link->second;
            else if (link->fromElement == link->second)
                other = link->first;
            if (other) {
                link->EnsureRelations(context, 0);
                m_otherMap = other == link->first ? &link->maps[0] : &link->maps[1];
            }
        }
    }

    bool Accepts(std::string_view key) const
    {
        if (!m_link)
            return true;
        if (m_link->listingMode == 1)
            return m_keys.count(key) != 0;
        if (m_link->listingMode == 2)
            return m_otherMap && m_otherMap->Contains(key);
        return false;
    }

private:
    const CLink* m_link;
    std::unordered_set<std::string_view> m_keys;
    const CRelationMap* m_otherMap = nullptr;
};

// Elements one listing visits at the most. A family whose groups name members again and
// again (each level naming the next one twice doubles the listing) would otherwise keep the
// only thread busy for ever; no family drawn on a page comes near it.
constexpr int kMaxFamilyVisits = 4096;

// ancestors: the elements on the path from the listed element down to this one. Every child
// is listed each time a group names it; only a child that is already an ancestor is not
// entered again, so a family that loops back on itself ends instead of running forever.
// visits: what is left of kMaxFamilyVisits.
void LoadTree(CModelDoc& doc, CElement* element, CLink* link, IInstanceSink& sink, int pageIndex,
              std::unordered_set<const CElement*>& ancestors, int& visits)
{
    if (visits <= 0 || !ancestors.insert(element).second)
        return;
    --visits;
    CGroup* group = doc.GroupWithParent(element, pageIndex);
    if (!group) {
        LoadInstances(doc, element, nullptr, link, 1, sink);
    } else {
        LoadInstances(doc, element, group, link, 0, sink);
        for (CElement* child : group->children) {
            if (child->enabled == 1)
                LoadTree(doc, child, link, sink, pageIndex, ancestors, visits);
        }
    }
    ancestors.erase(element);
}

} // namespace

int LoadInstances(CModelDoc& doc, CElement* target, CGroup* group, CLink* link, int reportMissing,
                  IInstanceSink& sink)
{
    if (!target)
        return 0;
    CModelContext& context = doc.Context();
    CTextLineReader reader;
    if (!reader.Open(JoinModelPath(context.modelDirectory, target->file))) {
        if (reportMissing == 1) {
            ShowModelMessage(context, MSG_OPEN_INSTANCE_FILE,
                             StringPrintf(MessageFormat(MSG_OPEN_INSTANCE_FILE),
                                          target->file.c_str(), target->name.c_str()),
                             platform::Icon::Exclamation);
        }
        return 0;
    }
    std::uint64_t size = 0;
    if (!reader.Size(size))
        size = 1;

    CStatusProgress progress(context.statusBar, StatusText(target, link, size == 0), true);
    progress.Show(1);
    progress.SetPos(0, 0, 100);
    CPercentTracker tracker(&progress, size);

    const RelationFilter filter(context, link);
    std::string_view line, field;
    while (reader.ReadTrimmedLine(line)) {
        tracker.Update(reader.Position());
        if (line.empty())
            continue;
        if (!MatchPattern(line, pattern::kInstances, pattern::kInstanceSeparators,
                          STRSNTX_INSTANCES, 0, 1))
            continue;
        CInstanceRecord record;
        GetField(line, '|', 1, field);
        record.key = TrimBlanks(field);
        if (GetField(line, '|', 2, field) != -1)
            record.text = TrimBlanks(field);
        if (!filter.Accepts(record.key))
            continue;
        record.element = target;
        record.index = -1;
        if (!sink.AddInstance(std::move(record), group))
            break;
    }
    if (size > 0)
        progress.SetPos(100);
    return 1;
}

void LoadInstanceTree(CModelDoc& doc, CElement* element, CLink* link, IInstanceSink& sink,
                      int pageIndex)
{
    if (!element)
        return;
    std::unordered_set<const CElement*> ancestors;
    int visits = kMaxFamilyVisits;
    LoadTree(doc, element, link, sink, pageIndex, ancestors, visits);
}

bool InstanceValue(std::string_view text, int i, std::string& value)
{
    std::string_view field;
    if (GetField(text, '^', i, field) == -1)
        return false;
    value = TrimBlanksTabs(field);
    return true;
}
