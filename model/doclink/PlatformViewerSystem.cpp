#include "PlatformViewerSystem.h"

#include "dde/DdeClient.h"
#include "files/PathLookup.h"
#include "windows/WindowRegistry.h"

#include <chrono>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// How long a window may take to answer a bring-to-front request.
constexpr int kWindowRequestMs = 1000;
// How often the wait after starting the viewer looks for its window.
constexpr auto kWaitStep = std::chrono::milliseconds(50);

bool IsExecutableFile(const std::string& path)
{
    struct stat status {};
    return !path.empty() && ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

bool EndsWithExe(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string suffix = path.substr(path.size() - 4);
    for (char& c : suffix)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return suffix == ".exe";
}

} // namespace

std::string ResolveProgramPath(const std::string& path)
{
    const std::string asWritten = platform::ResolveExistingPath(path);
    if (IsExecutableFile(asWritten))
        return asWritten;
    if (EndsWithExe(asWritten)) {
        const std::string bare =
            platform::ResolveExistingPath(asWritten.substr(0, asWritten.size() - 4));
        if (IsExecutableFile(bare))
            return bare;
    }
    return std::string();
}

std::uint64_t CPlatformViewerSystem::ActivateWindowOfClass(const std::string& className)
{
    const std::optional<platform::WindowEntry> window = platform::FindWindowByClass(className);
    if (!window)
        return 0;
    platform::BringWindowToFront(*window, kWindowRequestMs, &m_lastError);
    // A registration stamp is never 0; the pid stands in for an entry without one.
    return window->registered != 0 ? window->registered : static_cast<std::uint64_t>(window->pid);
}

bool CPlatformViewerSystem::StartProgram(const std::string& path, int showCommand)
{
    const std::string program = ResolveProgramPath(path);
    if (program.empty()) {
        m_lastError = "'" + path + "' is not a program that can be run";
        return false;
    }
    return m_starter && m_starter(program, showCommand);
}

void CPlatformViewerSystem::WaitForViewer(int milliseconds, const std::string& className)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
        if (!className.empty() && platform::FindWindowByClass(className))
            return;
        std::this_thread::sleep_for(kWaitStep);
    }
}

IViewerSystem::Outcome CPlatformViewerSystem::Execute(const std::string& service,
                                                      const std::string& topic,
                                                      const std::string& command, int timeoutMs)
{
    platform::CDdeClient client;
    if (!client.Connect(service, topic, timeoutMs)) {
        m_lastError = client.ErrorText();
        return Outcome::NoConversation;
    }
    const platform::DdeResult result = client.Execute(command.c_str(), timeoutMs);
    client.Disconnect();
    switch (result.outcome) {
    case platform::DdeOutcome::Processed:
        return Outcome::Processed;
    case platform::DdeOutcome::NotProcessed:
        return Outcome::NotProcessed;
    case platform::DdeOutcome::TimedOut:
        m_lastError = result.error;
        return Outcome::TimedOut;
    case platform::DdeOutcome::Failed:
        break;
    }
    // The conversation was made and the command handed over, but it broke before an answer.
    m_lastError = result.error;
    return Outcome::TimedOut;
}
