#pragma once

// Opening a document with the program the desktop associates with its type, as a double-click
// in a file manager does. Qt-free: the type comes from the file name through the shared MIME
// globs, the program from the user's and the system's mimeapps.list and desktop entries (the
// XDG folders), and the program is started detached. Failures map to the shell's numeric
// results below so that callers can show the shell's own messages.

#include <string>
#include <vector>

namespace platform {

// Results of ShellOpen. Anything above kShellLastError is success.
enum ShellResult : int
{
    kShellOutOfResources = 0,   // the program could not be started for lack of resources
    kShellFileNotFound = 2,     // the document does not exist
    kShellPathNotFound = 3,     // a folder on the document's path does not exist
    kShellAccessDenied = 5,     // the document or the program may not be used
    kShellOutOfMemory = 8,
    kShellBadProgram = 11,      // the associated program is not something that can run
    kShellSharingViolation = 26,
    kShellAssociationIncomplete = 27, // the association names a program that is missing or broken
    kShellDdeTimeout = 28,
    kShellDdeFail = 29,
    kShellDdeBusy = 30,
    kShellNoAssociation = 31,   // no program is associated with the document's type
    kShellLibraryNotFound = 32,
    kShellLastError = 32,
    kShellStarted = 42          // the program was started
};

struct ShellOpenOptions
{
    // A program started with the document when no program is associated with its type (an
    // absolute path, e.g. a program beside the caller); empty: none, the result is then
    // kShellNoAssociation.
    std::string fallbackProgram;
};

// Opens the document (an absolute or relative path) with its associated program, started
// detached in the document's folder... [contract: see the implementation's header comment]
// Answers kShellStarted, or the failure's result. Never blocks on the document itself (the
// document is not opened, only its name and kind are looked at).
int ShellOpen(const std::string& path, const ShellOpenOptions& options = {});

} // namespace platform
