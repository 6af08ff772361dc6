#include "QueryCommand.h"

#include "InstanceLoader.h"
#include "Messages.h"
#include "ModelCheck.h"
#include "QueryBuilder.h"
#include "QueryLibrary.h"
#include "QueryResults.h"
#include "ToolOutput.h"

#include <memory>
#include <optional>

namespace {

constexpr int kExitNotInstalled = 3;
constexpr int kMessageCannotParse = 5034;
constexpr int kMessageNotInstalled = 5035;
constexpr int kMessageNoViewerEnvironment = 5065;

// Keeps the first instance with the key.
class InstanceFinder : public IInstanceSink
{
public:
    explicit InstanceFinder(std::string key) : m_key(std::move(key)) {}
    bool AddInstance(CInstanceRecord&& record, CGroup*) override
    {
        if (!found && record.key == m_key)
            found = std::move(record);
        return true;
    }
    std::optional<CInstanceRecord> found;

private:
    std::string m_key;
};

// The books of the collection with hits, as the browser's book choice lists them.
int PrintBooks(CToolModel& model, const std::string& query, std::FILE* out)
{
    CQueryLibrary library;
    if (!library.CreateContextServer("CORVELLE.INI", "ZELIO")) {
        ShowModelMessage(model.context, kMessageNoViewerEnvironment,
                         MessageFormat(kMessageNoViewerEnvironment), platform::Icon::Exclamation);
        return kExitNotInstalled;
    }
    const std::unique_ptr<CQuery> results(library.CreateQuery());
    const int queried = results ? library.QuerySingleCol(*results, model.context.collection, query,
                                                         nullptr)
                                : -1;
    library.DestroyContextServer();
    if (queried <= 0) {
        ShowModelMessage(model.context, kMessageNotInstalled, MessageFormat(kMessageNotInstalled),
                         platform::Icon::Exclamation);
        return kExitNotInstalled;
    }
    CToolOutput output(out);
    const CCollectionResult* collection = results->Collection(0);
    for (int index = 0; collection && collection->Book(index); ++index) {
        const CBookResult& book = *collection->Book(index);
        if (book.m_hits > 0)
            output.Write(book.m_directory + '\t' + book.m_title + '\t' +
                         std::to_string(book.m_hits) + '\n');
    }
    output.Flush();
    return 0;
}

} // namespace

int RunQueryCommand(const std::vector<std::string>& positional, bool books, std::FILE* out,
                    std::FILE* err)
{
    if (positional.size() != 4)
        return -1;
    CToolModel model(err);
    if (!model.doc.OnOpenDocument(positional[0]))
        return 1;
    const int page = FindModelPage(model.doc, positional[1]);
    CElement* element = page >= 0 ? FindModelElement(*model.doc.PageAt(page), positional[2]) : nullptr;
    if (!element || element->IsJump()) {
        CToolOutput(err).Write(StringPrintf("modelcheck: no element '%s' with instances on page '%s'\n",
                                            positional[2].c_str(), positional[1].c_str()));
        return 1;
    }
    InstanceFinder finder(positional[3]);
    LoadInstanceTree(model.doc, element, nullptr, finder, page);
    if (!finder.found) {
        CToolOutput(err).Write(StringPrintf("modelcheck: no instance '%s' of '%s'\n",
                                            positional[3].c_str(), element->name.c_str()));
        return 1;
    }
    std::string queryTemplate;
    const std::optional<std::string> query =
        BuildInstanceQuery(*finder.found, model.doc.PathName(), &queryTemplate);
    if (!query) {
        ShowModelMessage(model.context, kMessageCannotParse,
                         StringPrintf(MessageFormat(kMessageCannotParse), queryTemplate.c_str()),
                         platform::Icon::Exclamation);
        return 1;
    }
    {
        CToolOutput output(out);
        output.Write(*query + '\n');
        output.Flush();
    }
    return books ? PrintBooks(model, *query, out) : 0;
}
