#pragma once

#include "PluginManager.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The scripts of the browser's views: each opening of a user document or figure makes a
// script with its record (ZelScriptRecord: size, serial in its view, line, text at byte 20),
// hands it to the plug-ins (CPluginManager decides which procedures get it), refreshes the
// view's scripts on request and destructs them when the view closes or shows another book.
//
// Holds: the view holds each of its scripts until it destructs them; every construct procedure
// called adds a hold for its plug-in, which ZelScriptRelease gives back. A record is freed
// when no hold is left (or at shutdown), so a plug-in may use it after the destruct call
// until it releases it.
//
// Figure copies: the browser copies a figure into the temporary folder before constructing
// its script. A plug-in takes the copy by loading it into a graphics window while the script
// is constructed (NoteLoaded); it then deletes the file itself. A copy nobody took is removed
// right after construction, and whatever copy is left is removed when its record is freed.
// Qt-free; called on the UI thread.
class CScriptHost
{
public:
    explicit CScriptHost(CPluginManager& plugins) : m_plugins(plugins) {}
    ~CScriptHost() { FreeAll(); }
    CScriptHost(const CScriptHost&) = delete;
    CScriptHost& operator=(const CScriptHost&) = delete;

    // Makes a script of the view and constructs it. argument: the text the construct
    // procedure of a registered kind gets (its address, also when it is empty; valid while
    // the record is). figureCopy: full
    // path of the browser's figure copy for this script, or empty. Answers the script word
    // (never 0).
    uintptr_t Open(uintptr_t context, uintptr_t view, const std::string& text,
                   const std::string& argument, uint32_t line,
                   const std::string& figureCopy = std::string());
    // Refreshes every live script of the view; answers the number of scripts refreshed.
    int RefreshView(uintptr_t view);
    // Destructs every live script of the view (its holds end); answers the number destructed.
    int CloseView(uintptr_t view);
    // The view of a record's script, or 0 for an unknown record (also after it was freed).
    uintptr_t ViewOfRecord(uintptr_t record) const;
    // Gives back one plug-in hold on the script; unknown words are harmless.
    void Release(uintptr_t view, uintptr_t script);
    // A picture file was loaded into a graphics window: a figure copy of that path is taken.
    void NoteLoaded(const std::string& path);
    // Destructs what is live, then frees every record and removes every copy left.
    void FreeAll();

    // For tests and diagnostics: records not yet freed, and live scripts of the view.
    std::size_t RecordCount() const { return m_scripts.size(); }
    std::size_t LiveCount(uintptr_t view) const;
    // The record word of a script word, or 0.
    uintptr_t RecordOf(uintptr_t script) const;

private:
    struct Script
    {
        std::unique_ptr<uint64_t[]> storage; // the record, aligned
        uintptr_t context = 0;
        uintptr_t view = 0;
        std::string text;
        std::string argument;
        bool live = true;
        int holds = 0; // plug-in holds
        std::string figureCopy;
        bool figureTaken = false;
        bool constructing = false;

        uintptr_t Record() const { return reinterpret_cast<uintptr_t>(storage.get()); }
        uintptr_t Word() const { return reinterpret_cast<uintptr_t>(this); }
    };
    Script* Find(uintptr_t script) const;
    // The words of the view's live scripts.
    std::vector<uintptr_t> LiveWords(uintptr_t view) const;
    void Destruct(Script& script);
    // Frees the scripts with no view hold and no plug-in hold.
    void Collect();
    static void RemoveCopy(Script& script);

    CPluginManager& m_plugins;
    std::vector<std::unique_ptr<Script>> m_scripts;
    std::vector<std::pair<uintptr_t, uint32_t>> m_serials; // last serial per view
};
