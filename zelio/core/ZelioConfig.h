#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class ParsedProfile;
}

namespace zelio {

// The name of the browser's configuration file and its section.
inline constexpr const char* kConfigFileName = "corvelle.ini";
inline constexpr const char* kConfigSection = "zelio";

// Finds a configuration file by name: the file $ZELIO_CONFIG names (when its name is that
// name, ignoring case; a folder there is searched for the name), else the program's own
// folder, else $XDG_CONFIG_HOME/zelio/ (default ~/.config/zelio/). Names are found ignoring
// case. A name that holds a separator is a path and is only looked up as such. Answers the
// full path, or an empty text when there is no such file.
std::string LocateConfigFile(std::string_view name);

// The folder of the running program (from /proc/self/exe), without a trailing slash; empty
// when it cannot be read.
std::string ProgramFolder();

// Makes a path value of a configuration file usable: backslashes become slashes, a relative
// path is taken against baseFolder, and the path is looked up ignoring case when it does not
// exist as written. An empty value stays empty.
std::string ResolveConfigPath(std::string_view value, std::string_view baseFolder);

// True for the keys of section "zelio" whose values are folders relative to the file's
// folder: DATA_DIR, PUBLIC_DIR, PRIVATE_DIR, HELP_DIR (ignoring case).
bool IsFolderKey(std::string_view section, std::string_view key);

// One entry of the collection table: a collection directory (as written, trimmed) and its
// alias (trimmed; the directory when the entry has no "=").
struct CCollection
{
    std::string directory;
    std::string alias;
};

// Splits a COLLECTION value ("dir=alias;dir=alias") into entries in the order written.
// Blank entries are skipped; a directory that occurs twice keeps its first entry.
std::vector<CCollection> ParseCollectionTable(std::string_view value);

// The first entry whose directory or alias equals name ignoring ASCII case, or nullptr.
const CCollection* FindCollection(const std::vector<CCollection>& table, std::string_view name);

// The browser's configuration file, read once. Values come from section "zelio".
class CZelioConfig
{
public:
    // Reads the file at path. Answers nullptr when it cannot be read.
    static std::unique_ptr<CZelioConfig> Load(const std::string& path);
    // Finds "corvelle.ini" with LocateConfigFile and loads it; nullptr when none is found.
    static std::unique_ptr<CZelioConfig> LoadDefault();

    const std::string& Path() const { return m_path; }
    // The file's folder, without a trailing slash.
    const std::string& Folder() const { return m_folder; }

    // A value of section "zelio" (or another section); false when the key is missing.
    bool Value(std::string_view key, std::string& value) const;
    bool Value(std::string_view section, std::string_view key, std::string& value) const;
    // A folder value resolved with ResolveConfigPath against the file's folder; empty when
    // the key is missing or empty.
    std::string FolderValue(std::string_view key) const;

    std::string DataDir() const { return FolderValue("DATA_DIR"); }
    std::string PublicDir() const { return FolderValue("PUBLIC_DIR"); }
    std::string PrivateDir() const { return FolderValue("PRIVATE_DIR"); }
    std::string Authorisation() const;
    // HELP_DIR, default <DATA_DIR>/help.
    std::string HelpDir() const;
    // The COLLECTION table.
    std::vector<CCollection> Collections() const;
    // The directory of a collection made absolute: relative to DATA_DIR unless absolute,
    // looked up ignoring case.
    std::string CollectionFolder(std::string_view directory) const;
    // PLUGINS: library paths, relative ones taken against the program's folder when such a
    // file exists there, else as given.
    std::vector<std::string> Plugins() const;

private:
    std::string m_path;
    std::string m_folder;
    std::shared_ptr<const platform::ParsedProfile> m_profile;
};

} // namespace zelio
