#include "InstanceFinder.h"

#include "InstanceStore.h"
#include "Messages.h"
#include "prompter/Prompter.h"

#include <algorithm>
#include <array>
#include <new>

namespace {

constexpr int kMsgNotEnoughMemory = 5001;
constexpr int kMsgStringNotFound = 5009;
constexpr int kMsgNoSearchWord = 5020;
constexpr int kMsgEndOfList = 5021;

void Show(platform::IPrompter& prompter, int id, platform::Icon icon)
{
    platform::Report(prompter, id, MessageFormat(id), icon);
}

bool HasNonAscii(std::string_view text)
{
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// Substring search over a large buffer, Boyer-Moore-Horspool with every byte passed through a
// folding table first: identity for an exact search, ASCII upper to lower case otherwise.
// The skip table is indexed by raw bytes, so folding costs nothing on the skip path.
class CFoldedSearcher
{
public:
    CFoldedSearcher(std::string_view word, bool foldAscii) : m_length(word.size())
    {
        for (int c = 0; c < 256; ++c)
            m_fold[c] = static_cast<unsigned char>(foldAscii && c >= 'A' && c <= 'Z' ? c + 32 : c);
        m_word.resize(m_length);
        for (std::size_t i = 0; i < m_length; ++i)
            m_word[i] = m_fold[static_cast<unsigned char>(word[i])];
        std::array<std::size_t, 256> foldedSkip;
        foldedSkip.fill(m_length);
        for (std::size_t i = 0; i + 1 < m_length; ++i)
            foldedSkip[m_word[i]] = m_length - 1 - i;
        for (int c = 0; c < 256; ++c)
            m_skip[c] = foldedSkip[m_fold[c]];
    }

    // The first offset at or after from where the word occurs, or npos.
    std::size_t Find(std::string_view text, std::size_t from) const
    {
        const auto* data = reinterpret_cast<const unsigned char*>(text.data());
        const std::size_t n = text.size();
        if (m_length == 0 || n < m_length)
            return std::string_view::npos;
        const std::size_t lastIndex = m_length - 1;
        const unsigned char last = m_word[lastIndex];
        std::size_t pos = from;
        while (pos <= n - m_length) {
            const unsigned char c = data[pos + lastIndex];
            if (m_fold[c] == last) {
                std::size_t j = 0;
                while (j < lastIndex && m_fold[data[pos + j]] == m_word[j])
                    ++j;
                if (j == lastIndex)
                    return pos;
            }
            pos += m_skip[c];
        }
        return std::string_view::npos;
    }

private:
    std::size_t m_length;
    std::basic_string<unsigned char> m_word;
    std::array<unsigned char, 256> m_fold;
    std::array<std::size_t, 256> m_skip;
};

// Sets the wait cursor for the life of the object.
class CWaitCursor
{
public:
    explicit CWaitCursor(platform::IPrompter& prompter) : m_prompter(prompter)
    {
        m_prompter.SetWaitCursor(true);
    }
    ~CWaitCursor() { m_prompter.SetWaitCursor(false); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    platform::IPrompter& m_prompter;
};

} // namespace

void CInstanceFinder::Reset()
{
    std::vector<std::uint32_t>().swap(m_matches);
    m_current = 0;
    m_continuing = false;
}

bool CInstanceFinder::Search(std::string_view word, const CInstanceStore& store, int matchCase,
                             std::vector<std::uint32_t>& matches) const
{
    matches.clear();
    if (word.empty() || store.Empty())
        return true;
    try {
        if (matchCase == 0 && m_fold && HasNonAscii(word)) {
            // Case folding beyond ASCII is the GUI's: ask it entry by entry, in list order.
            for (std::size_t i = 0; i < store.Count(); ++i) {
                if (m_fold(store.Text(i), word))
                    matches.push_back(static_cast<std::uint32_t>(i));
            }
            return true;
        }

        // One pass over the arena in storage order. Each hit is mapped to its row; it counts
        // when it lies wholly inside the row's text (not in its key, not across its end), and
        // the scan goes on at the next row's text, so a row is listed once.
        const CFoldedSearcher searcher(word, matchCase == 0);
        const std::string_view arena = store.Arena();
        const std::size_t rows = store.Count();
        std::size_t pos = 0;
        std::size_t row = 0;
        for (;;) {
            const std::size_t hit = searcher.Find(arena, pos);
            if (hit == std::string_view::npos)
                break;
            row = store.StorageRowAt(hit, row);
            if (hit + word.size() <= store.TextEnd(row))
                matches.push_back(static_cast<std::uint32_t>(store.ListPosition(row)));
            if (row + 1 >= rows)
                break;
            pos = static_cast<std::size_t>(store.TextBegin(row + 1));
        }
        if (store.Sorted())
            std::sort(matches.begin(), matches.end());
        return true;
    } catch (const std::bad_alloc&) {
        std::vector<std::uint32_t>().swap(matches);
        return false;
    }
}

int CInstanceFinder::FindNext(const std::string& word, const CInstanceStore& store, int matchCase,
                              IFindHost& host, platform::IPrompter& prompter)
{
    if (word.empty()) {
        Show(prompter, kMsgNoSearchWord, platform::Icon::Information);
        return 0;
    }

    // Continuing without matches (nothing to step through) runs a new search instead.
    if (!m_continuing || m_matches.empty()) {
        m_continuing = false;
        m_current = 0;
        bool found = false;
        {
            CWaitCursor wait(prompter);
            found = Search(word, store, matchCase, m_matches);
        }
        if (!found) {
            Show(prompter, kMsgNotEnoughMemory, platform::Icon::Exclamation);
            return 0;
        }
        const int count = static_cast<int>(m_matches.size());
        if (count == 0) {
            host.ShowFindStatus(0, 0);
            Show(prompter, kMsgStringNotFound, platform::Icon::Exclamation);
            host.RecordSearch(word, 0, matchCase);
            return 0;
        }
        host.SelectEntry(static_cast<int>(m_matches[0]));
        host.PushRecentWord();
        host.ShowFindStatus(1, count);
        host.RecordSearch(word, count, matchCase);
        m_continuing = true;
        return 1;
    }

    const int count = static_cast<int>(m_matches.size());
    m_current = std::clamp(m_current, 0, count - 1);
    if (m_current + 1 < count) {
        ++m_current;
        host.SelectEntry(static_cast<int>(m_matches[static_cast<std::size_t>(m_current)]));
        host.ShowFindStatus(m_current + 1, count);
        return 1;
    }
    host.ShowFindStatus(m_current + 1, count);
    const platform::Answer answer =
        platform::Report(prompter, kMsgEndOfList, MessageFormat(kMsgEndOfList),
                         platform::Icon::Question, platform::Buttons::YesNo, platform::Answer::No);
    if (answer != platform::Answer::Yes)
        return 0;
    m_current = 0;
    host.SelectEntry(static_cast<int>(m_matches[0]));
    host.ShowFindStatus(1, count);
    return 1;
}
