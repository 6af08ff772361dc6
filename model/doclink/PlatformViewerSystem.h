#pragma once

#include "ViewerServices.h"

#include <functional>
#include <string>

// The documentation link's system on this platform: windows through the window registry,
// commands through DDE conversations, programs through the starter the program gives (the
// GUI starts a detached process).
class CPlatformViewerSystem : public IViewerSystem
{
public:
    // Starts a program (an existing executable path) with a platform show command; false
    // when it cannot be started.
    using Starter = std::function<bool(const std::string& path, int showCommand)>;

    explicit CPlatformViewerSystem(Starter starter) : m_starter(std::move(starter)) {}

    std::uint64_t ActivateWindowOfClass(const std::string& className) override;
    // The path is looked up as the platform would: ignoring case when it does not exist as
    // written, and "X.EXE" also finds a program "x". A path that is not an executable
    // regular file is not started.
    bool StartProgram(const std::string& path, int showCommand) override;
    void WaitForViewer(int milliseconds, const std::string& className) override;
    Outcome Execute(const std::string& service, const std::string& topic,
                    const std::string& command, int timeoutMs) override;

    // The reason of the last failed conversation or window request, for diagnostics.
    const std::string& LastError() const { return m_lastError; }

private:
    Starter m_starter;
    std::string m_lastError;
};

// The executable a configured viewer path names: the path as it exists (looked up ignoring
// case), else, for a name ending in ".exe" (any case), the same name without the extension.
// Empty when neither is an executable regular file.
std::string ResolveProgramPath(const std::string& path);
