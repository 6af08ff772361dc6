#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class ISettingsStore;
}

// A platform colour reference: 0x00BBGGRR, red in the lowest byte.
using ColorRef = std::uint32_t;

constexpr ColorRef MakeColorRef(int r, int g, int b)
{
    return static_cast<ColorRef>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(ColorRef c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(ColorRef c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(ColorRef c) { return static_cast<int>((c >> 16) & 0xFF); }

struct CColorItem
{
    int flags = 0; // CColorTable::FlagNamed for named colours
    ColorRef value = 0;
    ColorRef defaultValue = 0;
    std::string displayName; // empty for items the settings page does not list
};

// The one palette of the browser: every colour the model pane and the information panes draw
// with, looked up by key ("TEXT ELEMENT", "BACKGROUND LINK P", ...). The user-adjustable
// items live in section COLOR of the settings store (only values that differ from their
// default are stored); the named system and basic colours are never stored.
//
// Qt-free: the widgets turn a value into a brush or pen where they draw.
class CColorTable
{
public:
    enum { FlagNamed = 2 };

    // One user-adjustable item of the settings page, in the page's order.
    struct StoredItem
    {
        const char* key;
        const char* displayName; // nullptr: not listed on the settings page
        ColorRef defaultValue;
    };
    // The user-adjustable items, listed ones first ("BACKGROUND MODEL VIEW" ...
    // "TEXT DISABLED"), then "BACKGROUND PROPERTY VIEW".
    static const std::vector<StoredItem>& StoredItems();
    // The named colours with their fixed defaults ("COLOR_WINDOW" ... "BASIC BLACK").
    static const std::vector<StoredItem>& NamedItems();

    // Maps a colour to the nearest one the display shows. Default: unchanged (true colour).
    void SetNearestColor(std::function<ColorRef(ColorRef)> nearest);

    // Adds an item. Does nothing and answers true when the key exists.
    bool Add(std::string_view key, ColorRef value, ColorRef defaultValue,
             std::string_view displayName, int flags);
    bool Has(std::string_view key) const;
    // The item's value; 0 (black) when the key is unknown.
    ColorRef Color(std::string_view key) const;
    // The item, or nullptr when the key is unknown. Owned by the table.
    const CColorItem* Item(std::string_view key) const;
    // The key of the first item whose display name matches name ignoring case, or "".
    std::string KeyOfDisplayName(std::string_view name) const;
    // Gives an existing item a new value (mapped to the nearest colour); keeps its display
    // name, default and flags. Answers false (nothing changes) for an unknown key.
    bool Set(std::string_view key, ColorRef value);
    // Keys in the order they were added.
    const std::vector<std::string>& Keys() const { return m_order; }

    // Adds the named colours (system ones take systemColors' value for their key when given,
    // else their default), then reads every stored item from section COLOR: the decimal
    // number under its key, or its default. A stored text that is not a number reads as 0.
    void Load(const platform::ISettingsStore& store,
              const std::map<std::string, ColorRef>& systemColors = {});
    // For every item: deletes its key from COLOR when its value equals its default,
    // otherwise writes the value as a decimal number. Named colours are never written (their keys are deleted).
    void Save(platform::ISettingsStore& store) const;

private:
    std::function<ColorRef(ColorRef)> m_nearest;
    std::map<std::string, CColorItem, std::less<>> m_items;
    std::vector<std::string> m_order;
};
