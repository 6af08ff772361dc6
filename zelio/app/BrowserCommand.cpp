#include "BrowserCommand.h"

#include "text/AsciiCase.h"

namespace {

std::string_view Trim(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::string CBrowserCommand::Field(std::size_t i) const
{
    return i < fields.size() ? std::string(Trim(fields[i])) : std::string();
}

CBrowserCommand CBrowserCommand::Parse(std::string_view text)
{
    CBrowserCommand command;
    const std::size_t equals = text.find('=');
    command.name = std::string(Trim(text.substr(0, equals)));
    if (equals != std::string_view::npos) {
        std::string_view argument = text.substr(equals + 1);
        argument = argument.substr(0, argument.find('='));
        command.argument = std::string(argument);
    }
    std::size_t start = 0;
    while (!command.argument.empty()) {
        const std::size_t comma = command.argument.find(',', start);
        command.fields.push_back(command.argument.substr(start, comma - start));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (platform::EqualsIgnoreAsciiCase(command.name, "open"))
        command.kind = Kind::Open;
    else if (platform::EqualsIgnoreAsciiCase(command.name, "bookquery"))
        command.kind = Kind::BookQuery;
    else if (platform::EqualsIgnoreAsciiCase(command.name, "help"))
        command.kind = Kind::Help;
    return command;
}
