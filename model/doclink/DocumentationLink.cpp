#include "DocumentationLink.h"

#include "InstanceLoader.h"
#include "Messages.h"
#include "ModelContext.h"
#include "QueryBuilder.h"
#include "StatusProgress.h"
#include "StringPattern.h"
#include "StringUtil.h"
#include "prompter/Prompter.h"
#include "settings/SettingsStore.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::string_view kSection = "DOCUMENTATION";

// Texts of the link's own (string resources 7000, 7005, 7008, 7106).
constexpr const char* kProgramFilter = "Programs (*.exe)|*.exe|All Files (*.*)|*.*||";
constexpr const char* kHelpCommand = "help=Model";
constexpr const char* kBookQueryFormat = "bookquery=%s,%s,%s";
constexpr const char* kExecutingViewer = "Executing Viewer Program...";
// The command buffer holds 1000 characters with the terminating zero; directory and book
// texts 300.
constexpr std::size_t kMaxCommandLength = 999;
constexpr int kMaxNameLength = 299;

enum LinkMessage {
    MSG_CANNOT_RUN_VIEWER = 5033,
    MSG_CANNOT_PARSE_QUERY = 5034,
    MSG_COLLECTION_NOT_INSTALLED = 5035,
    MSG_NO_DDE_CONNECTION = 5038,
    MSG_NO_VIEWER_ENVIRONMENT = 5065,
    MSG_SEARCHING_DOCUMENTATION = 5066,
};

constexpr std::array<int, CDocumentationLink::TimeoutCount> kTimeouts = {
    1000, 2000,  3000,  4000,  5000,  6000,  7000,  8000,
    9000, 10000, 15000, 20000, 30000, 40000, 50000, 60000};
constexpr std::array<int, CDocumentationLink::SleepCount> kSleeps = {
    0,    1000,  2000,  3000,  4000,  5000,  6000,  7000, 8000,
    9000, 10000, 15000, 20000, 30000, 40000, 50000, 60000};
constexpr std::array<int, CDocumentationLink::ShowCount> kShowCommands = {1, 6, 3};
constexpr std::array<const char*, CDocumentationLink::ShowCount> kShowNames = {
    "Normal", "Minimized", "Maximized"};

template <std::size_t N> std::size_t ClampIndex(int index)
{
    return static_cast<std::size_t>(std::clamp(index, 0, static_cast<int>(N) - 1));
}

std::string DurationText(int milliseconds)
{
    if (milliseconds == 60000)
        return "1 minute";
    const int seconds = milliseconds / 1000;
    return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
}

} // namespace

int CDocumentationLink::TimeoutMilliseconds(int index)
{
    return kTimeouts[ClampIndex<TimeoutCount>(index)];
}

int CDocumentationLink::SleepMilliseconds(int index)
{
    return kSleeps[ClampIndex<SleepCount>(index)];
}

std::string CDocumentationLink::TimeoutText(int index)
{
    return DurationText(TimeoutMilliseconds(index));
}

std::string CDocumentationLink::SleepText(int index)
{
    return DurationText(SleepMilliseconds(index));
}

int CDocumentationLink::ShowCommandOf(int index)
{
    return kShowCommands[ClampIndex<ShowCount>(index)];
}

std::string CDocumentationLink::ShowName(int index)
{
    return kShowNames[ClampIndex<ShowCount>(index)];
}

const std::string& CDocumentationLink::ViewerDefaults()
{
    static const std::string text =
        "ZELIO.EXE,ZELWIN,ZELIO,OBU,4,CORVELLE.INI,ZELIO,COLLECTION,ZELIO,.ornrc,ORNRC,HOME,2_0";
    return text;
}

std::string CDocumentationLink::ViewerDefault(int n)
{
    std::string field;
    if (n < 1 || GetField(ViewerDefaults(), ',', n, field) < 0)
        return {};
    return field;
}

int CDocumentationLink::DefaultTimeoutIndex()
{
    const int index = ReadInt(ViewerDefault(5));
    return (index >= 0 && index < TimeoutCount) ? index : 0;
}

std::string CDocumentationLink::DefaultViewerProgram() const
{
    std::string path = m_programDirectory;
    // The program directory may come without its trailing separator; the name must not run
    // into the folder's last component.
    if (!path.empty() && path.back() != '/' && path.back() != '\\')
        path += '/';
    return path + ViewerDefault(1);
}

void CDocumentationLink::LoadSettings(const platform::ISettingsStore& store)
{
    m_viewerProgram = store.ReadString(kSection, "PROGRAM", "");
    if (m_viewerProgram.empty())
        m_viewerProgram = DefaultViewerProgram();
    m_className = store.ReadString(kSection, "CLASS NAME", ViewerDefault(2));
    m_ddeService = store.ReadString(kSection, "DDE PROGRAM", ViewerDefault(3));
    m_ddeTopic = store.ReadString(kSection, "DDE TOPIC", ViewerDefault(4));

    const int timeout = store.ReadInt(kSection, "DDE TIMEOUT", -1);
    if (timeout == -1 || !SetTimeoutIndex(timeout))
        m_timeoutIndex = DefaultTimeoutIndex();
    if (!SetSleepIndex(store.ReadInt(kSection, "DDE SLEEP", DefaultSleepIndex)))
        m_sleepIndex = DefaultSleepIndex;
    m_loaded = 1;
}

void CDocumentationLink::SaveSettings(int flag, platform::ISettingsStore& store)
{
    if (flag != 1) {
        LoadSettings(store);
        return;
    }
    store.WriteString(kSection, "PROGRAM", m_viewerProgram);
    store.WriteString(kSection, "CLASS NAME", m_className);
    store.WriteString(kSection, "DDE PROGRAM", m_ddeService);
    store.WriteString(kSection, "DDE TOPIC", m_ddeTopic);
    store.WriteInt(kSection, "DDE TIMEOUT", m_timeoutIndex);
    store.WriteInt(kSection, "DDE SLEEP", m_sleepIndex);
}

void CDocumentationLink::LoadDefaults()
{
    m_viewerProgram = DefaultViewerProgram();
    m_className = ViewerDefault(2);
    m_ddeService = ViewerDefault(3);
    m_ddeTopic = ViewerDefault(4);
    m_timeoutIndex = DefaultTimeoutIndex();
    m_sleepIndex = DefaultSleepIndex;
    m_showMode = 0;
}

bool CDocumentationLink::SetTimeoutIndex(int index)
{
    if (index < 0 || index >= TimeoutCount)
        return false;
    m_timeoutIndex = index;
    return true;
}

bool CDocumentationLink::SetSleepIndex(int index)
{
    if (index < 0 || index >= SleepCount)
        return false;
    m_sleepIndex = index;
    return true;
}

bool CDocumentationLink::SetShowMode(int index)
{
    if (index < 0 || index >= ShowCount)
        return false;
    m_showMode = index;
    return true;
}

// ---------------------------------------------------------------------------------------
// Operations

const char* CDocumentationLink::HelpCommand()
{
    return kHelpCommand;
}

const char* CDocumentationLink::BookQueryFormat()
{
    return kBookQueryFormat;
}

void CDocumentationLink::Attach(CModelContext* context, IViewerSystem* system,
                                IQueryLibrary* library)
{
    m_context = context;
    m_system = system;
    m_library = library;
}

void CDocumentationLink::EnsureLoaded()
{
    if (m_loaded == 0 && m_context && m_context->settings)
        LoadSettings(*m_context->settings);
}

void CDocumentationLink::Warn(int message, const std::string& text)
{
    if (m_context)
        ShowModelMessage(*m_context, message, text, platform::Icon::Exclamation);
}

void CDocumentationLink::StartDocumentationService()
{
    if (!m_library)
        return;
    if (!m_library->CreateContextServer(ViewerDefault(6), ViewerDefault(7))) {
        DisableDocumentationService();
        Warn(MSG_NO_VIEWER_ENVIRONMENT, MessageFormat(MSG_NO_VIEWER_ENVIRONMENT));
    }
}

void CDocumentationLink::StopDocumentationService()
{
    if (m_library)
        m_library->DestroyContextServer();
}

int CDocumentationLink::BrowseViewerProgram(std::string& path, int update)
{
    if (!m_context || !m_context->prompter)
        return 2;
    platform::FileDialogSpec spec;
    spec.mode = platform::FileDialogSpec::Mode::Open;
    spec.title = "Browse Program";
    spec.filter = kProgramFilter;
    spec.hideReadOnly = true;
    const std::optional<std::string> chosen = m_context->prompter->ChooseFile(spec);
    if (!chosen)
        return 2;
    path = *chosen;
    if (update == 1)
        m_viewerProgram = path;
    return 1;
}

int CDocumentationLink::FindOrStartViewer()
{
    EnsureLoaded();
    if (!m_system)
        return 0;
    m_viewerWindow = m_system->ActivateWindowOfClass(m_className);
    if (m_viewerWindow != 0)
        return 1;

    CStatusProgress status(m_context ? m_context->statusBar : nullptr, kExecutingViewer);
    while (!m_system->StartProgram(m_viewerProgram, ShowCommand())) {
        if (!m_context)
            return 0;
        const platform::Answer answer =
            ShowModelMessage(*m_context, MSG_CANNOT_RUN_VIEWER, MessageFormat(MSG_CANNOT_RUN_VIEWER),
                             platform::Icon::Question, platform::Buttons::YesNo);
        if (answer != platform::Answer::Yes)
            return 0;
        std::string path;
        if (BrowseViewerProgram(path, 1) != 1)
            return 0;
    }
    m_system->WaitForViewer(Sleep(), m_className);
    return 1;
}

void CDocumentationLink::ShowOutcomeNotice()
{
    if (!m_context || !m_context->statusBar)
        return;
    if (m_lastOutcome == IViewerSystem::Outcome::NotProcessed) {
        m_context->statusBar->SetText("The documentation viewer did not carry out the command.");
    } else if (m_lastOutcome == IViewerSystem::Outcome::TimedOut) {
        m_context->statusBar->SetText(
            StringPrintf("The documentation viewer did not answer within %s; it may still be "
                         "busy or waiting for you.",
                         TimeoutText(m_timeoutIndex).c_str()));
    }
}

int CDocumentationLink::SendCommand(const std::string& command, const std::string& service,
                                    const std::string& topic)
{
    EnsureLoaded();
    if (!m_system)
        return 0;
    m_lastOutcome = m_system->Execute(service, topic, command, Timeout());
    if (m_lastOutcome == IViewerSystem::Outcome::NoConversation)
        return 0;
    ShowOutcomeNotice();
    return 1;
}

void CDocumentationLink::ShowHelp(const std::string& /*topicTitle*/)
{
    // Every help request opens the viewer's help for the model browser; the title of the
    // dialog that asked is not part of the command.
    if (FindOrStartViewer() == 0)
        return;
    if (SendCommand(kHelpCommand, m_ddeService, m_ddeTopic) == 0)
        Warn(MSG_NO_DDE_CONNECTION, MessageFormat(MSG_NO_DDE_CONNECTION));
}

bool CDocumentationLink::FindBook(const std::string& collection, const std::string& query,
                                  std::string& book, std::string& collectionDirectory)
{
    if (!m_library)
        return false;
    std::uintptr_t queryObject = 0;
    {
        CStatusProgress status(m_context ? m_context->statusBar : nullptr,
                               MessageFormat(MSG_SEARCHING_DOCUMENTATION));
        queryObject = m_library->CreateQuery();
        if (queryObject == 0)
            return false;
        if (m_library->QuerySingleCol(queryObject, collection, query) <= 0) {
            m_library->DestroyQuery(queryObject);
            Warn(MSG_COLLECTION_NOT_INSTALLED, MessageFormat(MSG_COLLECTION_NOT_INSTALLED));
            return false;
        }
    }
    const int chosen = m_library->RealizeQuery2DLg(queryObject, 0);
    if (chosen >= 0) {
        if (!m_library->GetColString(m_library->GetCol(queryObject, 0), 1, collectionDirectory,
                                     kMaxNameLength))
            collectionDirectory.clear();
        if (!m_library->GetBookString(m_library->GetBook(m_library->GetCol(queryObject, 0), chosen),
                                      3, book, kMaxNameLength))
            book.clear();
    }
    m_library->DestroyQuery(queryObject);
    return chosen >= 0 && !book.empty() && !collectionDirectory.empty();
}

int CDocumentationLink::ShowDocumentation(const CInstanceRecord& instance,
                                          const std::string& modelPath,
                                          const std::string& collection)
{
    EnsureLoaded();
    std::string queryTemplate;
    const std::optional<std::string> query = BuildInstanceQuery(instance, modelPath, &queryTemplate);
    if (!query) {
        Warn(MSG_CANNOT_PARSE_QUERY,
             StringPrintf(MessageFormat(MSG_CANNOT_PARSE_QUERY), queryTemplate.c_str()));
        return 0;
    }
    std::string book;
    std::string collectionDirectory;
    if (!FindBook(collection, *query, book, collectionDirectory))
        return 0;
    if (FindOrStartViewer() == 0)
        return 0;
    std::string command = StringPrintf(kBookQueryFormat, book.c_str(), collectionDirectory.c_str(),
                                       query->c_str());
    if (command.size() > kMaxCommandLength)
        command.resize(kMaxCommandLength);
    const int sent = SendCommand(command, m_ddeService, m_ddeTopic);
    if (sent == 0)
        Warn(MSG_NO_DDE_CONNECTION, MessageFormat(MSG_NO_DDE_CONNECTION));
    return sent;
}
