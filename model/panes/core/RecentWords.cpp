#include "RecentWords.h"

#include "settings/SettingsStore.h"
#include "text/AsciiCase.h"

#include <algorithm>

namespace {
constexpr const char* kSection = "RECENT FIND LIST";
}

void CRecentWords::Load(const platform::ISettingsStore& store)
{
    m_words.clear();
    for (int i = 1; i <= kLimit; ++i) {
        std::string word = store.ReadString(kSection, std::to_string(i), "");
        if (word.empty())
            break;
        m_words.push_back(std::move(word));
    }
}

void CRecentWords::Push(const std::string& word)
{
    if (word.empty())
        return;
    const auto same = std::find_if(m_words.begin(), m_words.end(), [&](const std::string& w) {
        return platform::EqualsIgnoreAsciiCase(w, word);
    });
    if (same != m_words.end())
        m_words.erase(same);
    m_words.insert(m_words.begin(), word);
    // A list of 20 read from the settings would still hold 20 after dropping one entry;
    // dropping down to 19 keeps the limit that every insertion promises.
    while (m_words.size() >= static_cast<std::size_t>(kLimit))
        m_words.pop_back();
}

void CRecentWords::Save(platform::ISettingsStore& store) const
{
    store.DeleteSection(kSection);
    for (std::size_t i = 0; i < m_words.size(); ++i)
        store.WriteString(kSection, std::to_string(i + 1), m_words[i]);
}
