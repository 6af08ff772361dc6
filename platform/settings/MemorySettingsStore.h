#pragma once

#include "settings/SettingsStore.h"

#include <map>
#include <string>

namespace platform {

// A settings store held in memory only, for tests, fuzzers and tools that must not touch the
// user's settings. Sections and keys compare ignoring ASCII case; integers are kept as
// decimal text and read back as the C library's atoi reads them (0 for a non-number).
class MemorySettingsStore : public ISettingsStore
{
public:
    int ReadInt(std::string_view section, std::string_view key, int def) const override;
    void WriteInt(std::string_view section, std::string_view key, int value) override;
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const override;
    void WriteString(std::string_view section, std::string_view key,
                     const std::optional<std::string>& value) override;
    void DeleteSection(std::string_view section) override;

    // Number of values held.
    std::size_t Size() const { return m_values.size(); }

private:
    static std::string Key(std::string_view section, std::string_view key);
    std::map<std::string, std::string> m_values;
};

} // namespace platform
