#pragma once

// The active places ("scripts") of a book's content, as the browser finds them. Qt-free.
//
// User documents: a book folder <book> may hold the user-document file <book>/<book>.sgm. It
// declares one entity per document and references them inside a <userdoc> element:
//     <!ENTITY OBU000.TXT SYSTEM "OBU000.TXT">
//     <userdoc>
//     &OBU000.TXT;
//     </userdoc>
// Each entity's system identifier names a reference file in the book folder holding
//     <docref docnum="..." file="LOCATION" ...><doctitle>T</doctitle><docdesc>D</docdesc></docref>
// Opening a user document hands its LOCATION (a relative one taken from the book folder) to
// the plug-ins as a script "user_document".
//
// Raster figures: a line of a content file may hold "[figure: NAME]", NAME a file in the book
// folder (a plain file name, no folders). Opening it copies the figure into the user's
// temporary folder under a new name and hands that name to the plug-ins as a script
// "orn-raster=<copy name>".

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelio {

// Limits of the readers: larger files are read up to the limit only, more entries are ignored.
inline constexpr std::size_t kMaxUserDocFileBytes = 4 * 1024 * 1024;
inline constexpr std::size_t kMaxDocRefFileBytes = 256 * 1024;
inline constexpr std::size_t kMaxUserDocuments = 2000;
inline constexpr std::uint64_t kMaxFigureBytes = 256ull * 1024 * 1024;

// One user document of a book.
struct CUserDocument
{
    std::string entity;        // entity name as referenced
    std::string referenceFile; // the reference file's name in the book folder
    std::string docnum;
    std::string file;        // LOCATION as written in the reference
    std::string title;       // doctitle; the reference file's name when the reference has none
    std::string description; // docdesc
};

// A document reference's fields (attributes docnum and file, doctitle, docdesc; the basic
// character entities &amp; &lt; &gt; &quot; &apos; decoded). False when the text holds no
// <docref start tag; the fields then stay empty. Any bytes are accepted.
bool ParseDocRef(std::string_view text, CUserDocument& document);

// The entity references inside the <userdoc> element of a user-document file's text, in
// order, each with the system identifier its declaration gives ("" for an undeclared one).
struct CUserDocEntry
{
    std::string entity;
    std::string systemId;
};
std::vector<CUserDocEntry> ParseUserDocFile(std::string_view text);

// The user-document file of a book folder: <folder>/<last component of folder>.sgm.
std::string UserDocFilePath(const std::string& bookFolder);

// Reads the book's user documents: the user-document file and each reference file it names
// (plain file names in the book folder only; missing or unreadable ones are skipped). Empty
// when the book has no user-document file. Never blocks on a FIFO or device.
std::vector<CUserDocument> ReadUserDocuments(const std::string& bookFolder);

// The names of the reference files the book's user-document file names (plain file names
// only). They are the book's list of user documents, not its text: the book leaves them out of
// its content files.
std::vector<std::string> UserDocReferenceFiles(const std::string& bookFolder);

// The path a user document's LOCATION names: absolute as written, a relative one taken from
// the book folder (backslashes read as separators).
std::string UserDocumentPath(const std::string& bookFolder, const std::string& location);

// A "[figure: NAME]" place of a text: byte range of the whole bracket, its line (from 0) and
// the name.
struct CFigureReference
{
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t line = 0;
    std::string name;
};
// Every figure place of the text, in order; places whose name is no plain file name are left
// out.
std::vector<CFigureReference> FindFigureReferences(std::string_view text);

// True for a plain file name: not empty, at most 255 bytes, no separator, no control byte,
// not "." or "..".
bool IsPlainFileName(std::string_view name);

// The user's temporary folder: $TMPDIR when it names a folder (without trailing "/"), else
// /tmp.
std::string TemporaryFolder();

// Copies the book's figure NAME into folder under a new name of the form
// "zelio-<process>-<number>-<NAME with unsafe bytes as '_'>" made with exclusive creation
// (never an existing file or link). Answers 0 with copyName set, or an errno value: EINVAL
// for a name that is no plain file name, ENOENT / EISDIR for a missing figure or one that is
// no regular file, EFBIG above kMaxFigureBytes, or the error of creating or writing the copy
// (a partial copy is removed).
int CopyFigure(const std::string& bookFolder, const std::string& name, const std::string& folder,
               std::string& copyName);

} // namespace zelio
