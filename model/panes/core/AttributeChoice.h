#pragma once

#include <string>
#include <vector>

// The attribute the user chose last in the attribute selector, remembered across listings:
// its name upper-cased (ASCII letters only) and its index; empty and -1 until a choice.
struct CAttributeMemory
{
    std::string name;
    int index = -1;

    // Remembers a choice from the selector: the index and the name upper-cased.
    void Remember(const std::string& attributeName, int attributeIndex);
};

// Which entry of a new listing's attribute names to select, by the setting "ATTRIBUTE":
// - 0, match to the previous attribute name: the first name equal to the remembered one
//   (compared upper-cased) at once; else the first name that contains the remembered name or
//   is contained in it (empty names take no part); else entry 0. Nothing remembered: 0.
// - 1, keep the previous index: the remembered index, 0 when none is remembered, -1 when the
//   names have no entry with that index.
// - 2, and any other value: entry 0.
// Returns -1 for an empty list (no selection).
int ChooseAttribute(const std::vector<std::string>& names, int rule,
                    const CAttributeMemory& memory);
