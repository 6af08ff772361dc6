#include "ModelDump.h"

#include "Messages.h"
#include "ModelContext.h"
#include "ModelDoc.h"
#include "ReportFile.h"
#include "StringUtil.h"
#include "prompter/Prompter.h"

#include <sys/stat.h>

#include <string_view>
#include <vector>

namespace {

const char* const kDumpCreateFailed = "Unable to create the file needed to save the model dump.";

// The message table's text, or the text this module knows when the table has none.
std::string MessageText(int id, const char* fallback)
{
    const char* text = MessageFormat(id);
    return text && *text ? std::string(text) : std::string(fallback);
}

const std::string kDoubleRule(105, '=');
const std::string kSingleRule(105, '-');

// Kind texts of links and symbols as the dump writes them.
const char* DumpKindText(int kind)
{
    switch (kind) {
    case 1: return "IS PART OF";
    case 2: return "USES";
    case 3: return "IMPLEMENTS";
    case 4: return "IS LOCATED";
    default: return "<NONE>";
    }
}

const char* PlaceText(int place)
{
    static const char* const kPlaces[] = {"N", "NE", "E", "SE", "S", "SW", "W", "NW"};
    return place >= 0 && place < 8 ? kPlaces[place] : "<?>";
}

const char* ArrowCodeText(int code)
{
    static const char* const kCodes[] = {"-WE>", ">WE-", ">WE>", "-WE-", "-NS>", ">NS-",
                                         ">NS>", "-NS-", "-EW>", ">EW-", ">EW>", "-EW-",
                                         "-SN>", ">SN-", ">SN>", "-SN-"};
    return code >= 1 && code <= 16 ? kCodes[code - 1] : "NONE";
}

void AppendArrow(std::string& out, int code, int length)
{
    AppendFormat(out, "%-4s%2.2d, ", ArrowCodeText(code), length);
}

std::string NameOr(const CElement* element, const char* missing)
{
    return element ? element->name : std::string(missing);
}

void WriteElements(const CPage& page, std::string& out)
{
    out += "ELEMENTS:\n"
           "ID    NAME                       TYPE    FILENAME                STATE      X    Y"
           "   JUMP  VISIT  ATTRIBUTES\n"
           "----  -------------------------  ------  ----------------------  --------  ---  ---"
           "  ----  -----  ----------\n";
    int number = 0;
    for (const auto& e : page.elements) {
        ++number;
        const std::string jump = e->jumpTarget == -1 ? "-" : std::to_string(e->jumpTarget);
        std::string attributes;
        for (std::size_t i = 0; i < e->attributes.size(); ++i) {
            if (i > 0)
                attributes += "; ";
            attributes += e->attributes[i];
        }
        if (e->attributes.empty())
            attributes = "-";
        AppendFormat(out, "E%3.3d  %-25s  %-6s  %-22s  %-9s  %-3d  %-3d  %-3s  %-5s  %s\n",
                     number, e->name.c_str(), e->type == 0 ? "NORMAL" : "JUMP",
                     e->file.empty() ? "-" : e->file.c_str(),
                     e->enabled ? "ENABLED" : "DISABLED", e->x, e->y, jump.c_str(),
                     e->visited ? "TRUE" : "FALSE", attributes.c_str());
    }
}

void WriteGroups(const CPage& page, std::string& out)
{
    out += "GROUPS:\n"
           "ID     X    Y   ARROW     DLT  PARENT                     CHILDREN\n"
           "----  ---  ---  --------  ---  -------------------------  ------------------------\n";
    int number = 0;
    for (const auto& g : page.groups) {
        ++number;
        std::string arrow;
        AppendArrow(arrow, g->arrowCode, g->arrowLength);
        std::string children;
        for (std::size_t i = 0; i < g->children.size(); ++i) {
            if (i > 0)
                children += ", ";
            children += NameOr(g->children[i], "<????????}");
        }
        AppendFormat(out, "G%3.3d  %-3d  %-3d  %-8s  %-3d  %-25s  %s\n", number, g->arrowX,
                     g->arrowY, arrow.c_str(), g->halfCell,
                     NameOr(g->parent, "<????????}").c_str(), children.c_str());
    }
}

void WriteLinks(const CPage& page, std::string& out)
{
    out += "LINKS:\n"
           "ID    1ST ELEMENT'S NAME         TYPE        2ND ELEMENT'S NAME         FILENAME"
           "               DLT   X    Y   ARROWS   \n"
           "----  -------------------------  ----------  -------------------------  "
           "---------------------- ---  ---  ---  ---------\n";
    int number = 0;
    for (const auto& l : page.links) {
        ++number;
        std::string arrows;
        for (const CSegment& s : l->segments)
            AppendArrow(arrows, s.code, s.length);
        AppendFormat(out, "L%3.3d  %-25s  %-10s  %-25s  %-22s  %-3d  %-3d  %-3d %3s\n", number,
                     NameOr(l->first, "<NULL>").c_str(), DumpKindText(l->kind),
                     NameOr(l->second, "<NULL>").c_str(),
                     l->file.empty() ? "<NULL>" : l->file.c_str(), l->halfCell, l->startX,
                     l->startY, arrows.c_str());
    }
}

void WriteSymbols(const CPage& page, std::string& out)
{
    out += "SYMBOLS:\n"
           "ID    TYPE        X    Y    DLTX  DLTY  1ST ELEMENT, 2ND ELEMENT, SRP; ...\n"
           "----  ----------  ---  ---  ----  ----  ----------------------------------\n";
    int number = 0;
    for (const auto& s : page.symbols) {
        ++number;
        std::string counters;
        for (std::size_t i = 0; i < s->counters.size(); ++i) {
            if (i > 0)
                counters += "; ";
            const CRelationCounter& c = s->counters[i];
            if (!c.link)
                continue; // a counter without a link leaves only its separator
            counters += NameOr(c.link->first, "<Element1?>");
            counters += ", ";
            counters += NameOr(c.link->second, "<Element2?>");
            counters += ", ";
            counters += PlaceText(c.place);
        }
        AppendFormat(out, "S%3.3d  %-10s  %-3d  %-3d  %-4d  %-4d  %s\n", number,
                     DumpKindText(s->kind), s->x, s->y, s->hShift, s->vShift, counters.c_str());
    }
}

// One map of a link: a line per key with its values, continuation lines indented to the
// values' column.
void WriteRelationMap(const CLink& link, int side, std::string& out)
{
    const CRelationMap& map = link.maps[side];
    const CElement* from = side == 0 ? link.first : link.second;
    const CElement* to = side == 0 ? link.second : link.first;
    const std::string direction =
        NameOr(from, "<NULL>") + " -> " + NameOr(to, "<NULL>");
    std::vector<std::string_view> values;
    std::string pending;
    const int keys = map.KeyCount();
    for (int index = 0; index < keys; ++index) {
        const std::string key(map.KeyAt(index));
        AppendFormat(out, "R%4.4ld  %-36s  %-11s", static_cast<long>(index), direction.c_str(),
                     key.c_str());
        bool lineOpen = true; // something stands on the current line without its line feed
        values.clear();
        map.ValuesAt(index, values);
        pending.clear();
        for (std::size_t v = 0; v < values.size(); ++v) {
            const bool more = v + 1 < values.size();
            pending.append(values[v]);
            if (more)
                pending += ", ";
            if (pending.size() > 59) {
                out += pending;
                out += '\n';
                pending.clear(); // written once: the closing write below must not repeat it
                lineOpen = false;
                if (more) {
                    out.append(56, ' ');
                    lineOpen = true;
                }
            }
        }
        // An entry whose values are all empty still ends its line.
        if (!pending.empty() || lineOpen) {
            out += pending;
            out += '\n';
        }
    }
}

void WriteRelations(const CPage& page, std::string& out)
{
    out += "RELATIONS:\n"
           "ID     RELATION (FROM ELEMENT->TO ELEMENT)   INDEX FROM   INDEX(ES) TO"
           "                       \n"
           "-----  ------------------------------------  -----------  "
           "-----------------------------------\n";
    for (const auto& link : page.links) {
        if (!link->IsRelationCapable())
            continue;
        const bool both = link->maps[0].KeyCount() > 0 && link->maps[1].KeyCount() > 0;
        for (int side = 0; side < 2; ++side) {
            WriteRelationMap(*link, side, out);
            if (both)
                out += '\n';
        }
    }
}

void WritePage(const CPage& page, std::string& out)
{
    out += kSingleRule;
    out += '\n';
    out += "PAGE NAME = ";
    out += page.name;
    out += '\n';
    AppendFormat(out, "MODEL SIZE = %d, %d\nELEMENT SIZE = %d, %d\n\n", page.modelWidth,
                 page.modelHeight, page.elementWidth, page.elementHeight);
    WriteElements(page, out);
    out += "\n\n";
    WriteGroups(page, out);
    out += "\n\n";
    WriteLinks(page, out);
    out += "\n\n";
    WriteSymbols(page, out);
    out += "\n\n";
    WriteRelations(page, out);
    out += "\n\n";
}

} // namespace

void WriteModelDump(const CModelDoc& doc, std::string& out)
{
    // Built with plain line feeds, stored with CR LF as a text-mode file would be. The pages
    // are converted one at a time so that a large model is not held twice.
    std::string text;
    text += kDoubleRule;
    text += '\n';
    AppendFormat(text, "MODEL : %s\n", doc.Collection().c_str());
    text += kDoubleRule;
    text += "\n\n";
    AppendTextMode(out, text);
    for (const auto& page : doc.Pages()) {
        text.clear();
        WritePage(*page, text);
        AppendTextMode(out, text);
    }
}

void DumpModel(CModelDoc& doc, void* owner)
{
    CModelContext& context = doc.Context();
    platform::IPrompter* prompter = context.prompter;
    if (ToUpperAscii(doc.Title()) == "UNTITLED") {
        if (prompter)
            prompter->MessageBeep(platform::BeepType::Simple);
        return;
    }
    if (!prompter)
        return; // nobody to ask for the file

    const std::optional<std::string> path =
        prompter->ChooseFile(ReportSaveDialog("Save Model Dump As", "MODDUMP", owner));
    if (!path)
        return;

    prompter->SetWaitCursor(true);
    CReportFile file;
    bool written = file.Create(*path);
    if (written) {
        std::string report;
        WriteModelDump(doc, report);
        written = file.Commit(report);
    }
    prompter->SetWaitCursor(false);

    if (!written) {
        // A report that could not be written completely is not announced as dumped.
        ShowModelMessage(context, MSG_DUMP_CREATE_FAILED,
                         MessageText(MSG_DUMP_CREATE_FAILED, kDumpCreateFailed),
                         platform::Icon::Exclamation);
        return;
    }
    long size = 0;
    struct stat st {};
    if (::stat(file.TargetPath().c_str(), &st) == 0)
        size = static_cast<long>(st.st_size);
    std::string notice;
    AppendFormat(notice,
                 "Current model was dumpped to the file '%s'. Size of the file is %ld bytes.",
                 path->c_str(), size);
    ShowModelMessage(context, 0, notice, platform::Icon::Information);
}
