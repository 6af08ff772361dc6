#include "ModelCheck.h"

#include "InstanceLoader.h"
#include "Messages.h"
#include "ModelChecker.h"
#include "ModelContext.h"
#include "ModelDoc.h"
#include "ModelDump.h"
#include "QueryCommand.h"
#include "ReportFile.h"
#include "StringUtil.h"
#include "SyntaxTest.h"
#include "ToolOutput.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

constexpr int kExitUsage = 64;
constexpr int kExitNoInput = 66;
constexpr int kExitIo = 74;

struct Options
{
    std::string command;
    std::vector<std::string> positional;
    std::optional<std::string> output;
    bool relations = false;
    bool books = false;
};

bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-o" || arg == "--output") {
            if (i + 1 >= args.size()) {
                error = "option " + arg + " needs a file name";
                return false;
            }
            options.output = args[++i];
        } else if (arg == "--relations") {
            options.relations = true;
        } else if (arg == "--books") {
            options.books = true;
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            error = "unknown option " + arg;
            return false;
        } else if (options.command.empty()) {
            options.command = arg;
        } else {
            options.positional.push_back(arg);
        }
    }
    return true;
}

bool WriteOutput(const std::optional<std::string>& path, const std::string& bytes,
                 std::FILE* out, std::FILE* err)
{
    if (!path) {
        CToolOutput output(out);
        output.Write(bytes);
        output.Flush();
        return true;
    }
    CReportFile file;
    if (!file.Create(*path) || !file.Commit(bytes)) {
        CToolOutput(err).Write("modelcheck: cannot write '" + *path + "'\n");
        return false;
    }
    return true;
}

// Prints every record as "KEY|TEXT".
class PrintingSink : public IInstanceSink
{
public:
    explicit PrintingSink(CToolOutput& out) : m_out(out) {}
    bool AddInstance(CInstanceRecord&& record, CGroup*) override
    {
        m_line.assign(record.key);
        m_line += '|';
        m_line += record.text;
        m_line += '\n';
        m_out.Write(m_line);
        return true;
    }

private:
    CToolOutput& m_out;
    std::string m_line;
};

// Collects the keys of the records.
class KeyCollector : public IInstanceSink
{
public:
    bool AddInstance(CInstanceRecord&& record, CGroup*) override
    {
        keys.push_back(std::move(record.key));
        return true;
    }
    std::vector<std::string> keys;
};

// A model file that cannot be read is said to be so, instead of being checked as empty.
bool ModelReadable(const std::string& path, std::FILE* err)
{
    const std::string problem = FileReadProblem(path);
    if (problem.empty())
        return true;
    CToolOutput(err).Write("modelcheck: cannot read '" + path + "': " + problem + "\n");
    return false;
}

using OpenModel = CToolModel;

int FindPage(const CModelDoc& doc, const std::string& name)
{
    for (int p = 0; p < doc.PageCount(); ++p) {
        if (doc.PageAt(p)->name == name)
            return p;
    }
    for (int p = 0; p < doc.PageCount(); ++p) {
        if (EqualsIgnoreCaseAscii(doc.PageAt(p)->name, name))
            return p;
    }
    return -1;
}

// Opens MODEL and finds PAGE and ELEMENT (positional arguments 1 to 3); the page becomes
// the current one. False, with the reason printed, when any of them fails.
bool OpenAndLocate(OpenModel& model, const Options& options, std::FILE* err, int& pageIndex,
                   CElement*& element)
{
    if (!model.doc.OnOpenDocument(options.positional[0]))
        return false;
    const std::string& pageName = options.positional[1];
    const std::string& elementName = options.positional[2];
    pageIndex = FindPage(model.doc, pageName);
    if (pageIndex < 0) {
        CToolOutput(err).Write(
            StringPrintf("modelcheck: no page '%s' in the model\n", pageName.c_str()));
        return false;
    }
    element = FindModelElement(*model.doc.PageAt(pageIndex), elementName);
    if (!element) {
        CToolOutput(err).Write(StringPrintf("modelcheck: no element '%s' on page '%s'\n",
                                            elementName.c_str(), pageName.c_str()));
        return false;
    }
    model.doc.SetCurrentPage(pageIndex);
    return true;
}

int RunSyntax(const Options& options, std::FILE* out, std::FILE* err)
{
    if (options.positional.size() != 1)
        return -1;
    const std::string& model = options.positional[0];
    if (!ModelReadable(model, err))
        return kExitNoInput;
    const CSyntaxReport report = RunSyntaxTest(model);
    if (!WriteOutput(options.output, report.text, out, err))
        return kExitIo;
    const std::string summary =
        SyntaxSummary(model, options.output ? *options.output : "standard output", report);
    CToolOutput(options.output ? out : err).Write(summary + "\n");
    if (report.errors > 0)
        return 2;
    return report.warnings > 0 ? 1 : 0;
}

int RunDump(const Options& options, std::FILE* out, std::FILE* err)
{
    if (options.positional.size() != 1)
        return -1;
    OpenModel model(err);
    if (!model.doc.OnOpenDocument(options.positional[0]))
        return 1;
    if (options.relations)
        model.doc.ReadAllRelations(1);
    std::string text;
    WriteModelDump(model.doc, text);
    return WriteOutput(options.output, text, out, err) ? 0 : kExitIo;
}

int RunInstances(const Options& options, std::FILE* out, std::FILE* err)
{
    if (options.positional.size() != 3)
        return -1;
    OpenModel model(err);
    int page = -1;
    CElement* element = nullptr;
    if (!OpenAndLocate(model, options, err, page, element))
        return 1;
    if (element->IsJump()) {
        CToolOutput(err).Write(StringPrintf(
            "modelcheck: '%s' is a jump element; it has no instances\n", element->name.c_str()));
        return 1;
    }
    CToolOutput output(out);
    PrintingSink sink(output);
    LoadInstanceTree(model.doc, element, nullptr, sink, page);
    output.Flush();
    return 0;
}

int RunRelated(const Options& options, std::FILE* out, std::FILE* err)
{
    if (options.positional.size() != 3 && options.positional.size() != 4)
        return -1;
    OpenModel model(err);
    int pageIndex = -1;
    CElement* element = nullptr;
    if (!OpenAndLocate(model, options, err, pageIndex, element))
        return 1;
    std::optional<std::string> key;
    if (options.positional.size() == 4) {
        key = options.positional[3];
        // The key as written in the instance files of the element's family; without such an
        // instance every count is 0, which is no answer to the question asked.
        KeyCollector keys;
        platform::StreamPrompter silent(nullptr, platform::Answer::No);
        model.context.prompter = &silent;
        LoadInstanceTree(model.doc, element, nullptr, keys, pageIndex);
        model.context.prompter = &model.prompter;
        if (std::find(keys.keys.begin(), keys.keys.end(), *key) == keys.keys.end())
            CToolOutput(err).Write(
                StringPrintf("modelcheck: no instance of '%s' has the key '%s'\n",
                             element->name.c_str(), key->c_str()));
    }
    CToolOutput output(out);

    CPage& page = *model.doc.PageAt(pageIndex);
    {
        // A relations request: the large-file question is asked (and answered No) inside it.
        CRequestScopeGuard scope(model.context.requestScope);
        model.doc.CountPageRelations(element, pageIndex, key ? &*key : nullptr);
    }

    auto names = [](const CRelationCounter& counter) {
        const CLink* link = counter.link;
        std::string line = link && link->first ? link->first->name : std::string();
        line += '\t';
        line += link ? LinkKindName(link->kind) : std::string();
        line += '\t';
        line += link && link->second ? link->second->name : std::string();
        return line;
    };
    for (const auto& symbol : page.symbols) {
        for (const CRelationCounter& counter : symbol->counters)
            output.Write(StringPrintf("%s\t%d\n", names(counter).c_str(), counter.relations));
    }
    PrintingSink sink(output);
    for (const auto& symbol : page.symbols) {
        for (const CRelationCounter& counter : symbol->counters) {
            if (counter.relations <= 0 || !counter.link)
                continue;
            output.Write("> " + names(counter) + "\n");
            output.Flush();
            CLink* link = counter.link;
            CElement* other = nullptr;
            if (link->fromElement == link->first)
                other = link->second;
            else if (link->fromElement == link->second)
                other = link->first;
            if (!other) {
                std::fprintf(err, "5019: Unable to load relations. Source or target element "
                                  "is invalid.\n");
                continue;
            }
            CRequestScopeGuard scope(model.context.requestScope);
            LoadInstanceTree(model.doc, other, link, sink, pageIndex);
            output.Flush();
        }
    }
    return 0;
}

int RunCheck(const Options& options, std::FILE* out, std::FILE* err)
{
    if (options.positional.size() != 1 || options.output || options.relations)
        return -1;
    const std::string& model = options.positional[0];
    if (!ModelReadable(model, err))
        return kExitNoInput;
    CModelChecker checker(model);
    checker.Run();
    CToolOutput output(out);
    for (const CCheckFinding& finding : checker.Findings())
        output.Write(finding.Format() + "\n");
    output.Flush();
    CToolOutput(err).Write(StringPrintf("%s -- %d error(s), %d warning(s)\n", model.c_str(),
                                        checker.Errors(), checker.Warnings()));
    return checker.ExitStatus();
}

} // namespace

int FindModelPage(const CModelDoc& doc, const std::string& nameOrNumber)
{
    const int byName = FindPage(doc, nameOrNumber);
    if (byName >= 0 || nameOrNumber.empty() ||
        nameOrNumber.find_first_not_of("0123456789") != std::string::npos ||
        nameOrNumber.size() > 9)
        return byName;
    const int number = std::stoi(nameOrNumber);
    return number >= 1 && number <= doc.PageCount() ? number - 1 : -1;
}

CElement* FindModelElement(const CPage& page, const std::string& name)
{
    for (const auto& e : page.elements) {
        if (e->name == name)
            return e.get();
    }
    if (name.size() > 1 && (name[0] == 'E' || name[0] == 'e') &&
        name.find_first_not_of("0123456789", 1) == std::string::npos) {
        return page.ElementAt(ExtractNumber(name) - 1);
    }
    for (const auto& e : page.elements) {
        if (EqualsIgnoreCaseAscii(e->name, name))
            return e.get();
    }
    return nullptr;
}

std::string ModelCheckUsage(const std::vector<CModelCheckExtension>& extensions)
{
    std::string extra;
    for (const CModelCheckExtension& extension : extensions)
        extra += extension.usage;
    return "usage:\n"
           "  modelcheck syntax MODEL.mdl [-o REPORT]\n"
           "      checks every entry of the model file; exit 0 clean, 1 warnings, 2 errors\n"
           "  modelcheck dump MODEL.mdl [-o REPORT] [--relations]\n"
           "      loads the model and writes its contents (with --relations, every relation\n"
           "      file is read first)\n"
           "  modelcheck instances MODEL.mdl PAGE ELEMENT\n"
           "      lists the element's instances (with its group family) as KEY|TEXT\n"
           "  modelcheck related MODEL.mdl PAGE ELEMENT [KEY]\n"
           "      counts the relations of one instance (KEY) or of all instances on the\n"
           "      element's page and lists what each counter leads to\n"
           "  modelcheck check MODEL.mdl\n"
           "      syntax test, load, unreadable files, relation keys without instances and\n"
           "      jumps to missing pages, as FILE:LINE: error|warning: text; exit 0 clean,\n"
           "      1 warnings, 2 errors\n"
           "  modelcheck query MODEL.mdl PAGE ELEMENT KEY [--books]\n"
           "      prints the full-text query the browser sends for the instance KEY; with\n"
           "      --books, then each book of the collection with hits as\n"
           "      BOOKDIR<TAB>TITLE<TAB>HITS; exit 3 when the collection is not installed\n" +
           extra + "ELEMENT is an element name or its entry key (E3).\n";
}

int RunModelCheck(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
                  const std::vector<CModelCheckExtension>& extensions)
{
    Options options;
    std::string error;
    if (!ParseOptions(args, options, error)) {
        std::fprintf(err, "modelcheck: %s\n%s", error.c_str(),
                     ModelCheckUsage(extensions).c_str());
        return kExitUsage;
    }
    if (options.command == "help" || options.command.empty()) {
        std::fputs(ModelCheckUsage(extensions).c_str(), options.command.empty() ? err : out);
        return options.command.empty() ? kExitUsage : 0;
    }
    int status = -1;
    if (options.command == "syntax")
        status = RunSyntax(options, out, err);
    else if (options.command == "dump")
        status = RunDump(options, out, err);
    else if (options.command == "instances")
        status = RunInstances(options, out, err);
    else if (options.command == "related")
        status = RunRelated(options, out, err);
    else if (options.command == "check")
        status = RunCheck(options, out, err);
    else if (options.command == "query")
        status = RunQueryCommand(options.positional, options.books, out, err);
    else {
        const auto extension =
            std::find_if(extensions.begin(), extensions.end(),
                         [&](const CModelCheckExtension& e) { return e.name == options.command; });
        if (extension != extensions.end() && extension->run)
            status = extension->run(options.positional, out, err);
        else
            CToolOutput(err).Write("modelcheck: unknown command '" + options.command + "'\n");
    }
    if (status == -1) {
        std::fputs(ModelCheckUsage(extensions).c_str(), err);
        return kExitUsage;
    }
    return status;
}
