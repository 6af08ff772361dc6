// The documentation browser's query parser: any text gives either "nothing to search" or an
// expression in which every term is one quoted string and parentheses balance.

#include "QueryParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view query(reinterpret_cast<const char*>(data), size);
    std::string match;
    const bool searchable = zelio::BuildMatchExpression(query, zelio::CountTokensSimple, match);
    if (searchable == match.empty())
        std::abort();
    // Outside quoted strings only operators, parentheses, blanks and '*' may appear.
    int depth = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < match.size(); ++i) {
        const char c = match[i];
        if (quoted) {
            if (c == '"' && (i + 1 >= match.size() || match[i + 1] != '"'))
                quoted = false;
            else if (c == '"')
                ++i; // a doubled quote inside the string
            continue;
        }
        if (c == '"')
            quoted = true;
        else if (c == '(')
            ++depth;
        else if (c == ')') {
            if (--depth < 0)
                std::abort();
        } else if (c != ' ' && c != '*' && c != 'A' && c != 'N' && c != 'D' && c != 'O' &&
                   c != 'R' && c != 'T')
            std::abort();
    }
    if (quoted || depth != 0)
        std::abort();
    return 0;
}
