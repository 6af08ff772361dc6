#pragma once

// Opening a document with the program the desktop associates with its type, as a double-click
// in a file manager does. Qt-free: the type comes from the file name through the shared MIME
// globs, the program from the user's and the system's mimeapps.list and desktop entries (the
// XDG folders), and the program is started detached. Failures map to the shell's numeric
// results below so that callers can show the shell's own messages.

#include <string>

namespace platform {

// Results of ShellOpen. Anything above kShellLastError is success. Results that ShellOpen
// itself never gives (26, 28-30, 32) are kept for callers that map every result to a text.
enum ShellResult : int
{
    // The program could not be started for lack of a resource other than memory (no more
    // processes, descriptors, ...), or for a failure that has no better result.
    kShellOutOfResources = 0,
    // The document does not exist (its folder does).
    kShellFileNotFound = 2,
    // A folder on the document's path does not exist or is not a folder.
    kShellPathNotFound = 3,
    // The document cannot be read, a folder on its path cannot be searched, or the
    // associated program may not be executed.
    kShellAccessDenied = 5,
    // There was not enough memory to start the program.
    kShellOutOfMemory = 8,
    // The associated program is not something that can run (exec answered ENOEXEC).
    kShellBadProgram = 11,
    kShellSharingViolation = 26,
    // The association names a desktop entry that is missing or broken (no usable Exec), or
    // a program that is not installed (TryExec or the Exec program not found).
    kShellAssociationIncomplete = 27,
    kShellDdeTimeout = 28,
    kShellDdeFail = 29,
    kShellDdeBusy = 30,
    // No program is associated with the document's type and no fallback program was given.
    kShellNoAssociation = 31,
    kShellLibraryNotFound = 32,
    kShellLastError = 32,
    // The program was started (it has run exec successfully; whatever it does afterwards is
    // its own affair).
    kShellStarted = 42
};

struct ShellOpenOptions
{
    // A program started with the document (its absolute path as the one argument) when no
    // usable program is associated with the document's own type: the result would be
    // kShellNoAssociation or kShellAssociationIncomplete. It is tried before the programs
    // associated with the type's parent types (a text editor for any text/plain subclass),
    // because a caller that names a program knows the document better than a generic one.
    // An absolute path, or a name looked up in PATH. Empty: none.
    std::string fallbackProgram;
};

// Opens the document (an absolute path, or relative to the current folder) with its
// associated program. The program is started detached (its own session, stdin from
// /dev/null, reaped at once so no zombie is left) in the caller's environment and current
// folder (the desktop entry's Path= when it has one); it shares the caller's standard output
// and error, so a caller that reads those through a pipe sees it end only when the program
// ends. Answers kShellStarted once the program
// has been executed, or the failure's result above. Never blocks on the document itself: the
// document is not opened, only its name and kind are looked at, so a FIFO is harmless.
int ShellOpen(const std::string& path, const ShellOpenOptions& options = {});

} // namespace platform
