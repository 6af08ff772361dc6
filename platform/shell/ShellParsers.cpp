// The text formats of the desktop's type and association files: globs2, subclasses,
// mimeapps.list, mimeinfo.cache, desktop entries and their Exec lines.
#include "ShellAssociation.h"

#include "files/PathLookup.h"

#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace platform::shell {

namespace {

// Calls f(line) for each line of the text that is not longer than kMaxLineBytes, without its
// line break (and without a carriage return before it).
template <typename F> void ForEachLine(std::string_view text, F&& f)
{
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.size() <= kMaxLineBytes)
            f(line);
        start = end + 1;
    }
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::string LowerAscii(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// Splits a ';'-separated list, dropping empty items.
std::vector<std::string> SplitList(std::string_view value)
{
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= value.size()) {
        std::size_t end = value.find(';', start);
        if (end == std::string_view::npos)
            end = value.size();
        const std::string_view item = Trim(value.substr(start, end - start));
        if (!item.empty())
            items.emplace_back(item);
        start = end + 1;
    }
    return items;
}

// Undoes the string escapes of a desktop entry value; an unknown escape stays as written.
std::string Unescape(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i]) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            out += '\\';
            out += value[i];
        }
    }
    return out;
}

// Reads an INI-like file of groups and key=value lines, calling f(group, key, value) with the
// key and value trimmed. Comments and lines that are neither are skipped.
template <typename F> void ForEachKey(std::string_view text, F&& f)
{
    std::string group;
    ForEachLine(text, [&](std::string_view line) {
        line = Trim(line);
        if (line.empty() || line.front() == '#')
            return;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            group = close == std::string_view::npos ? std::string()
                                                    : std::string(line.substr(1, close - 1));
            return;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos || group.empty())
            return;
        f(group, Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
    });
}

void AppendUnique(std::vector<std::string>& list, std::vector<std::string> items)
{
    for (auto& item : items)
        if (std::find(list.begin(), list.end(), item) == list.end())
            list.push_back(std::move(item));
}

std::vector<std::string> SplitPathList(const char* value, std::vector<std::string> fallback)
{
    if (!value || !*value)
        return fallback;
    std::vector<std::string> out;
    std::string_view rest(value);
    while (true) {
        const std::size_t colon = rest.find(':');
        const std::string_view item = rest.substr(0, colon);
        // Relative entries are ignored, as the XDG rules say.
        if (!item.empty() && item.front() == '/')
            out.emplace_back(item);
        if (colon == std::string_view::npos)
            break;
        rest.remove_prefix(colon + 1);
    }
    return out.empty() ? fallback : out;
}

std::string HomeRelative(const char* value, const char* home, const char* below)
{
    if (value && value[0] == '/')
        return value;
    return std::string(home ? home : "") + below;
}

} // namespace

XdgDirs XdgDirs::FromEnvironment()
{
    XdgDirs dirs;
    const char* home = std::getenv("HOME");
    dirs.dataHome = HomeRelative(std::getenv("XDG_DATA_HOME"), home, "/.local/share");
    dirs.configHome = HomeRelative(std::getenv("XDG_CONFIG_HOME"), home, "/.config");
    dirs.dataDirs = SplitPathList(std::getenv("XDG_DATA_DIRS"), {"/usr/local/share", "/usr/share"});
    dirs.configDirs = SplitPathList(std::getenv("XDG_CONFIG_DIRS"), {"/etc/xdg"});
    if (const char* desktop = std::getenv("XDG_CURRENT_DESKTOP")) {
        std::string_view rest(desktop);
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            const std::string_view name = rest.substr(0, colon);
            if (!name.empty() && name.size() < 64 && name.find('/') == std::string_view::npos)
                dirs.desktops.push_back(LowerAscii(name));
            if (colon == std::string_view::npos)
                break;
            rest.remove_prefix(colon + 1);
        }
    }
    return dirs;
}

std::vector<std::string> XdgDirs::DataSearchPath() const
{
    std::vector<std::string> out{dataHome};
    AppendUnique(out, dataDirs);
    return out;
}

std::vector<std::string> XdgDirs::MimeAppsFiles() const
{
    std::vector<std::string> folders{configHome};
    AppendUnique(folders, configDirs);
    for (const std::string& data : DataSearchPath())
        AppendUnique(folders, {data + "/applications"});
    std::vector<std::string> files;
    for (const std::string& folder : folders) {
        for (const std::string& desktop : desktops)
            files.push_back(folder + "/" + desktop + "-mimeapps.list");
        files.push_back(folder + "/mimeapps.list");
    }
    return files;
}

bool ReadBoundedFile(const std::string& path, std::size_t maxBytes, std::string& text)
{
    text.clear();
    int fd = -1;
    if (OpenRegularFile(path, fd) != 0)
        return false;
    char buffer[16384];
    while (text.size() < maxBytes) {
        const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, maxBytes - text.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    if (text.size() >= maxBytes) {
        // Cut off: keep whole lines only.
        const std::size_t lastBreak = text.rfind('\n');
        text.resize(lastBreak == std::string::npos ? 0 : lastBreak + 1);
    }
    ::close(fd);
    return true;
}

void CMimeGlobs::AddGlobs2(std::string_view text)
{
    std::set<std::string> blockedHere;
    ForEachLine(text, [&](std::string_view line) {
        if (line.empty() || line.front() == '#')
            return;
        // weight:type:glob[:flags[:...]]; the glob itself cannot hold a colon.
        const std::size_t c1 = line.find(':');
        if (c1 == std::string_view::npos)
            return;
        const std::size_t c2 = line.find(':', c1 + 1);
        if (c2 == std::string_view::npos)
            return;
        const std::size_t c3 = line.find(':', c2 + 1);
        const std::string_view weightText = line.substr(0, c1);
        const std::string type(line.substr(c1 + 1, c2 - c1 - 1));
        const std::string_view pattern = line.substr(
            c2 + 1, c3 == std::string_view::npos ? std::string_view::npos : c3 - c2 - 1);
        const std::string_view flags =
            c3 == std::string_view::npos ? std::string_view() : line.substr(c3 + 1);
        if (type.empty() || pattern.empty() || type.find('/') == std::string::npos)
            return;
        if (m_blocked.count(type))
            return;
        if (pattern == "__NOGLOBS__") {
            blockedHere.insert(type);
            return;
        }
        int weight = 0;
        if (weightText.empty() || weightText.size() > 3)
            return;
        for (char c : weightText) {
            if (c < '0' || c > '9')
                return;
            weight = weight * 10 + (c - '0');
        }
        bool caseSensitive = false;
        // Flags are comma-separated.
        std::string_view rest = flags;
        while (!rest.empty()) {
            const std::size_t comma = rest.find(',');
            if (rest.substr(0, comma) == "cs")
                caseSensitive = true;
            if (comma == std::string_view::npos)
                break;
            rest.remove_prefix(comma + 1);
        }
        Glob glob;
        glob.type = type;
        glob.pattern = caseSensitive ? std::string(pattern) : LowerAscii(pattern);
        glob.weight = weight;
        glob.caseSensitive = caseSensitive;
        m_globs.push_back(std::move(glob));
    });
    m_blocked.insert(blockedHere.begin(), blockedHere.end());
}

std::string CMimeGlobs::Match(std::string_view fileName) const
{
    const std::string name(fileName);
    if (name.empty() || name.find('\0') != std::string::npos)
        return {};
    const std::string lowered = LowerAscii(name);
    const Glob* best = nullptr;
    for (const Glob& glob : m_globs) {
        if (best && (glob.weight < best->weight ||
                     (glob.weight == best->weight && glob.pattern.size() <= best->pattern.size())))
            continue;
        const std::string& subject = glob.caseSensitive ? name : lowered;
        // A literal name or a "*.ext" suffix needs no pattern matcher.
        const bool literal = glob.pattern.find_first_of("*?[") == std::string::npos;
        bool matched;
        if (literal)
            matched = subject == glob.pattern;
        else if (glob.pattern[0] == '*' &&
                 glob.pattern.find_first_of("*?[", 1) == std::string::npos)
            matched = subject.size() >= glob.pattern.size() - 1 &&
                      subject.compare(subject.size() - (glob.pattern.size() - 1), std::string::npos,
                                      glob.pattern, 1) == 0;
        else
            matched = ::fnmatch(glob.pattern.c_str(), subject.c_str(), FNM_NOESCAPE) == 0;
        if (matched)
            best = &glob;
    }
    return best ? best->type : std::string();
}

void CMimeParents::AddSubclasses(std::string_view text)
{
    ForEachLine(text, [&](std::string_view line) {
        if (line.empty() || line.front() == '#')
            return;
        const std::size_t blank = line.find(' ');
        if (blank == std::string_view::npos || blank == 0)
            return;
        const std::string_view parent = Trim(line.substr(blank + 1));
        if (parent.empty() || parent.find(' ') != std::string_view::npos)
            return;
        auto& list = m_parents[std::string(line.substr(0, blank))];
        if (list.size() < 16)
            AppendUnique(list, {std::string(parent)});
    });
}

std::vector<std::string> CMimeParents::Ancestors(const std::string& type) const
{
    constexpr std::size_t kMaxTypes = 32;
    std::vector<std::string> out;
    // Breadth first, so the nearest parents come first; the visited list ends cycles.
    for (std::size_t next = 0, rounds = 0; rounds < kMaxTypes; ++rounds) {
        const std::string& current = next == 0 && out.empty() ? type : out[next - 1];
        if (const auto it = m_parents.find(current); it != m_parents.end())
            for (const std::string& parent : it->second)
                if (parent != type && out.size() < kMaxTypes &&
                    std::find(out.begin(), out.end(), parent) == out.end())
                    out.push_back(parent);
        if (next >= out.size())
            break;
        ++next;
    }
    if (type.rfind("text/", 0) == 0 && type != "text/plain" &&
        std::find(out.begin(), out.end(), "text/plain") == out.end() && out.size() < kMaxTypes)
        out.push_back("text/plain");
    return out;
}

MimeAppsList ParseMimeAppsList(std::string_view text)
{
    MimeAppsList list;
    ForEachKey(text, [&](const std::string& group, std::string_view key, std::string_view value) {
        std::map<std::string, std::vector<std::string>>* target = nullptr;
        if (group == "Default Applications")
            target = &list.defaults;
        else if (group == "Added Associations")
            target = &list.added;
        else if (group == "Removed Associations")
            target = &list.removed;
        if (target && !key.empty())
            AppendUnique((*target)[std::string(key)], SplitList(value));
    });
    return list;
}

std::map<std::string, std::vector<std::string>> ParseMimeInfoCache(std::string_view text)
{
    std::map<std::string, std::vector<std::string>> cache;
    ForEachKey(text, [&](const std::string& group, std::string_view key, std::string_view value) {
        if (group == "MIME Cache" && !key.empty())
            AppendUnique(cache[std::string(key)], SplitList(value));
    });
    return cache;
}

bool ParseDesktopEntry(std::string_view text, DesktopEntry& entry)
{
    entry = DesktopEntry();
    bool found = false;
    bool inEntry = false;
    ForEachLine(text, [&](std::string_view line) {
        line = Trim(line);
        if (line.empty() || line.front() == '#')
            return;
        if (line.front() == '[') {
            // Only the first [Desktop Entry] group counts.
            inEntry = !found && line == "[Desktop Entry]";
            found = found || inEntry;
            return;
        }
        const std::size_t eq = line.find('=');
        if (!inEntry || eq == std::string_view::npos)
            return;
        const std::string_view key = Trim(line.substr(0, eq));
        const std::string value = Unescape(Trim(line.substr(eq + 1)));
        if (key == "Type")
            entry.type = value;
        else if (key == "Exec")
            entry.exec = value;
        else if (key == "TryExec")
            entry.tryExec = value;
        else if (key == "Path")
            entry.path = value;
        else if (key == "Icon")
            entry.icon = value;
        else if (key == "Hidden")
            entry.hidden = value == "true";
        else if (key == "Terminal")
            entry.terminal = value == "true";
        else if (key == "MimeType")
            entry.mimeTypes = SplitList(value);
    });
    return found;
}

bool SplitExec(std::string_view exec, std::vector<std::string>& args)
{
    args.clear();
    std::string current;
    bool inArg = false;
    bool quoted = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < exec.size() &&
                       std::string_view("\"`$\\").find(exec[i + 1]) != std::string_view::npos) {
                current += exec[++i];
            } else {
                current += c;
            }
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n') {
            if (inArg)
                args.push_back(std::move(current));
            current.clear();
            inArg = false;
        } else if (c == '"') {
            quoted = true;
            inArg = true;
        } else {
            current += c;
            inArg = true;
        }
    }
    if (quoted) {
        args.clear();
        return false;
    }
    if (inArg)
        args.push_back(std::move(current));
    return !args.empty() && !args.front().empty();
}

std::string FileUrl(const std::string& path)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (const unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~' ||
                           c == '/';
        if (plain) {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += kHex[c >> 4];
            url += kHex[c & 15];
        }
    }
    return url;
}

std::vector<std::string> ExpandFieldCodes(const std::vector<std::string>& args,
                                          const std::string& path)
{
    std::vector<std::string> out;
    bool namesDocument = false;
    if (args.empty())
        return {path};
    // The program is never expanded: it is looked up by its name as written.
    out.push_back(args.front());
    for (std::size_t n = 1; n < args.size(); ++n) {
        const std::string& arg = args[n];
        std::string expanded;
        bool onlyDropped = true; // the argument is made of dropped codes alone
        for (std::size_t i = 0; i < arg.size(); ++i) {
            if (arg[i] != '%' || i + 1 == arg.size()) {
                expanded += arg[i];
                onlyDropped = false;
                continue;
            }
            const char code = arg[++i];
            switch (code) {
            case 'f':
            case 'F':
                expanded += path;
                namesDocument = true;
                onlyDropped = false;
                break;
            case 'u':
            case 'U':
                expanded += FileUrl(path);
                namesDocument = true;
                onlyDropped = false;
                break;
            case '%':
                expanded += '%';
                onlyDropped = false;
                break;
            default:
                // %i %c %k, the deprecated codes and unknown ones: nothing.
                break;
            }
        }
        if (!expanded.empty() || !onlyDropped)
            out.push_back(std::move(expanded));
    }
    if (!namesDocument)
        out.push_back(path);
    return out;
}

std::string FindProgram(const std::string& name)
{
    if (name.empty() || name.size() > 4096)
        return {};
    const auto executableFile = [](const std::string& candidate) {
        struct stat st;
        return ::access(candidate.c_str(), X_OK) == 0 && ::stat(candidate.c_str(), &st) == 0 &&
               S_ISREG(st.st_mode);
    };
    if (name.find('/') != std::string::npos)
        return name.front() == '/' && executableFile(name) ? name : std::string();
    const char* pathVariable = std::getenv("PATH");
    std::string_view rest =
        pathVariable && *pathVariable ? pathVariable : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const std::size_t colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        if (!folder.empty() && folder.front() == '/') {
            const std::string candidate = std::string(folder) + "/" + name;
            if (executableFile(candidate))
                return candidate;
        }
        if (colon == std::string_view::npos)
            break;
        rest.remove_prefix(colon + 1);
    }
    return {};
}

} // namespace platform::shell
