#include "PropertyRows.h"

#include "InstanceLoader.h"
#include "Messages.h"
#include "ModelTypes.h"
#include "StringUtil.h"

bool StartsWithVowel(std::string_view name)
{
    if (name.empty())
        return false;
    if (IsVowel(name[0]))
        return true;
    // Names typed in UTF-8: the two-byte forms of the same three letters.
    if (name.size() >= 2 && static_cast<unsigned char>(name[0]) == 0xC3) {
        switch (static_cast<unsigned char>(name[1])) {
        case 0x84:
        case 0x96:
        case 0x85: // capital A umlaut, O umlaut, A ring
        case 0xA4:
        case 0xB6:
        case 0xA5: // the small ones
            return true;
        default:
            break;
        }
    }
    return false;
}

std::vector<CPropertyRow> PropertyRows(const CElement& element, std::string_view instanceText,
                                       std::string_view parentName, int count)
{
    std::vector<CPropertyRow> rows;
    rows.reserve(element.attributes.size() + 2);
    for (std::size_t i = 0; i < element.attributes.size(); ++i) {
        CPropertyRow row{1, element.attributes[i], std::string()};
        InstanceValue(instanceText, static_cast<int>(i) + 1, row.value);
        rows.push_back(std::move(row));
    }

    std::string information = element.name;
    if (!parentName.empty()) {
        information += StartsWithVowel(parentName) ? " IS AN " : " IS A ";
        information += parentName;
    }
    rows.push_back(CPropertyRow{2, "Information", std::move(information)});

    const std::string owner(parentName.empty() ? std::string_view(element.name) : parentName);
    rows.push_back(CPropertyRow{2, "Count", StringPrintf("%d items in %s", count, owner.c_str())});
    return rows;
}
