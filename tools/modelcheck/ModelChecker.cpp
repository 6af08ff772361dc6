#include "ModelChecker.h"

#include "InstanceLoader.h"
#include "LineReader.h"
#include "Messages.h"
#include "ModelContext.h"
#include "ModelDoc.h"
#include "StringPattern.h"
#include "StringUtil.h"
#include "SyntaxTest.h"
#include "files/PathLookup.h"
#include "profile/ProfileReader.h"
#include "prompter/StreamPrompter.h"

#include <cerrno>
#include <cstring>
#include <map>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Keeps the browser's messages of a load, each with the entry the loader was reading then.
class LoadMessages : public platform::IPrompter
{
public:
    struct Message
    {
        int number = 0;
        std::string text;
        CModelDoc::CEntryRef position;
    };

    explicit LoadMessages(const CModelDoc& doc) : m_doc(doc) {}

    void MessageBeep(platform::BeepType) override {}
    platform::Answer ShowMessage(int number, const std::string& text, platform::Icon,
                                 platform::Buttons buttons, const std::string&,
                                 std::optional<platform::Answer>) override
    {
        messages.push_back(Message{number, text, m_doc.LoadPosition()});
        const bool ok = buttons == platform::Buttons::Ok || buttons == platform::Buttons::OkCancel;
        return ok ? platform::Answer::Ok : platform::Answer::No;
    }
    std::optional<std::string> ChooseFile(const platform::FileDialogSpec&) override
    {
        return std::nullopt;
    }

    std::vector<Message> messages;

private:
    const CModelDoc& m_doc;
};

// The instance keys of an element's family as the browser lists it, with the keys that are
// not all capitals by their upper-cased form (to explain a near miss).
struct FamilyKeys
{
    std::unordered_set<std::string> keys;
    std::unordered_map<std::string, std::string> byUpperCase;
};

class KeySink : public IInstanceSink
{
public:
    explicit KeySink(FamilyKeys& family) : m_family(family) {}
    bool AddInstance(CInstanceRecord&& record, CGroup*) override
    {
        std::string upper = ToUpperAscii(record.key);
        if (upper != record.key)
            m_family.byUpperCase.emplace(std::move(upper), record.key);
        m_family.keys.insert(std::move(record.key));
        return true;
    }

private:
    FamilyKeys& m_family;
};

// Why a key of a relation line finds no instance in the family, or empty when it does. The
// browser upper-cases relation keys and compares them exactly with the instance keys.
std::string UnmatchedKey(const std::string& field, const FamilyKeys& family,
                         const std::string& elementName)
{
    const std::string upper = ToUpperAscii(field);
    if (family.keys.count(upper) != 0)
        return std::string();
    if (field.empty())
        return "relation line has no key for '" + elementName + "'";
    std::string text = "key '" + field + "' matches no instance of '" + elementName + "'";
    const std::string trimmed = TrimBlanks(upper);
    if (trimmed != upper && family.keys.count(trimmed) != 0) {
        text += " (blanks around a key are part of it)";
    } else {
        auto near = family.byUpperCase.find(upper);
        if (near == family.byUpperCase.end())
            near = family.byUpperCase.find(trimmed);
        if (near != family.byUpperCase.end())
            text += " (the instance key is written '" + near->second +
                    "'; relation keys are compared in capitals)";
    }
    return text;
}

std::string LinkText(const CLink& link)
{
    return "the link between '" + (link.first ? link.first->name : std::string()) + "' and '" +
           (link.second ? link.second->name : std::string()) + "'";
}

} // namespace

std::string CCheckFinding::Format() const
{
    return file + ':' + std::to_string(line) + (error ? ": error: " : ": warning: ") + text;
}

std::string FileReadProblem(const std::string& path)
{
    const std::string resolved = platform::ResolveExistingPath(path);
    int fd = -1;
    const int error = platform::OpenRegularFile(resolved, fd);
    if (error == 0) {
        ::close(fd);
        return std::string();
    }
    if (error == ENOENT)
        return "no such file";
    if (error == EISDIR) {
        struct stat st;
        if (::stat(resolved.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            return "is a folder";
        return "is not a regular file";
    }
    std::string reason = std::strerror(error);
    if (!reason.empty() && reason[0] >= 'A' && reason[0] <= 'Z')
        reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
    return reason;
}

CModelChecker::CModelChecker(std::string modelPath) : m_modelPath(std::move(modelPath)) {}

int CModelChecker::ExitStatus() const
{
    if (m_errors > 0)
        return 2;
    return m_warnings > 0 ? 1 : 0;
}

void CModelChecker::Add(const std::string& file, int line, bool error, std::string text)
{
    m_findings.push_back(CCheckFinding{file, line < 1 ? 1 : line, error, std::move(text)});
    ++(error ? m_errors : m_warnings);
}

int CModelChecker::EntryLine(const std::string& section, const std::string& key) const
{
    if (const int line = m_profile->KeyLine(section, key))
        return line;
    if (const int line = m_profile->SectionLine(section))
        return line;
    // A page without a section of its own: the page list names it.
    if (!EqualsIgnoreCaseAscii(section, "MODEL") &&
        !EqualsIgnoreCaseAscii(section, "DOCUMENTATION"))
        return m_profile->KeyLine("MODEL", "PAGES");
    return 1;
}

std::string CModelChecker::ModelFilePath(const std::string& name) const
{
    // Beside the model file as the user named it, so that the findings read the same way.
    const std::size_t slash = m_modelPath.find_last_of("/\\");
    const std::string directory =
        slash == std::string::npos ? std::string() : m_modelPath.substr(0, slash + 1);
    return platform::ResolveExistingPath(JoinModelPath(directory, name));
}

void CModelChecker::Run()
{
    m_findings.clear();
    m_errors = m_warnings = 0;
    m_profile = platform::LoadProfile(m_modelPath);
    if (!m_profile)
        m_profile = std::make_shared<platform::ParsedProfile>();

    CheckSyntax();
    // What the checks read after the load is reported as findings, not as messages.
    platform::StreamPrompter silent(nullptr, platform::Answer::No);
    CModelContext context;
    CModelDoc doc(context);
    if (!CheckLoad(doc))
        return;
    context.prompter = &silent;
    CheckElements(doc);
    CheckLinkFiles(doc);
    CheckRelationKeys(doc);
}

void CModelChecker::CheckSyntax()
{
    const CSyntaxReport report = RunSyntaxTest(m_modelPath);
    for (const CSyntaxFinding& f : report.findings) {
        // "error: syntax error" reads "syntax error: ..." after the finding's own weight.
        std::string kind = f.kind;
        const std::size_t colon = kind.find(": ");
        if (colon != std::string::npos)
            kind.erase(0, colon + 2);
        std::string text =
            kind + ": " + f.description + " (section [" + f.section + "], entry " + f.entry;
        if (f.rightSyntax != "<N/A>")
            text += "; right syntax: " + f.rightSyntax + "; wrong syntax: " + f.wrongSyntax;
        text += ')';
        Add(m_modelPath, EntryLine(f.section, f.key), f.error, std::move(text));
    }
}

bool CModelChecker::CheckLoad(CModelDoc& doc)
{
    LoadMessages messages(doc);
    doc.Context().prompter = &messages;
    const bool loaded = doc.OnOpenDocument(m_modelPath);
    for (const LoadMessages::Message& m : messages.messages) {
        const bool located = !m.position.section.empty() || !m.position.key.empty();
        const int line = located ? EntryLine(m.position.section, m.position.key) : 1;
        Add(m_modelPath, line, true,
            m.number != 0 ? StringPrintf("%04d: %s", m.number, m.text.c_str()) : m.text);
    }
    doc.Context().prompter = nullptr;
    return loaded;
}

void CModelChecker::CheckElements(const CModelDoc& doc)
{
    for (const auto& page : doc.Pages()) {
        for (std::size_t i = 0; i < page->elements.size(); ++i) {
            const CElement& element = *page->elements[i];
            const int line = EntryLine(page->name, MakeEntryKey("E", static_cast<int>(i) + 1));
            if (element.IsJump()) {
                if (element.jumpTarget < 1 || element.jumpTarget > doc.PageCount())
                    Add(m_modelPath, line, true,
                        StringPrintf("jump element '%s' leads to page M%d, but the model has %d "
                                     "page(s)",
                                     element.name.c_str(), element.jumpTarget, doc.PageCount()));
                continue;
            }
            const std::string problem = FileReadProblem(ModelFilePath(element.file));
            if (problem.empty())
                continue;
            Add(m_modelPath, line, false,
                "instance file '" + element.file + "' of element '" + element.name +
                    "' cannot be read (" + problem + "); " +
                    (element.enabled ? "only its children's instances are listed"
                                     : "the element is shown disabled"));
        }
    }
}

void CModelChecker::CheckLinkFiles(const CModelDoc& doc)
{
    for (const auto& page : doc.Pages()) {
        for (std::size_t n = 0; n < page->links.size(); ++n) {
            const CLink& link = *page->links[n];
            const std::string problem = FileReadProblem(ModelFilePath(link.file));
            if (problem.empty())
                continue;
            // Between two enabled normal elements the browser reads the file and its counters
            // say "File Not Found"; otherwise the file is never read.
            const bool used = link.IsRelationCapable();
            Add(m_modelPath, EntryLine(page->name, MakeEntryKey("L", static_cast<int>(n) + 1)),
                used,
                "relation file '" + link.file + "' of " + LinkText(link) + " cannot be read (" +
                    problem + ")" +
                    (used ? "; none of its relations can be counted or listed" : ""));
        }
    }
}

void CModelChecker::CheckRelationKeys(CModelDoc& doc)
{
    CModelContext& context = doc.Context();
    // The families of the link's ends as the browser lists them from the link's page.
    std::map<std::pair<const CElement*, int>, FamilyKeys> families;
    auto familyOf = [&](CElement* element, int pageIndex) -> const FamilyKeys& {
        const auto key = std::make_pair(static_cast<const CElement*>(element), pageIndex);
        auto it = families.find(key);
        if (it == families.end()) {
            it = families.emplace(key, FamilyKeys()).first;
            KeySink sink(it->second);
            LoadInstanceTree(doc, element, nullptr, sink, pageIndex);
        }
        return it->second;
    };

    std::string field1, field2;
    std::string_view line, view;
    for (int p = 0; p < doc.PageCount(); ++p) {
        for (const auto& link : doc.PageAt(p)->links) {
            if (!link->IsRelationCapable())
                continue;
            CTextLineReader reader;
            if (!reader.Open(JoinModelPath(context.modelDirectory, link->file)))
                continue; // reported with the link
            const FamilyKeys& first = familyOf(link->first, p);
            const FamilyKeys& second = familyOf(link->second, p);
            const std::string file = ModelFilePath(link->file);
            while (reader.ReadTrimmedLine(line)) {
                // Lines the browser skips relate nothing.
                if (!MatchPattern(line, pattern::kRelations, pattern::kModelSeparators,
                                  STRSNTX_RELATIONS, 0, 1))
                    continue;
                GetField(line, ',', 1, view);
                field1.assign(view);
                if (GetField(line, ',', 2, view) == -1)
                    view = std::string_view();
                field2.assign(view);
                const int lineNumber = static_cast<int>(reader.LineNumber());
                for (std::string text : {UnmatchedKey(field1, first, link->first->name),
                                         UnmatchedKey(field2, second, link->second->name)}) {
                    if (!text.empty())
                        Add(file, lineNumber, false, std::move(text));
                }
            }
        }
    }
}
