#pragma once

// The parts of ShellOpen that find the program for a document: the XDG folders, the shared
// MIME globs and subclasses, mimeapps.list, desktop entries and their Exec lines. Qt-free and
// without side effects, so tests and fuzzers drive each part on its own. Every parser takes
// any bytes: lines longer than kMaxLineBytes are skipped, files are read up to a bound.

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace platform::shell {

// Longest line a parser looks at; longer lines are skipped whole.
inline constexpr std::size_t kMaxLineBytes = 8192;

// The folders the desktop looks in, from the environment with the XDG defaults.
struct XdgDirs
{
    std::string dataHome;                // $XDG_DATA_HOME, else ~/.local/share
    std::vector<std::string> dataDirs;   // $XDG_DATA_DIRS, else /usr/local/share:/usr/share
    std::string configHome;              // $XDG_CONFIG_HOME, else ~/.config
    std::vector<std::string> configDirs; // $XDG_CONFIG_DIRS, else /etc/xdg
    std::vector<std::string> desktops;   // $XDG_CURRENT_DESKTOP, lower-cased

    static XdgDirs FromEnvironment();
    // dataHome, then dataDirs: the data folders from the most to the least important.
    std::vector<std::string> DataSearchPath() const;
    // The mimeapps.list files to read, most important first: the config folders, then the
    // applications folders of the data folders; in each folder the desktop-specific
    // "<desktop>-mimeapps.list" files before "mimeapps.list".
    std::vector<std::string> MimeAppsFiles() const;
};

// Reads a regular file, at most maxBytes of it (cut back to the last whole line when it is
// longer). False when it is missing or not a regular file (never opens a FIFO for waiting).
bool ReadBoundedFile(const std::string& path, std::size_t maxBytes, std::string& text);

// The shared MIME glob table (globs2 files: "weight:type:glob[:flags]").
class CMimeGlobs
{
public:
    // Adds the globs of one globs2 file; files are added from the most to the least important
    // folder. A "__NOGLOBS__" line drops the type's globs of less important folders.
    void AddGlobs2(std::string_view text);
    // The type whose glob matches the file name (no folder): the highest weight wins, then the
    // longest pattern. Globs are case-insensitive unless flagged "cs". Empty when none.
    std::string Match(std::string_view fileName) const;
    std::size_t Size() const { return m_globs.size(); }

private:
    struct Glob
    {
        std::string type;
        std::string pattern; // lower-cased unless caseSensitive
        int weight = 50;
        bool caseSensitive = false;
    };
    std::vector<Glob> m_globs;
    std::set<std::string> m_blocked; // types with __NOGLOBS__ in a more important folder
};

// Parent types from "subclasses" files ("type parent" per line).
class CMimeParents
{
public:
    void AddSubclasses(std::string_view text);
    // The type's parents, nearest first, without the type itself: the declared ones (and
    // theirs), then text/plain for any text/ type. At most 32 types.
    std::vector<std::string> Ancestors(const std::string& type) const;

private:
    std::map<std::string, std::vector<std::string>> m_parents;
};

// One mimeapps.list file: desktop file ids by MIME type in each of its three groups.
struct MimeAppsList
{
    std::map<std::string, std::vector<std::string>> defaults; // [Default Applications]
    std::map<std::string, std::vector<std::string>> added;    // [Added Associations]
    std::map<std::string, std::vector<std::string>> removed;  // [Removed Associations]
};
MimeAppsList ParseMimeAppsList(std::string_view text);

// Ids by MIME type from a mimeinfo.cache file ([MIME Cache]).
std::map<std::string, std::vector<std::string>> ParseMimeInfoCache(std::string_view text);

// The keys of a desktop entry's [Desktop Entry] group that opening a document needs, with
// the string escapes (\s \n \t \r \\) undone.
struct DesktopEntry
{
    std::string type;
    std::string exec;
    std::string tryExec;
    std::string path;
    std::string icon;
    bool hidden = false;
    bool terminal = false; // the program runs in a terminal window
    std::vector<std::string> mimeTypes;
};
// False when the text has no [Desktop Entry] group.
bool ParseDesktopEntry(std::string_view text, DesktopEntry& entry);

// Splits an Exec value (string escapes already undone) into arguments by the desktop entry
// quoting rules: blanks separate, double quotes group, and inside quotes a backslash escapes
// '"', '`', '$' and '\'. False when a quote is not closed or no argument is left.
bool SplitExec(std::string_view exec, std::vector<std::string>& args);

// Expands the field codes of split Exec arguments for one document (an absolute path): %f and
// %F give the path, %u and %U its file:// URL, %% a percent sign; %i, %c, %k and the other
// codes are dropped (an argument made only of dropped codes goes away). The first argument,
// the program, is kept as written. When no argument names the document, its path is appended.
std::vector<std::string> ExpandFieldCodes(const std::vector<std::string>& args,
                                          const std::string& path);

// A file:// URL for an absolute path, bytes other than unreserved ones and '/' percent-encoded.
std::string FileUrl(const std::string& path);

// The path of a program: a name with a '/' as given when it is an executable file, else the
// first executable file of that name in $PATH. Empty when there is none.
std::string FindProgram(const std::string& name);

// The terminal program that runs an entry marked Terminal=true: the system's chosen terminal
// (x-terminal-emulator), else xterm or konsole from $PATH: each takes "-e" followed by the
// command's arguments. Empty when there is none.
std::string FindTerminalProgram();

// What ShellOpen found for a document: its type and the program to start.
struct ShellLaunch
{
    std::string mimeType;
    std::string desktopId;         // empty for the fallback program
    std::string program;           // absolute path, executed as is
    std::vector<std::string> argv; // argv[0] first
    std::string workingDir;        // empty: the caller's
};

// The MIME type of a document given its kind (from stat) and name: inode/directory for a
// folder, inode/fifo and the like for other non-regular files, the globs' type for a regular
// file, else application/octet-stream.
std::string MimeTypeFor(const std::string& path, unsigned mode, const XdgDirs& dirs);

// Finds the document's type and program without starting anything. Answers 0 with launch
// filled, or a ShellResult failure (2, 3, 5, 27, 31).
int ResolveShellOpen(const std::string& path, const std::string& fallbackProgram,
                     const XdgDirs& dirs, ShellLaunch& launch);

// Starts the program detached and answers kShellStarted, or the result its exec failure maps
// to (ENOEXEC 11, ENOMEM 8, EACCES 5, ENOENT 27, anything else 0).
int StartDetached(const ShellLaunch& launch);

} // namespace platform::shell
