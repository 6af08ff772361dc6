#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class IPrompter;
}
class CInstanceStore;

// What Find Next needs from the instance pane and the main frame.
class IFindHost
{
public:
    virtual ~IFindHost() = default;
    // Selects the list entry at the position (the property list follows).
    virtual void SelectEntry(int listPosition) = 0;
    // Shows " %d matches found, %d/%d selected " in the find status pane; (0, 0) clears it.
    virtual void ShowFindStatus(int current, int count) = 0;
    // Records a new search in the history: the word, its number of hits and "MATCH CASE".
    virtual void RecordSearch(const std::string& word, int hits, int matchCase) = 0;
    // Puts the find box's text at the top of its recent words.
    virtual void PushRecentWord() = 0;
};

// The find state of the instance pane: the match list (list positions in ascending order),
// the current match and whether the next Find Next steps through the list ("search
// continuing") or builds a new one.
class CInstanceFinder
{
public:
    // Tells whether text contains word ignoring case beyond ASCII (the GUI's Unicode case
    // folding); used for words with non-ASCII bytes when the case is not matched.
    using FoldPredicate = std::function<bool(std::string_view text, std::string_view word)>;

    // Forgets everything, as a new listing does: no matches, current match 0, not continuing.
    void Reset();
    void SetContinuing(bool continuing) { m_continuing = continuing; }
    bool Continuing() const { return m_continuing; }
    // Sets or removes (an empty function) the predicate for non-ASCII words; without one
    // such words fold ASCII letters only.
    void SetFoldPredicate(FoldPredicate predicate) { m_fold = std::move(predicate); }

    // Find Next (F3): with an empty word, message 5020; when not continuing, a new search
    // over every entry's whole text (selects the first match, or message 5009 and a search
    // recorded with 0 hits; 5001 when memory runs out); when continuing, the next match, and
    // at the last one the question 5021 whether to start again from the first. matchCase 0
    // compares ignoring case. Returns 1 when an entry was selected, else 0.
    int FindNext(const std::string& word, const CInstanceStore& store, int matchCase,
                 IFindHost& host, platform::IPrompter& prompter);

    // The list positions of the entries whose text contains the word, ascending, into
    // matches (replaced). False when memory runs out (matches is then empty). An empty word
    // matches nothing.
    bool Search(std::string_view word, const CInstanceStore& store, int matchCase,
                std::vector<std::uint32_t>& matches) const;

    const std::vector<std::uint32_t>& Matches() const { return m_matches; }
    // The position in the match list of the entry selected last (0-based).
    int CurrentMatch() const { return m_current; }

private:
    std::vector<std::uint32_t> m_matches;
    int m_current = 0;
    bool m_continuing = false;
    FoldPredicate m_fold;
};
