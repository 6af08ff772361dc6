#include "BookScripts.h"

#include "files/PathLookup.h"
#include "text/AsciiCase.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zelio {
namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// The position of needle in text at or after from, ignoring ASCII case; npos when absent.
std::size_t FindIgnoreCase(std::string_view text, std::string_view needle, std::size_t from = 0)
{
    if (needle.empty() || text.size() < needle.size())
        return std::string_view::npos;
    for (std::size_t i = from; i + needle.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < needle.size() &&
               platform::UpperAscii(text[i + k]) == platform::UpperAscii(needle[k]))
            ++k;
        if (k == needle.size())
            return i;
    }
    return std::string_view::npos;
}

std::size_t SkipSpace(std::string_view text, std::size_t at)
{
    while (at < text.size() && IsSpace(text[at]))
        ++at;
    return at;
}

// A name token (anything up to space, quote, '=', '>' or ';').
std::string_view NameAt(std::string_view text, std::size_t& at)
{
    const std::size_t start = at;
    while (at < text.size() && !IsSpace(text[at]) && text[at] != '"' && text[at] != '\'' &&
           text[at] != '=' && text[at] != '>' && text[at] != ';' && text[at] != '<')
        ++at;
    return text.substr(start, at - start);
}

// A quoted or bare value at at; at moves past it.
std::string_view ValueAt(std::string_view text, std::size_t& at)
{
    if (at < text.size() && (text[at] == '"' || text[at] == '\'')) {
        const char quote = text[at];
        const std::size_t close = text.find(quote, at + 1);
        const std::size_t end = close == std::string_view::npos ? text.size() : close;
        std::string_view value = text.substr(at + 1, end - at - 1);
        at = close == std::string_view::npos ? text.size() : close + 1;
        return value;
    }
    return NameAt(text, at);
}

std::string DecodeEntities(std::string_view text)
{
    static const struct
    {
        std::string_view name;
        char c;
    } kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        bool decoded = false;
        if (text[i] == '&')
            for (const auto& entity : kEntities)
                if (text.substr(i, entity.name.size()) == entity.name) {
                    out += entity.c;
                    i += entity.name.size();
                    decoded = true;
                    break;
                }
        if (!decoded)
            out += text[i++];
    }
    return out;
}

std::string Trim(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsSpace(text[begin]))
        ++begin;
    while (end > begin && IsSpace(text[end - 1]))
        --end;
    return std::string(text.substr(begin, end - begin));
}

// The content of <tag>...</tag> after from (the element's end or the text's end closes it).
std::string ElementText(std::string_view text, std::string_view tag, std::size_t from)
{
    const std::string open = "<" + std::string(tag);
    std::size_t at = FindIgnoreCase(text, open, from);
    while (at != std::string_view::npos) {
        const std::size_t after = at + open.size();
        if (after < text.size() && (text[after] == '>' || IsSpace(text[after])))
            break;
        at = FindIgnoreCase(text, open, after);
    }
    if (at == std::string_view::npos)
        return {};
    const std::size_t gt = text.find('>', at);
    if (gt == std::string_view::npos)
        return {};
    const std::size_t close = FindIgnoreCase(text, "</" + std::string(tag), gt + 1);
    const std::size_t end = close == std::string_view::npos ? text.size() : close;
    return Trim(DecodeEntities(text.substr(gt + 1, end - gt - 1)));
}

// Reads up to limit bytes of a regular file; false when it cannot be opened as one.
bool ReadBounded(const std::string& path, std::size_t limit, std::string& bytes)
{
    bytes.clear();
    int fd = -1;
    if (platform::OpenRegularFile(path, fd) != 0)
        return false;
    char buffer[16384];
    while (bytes.size() < limit) {
        const std::size_t want = std::min(sizeof buffer, limit - bytes.size());
        const ssize_t got = ::read(fd, buffer, want);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return true;
}

std::string LastComponent(const std::string& folder)
{
    std::string path = platform::NormalizeSeparators(folder);
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::atomic<unsigned> g_copyNumber{0};

} // namespace

bool ParseDocRef(std::string_view text, CUserDocument& document)
{
    std::size_t at = FindIgnoreCase(text, "<docref");
    while (at != std::string_view::npos && at + 7 < text.size() && !IsSpace(text[at + 7]) &&
           text[at + 7] != '>')
        at = FindIgnoreCase(text, "<docref", at + 7);
    if (at == std::string_view::npos)
        return false;
    std::size_t pos = at + 7;
    while (true) {
        pos = SkipSpace(text, pos);
        if (pos >= text.size() || text[pos] == '>')
            break;
        if (text[pos] == '/' || text[pos] == '"' || text[pos] == '\'' || text[pos] == '=' ||
            text[pos] == ';' || text[pos] == '<') {
            ++pos; // stray byte: skip it
            continue;
        }
        const std::string_view name = NameAt(text, pos);
        pos = SkipSpace(text, pos);
        std::string_view value;
        if (pos < text.size() && text[pos] == '=') {
            pos = SkipSpace(text, pos + 1);
            value = ValueAt(text, pos);
        }
        if (platform::EqualsIgnoreAsciiCase(name, "docnum"))
            document.docnum = DecodeEntities(value);
        else if (platform::EqualsIgnoreAsciiCase(name, "file"))
            document.file = DecodeEntities(value);
    }
    document.title = ElementText(text, "doctitle", at);
    document.description = ElementText(text, "docdesc", at);
    return true;
}

std::vector<CUserDocEntry> ParseUserDocFile(std::string_view text)
{
    // Declarations anywhere before the element.
    std::vector<std::pair<std::string, std::string>> declarations;
    for (std::size_t at = FindIgnoreCase(text, "<!ENTITY"); at != std::string_view::npos;
         at = FindIgnoreCase(text, "<!ENTITY", at + 8)) {
        std::size_t pos = SkipSpace(text, at + 8);
        if (pos < text.size() && text[pos] == '%')
            continue; // parameter entities are not documents
        const std::string_view name = NameAt(text, pos);
        pos = SkipSpace(text, pos);
        std::size_t keyword = pos;
        const std::string_view system = NameAt(text, keyword);
        if (name.empty() || !platform::EqualsIgnoreAsciiCase(system, "SYSTEM"))
            continue;
        pos = SkipSpace(text, keyword);
        const std::string_view id = ValueAt(text, pos);
        if (declarations.size() < kMaxUserDocuments)
            declarations.emplace_back(std::string(name), std::string(id));
    }
    std::vector<CUserDocEntry> entries;
    std::size_t open = FindIgnoreCase(text, "<userdoc");
    while (open != std::string_view::npos && open + 8 < text.size() && !IsSpace(text[open + 8]) &&
           text[open + 8] != '>')
        open = FindIgnoreCase(text, "<userdoc", open + 8);
    if (open == std::string_view::npos)
        return entries;
    const std::size_t gt = text.find('>', open);
    if (gt == std::string_view::npos)
        return entries;
    const std::size_t close = FindIgnoreCase(text, "</userdoc", gt);
    const std::string_view body =
        text.substr(gt + 1, (close == std::string_view::npos ? text.size() : close) - gt - 1);
    for (std::size_t at = body.find('&');
         at != std::string_view::npos && entries.size() < kMaxUserDocuments;
         at = body.find('&', at + 1)) {
        std::size_t pos = at + 1;
        const std::string_view name = NameAt(body, pos);
        if (name.empty() || pos >= body.size() || body[pos] != ';')
            continue;
        CUserDocEntry entry;
        entry.entity = std::string(name);
        // An exact name first; else one that differs in case only.
        for (const auto& [declared, id] : declarations)
            if (declared == name) {
                entry.systemId = id;
                break;
            }
        if (entry.systemId.empty())
            for (const auto& [declared, id] : declarations)
                if (platform::EqualsIgnoreAsciiCase(declared, name)) {
                    entry.systemId = id;
                    break;
                }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::string UserDocFilePath(const std::string& bookFolder)
{
    return bookFolder + "/" + LastComponent(bookFolder) + ".sgm";
}

std::vector<CUserDocument> ReadUserDocuments(const std::string& bookFolder)
{
    std::vector<CUserDocument> documents;
    std::string text;
    if (!ReadBounded(platform::ResolveExistingPath(UserDocFilePath(bookFolder)),
                     kMaxUserDocFileBytes, text))
        return documents;
    for (const CUserDocEntry& entry : ParseUserDocFile(text)) {
        if (!IsPlainFileName(entry.systemId))
            continue;
        std::string reference;
        if (!ReadBounded(platform::ResolveExistingPath(bookFolder + "/" + entry.systemId),
                         kMaxDocRefFileBytes, reference))
            continue;
        CUserDocument document;
        if (!ParseDocRef(reference, document))
            continue;
        document.entity = entry.entity;
        document.referenceFile = entry.systemId;
        if (document.title.empty())
            document.title = entry.systemId;
        documents.push_back(std::move(document));
    }
    return documents;
}

std::vector<std::string> UserDocReferenceFiles(const std::string& bookFolder)
{
    std::vector<std::string> names;
    std::string text;
    if (!ReadBounded(platform::ResolveExistingPath(UserDocFilePath(bookFolder)),
                     kMaxUserDocFileBytes, text))
        return names;
    for (const CUserDocEntry& entry : ParseUserDocFile(text))
        if (IsPlainFileName(entry.systemId))
            names.push_back(entry.systemId);
    return names;
}

std::string UserDocumentPath(const std::string& bookFolder, const std::string& location)
{
    const std::string path = platform::NormalizeSeparators(location);
    if (path.empty() || path[0] == '/')
        return path;
    return platform::ResolveExistingPath(bookFolder + "/" + path);
}

std::vector<CFigureReference> FindFigureReferences(std::string_view text)
{
    std::vector<CFigureReference> figures;
    std::size_t line = 0;
    std::size_t lineStart = 0;
    static constexpr std::string_view kOpen = "[figure:";
    for (std::size_t at = FindIgnoreCase(text, kOpen); at != std::string_view::npos;
         at = FindIgnoreCase(text, kOpen, at + 1)) {
        for (std::size_t i = lineStart; i < at; ++i)
            if (text[i] == '\n')
                ++line;
        lineStart = at;
        const std::size_t close = text.find(']', at);
        const std::size_t newline = text.find('\n', at);
        if (close == std::string_view::npos ||
            (newline != std::string_view::npos && newline < close))
            continue;
        std::string name = Trim(text.substr(at + kOpen.size(), close - at - kOpen.size()));
        if (!IsPlainFileName(name))
            continue;
        figures.push_back({at, close + 1, line, std::move(name)});
    }
    return figures;
}

bool IsPlainFileName(std::string_view name)
{
    if (name.empty() || name.size() > 255 || name == "." || name == "..")
        return false;
    for (char c : name)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return false;
    return true;
}

std::string TemporaryFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    struct stat status
    {
    };
    if (tmp == nullptr || tmp[0] == '\0' || ::stat(tmp, &status) != 0 || !S_ISDIR(status.st_mode))
        return "/tmp";
    std::string folder = tmp;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

int CopyFigure(const std::string& bookFolder, const std::string& name, const std::string& folder,
               std::string& copyName)
{
    copyName.clear();
    if (!IsPlainFileName(name))
        return EINVAL;
    int in = -1;
    if (const int error =
            platform::OpenRegularFile(platform::ResolveExistingPath(bookFolder + "/" + name), in);
        error != 0)
        return error;
    struct stat status
    {
    };
    if (::fstat(in, &status) != 0 || static_cast<std::uint64_t>(status.st_size) > kMaxFigureBytes) {
        ::close(in);
        return EFBIG;
    }
    std::string safe;
    for (char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
        safe += plain ? c : '_';
    }
    int out = -1;
    std::string candidate;
    for (int attempt = 0; attempt < 1000 && out < 0; ++attempt) {
        candidate = "zelio-" + std::to_string(::getpid()) + "-" +
                    std::to_string(g_copyNumber.fetch_add(1) + 1) + "-" + safe;
        out = ::open((folder + "/" + candidate).c_str(),
                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (out < 0 && errno != EEXIST) {
            const int error = errno;
            ::close(in);
            return error;
        }
    }
    if (out < 0) {
        ::close(in);
        return EEXIST;
    }
    const std::string target = folder + "/" + candidate;
    char buffer[65536];
    int error = 0;
    std::uint64_t copied = 0;
    while (error == 0) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = errno;
            break;
        }
        if (got == 0)
            break;
        copied += static_cast<std::uint64_t>(got);
        if (copied > kMaxFigureBytes) {
            error = EFBIG;
            break;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t wrote = ::write(out, buffer + done, static_cast<std::size_t>(got - done));
            if (wrote < 0 && errno == EINTR)
                continue;
            if (wrote <= 0) {
                error = wrote < 0 ? errno : EIO;
                break;
            }
            done += wrote;
        }
    }
    ::close(in);
    if (::close(out) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        ::unlink(target.c_str());
        return error;
    }
    copyName = candidate;
    return 0;
}

} // namespace zelio
