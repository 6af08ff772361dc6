#include "settings/SettingsStore.h"

#include "files/PathLookup.h"
#include "profile/ProfileReader.h"
#include "text/AsciiCase.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <vector>

namespace platform {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v';
}


bool HasOuterBlanks(std::string_view s)
{
    return !s.empty() && (IsBlank(s.front()) || IsBlank(s.back()));
}

bool HasAnyOf(std::string_view s, std::string_view chars)
{
    return s.find_first_of(chars) != std::string_view::npos;
}

const std::string_view kLineBreaks("\r\n\0", 3);

// Why a name cannot be written so that it reads back the same, or nullptr.
const char* SectionNameProblem(std::string_view section)
{
    if (HasAnyOf(section, kLineBreaks) || section.find(']') != std::string_view::npos)
        return "holds ']', a line break or NUL";
    if (HasOuterBlanks(section))
        return "has leading or trailing blanks";
    return nullptr;
}

const char* KeyNameProblem(std::string_view key)
{
    if (HasAnyOf(key, kLineBreaks) || key.find('=') != std::string_view::npos)
        return "holds '=', a line break or NUL";
    if (HasOuterBlanks(key))
        return "has leading or trailing blanks";
    if (!key.empty() && (key.front() == '[' || key.front() == ';'))
        return "starts with '[' or ';'";
    return nullptr;
}

bool StartsEscape(char c)
{
    return c == '\\' || c == 'n' || c == 'r' || c == '0' || c == '\n' || c == '\r' || c == '\0';
}

std::string EscapeValue(std::string_view value)
{
    std::string out;
    out.reserve(value.size() + 2);
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        switch (c) {
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\0':
            out += "\\0";
            break;
        case '\\':
            out += (i + 1 < value.size() && StartsEscape(value[i + 1])) ? "\\\\" : "\\";
            break;
        default:
            out += c;
        }
    }
    // The reader drops outer blanks and one pair of enclosing quotes; protect both.
    const bool enclosed =
        out.size() >= 2 && (out.front() == '"' || out.front() == '\'') && out.back() == out.front();
    if (HasOuterBlanks(out) || enclosed)
        out = '"' + out + '"';
    return out;
}

std::string UnescapeValue(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            const char next = text[i + 1];
            const char* replacement = nullptr;
            switch (next) {
            case 'n':
                replacement = "\n";
                break;
            case 'r':
                replacement = "\r";
                break;
            case '\\':
                replacement = "\\";
                break;
            case '0':
                out += '\0';
                ++i;
                continue;
            default:
                break;
            }
            if (replacement) {
                out += replacement;
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

// Strict decimal: optional blanks, optional sign, digits, optional blanks; within int range.
bool ParseDecimal(std::string_view s, int& result)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty())
        return false;
    long long value = 0;
    for (const char c : s) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            return false;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX || value < INT_MIN)
        return false;
    result = static_cast<int>(value);
    return true;
}

std::string ErrnoText(int error)
{
    return std::strerror(error);
}

bool WriteAll(int fd, const std::string& data)
{
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

struct IniSettingsStore::Data
{
    struct Section
    {
        std::string name;
        std::vector<std::pair<std::string, std::string>> entries; // key, unescaped value
    };
    std::vector<Section> sections;

    Section* FindSection(std::string_view name)
    {
        for (Section& s : sections) {
            if (EqualsIgnoreAsciiCase(s.name, name))
                return &s;
        }
        return nullptr;
    }
    const Section* FindSection(std::string_view name) const
    {
        return const_cast<Data*>(this)->FindSection(name);
    }
    static std::string* FindValue(Section& section, std::string_view key)
    {
        for (auto& entry : section.entries) {
            if (EqualsIgnoreAsciiCase(entry.first, key))
                return &entry.second;
        }
        return nullptr;
    }
    const std::string* FindValue(std::string_view section, std::string_view key) const
    {
        const Section* s = FindSection(section);
        return s ? FindValue(const_cast<Section&>(*s), key) : nullptr;
    }

    std::string Serialize() const
    {
        std::string text;
        for (const Section& s : sections) {
            if (s.entries.empty())
                continue;
            if (!text.empty())
                text += '\n';
            text += '[';
            text += s.name;
            text += "]\n";
            for (const auto& [key, value] : s.entries) {
                text += key;
                text += '=';
                text += EscapeValue(value);
                text += '\n';
            }
        }
        return text;
    }
};

IniSettingsStore::IniSettingsStore(std::string path) : m_path(std::move(path)), m_data(new Data) {}

IniSettingsStore::~IniSettingsStore()
{
    delete m_data;
}

std::string IniSettingsStore::DefaultPath(std::string_view company, std::string_view application)
{
    try {
        std::string base;
        // Relative values are not valid for the variable and are ignored, as for HOME.
        const char* xdg = std::getenv("XDG_CONFIG_HOME");
        if (xdg && xdg[0] == '/') {
            base = xdg;
        } else {
            const char* home = std::getenv("HOME");
            if (home && home[0] == '/') {
                base = home;
            } else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) {
                base = pw->pw_dir;
            }
            base += "/.config";
        }
        while (base.size() > 1 && base.back() == '/')
            base.pop_back();
        std::string path = base;
        path += '/';
        path += company;
        path += '/';
        path += application;
        path += ".ini";
        return path;
    } catch (...) {
        return std::string();
    }
}

bool IniSettingsStore::Load()
{
    try {
        m_data->sections.clear();
        m_lastError.clear();

        std::string bytes;
        const int error = ReadRegularFile(m_path, bytes);
        if (error == ENOENT)
            return true;
        if (error != 0) {
            m_lastError = "Cannot read " + m_path + ": " +
                          (error == EISDIR ? std::string("not a regular file") : ErrnoText(error));
            return false;
        }

        const ParsedProfile profile = ParsedProfile::Parse(bytes);
        for (const std::string& section : profile.SectionNames()) {
            Data::Section s;
            s.name = section;
            for (const std::string& key : profile.KeyNames(section)) {
                if (const std::string* value = profile.Find(section, key))
                    s.entries.emplace_back(key, UnescapeValue(*value));
            }
            if (!s.entries.empty())
                m_data->sections.push_back(std::move(s));
        }
        return true;
    } catch (...) {
        m_data->sections.clear();
        m_lastError = "Cannot read " + m_path + ": out of memory";
        return false;
    }
}

bool IniSettingsStore::Save()
{
    std::string tempPath;
    int fd = -1;
    try {
        m_lastError.clear();
        namespace fs = std::filesystem;

        // Write through a symbolic link to the file it names, so that the link survives.
        std::string target = m_path;
        std::error_code ec;
        if (fs::is_symlink(target, ec)) {
            const fs::path resolved = fs::weakly_canonical(target, ec);
            if (!ec)
                target = resolved.string();
        }

        const fs::path parent = fs::path(target).parent_path();
        if (!parent.empty()) {
            fs::create_directories(parent, ec);
            if (ec) {
                m_lastError = "Cannot create folder " + parent.string() + ": " + ec.message();
                return false;
            }
        }

        tempPath = target + ".tmp-XXXXXX";
        fd = ::mkstemp(tempPath.data());
        if (fd < 0) {
            const int error = errno;
            tempPath.clear();
            m_lastError = "Cannot create a file beside " + target + ": " + ErrnoText(error);
            return false;
        }
        // Keep the permissions of the file being replaced; a new one is private (0600).
        struct stat old;
        if (::stat(target.c_str(), &old) == 0)
            ::fchmod(fd, old.st_mode & 07777);

        const std::string text = m_data->Serialize();
        if (!WriteAll(fd, text) || ::fsync(fd) != 0) {
            const int error = errno;
            m_lastError = "Cannot write " + tempPath + ": " + ErrnoText(error);
            ::close(fd);
            ::unlink(tempPath.c_str());
            return false;
        }
        if (::close(fd) != 0) {
            fd = -1;
            const int error = errno;
            m_lastError = "Cannot write " + tempPath + ": " + ErrnoText(error);
            ::unlink(tempPath.c_str());
            return false;
        }
        fd = -1;
        if (::rename(tempPath.c_str(), target.c_str()) != 0) {
            const int error = errno;
            m_lastError = "Cannot replace " + target + ": " + ErrnoText(error);
            ::unlink(tempPath.c_str());
            return false;
        }
        // Make the rename itself durable.
        const int dirFd =
            ::open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd >= 0) {
            ::fsync(dirFd);
            ::close(dirFd);
        }
        return true;
    } catch (...) {
        if (fd >= 0)
            ::close(fd);
        if (!tempPath.empty())
            ::unlink(tempPath.c_str());
        m_lastError = "Cannot save " + m_path + ": out of memory";
        return false;
    }
}

void IniSettingsStore::SetAutoSave(bool on)
{
    m_autoSave = on;
}

void IniSettingsStore::Changed()
{
    if (m_autoSave)
        Save();
}

int IniSettingsStore::ReadInt(std::string_view section, std::string_view key, int def) const
{
    const std::string* value = m_data->FindValue(section, key);
    int result = def;
    if (value && ParseDecimal(*value, result))
        return result;
    return def;
}

void IniSettingsStore::WriteInt(std::string_view section, std::string_view key, int value)
{
    WriteString(section, key, std::to_string(value));
}

std::string IniSettingsStore::ReadString(std::string_view section, std::string_view key,
                                         std::string_view def) const
{
    try {
        const std::string* value = m_data->FindValue(section, key);
        return std::string(value ? std::string_view(*value) : def);
    } catch (...) {
        return std::string();
    }
}

void IniSettingsStore::WriteString(std::string_view section, std::string_view key,
                                   const std::optional<std::string>& value)
{
    try {
        if (const char* problem = SectionNameProblem(section)) {
            m_lastError = "Section name " + std::string(problem) + "; not written";
            return;
        }
        if (const char* problem = KeyNameProblem(key)) {
            m_lastError = "Key name " + std::string(problem) + "; not written";
            return;
        }

        Data::Section* s = m_data->FindSection(section);
        if (!value) {
            if (!s)
                return;
            auto& entries = s->entries;
            for (auto it = entries.begin(); it != entries.end(); ++it) {
                if (EqualsIgnoreAsciiCase(it->first, key)) {
                    entries.erase(it);
                    if (entries.empty())
                        m_data->sections.erase(m_data->sections.begin() +
                                               (s - m_data->sections.data()));
                    Changed();
                    return;
                }
            }
            return;
        }

        if (!s) {
            m_data->sections.push_back(Data::Section{std::string(section), {}});
            s = &m_data->sections.back();
        }
        if (std::string* existing = Data::FindValue(*s, key)) {
            if (*existing == *value)
                return; // nothing changed, nothing to save
            *existing = *value;
        } else {
            s->entries.emplace_back(std::string(key), *value);
        }
        Changed();
    } catch (...) {
        m_lastError = "Out of memory; setting not written";
    }
}

void IniSettingsStore::DeleteSection(std::string_view section)
{
    Data::Section* s = m_data->FindSection(section);
    if (!s)
        return;
    m_data->sections.erase(m_data->sections.begin() + (s - m_data->sections.data()));
    Changed();
}

} // namespace platform
