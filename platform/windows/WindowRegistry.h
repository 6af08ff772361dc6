#pragma once

#include "dde/FrameServer.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// One registered top-level window as its entry file describes it.
struct WindowEntry
{
    std::string className;
    std::string title;
    bool visible = false;
    bool minimised = false;
    std::int64_t pid = 0;
    std::uint64_t startTime = 0;  // process start time (0: unknown), guards against pid reuse
    std::uint64_t registered = 0; // registration order stamp (ns since epoch)
    std::string controlSocket;    // file name of the control socket in the registry folder
    std::string entryName;        // file name of the entry (filled by the enumeration)
};

// The entry file's text, and its parser. The parser takes any bytes: false for anything that
// is not a complete, well-formed entry (unknown keys are skipped, at most 16 KiB).
std::string FormatWindowEntry(const WindowEntry& entry);
bool ParseWindowEntry(std::string_view bytes, WindowEntry& entry);

// The registry folder (private, made when missing). False with error set when refused.
bool WindowRegistryFolder(std::string& path, std::string& error);

// The live registered windows, oldest registration first. Entries of processes that ended
// (or whose pid now belongs to another process) are left out and removed with their control
// sockets; unreadable entries are skipped.
std::vector<WindowEntry> EnumerateWindows();

// The most recently registered live window of that class (whole name, compared ignoring
// ASCII case as window classes are), or none.
std::optional<WindowEntry> FindWindowByClass(std::string_view className);

// Asks the window's program, through its control socket, to bring the window to the front
// (restoring it when minimised) or to repaint it, waiting up to timeoutMs for its answer.
// False with error set when the window is gone or does not answer.
bool BringWindowToFront(const WindowEntry& window, int timeoutMs, std::string* error = nullptr);
bool RepaintWindow(const WindowEntry& window, int timeoutMs, std::string* error = nullptr);

// A program's registration of its main window: the entry file (written atomically, kept
// current) and the control socket, served on the host's thread through IPollable.
// Unregisters on destruction.
class CRegisteredWindow : public IPollable
{
public:
    CRegisteredWindow();
    ~CRegisteredWindow() override;
    CRegisteredWindow(const CRegisteredWindow&) = delete;
    CRegisteredWindow& operator=(const CRegisteredWindow&) = delete;

    // Registers the window. False with error set when the folder is refused or a file cannot
    // be written; registering again first unregisters.
    bool Register(std::string_view className, std::string_view title, bool visible, bool minimised,
                  std::string& error);
    // Rewrites the entry when anything changed. False when not registered or the write failed.
    bool Update(std::string_view title, bool visible, bool minimised);
    // Removes the entry and the control socket; harmless when not registered.
    void Unregister();
    bool Registered() const { return !m_entryPath.empty(); }
    const WindowEntry& Entry() const { return m_entry; }

    // What the control socket's requests do (run on the host's thread).
    void SetRaiseHandler(std::function<void()> handler) { m_onRaise = std::move(handler); }
    void SetRepaintHandler(std::function<void()> handler) { m_onRepaint = std::move(handler); }

    std::vector<PollEntry> PollEntries() const override { return m_control.PollEntries(); }
    void ProcessReady() override { m_control.ProcessReady(); }

private:
    bool WriteEntry();
    void OnFrame(CFrameServer::ConnectionId id, const Frame& frame);

    WindowEntry m_entry;
    std::string m_folder;
    std::string m_entryPath;
    CFrameServer m_control;
    std::function<void()> m_onRaise;
    std::function<void()> m_onRepaint;
};

} // namespace platform
