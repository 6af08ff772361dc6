#include "settings/MemorySettingsStore.h"

#include "text/AsciiCase.h"

#include <cstdlib>

namespace platform {

std::string MemorySettingsStore::Key(std::string_view section, std::string_view key)
{
    return ToUpperAscii(section) + '\n' + ToUpperAscii(key);
}

int MemorySettingsStore::ReadInt(std::string_view section, std::string_view key, int def) const
{
    auto it = m_values.find(Key(section, key));
    return it == m_values.end() ? def : std::atoi(it->second.c_str());
}

void MemorySettingsStore::WriteInt(std::string_view section, std::string_view key, int value)
{
    m_values[Key(section, key)] = std::to_string(value);
}

std::string MemorySettingsStore::ReadString(std::string_view section, std::string_view key,
                                            std::string_view def) const
{
    auto it = m_values.find(Key(section, key));
    return it == m_values.end() ? std::string(def) : it->second;
}

void MemorySettingsStore::WriteString(std::string_view section, std::string_view key,
                                      const std::optional<std::string>& value)
{
    if (value)
        m_values[Key(section, key)] = *value;
    else
        m_values.erase(Key(section, key));
}

void MemorySettingsStore::DeleteSection(std::string_view section)
{
    // Keys are "SECTION\nKEY": the section's keys are one contiguous run of the map.
    const std::string prefix = ToUpperAscii(section) + '\n';
    auto it = m_values.lower_bound(prefix);
    while (it != m_values.end() && it->first.compare(0, prefix.size(), prefix) == 0)
        it = m_values.erase(it);
}

} // namespace platform
