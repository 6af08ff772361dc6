// Feeds arbitrary bytes to the parsers behind ShellOpen: the Exec splitting and field codes,
// the MIME globs and subclasses, mimeapps.list, mimeinfo.cache and desktop entries. None may
// crash; an Exec line that splits gives a non-empty program, and its expansion names the
// document last when the line has no field code of its own.
#include "shell/ShellAssociation.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace platform::shell;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string document = "/tmp/a b/doc%.mdl";

    std::vector<std::string> args;
    if (SplitExec(bytes, args)) {
        if (args.empty() || args.front().empty())
            std::abort();
        const std::vector<std::string> expanded = ExpandFieldCodes(args, document);
        if (expanded.size() < 2)
            std::abort();
        if (bytes.find('%') == std::string_view::npos && expanded.back() != document)
            std::abort();
    }

    CMimeGlobs globs;
    globs.AddGlobs2(bytes);
    globs.AddGlobs2(bytes);
    for (const char* name : {"x.mdl", "README", "a.tar.gz", "", "\xFF.\xFE"})
        globs.Match(name);
    CMimeParents parents;
    parents.AddSubclasses(bytes);
    if (parents.Ancestors("text/x-a").size() > 33)
        std::abort();

    ParseMimeAppsList(bytes);
    ParseMimeInfoCache(bytes);
    DesktopEntry entry;
    ParseDesktopEntry(bytes, entry);
    return 0;
}
