#include "SyntaxTest.h"

#include "Messages.h"
#include "ModelContext.h"
#include "ReportFile.h"
#include "StringPattern.h"
#include "StringUtil.h"
#include "profile/ProfileReader.h"
#include "prompter/Prompter.h"

#include <memory>
#include <optional>
#include <string_view>

namespace {

// Values are read as the model loader reads them: at most 298 characters.
constexpr std::size_t kValueLimit = platform::kDefaultProfileBuffer - 1;

const char* const kNotApplicable = "<N/A>";
const char* const kCompareSyntax =
    "compare right and wrong syntax strings and make necessary changes";
const char* const kSyntaxError = "error: syntax error";
const char* const kSyntaxCreateFailed =
    "Unable to create the file needed to save the syntax test result.";
const char* const kSyntaxWriteFailed = "Unable to write model syntax test output file.";

std::string MessageText(int id, const char* fallback)
{
    const char* text = MessageFormat(id);
    return text && *text ? std::string(text) : std::string(fallback);
}

std::string ToLowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// Reads keys of one model file; a file that cannot be read gives empty values.
class CModelKeys
{
public:
    explicit CModelKeys(const std::string& path) : m_profile(platform::LoadProfile(path)) {}

    std::string Read(std::string_view section, std::string_view key) const
    {
        if (!m_profile)
            return std::string();
        const std::string* value = m_profile->Find(section, key);
        if (!value)
            return std::string();
        return value->size() > kValueLimit ? value->substr(0, kValueLimit) : *value;
    }

private:
    std::shared_ptr<const platform::ParsedProfile> m_profile;
};

class CReportWriter
{
public:
    CReportWriter(CSyntaxReport& report, const std::string& modelPath)
        : m_report(report), m_path(ToLowerAscii(AbsolutePath(modelPath)))
    {
    }

    void Error(const char* kind, const char* description, std::string_view section,
               std::string_view entry, const char* whatToDo, const char* right,
               std::string_view wrong, std::string_view key = {})
    {
        Record(true, kind, description, section, entry, whatToDo, right, wrong, key);
        ++m_report.errors;
    }
    void Warning(const char* kind, const char* description, std::string_view section,
                 std::string_view entry, const char* whatToDo)
    {
        Record(false, kind, description, section, entry, whatToDo, kNotApplicable, kNotApplicable,
               {});
        ++m_report.warnings;
    }

private:
    void Record(bool error, const char* kind, const char* description, std::string_view section,
                std::string_view entry, const char* whatToDo, const char* right,
                std::string_view wrong, std::string_view key)
    {
        std::string location = "section [";
        location.append(section);
        location += "], entry ";
        location.append(entry);
        location += '=';
        const std::string wrongText(wrong);
        AppendFormat(m_report.text,
                     "(%3.3d) %s: %s\r\n\t description: %s\r\n\t    loaction: %s\r\n\t  what to "
                     "do: %s\r\n\tright syntax: %s\r\n\twrong syntax: %s\r\n\r\n",
                     1 + m_report.errors + m_report.warnings, m_path.c_str(), kind, description,
                     location.c_str(), whatToDo, right, wrongText.c_str());
        m_report.findings.push_back(
            CSyntaxFinding{error, kind, description, std::string(section), std::string(entry),
                           std::string(key.empty() ? entry : key), whatToDo, right, wrongText});
    }

    CSyntaxReport& m_report;
    std::string m_path;
};

// One kind of page entry: key prefix, the patterns it may match and its record texts.
struct EntryKind
{
    const char* prefix;
    std::string_view pattern;
    std::string_view alternative; // a second pattern that also passes, or empty
    const char* description;
    const char* rightSyntax;
    bool zeroIsError;
    const char* zeroKind;
    const char* zeroDescription;
    const char* zeroWhatToDo;
};

const EntryKind kEntryKinds[] = {
    {"E", pattern::kElementNormal, pattern::kElementJump, "the syntax of the element is incorrect",
     "#,#,$,#,F$,$,$,$[~;$]/#,#,$,#,M#", true, "error: zero elements in page",
     "no elements were defined in current page",
     "add at least one element to the page or remove the page"},
    {"L", pattern::kLink, {}, "the syntax of the link is incorrect",
     "[M#;]E#,[M#;]E#,#,#,F$,#;#[~,#;#]", false, "warning: zero links in page",
     "no links were defined in current page",
     "if you have defined two or more elements in the page, you can define link between them "
     "(link(s) are optional and can be omitted)"},
    {"G", pattern::kGroup, {}, "the syntax of the group is incorrect", "#;#;#;#,#,E#,E#[~;E#]",
     false, "warning: zero groups in page", "no groups were defined in current page",
     "if you have element that has sub-elements, you can define a group between them "
     "(group(s) are optional and can be omitted)"},
    {"S", pattern::kSymbol, {}, "the syntax of the symbol is incorrect", "#,#,#,#,#,L#;#[~,L#;#]",
     false, "warning: zero symbols in page", "no symbols were defined in current page",
     "symbols defines relation type, groups more than one link and defines hit counters "
     "position in the model. (you must define symbols if you want to use use relations)"},
};

void CheckEntries(const CModelKeys& keys, const std::string& section, const EntryKind& kind,
                  CReportWriter& writer)
{
    CStringPattern checker;
    checker.SetDetectFileNames(1);
    // The loop ends at the first missing or empty key, so it is bounded by the file.
    int n = 1;
    for (;; ++n) {
        const std::string key = MakeEntryKey(kind.prefix, n);
        const std::string value = keys.Read(section, key);
        if (value.empty())
            break;
        bool ok = checker.Check(value, kind.pattern, pattern::kModelSeparators, 0) == 1;
        if (!ok && !kind.alternative.empty())
            ok = checker.Check(value, kind.alternative, pattern::kModelSeparators, 0) == 1;
        if (!ok)
            writer.Error(kSyntaxError, kind.description, section, key, kCompareSyntax,
                         kind.rightSyntax, checker.Signature());
    }
    if (n == 1) {
        const std::string first = MakeEntryKey(kind.prefix, 1);
        if (kind.zeroIsError)
            writer.Error(kind.zeroKind, kind.zeroDescription, section, first, kind.zeroWhatToDo,
                         kNotApplicable, kNotApplicable);
        else
            writer.Warning(kind.zeroKind, kind.zeroDescription, section, first,
                           kind.zeroWhatToDo);
    }
}

// The name without folder and without its last extension.
std::string BareName(std::string_view path)
{
    const std::size_t slash = path.find_last_of("/\\");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string_view::npos && dot > 0)
        name = name.substr(0, dot);
    return std::string(name);
}

} // namespace

CSyntaxReport RunSyntaxTest(const std::string& modelPath)
{
    CSyntaxReport report;
    CReportWriter writer(report, modelPath);
    const CModelKeys keys(modelPath);

    const std::string name = keys.Read("MODEL", "NAME");
    const std::string pages = keys.Read("MODEL", "PAGES");
    const std::string publishingId = keys.Read("DOCUMENTATION", "PUBLISHING ID");
    const std::string collection = keys.Read("DOCUMENTATION", "COLLECTION");

    if (name.empty())
        writer.Warning("warning: missing entry",
                       "model name entry is missing (name is optional and can be omitted)",
                       "MODEL", "NAME", "give name to the model");
    if (pages.empty()) {
        writer.Error("error: missing entry",
                     "none of the model pages are defined (this parameter can NOT be omitted)",
                     "MODEL", "PAGES",
                     "define pages for the model and separate them with a comma (,)",
                     kNotApplicable, kNotApplicable);
    } else if (MatchPattern(pages, pattern::kPageList, pattern::kModelSeparators, STRSNTX_NONE, 1,
                            0) != 1) {
        writer.Error(kSyntaxError,
                     "the syntax of the model pages string is incorrect (this parameter can NOT "
                     "be omitted)",
                     "MODEL", "PAGES",
                     "define pages for the model and separate them with comma (,)",
                     kNotApplicable, kNotApplicable);
    }
    if (publishingId.empty())
        writer.Warning("warning: missing entry",
                       "publisging id entry is missing (publishing id is optional and can be "
                       "omitted)",
                       "DOCUMENTATION", "PUBLISHING ID", "give publishing id to the model");
    if (collection.empty())
        writer.Error("error: missing entry",
                     "collection name for the model is not defined (this parameter can NOT be "
                     "omitted)",
                     "DOCUMENTATION", "COLLETION",
                     "define collection name for the model. collection name must equal to "
                     "collection name in corvelle.ini",
                     kNotApplicable, kNotApplicable, "COLLECTION");

    // PAGES is at most 298 characters, so there are at most 150 pages.
    std::string page;
    for (int k = 1; GetField(pages, ',', k, page) != -1; ++k) {
        const std::string section = TrimBlanks(page);
        for (const EntryKind& kind : kEntryKinds)
            CheckEntries(keys, section, kind, writer);
    }
    return report;
}

std::string SyntaxSummary(const std::string& modelPath, const std::string& reportPath,
                          const CSyntaxReport& report)
{
    std::string text;
    if (report.errors > 0 || report.warnings > 0)
        AppendFormat(text,
                     "%s -- %d error(s), %d warning(s). See detailed information from the output "
                     "file %s",
                     BareName(modelPath).c_str(), report.errors, report.warnings,
                     BareName(reportPath).c_str());
    else
        AppendFormat(text, "%s -- %d error(s), %d warning(s).", BareName(modelPath).c_str(), 0,
                     0);
    return text;
}

void SyntaxTest(CModelContext& context, void* owner)
{
    platform::IPrompter* prompter = context.prompter;
    if (!prompter)
        return; // nobody to ask for the files

    platform::FileDialogSpec open;
    open.mode = platform::FileDialogSpec::Mode::Open;
    open.title = "Open Model File";
    open.filter = "Model Files (*.mdl)|*.mdl|All Files (*.*)|*.*||";
    open.fileMustExist = true;
    open.hideReadOnly = true;
    open.owner = owner;
    const std::optional<std::string> modelPath = prompter->ChooseFile(open);
    if (!modelPath)
        return;

    const std::optional<std::string> reportPath =
        prompter->ChooseFile(ReportSaveDialog("Save Output File As", "MODSNTX", owner));
    if (!reportPath)
        return;

    prompter->SetWaitCursor(true);
    CReportFile file;
    if (!file.Create(*reportPath)) {
        prompter->SetWaitCursor(false);
        ShowModelMessage(context, MSG_SYNTAX_CREATE_FAILED,
                         MessageText(MSG_SYNTAX_CREATE_FAILED, kSyntaxCreateFailed),
                         platform::Icon::Exclamation);
        return;
    }
    const CSyntaxReport report = RunSyntaxTest(*modelPath);
    const bool written = file.Commit(report.text);
    prompter->SetWaitCursor(false);
    if (!written)
        ShowModelMessage(context, MSG_SYNTAX_WRITE_FAILED,
                         MessageText(MSG_SYNTAX_WRITE_FAILED, kSyntaxWriteFailed),
                         platform::Icon::Exclamation);
    ShowModelMessage(context, 0, SyntaxSummary(*modelPath, *reportPath, report),
                     platform::Icon::Information);
}
