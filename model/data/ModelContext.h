#pragma once

#include "Switches.h"

#include <string>
#include <vector>

namespace platform {
class IPrompter;
class ISettingsStore;
} // namespace platform
class IStatusBar;
class CLink;

// The request scope of an information-pane request: only while it is open is the user asked
// about large relation files, and links the user chose to skip are remembered.
class CRequestScope
{
public:
    void Open();
    void Close();
    bool IsOpen() const { return m_open; }
    bool Contains(const CLink* link) const;
    void Add(const CLink* link); // once
private:
    bool m_open = false;
    std::vector<const CLink*> m_skipped;
};

// RAII helper: opens the scope and closes it at the end of a request.
class CRequestScopeGuard
{
public:
    explicit CRequestScopeGuard(CRequestScope& scope) : m_scope(scope) { m_scope.Open(); }
    ~CRequestScopeGuard() { m_scope.Close(); }
    CRequestScopeGuard(const CRequestScopeGuard&) = delete;
    CRequestScopeGuard& operator=(const CRequestScopeGuard&) = delete;

private:
    CRequestScope& m_scope;
};

// The services and process-wide values the data layer works with. The application owns one;
// tests and tools make their own. Pointers are not owned.
struct CModelContext
{
    platform::IPrompter* prompter = nullptr;       // required for messages
    IStatusBar* statusBar = nullptr;               // optional: no progress shown when null
    platform::ISettingsStore* settings = nullptr;  // optional: no saved fonts when null
    CSwitches switches;
    CRequestScope requestScope;

    // Set by loading a model.
    std::string modelPath;      // the model file every model key is read from
    std::string modelDirectory; // DirectoryOf(modelPath)
    std::string collection;
    std::string publishingId;
};
