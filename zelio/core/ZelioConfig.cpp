#include "ZelioConfig.h"

#include "StringUtil.h"
#include "files/PathLookup.h"
#include "profile/ProfileReader.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <system_error>

namespace zelio {

namespace fs = std::filesystem;

namespace {

bool IsRegularFile(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

bool IsFolder(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

// name inside folder, found ignoring case; empty when there is no such file.
std::string FileIn(const std::string& folder, std::string_view name)
{
    if (folder.empty())
        return {};
    const std::string path = platform::ResolveExistingPath(folder + "/" + std::string(name));
    return IsRegularFile(path) ? AbsolutePath(path) : std::string();
}

std::string ParentOf(const std::string& path)
{
    return fs::path(path).parent_path().string();
}

std::string TrimSpace(std::string_view text)
{
    std::size_t begin = 0, end = text.size();
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return std::string(text.substr(begin, end - begin));
}

} // namespace

std::string ProgramFolder()
{
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

std::string LocateConfigFile(std::string_view name)
{
    if (name.empty())
        return {};
    const std::string normalised = platform::NormalizeSeparators(name);
    if (normalised.find('/') != std::string::npos) {
        const std::string path = platform::ResolveExistingPath(normalised);
        return IsRegularFile(path) ? AbsolutePath(path) : std::string();
    }
    if (const char* env = std::getenv("ZELIO_CONFIG"); env && *env) {
        const std::string configured = platform::ResolveExistingPath(env);
        if (IsFolder(configured)) {
            if (std::string found = FileIn(configured, normalised); !found.empty())
                return found;
        } else if (IsRegularFile(configured) &&
                   EqualsIgnoreCaseAscii(fs::path(configured).filename().string(), normalised)) {
            return AbsolutePath(configured);
        } else if (std::string found = FileIn(ParentOf(configured), normalised); !found.empty()) {
            // Another file of the configuration's folder.
            return found;
        }
    }
    if (std::string found = FileIn(ProgramFolder(), normalised); !found.empty())
        return found;
    std::string configHome;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        configHome = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        configHome = std::string(home) + "/.config";
    return configHome.empty() ? std::string() : FileIn(configHome + "/zelio", normalised);
}

std::string ResolveConfigPath(std::string_view value, std::string_view baseFolder)
{
    std::string path = platform::NormalizeSeparators(value);
    if (path.empty())
        return path;
    if (path.front() != '/' && !baseFolder.empty())
        path = std::string(baseFolder) + "/" + path;
    path = AbsolutePath(platform::ResolveExistingPath(path));
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool IsFolderKey(std::string_view section, std::string_view key)
{
    if (!EqualsIgnoreCaseAscii(section, kConfigSection))
        return false;
    for (std::string_view folderKey : {"DATA_DIR", "PUBLIC_DIR", "PRIVATE_DIR", "HELP_DIR"}) {
        if (EqualsIgnoreCaseAscii(key, folderKey))
            return true;
    }
    return false;
}

std::vector<CCollection> ParseCollectionTable(std::string_view value)
{
    std::vector<CCollection> table;
    std::set<std::string> seen;
    std::size_t pos = 0;
    while (pos <= value.size()) {
        std::size_t end = value.find(';', pos);
        if (end == std::string_view::npos)
            end = value.size();
        const std::string_view entry = value.substr(pos, end - pos);
        pos = end + 1;
        const std::size_t equals = entry.find('=');
        CCollection collection;
        collection.directory = TrimSpace(entry.substr(0, equals));
        collection.alias = equals == std::string_view::npos ? collection.directory
                                                            : TrimSpace(entry.substr(equals + 1));
        if (collection.directory.empty() || !seen.insert(collection.directory).second)
            continue;
        table.push_back(std::move(collection));
    }
    return table;
}

const CCollection* FindCollection(const std::vector<CCollection>& table, std::string_view name)
{
    for (const CCollection& collection : table) {
        if (EqualsIgnoreCaseAscii(collection.directory, name) ||
            EqualsIgnoreCaseAscii(collection.alias, name))
            return &collection;
    }
    return nullptr;
}

std::unique_ptr<CZelioConfig> CZelioConfig::Load(const std::string& path)
{
    auto profile = platform::LoadProfile(path);
    if (!profile)
        return nullptr;
    std::unique_ptr<CZelioConfig> config(new CZelioConfig());
    config->m_path = AbsolutePath(path);
    config->m_folder = ParentOf(config->m_path);
    config->m_profile = std::move(profile);
    return config;
}

std::unique_ptr<CZelioConfig> CZelioConfig::LoadDefault()
{
    const std::string path = LocateConfigFile(kConfigFileName);
    return path.empty() ? nullptr : Load(path);
}

bool CZelioConfig::Value(std::string_view key, std::string& value) const
{
    return Value(kConfigSection, key, value);
}

bool CZelioConfig::Value(std::string_view section, std::string_view key, std::string& value) const
{
    const std::string* found = m_profile->Find(section, key);
    if (!found)
        return false;
    value = *found;
    return true;
}

std::string CZelioConfig::FolderValue(std::string_view key) const
{
    std::string value;
    return Value(key, value) ? ResolveConfigPath(value, m_folder) : std::string();
}

std::string CZelioConfig::Authorisation() const
{
    std::string value;
    Value("ZELIO_AUTH", value);
    return value;
}

std::string CZelioConfig::HelpDir() const
{
    std::string help = FolderValue("HELP_DIR");
    if (!help.empty())
        return help;
    const std::string data = DataDir();
    return data.empty() ? std::string() : platform::ResolveExistingPath(data + "/help");
}

std::vector<CCollection> CZelioConfig::Collections() const
{
    std::string value;
    Value("COLLECTION", value);
    return ParseCollectionTable(value);
}

std::string CZelioConfig::CollectionFolder(std::string_view directory) const
{
    std::string dir = platform::NormalizeSeparators(directory);
    if (dir.empty() || dir.front() != '/')
        dir = DataDir() + "/" + dir;
    return platform::ResolveExistingPath(dir);
}

std::vector<std::string> CZelioConfig::Plugins() const
{
    std::string value;
    Value("PLUGINS", value);
    std::vector<std::string> plugins;
    const std::string programFolder = ProgramFolder();
    std::size_t pos = 0;
    while (pos <= value.size()) {
        std::size_t end = value.find(';', pos);
        if (end == std::string::npos)
            end = value.size();
        std::string entry = platform::NormalizeSeparators(TrimSpace(value.substr(pos, end - pos)));
        pos = end + 1;
        if (entry.empty())
            continue;
        if (entry.front() != '/' && !programFolder.empty()) {
            const std::string beside = platform::ResolveExistingPath(programFolder + "/" + entry);
            if (IsRegularFile(beside))
                entry = beside;
        }
        plugins.push_back(std::move(entry));
    }
    return plugins;
}

} // namespace zelio
