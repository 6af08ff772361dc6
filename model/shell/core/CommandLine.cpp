#include "CommandLine.h"

#include "StringUtil.h"
#include "settings/SettingsStore.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

CCommandLine CCommandLine::Resolve(std::string_view rawText, const platform::ISettingsStore& store)
{
    CCommandLine result;
    // Blanks alone would otherwise be opened as a file name and end the program.
    if (Trimmed(rawText).empty())
        return result;

    result.action = Action::OpenPath;
    result.path = std::string(rawText);

    const std::size_t equals = rawText.find('=');
    if (equals == std::string_view::npos)
        return result;
    const std::string key = ToUpperAscii(Trimmed(rawText.substr(0, equals)));
    const std::string_view name = Trimmed(rawText.substr(equals + 1));
    if (key != "COLLECTION" || name.empty())
        return result;

    std::string entry = store.ReadString("COLLECTION", name, "");
    if (entry.empty())
        return result;
    result.path = std::move(entry);
    result.forceNoStartupRelations = true;
    return result;
}
