#pragma once

#include "ViewerServices.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {
class ISettingsStore;
}
struct CModelContext;
struct CInstanceRecord;

// The browser's link to the documentation viewer. It keeps the connection settings (which
// program is the viewer, how its main window is recognised, the DDE service and topic to
// address, how long a command may take and how long to wait after starting the viewer; they
// live in section DOCUMENTATION of the settings store, the show mode is not stored), finds or
// starts the viewer, sends it commands, and turns an instance into a full-text query whose
// book the user picks before the viewer shows the hits.
//
// The link works through the services given to Attach: the model context (prompter, status
// bar, settings store), the system around it (windows, programs, DDE) and the query library.
// Every message goes through the context's prompter.
//
// Indexes into the time-out, sleep and show tables are kept inside their tables: a stored or
// given index outside a table gives that setting's default, and every table look-up clamps,
// so no index can reach outside a table.
class CDocumentationLink
{
public:
    static constexpr int TimeoutCount = 16;
    static constexpr int SleepCount = 17;
    static constexpr int ShowCount = 3;
    static constexpr int DefaultSleepIndex = 5;

    // Milliseconds one DDE transaction may take, for index 0 to 15 (clamped into range).
    static int TimeoutMilliseconds(int index);
    // Milliseconds to wait after starting the viewer, for index 0 to 16 (clamped into range).
    static int SleepMilliseconds(int index);
    // What the settings page shows for a table entry: "1 second", "2 seconds", ... "1 minute";
    // the sleep table starts with "0 seconds". Out-of-range indexes are clamped.
    static std::string TimeoutText(int index);
    static std::string SleepText(int index);
    // The platform show command (1, 6, 3) and name ("Normal", "Minimized", "Maximized") of a
    // show-table index (clamped into range).
    static int ShowCommandOf(int index);
    static std::string ShowName(int index);

    // The viewer defaults text, exactly as the program's string table holds it.
    static const std::string& ViewerDefaults();
    // Field n of the viewer defaults text, counted from 1 and split at ","; empty when there
    // is no such field.
    static std::string ViewerDefault(int n);

    // The program's own folder; the default viewer program is looked for there.
    void SetProgramDirectory(std::string directory) { m_programDirectory = std::move(directory); }
    const std::string& ProgramDirectory() const { return m_programDirectory; }
    // The program directory joined with the viewer's file name (field 1), with a "/" between
    // them unless the directory is empty or already ends in "/" or "\".
    std::string DefaultViewerProgram() const;

    // Reads section DOCUMENTATION: "PROGRAM" (empty or absent: DefaultViewerProgram()),
    // "CLASS NAME", "DDE PROGRAM", "DDE TOPIC" (defaults: fields 2 to 4), "DDE TIMEOUT" (-1 or
    // absent: field 5), "DDE SLEEP" (absent: 5). An index outside its table gives the
    // default. Leaves the show mode alone; sets the loaded flag. Never fails.
    void LoadSettings(const platform::ISettingsStore& store);
    // Flag 1 writes "PROGRAM", "CLASS NAME", "DDE PROGRAM", "DDE TOPIC" as texts and
    // "DDE TIMEOUT", "DDE SLEEP" as integers, in that order. Any other flag reloads the
    // settings from the store instead.
    void SaveSettings(int flag, platform::ISettingsStore& store);
    // Fills the settings from the viewer defaults text (program, class name, service, topic,
    // time-out index), sleep index 5 and show mode 0. The loaded flag is not changed.
    void LoadDefaults();

    // The services the operations below use; none is owned. Without them the operations
    // answer 0 and show nothing.
    void Attach(CModelContext* context, IViewerSystem* system, IQueryLibrary* library);

    // Starts the query library's documentation context with fields 6 and 7 of the viewer
    // defaults. When that fails: the documentation service flag is cleared, warning beep and
    // message 5065.
    void StartDocumentationService();
    // Ends the documentation context (at exit).
    void StopDocumentationService();

    // The open-file dialog "Browse Program". Answers 1 with the chosen path in path (and
    // with update 1 it becomes the viewer program at once), 2 when cancelled.
    int BrowseViewerProgram(std::string& path, int update);
    // Finds the viewer's window by class and brings it forward, or starts the viewer program
    // and waits the sleep time. A program that cannot be started asks 5033 (browse and
    // retry). Answers 1 when the viewer runs, 0 when it does not.
    int FindOrStartViewer();
    // One DDE conversation with the service and topic, one execute transaction of the command
    // (the time-out of the settings), then disconnects. Answers 1 when a conversation was
    // made and the command handed over, 0 otherwise. Whether the viewer carried it out does
    // not change the answer; when it did not, or did not answer in time, the status bar says
    // so.
    int SendCommand(const std::string& command, const std::string& service,
                    const std::string& topic);
    // Asks the viewer for its help: "help=Model" whatever the topic title; 5038 when no
    // conversation could be made.
    void ShowHelp(const std::string& topicTitle);
    // Builds the instance's query (5034 when it cannot be built), lets the user pick the book
    // of the model's collection that answers it (5035 when the collection cannot be queried),
    // finds or starts the viewer and sends it "bookquery=book,collection,query" (5038 when no
    // conversation could be made). modelPath is the model file (its "INSTANCE QUERY"
    // section), collection its "COLLECTION" value. Answers what sending answered, else 0.
    int ShowDocumentation(const CInstanceRecord& instance, const std::string& modelPath,
                          const std::string& collection);

    // How the last execute transaction ended (NoConversation before any).
    IViewerSystem::Outcome LastOutcome() const { return m_lastOutcome; }
    // The viewer window found by the last FindOrStartViewer, 0 when none.
    std::uint64_t ViewerWindow() const { return m_viewerWindow; }

    // The command texts the link sends.
    static const char* HelpCommand();      // "help=Model"
    static const char* BookQueryFormat();  // "bookquery=%s,%s,%s"

    // 1 once the settings were read from the store, else 0.
    int Loaded() const { return m_loaded; }

    // 1 until the documentation service is found unusable; it is never set again.
    int DocumentationService() const { return m_documentationService; }
    void DisableDocumentationService() { m_documentationService = 0; }

    const std::string& ViewerProgram() const { return m_viewerProgram; }
    void SetViewerProgram(std::string path) { m_viewerProgram = std::move(path); }
    const std::string& ClassName() const { return m_className; }
    void SetClassName(std::string name) { m_className = std::move(name); }
    const std::string& DdeService() const { return m_ddeService; }
    void SetDdeService(std::string service) { m_ddeService = std::move(service); }
    const std::string& DdeTopic() const { return m_ddeTopic; }
    void SetDdeTopic(std::string topic) { m_ddeTopic = std::move(topic); }

    int TimeoutIndex() const { return m_timeoutIndex; }
    // Answers false and changes nothing for an index outside 0 to 15.
    bool SetTimeoutIndex(int index);
    int SleepIndex() const { return m_sleepIndex; }
    // Answers false and changes nothing for an index outside 0 to 16.
    bool SetSleepIndex(int index);
    int ShowMode() const { return m_showMode; }
    // Answers false and changes nothing for an index outside 0 to 2.
    bool SetShowMode(int index);

    // The current settings through the tables.
    int Timeout() const { return TimeoutMilliseconds(m_timeoutIndex); }
    int Sleep() const { return SleepMilliseconds(m_sleepIndex); }
    int ShowCommand() const { return ShowCommandOf(m_showMode); }

private:
    static int DefaultTimeoutIndex();
    void EnsureLoaded();
    // The book directory and collection directory that answer the query, chosen by the user;
    // false when there is none (the library or the link has told the user why).
    bool FindBook(const std::string& collection, const std::string& query, std::string& book,
                  std::string& collectionDirectory);
    void Warn(int message, const std::string& text);
    void ShowOutcomeNotice();

    CModelContext* m_context = nullptr;
    IViewerSystem* m_system = nullptr;
    IQueryLibrary* m_library = nullptr;
    std::uint64_t m_viewerWindow = 0;
    IViewerSystem::Outcome m_lastOutcome = IViewerSystem::Outcome::NoConversation;

    int m_loaded = 0;
    std::string m_className;
    std::string m_ddeService;
    std::string m_ddeTopic;
    int m_timeoutIndex = 4;
    int m_sleepIndex = DefaultSleepIndex;
    int m_showMode = 0;
    std::string m_viewerProgram;
    std::string m_programDirectory;
    int m_documentationService = 1;
};
