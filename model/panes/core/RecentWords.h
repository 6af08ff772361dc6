#pragma once

#include <string>
#include <vector>

namespace platform {
class ISettingsStore;
}

// The recent words of the find box, most recent first, kept across runs in section
// "RECENT FIND LIST" of the settings store under the keys "1", "2", ...
class CRecentWords
{
public:
    // Up to this many words are read; an insertion leaves at most kLimit - 1.
    static constexpr int kLimit = 20;

    // Replaces the words with keys "1".."20" of the section, stopping at the first empty or
    // missing key.
    void Load(const platform::ISettingsStore& store);
    // Puts a word at the top: an empty word is ignored; an entry equal to it ignoring ASCII
    // case is removed; then, while there are kLimit or more entries, the last one is dropped,
    // so at most kLimit - 1 remain.
    void Push(const std::string& word);
    // Empties the section, then writes every word under its position from 1.
    void Save(platform::ISettingsStore& store) const;

    const std::vector<std::string>& Words() const { return m_words; }

private:
    std::vector<std::string> m_words;
};
