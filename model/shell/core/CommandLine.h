#pragma once

#include <string>
#include <string_view>

namespace platform {
class ISettingsStore;
}

// What the browser does at start-up with its command line: the text after the program name
// (the GUI joins the arguments with single blanks). The text is empty, a model file path, or
// "COLLECTION=name", where name is looked up in section COLLECTION of the settings store.
struct CCommandLine
{
    enum class Action
    {
        NewEmptyDocument,
        OpenPath,
    };

    Action action = Action::NewEmptyDocument;
    // The model file to open (OpenPath only): the collection's entry, or the text unchanged.
    std::string path;
    // True when a collection entry was used: relations are then not loaded at start-up for
    // this run, whatever "LOAD RELATIONS ON STARTUP" says; the caller sets that switch to 0.
    bool forceNoStartupRelations = false;

    // Resolves the raw text. Empty (or blanks only) gives a new empty document. A text holding
    // "=" is split at the first "="; when the key, with blanks and tabs trimmed and upper-cased
    // (ASCII), is "COLLECTION" and the trimmed value names a non-empty entry of section
    // COLLECTION, that entry is the path. Any other text, another key or a name without an
    // entry opens the whole text as it was given. Never fails; the result is the caller's.
    static CCommandLine Resolve(std::string_view rawText, const platform::ISettingsStore& store);
};
