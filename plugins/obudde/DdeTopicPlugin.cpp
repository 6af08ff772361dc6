#include "DdeTopicPlugin.h"

#include "prompter/Prompter.h"
#include "text/AsciiCase.h"

#include <new>

static_assert(sizeof(CDdeTopicPlugin) == 11 * sizeof(uintptr_t),
              "the server and the hooks see the plug-in as its eleven-word record");

namespace {

platform::IPrompter* g_prompter = nullptr;
platform::IPrompter* g_defaultPrompter = nullptr;
void (*g_raise)(uintptr_t) = nullptr;

constexpr int TopicTextSize = 256;
constexpr int ViewStyle = 108;

// The text of a topic string handle, read with the plug-in's DDE instance.
bool IsObuTopic(const uintptr_t* record, uintptr_t topic)
{
    char text[TopicTextSize + 1] = "";
    ZelDdeStringQuery(record[CDdeTopicPlugin::InstanceWord], topic, text, sizeof text);
    return platform::EqualsIgnoreAsciiCase(text, ObuTopic);
}

// The information beep and the message in a box with caption "OBU" and no owner.
void ShowObuMessage(int number, const char* text)
{
    platform::IPrompter* prompter = g_prompter ? g_prompter : g_defaultPrompter;
    if (!prompter)
        return;
    prompter->MessageBeep(platform::BeepType::Information);
    prompter->ShowMessage(number, text, platform::Icon::Information, platform::Buttons::Ok,
                          ObuTopic);
}

// A topic string handle for "OBU" of the plug-in's instance, freed when the guard ends.
class CObuTopicHandle
{
public:
    explicit CObuTopicHandle(uintptr_t instance)
        : m_instance(instance), m_handle(ZelDdeStringCreate(instance, ObuTopic))
    {
    }
    ~CObuTopicHandle() { ZelDdeStringFree(m_instance, m_handle); }
    CObuTopicHandle(const CObuTopicHandle&) = delete;
    CObuTopicHandle& operator=(const CObuTopicHandle&) = delete;
    uintptr_t Handle() const { return m_handle; }

private:
    uintptr_t m_instance;
    uintptr_t m_handle;
};

} // namespace

void SetObuPrompter(platform::IPrompter* prompter)
{
    g_prompter = prompter;
}

void SetDefaultObuPrompter(platform::IPrompter* prompter)
{
    g_defaultPrompter = prompter;
}

void SetObuWindowRaiser(void (*raise)(uintptr_t window))
{
    g_raise = raise;
}

CDdeTopicPlugin* StartDdeTopicPlugin(const uintptr_t* startRecord)
{
    if (!startRecord)
        return nullptr;
    auto* plugin = new (std::nothrow) CDdeTopicPlugin;
    if (!plugin)
        return nullptr;
    uintptr_t* record = plugin->Record();
    record[CDdeTopicPlugin::ContextWord] = startRecord[0];
    record[CDdeTopicPlugin::ServerWord] = startRecord[3];
    const uintptr_t server = record[CDdeTopicPlugin::ServerWord];
    record[CDdeTopicPlugin::InstanceWord] = ZelDdeInstance(server);
    {
        // The server keeps the topic by its text; the handle is not needed afterwards.
        const CObuTopicHandle topic(record[CDdeTopicPlugin::InstanceWord]);
        ZelDdeTopicAdd(server, topic.Handle(), 0);
    }
    ZelDdeHooksInstall(server, ObuFirstHook, ObuSecondHook, record);
    ZelDdeExecuteHookInstall(server, ObuExecuteHook, record);
    return plugin;
}

void StopDdeTopicPlugin(CDdeTopicPlugin* plugin)
{
    if (!plugin)
        return;
    const uintptr_t* record = plugin->Record();
    {
        const CObuTopicHandle topic(record[CDdeTopicPlugin::InstanceWord]);
        ZelDdeTopicRemove(record[CDdeTopicPlugin::ServerWord], topic.Handle());
    }
    delete plugin;
}

intptr_t ObuFirstHook(uintptr_t w1, uintptr_t w2, uintptr_t topic, uintptr_t* record)
{
    if (!record)
        return -1;
    if (IsObuTopic(record, topic))
        return 0;
    return ZelDdeFirstPassOn(w1, w2, topic, record[CDdeTopicPlugin::FirstChainWord]);
}

intptr_t ObuSecondHook(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t topic, uintptr_t* record)
{
    if (!record)
        return -1;
    if (IsObuTopic(record, topic))
        return 0;
    return ZelDdeSecondPassOn(w1, w2, w3, topic, record[CDdeTopicPlugin::SecondChainWord]);
}

intptr_t ObuExecuteHook(uintptr_t w1, uintptr_t w2, uintptr_t w3, uintptr_t topic,
                        const char* command, uintptr_t* record)
{
    if (!record)
        return -1;
    if (IsObuTopic(record, topic)) {
        try {
            return ExecuteObuCommand(record, command ? command : "");
        } catch (...) {
            return -1; // out of memory: not processed
        }
    }
    return ZelDdeExecutePassOn(w1, w2, w3, topic, command,
                               record[CDdeTopicPlugin::ExecuteChainWord]);
}

CDdeCommand SplitDdeCommand(std::string_view text)
{
    const size_t equals = text.find('=');
    if (equals == std::string_view::npos)
        return {std::string(text), std::string()};
    const std::string_view rest = text.substr(equals + 1);
    return {std::string(text.substr(0, equals)), std::string(rest.substr(0, rest.find('=')))};
}

std::string CommaField(std::string_view text, int index)
{
    for (int i = 0; i < index; ++i) {
        const size_t comma = text.find(',');
        if (comma == std::string_view::npos)
            return std::string();
        text = text.substr(comma + 1);
    }
    return std::string(text.substr(0, text.find(',')));
}

intptr_t ExecuteObuCommand(const uintptr_t* record, std::string_view text)
{
    const CDdeCommand command = SplitDdeCommand(text);
    if (platform::EqualsIgnoreAsciiCase(command.command, "bookquery")) {
        const long hits = OpenBookAndQuery(record, command.argument);
        if (hits > 0)
            return 0;
        if (hits == 0)
            ShowObuMessage(MsgNoHits, MsgNoHitsText);
        else
            ShowObuMessage(MsgNoBook, MsgNoBookText);
        return -1;
    }
    if (platform::EqualsIgnoreAsciiCase(command.command, "help"))
        return ZelHelpShow(record[CDdeTopicPlugin::ContextWord], command.argument.c_str());
    return 0;
}

long OpenBookAndQuery(const uintptr_t* record, std::string_view argument)
{
    const uintptr_t context = record[CDdeTopicPlugin::ContextWord];
    if (const uintptr_t* windows = ZelContextWindows(context); windows && g_raise)
        g_raise(windows[4]);

    const std::string bookDir = CommaField(argument, 0);
    const std::string collectionDir = CommaField(argument, 1);
    const std::string query = CommaField(argument, 2);
    if (bookDir.empty() || collectionDir.empty())
        return -1;
    const uintptr_t book = ZelBookOpen(context, collectionDir.c_str(), bookDir.c_str());
    if (!book)
        return -1;

    uintptr_t result = 0;
    long hits = 0;
    if (!query.empty()) {
        result = ZelQueryRun(book, query.c_str(), 0);
        if (!result) {
            ZelBookClose(book);
            const int error = ZelLastError(context);
            return error == ZEL_ERROR_NO_HITS || error == ZEL_ERROR_EMPTY_QUERY ? 0 : -1;
        }
        hits = ZelResultHits(result, 1);
        if (hits == 0) {
            ZelResultRelease(result);
            ZelBookClose(book);
            return 0;
        }
    }

    uintptr_t view = ZelBookView(book);
    if (!view)
        view = ZelViewOpen(book, "fulltext", 0, "fulltext", 1, 0, 0, ViewStyle);
    if (!view) {
        if (result)
            ZelResultRelease(result);
        ZelBookClose(book);
        return -1;
    }
    ZelViewShowBook(book, view);
    ZelViewRaise(view);
    if (result)
        ZelViewMarkHits(view, query.c_str());
    // The book stays open in its view; closing it releases the result.
    return hits;
}
