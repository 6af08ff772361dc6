#include "AttributeChoice.h"

#include "text/AsciiCase.h"

void CAttributeMemory::Remember(const std::string& attributeName, int attributeIndex)
{
    name = platform::ToUpperAscii(attributeName);
    index = attributeIndex;
}

namespace {

int MatchRememberedName(const std::vector<std::string>& names, const std::string& rememberedName)
{
    if (rememberedName.empty())
        return 0;
    const std::string remembered = platform::ToUpperAscii(rememberedName);
    int candidate = -1;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string name = platform::ToUpperAscii(names[i]);
        if (name == remembered)
            return static_cast<int>(i);
        // An empty name is contained in every name; it is no evidence of a match.
        if (candidate < 0 && !name.empty() &&
            (name.find(remembered) != std::string::npos ||
             remembered.find(name) != std::string::npos))
            candidate = static_cast<int>(i);
    }
    return candidate < 0 ? 0 : candidate;
}

} // namespace

int ChooseAttribute(const std::vector<std::string>& names, int rule, const CAttributeMemory& memory)
{
    if (names.empty())
        return -1;
    switch (rule) {
    case 0:
        return MatchRememberedName(names, memory.name);
    case 1:
        if (memory.index < 0)
            return 0;
        return static_cast<std::size_t>(memory.index) < names.size() ? memory.index : -1;
    default:
        return 0;
    }
}
