#include "ColorTable.h"

#include "settings/SettingsStore.h"
#include "text/AsciiCase.h"

#include <cstdlib>

namespace {

const char* const kSection = "COLOR";

// atol semantics: optional blanks and sign, then leading digits; anything else reads as 0.
ColorRef ParseColor(const std::string& text)
{
    const long long v = std::strtoll(text.c_str(), nullptr, 10);
    return static_cast<ColorRef>(static_cast<std::uint32_t>(v));
}

} // namespace

const std::vector<CColorTable::StoredItem>& CColorTable::StoredItems()
{
    static const std::vector<StoredItem> items = {
        {"BACKGROUND MODEL VIEW", "Model background", 12632256},
        {"BACKGROUND ELEMENT", "Element background", 16777215},
        {"BACKGROUND RELATION", "Relation background", 65535},
        {"BACKGROUND DISABLED RELATION", "Disabled relation background", 16777215},
        {"BACKGROUND ERROR", "Error background", 255},
        {"BACKGROUND LINK P", "Is part of link background", 8421376},
        {"BACKGROUND LINK I", "Implements link background", 16711680},
        {"BACKGROUND LINK L", "Is located in link background", 255},
        {"BACKGROUND LINK U", "Uses link background", 8388736},
        {"BACKGROUND LINK N", "None link background", 0},
        {"TEXT LINK P", "Is Part of link Text", 16777215},
        {"TEXT LINK I", "Implements link Text", 16777215},
        {"TEXT LINK L", "Is located in link Text", 16777215},
        {"TEXT LINK U", "Uses link Text", 16777215},
        {"TEXT LINK N", "None link Text", 16777215},
        {"TEXT ELEMENT", "Element Text", 0},
        {"TEXT JUMP", "Jump Text", 255},
        {"TEXT VISITED", "Visited Text", 16711680},
        {"TEXT RELATION", "Relation Text", 0},
        {"TEXT ERROR", "Error Text", 0},
        {"TEXT DISABLED", "Disabled Text", 12632256},
        {"BACKGROUND PROPERTY VIEW", nullptr, 12632256},
    };
    return items;
}

const std::vector<CColorTable::StoredItem>& CColorTable::NamedItems()
{
    static const std::vector<StoredItem> items = {
        {"COLOR_WINDOW", nullptr, 16777215},
        {"COLOR_WINDOWTEXT", nullptr, 0},
        {"COLOR_HIGHLIGHT", nullptr, 8388608},
        {"COLOR_BTNSHADOW", nullptr, 8421504},
        {"COLOR_BTNFACE", nullptr, 12632256},
        {"COLOR GRAYTEXT", nullptr, 8421504},
        {"COLOR_HIGHLIGHTTEXT", nullptr, 16777215},
        {"COLOR_ACTIVECAPTION", nullptr, 8388608},
        {"COLOR_CAPTIONTEXT", nullptr, 16777215},
        {"COLOR_INACTIVECAPTION", nullptr, 12632256},
        {"COLOR_INACTIVECAPTIONTEXT", nullptr, 0},
        {"BASIC WHITE", nullptr, 16777215},
        {"BASIC LIGHT GRAY", nullptr, 12632256},
        {"BASIC DARK GRAY", nullptr, 8421504},
        {"BASIC BLACK", nullptr, 0},
    };
    return items;
}

void CColorTable::SetNearestColor(std::function<ColorRef(ColorRef)> nearest)
{
    m_nearest = std::move(nearest);
}

bool CColorTable::Add(std::string_view key, ColorRef value, ColorRef defaultValue,
                      std::string_view displayName, int flags)
{
    if (Has(key))
        return true;
    CColorItem item;
    item.flags = flags;
    item.value = m_nearest ? m_nearest(value) : value;
    item.defaultValue = m_nearest ? m_nearest(defaultValue) : defaultValue;
    item.displayName = std::string(displayName);
    m_items.emplace(std::string(key), std::move(item));
    m_order.emplace_back(key);
    return true;
}

bool CColorTable::Has(std::string_view key) const
{
    return m_items.find(key) != m_items.end();
}

ColorRef CColorTable::Color(std::string_view key) const
{
    const CColorItem* item = Item(key);
    return item ? item->value : 0;
}

const CColorItem* CColorTable::Item(std::string_view key) const
{
    auto it = m_items.find(key);
    return it == m_items.end() ? nullptr : &it->second;
}

std::string CColorTable::KeyOfDisplayName(std::string_view name) const
{
    const std::string wanted = platform::ToUpperAscii(name);
    for (const std::string& key : m_order) {
        const CColorItem& item = m_items.find(key)->second;
        if (!item.displayName.empty() && platform::ToUpperAscii(item.displayName) == wanted)
            return key;
    }
    return std::string();
}

bool CColorTable::Set(std::string_view key, ColorRef value)
{
    auto it = m_items.find(key);
    if (it == m_items.end())
        return false;
    it->second.value = m_nearest ? m_nearest(value) : value;
    return true;
}

void CColorTable::Load(const platform::ISettingsStore& store,
                       const std::map<std::string, ColorRef>& systemColors)
{
    for (const StoredItem& named : NamedItems()) {
        auto sys = systemColors.find(named.key);
        const ColorRef value = sys != systemColors.end() ? sys->second : named.defaultValue;
        Add(named.key, value, named.defaultValue, {}, FlagNamed);
    }
    for (const StoredItem& stored : StoredItems()) {
        const std::string def = std::to_string(stored.defaultValue);
        const ColorRef value = ParseColor(store.ReadString(kSection, stored.key, def));
        Add(stored.key, value, stored.defaultValue, stored.displayName ? stored.displayName : "",
            0);
    }
}

void CColorTable::Save(platform::ISettingsStore& store) const
{
    for (const std::string& key : m_order) {
        const CColorItem& item = m_items.find(key)->second;
        if ((item.flags & FlagNamed) || item.value == item.defaultValue)
            store.WriteString(kSection, key, std::nullopt);
        else
            store.WriteString(kSection, key, std::to_string(item.value));
    }
}
