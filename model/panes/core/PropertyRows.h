#pragma once

#include <string>
#include <string_view>
#include <vector>

class CElement;

// One row of the property list: an icon number (1 attribute, 2 information), the text of the
// "Attribute" column and the text of the "Value" column (bytes as read from the files).
struct CPropertyRow
{
    int icon = 0;
    std::string attribute;
    std::string value;
    bool operator==(const CPropertyRow&) const = default;
};

// The property list of one instance: a row per attribute of the element (value number i of
// the instance text, empty when the text has fewer values), then "Information" (the element's
// name, with " IS AN " or " IS A " and the parent's name when parentName is not empty) and
// "Count" ("%d items in %s" with count and the parent's name, or the element's name without
// a parent). The result is the caller's.
std::vector<CPropertyRow> PropertyRows(const CElement& element, std::string_view instanceText,
                                       std::string_view parentName, int count);

// Whether a name starts with a vowel for the " IS AN " rule: A E I O U Y, the Windows-1252
// letters A umlaut, O umlaut and A ring, capital or small, and the same three letters in
// UTF-8.
bool StartsWithVowel(std::string_view name);
