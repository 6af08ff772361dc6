#pragma once

// A book's user-document file and the adding of a user document to it: a reference file
// OBUnnn.TXT in the book's folder, an entity declaration before "<userdoc" and an entity
// reference before "</userdoc". The file is replaced whole or not at all: the new text goes
// to a temporary file that is flushed to the disk, the old file is copied to a backup, and
// the temporary file then takes the file's place in one rename. Qt-free.

#include "DocumentReference.h"

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace obuudoc {

// The paths of one book's user documents.
struct UserDocumentPaths
{
    std::string bookFolder;  // <collection>/books/<book>
    std::string userDocFile; // <book folder>/<book>.sgm
    std::string tempFile;    // <book folder>/<book>.tmp
    std::string backupFile;  // <book folder>/<book>.bak
};

// The paths for a collection folder and a book name. Only the ".sgm" that ends the file's
// name is replaced for the temporary and backup files, so a folder named like "x.sgm.d"
// keeps them beside the user-document file.
UserDocumentPaths MakeUserDocumentPaths(std::string_view collectionFolder, std::string_view book);

// Section [userdoc] of the browser's configuration file: the collection folder (Collection1)
// and the book (Book1), each cut to 260 characters; missing keys give empty texts.
struct UserDocumentSettings
{
    std::string collectionFolder;
    std::string book;
};
// Reads the settings from the configuration file at configPath. A relative Collection1 is
// taken against the configuration file's folder, as the browser takes its DATA_DIR;
// backslashes in it are read as folder separators.
UserDocumentSettings ReadUserDocumentSettings(const std::string& configPath);

// Reference files are named OBU000.TXT to OBU998.TXT.
inline constexpr int kReferenceFileCount = 999;
std::string ReferenceFileName(int number);

// Inserts the entity declaration of reference file name before the first "<userdoc" (none
// when the text begins with it) and its entity reference before the first "</userdoc" that
// follows. Answers nullopt when the text has no "<userdoc" or no "</userdoc" after it.
std::optional<std::string> InsertUserDocumentReference(std::string_view text,
                                                       std::string_view name);

// The step of the adding that failed.
enum class AddStep
{
    None, // added
    Settings,
    FreeName,
    CreateReference,
    WriteReference,
    OpenUserDoc,
    ReadUserDoc,
    NoUserDocElement,
    CreateTemp,
    WriteTemp,
    Backup,
    Replace
};

// The outcome of an adding: the failed step (None on success), the message for the user
// (the step's text, then a line with the file and the system's reason where there is one),
// and the reference file's name once it was made.
struct AddResult
{
    AddStep step = AddStep::None;
    std::string message;
    std::string referenceName;
    bool Ok() const { return step == AddStep::None; }
};

// The message text of each failed step (the first line of AddResult::message).
const char* AddStepMessage(AddStep step);

// Adds a document to the book: reserves the first free reference-file name (created
// exclusively, so two adders never share one), writes the filled reference into it, reads
// the whole user-document file, writes the new text to the temporary file and flushes it,
// copies the old file to the backup and renames the temporary file over the user-document
// file, which keeps its permissions. Any failure stops at its step and leaves the
// user-document file as it was; a reference file made before a later step failed stays.
AddResult AddUserDocument(const UserDocumentPaths& paths, const UserDocumentInput& input,
                          std::time_t now);
// The same for the book the settings name; a failure of step Settings when they name no
// collection folder or no book.
AddResult AddUserDocument(const UserDocumentSettings& settings, const UserDocumentInput& input,
                          std::time_t now);

} // namespace obuudoc
