#include "StringPattern.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

// How the signature comes about.
//
// The signature is defined by a recursive walk: the value is split at the outermost
// separator, every field that holds no separator at all gets its kind symbol and one
// separator character, and every field is walked again one level deeper. Followed to its
// end, that walk visits every run of characters between two separator characters (a
// "token") exactly once and in order, and the level at which a token is written depends only
// on the two separators that bound it: with lvl(c) the first position of c in the separator
// list (and -1 for the start or end of the value), the token between a and b is written at
// level L = max(lvl(a), lvl(b)). It is followed by b itself when lvl(b) == L (a separator of
// its own level follows it), and otherwise by the separator of the enclosing level
// (S[L - 1], or S[0] at level 0). A value without any separator has no tokens of that kind
// and its signature is the kind symbol of the whole value.
//
// So the checker below builds the signature in one pass over the value, which keeps it
// linear however many fields the value has, and then compares it with the pattern.

namespace {

// ---- Character classes for field kinds -----------------------------------------------

enum : std::uint8_t {
    kClassNumber = 1, // "-0123456789"
    kClassFile = 2,   // '\\', '.', ':'
    kClassRef = 4,    // the reference letters "EGLSM"
    kClassBlank = 8,  // blank and tab, ignored at both ends of a field
};

constexpr std::array<std::uint8_t, 256> MakeClassTable()
{
    std::array<std::uint8_t, 256> t{};
    for (unsigned char c : std::string_view("-0123456789"))
        t[c] |= kClassNumber;
    for (unsigned char c : std::string_view("\\.:"))
        t[c] |= kClassFile;
    for (unsigned char c : std::string_view("EGLSM"))
        t[c] |= kClassRef;
    t[' '] |= kClassBlank;
    t['\t'] |= kClassBlank;
    return t;
}

constexpr std::array<std::uint8_t, 256> kClass = MakeClassTable();

inline std::uint8_t ClassOf(char c)
{
    return kClass[static_cast<unsigned char>(c)];
}

bool AllNumber(const char* a, const char* b)
{
    for (; a != b; ++a) {
        if (!(ClassOf(*a) & kClassNumber))
            return false;
    }
    return true;
}

bool AnyFileChar(const char* a, const char* b)
{
    for (; a != b; ++a) {
        if (ClassOf(*a) & kClassFile)
            return true;
    }
    return false;
}

// Writes the kind symbol of the field [a, b) at out and returns the end of what it wrote
// (one or two characters).
inline char* WriteKind(char* out, const char* a, const char* b, int detectFileNames,
                       int numbersAsText)
{
    while (a != b && (ClassOf(*a) & kClassBlank))
        ++a;
    while (b != a && (ClassOf(b[-1]) & kClassBlank))
        --b;
    if (a == b) {
        *out++ = numbersAsText ? '$' : '#';
        return out;
    }
    const char first = *a;
    const std::uint8_t cls = ClassOf(first);
    if (cls & kClassNumber) {
        // In numbers-as-text mode a number is text, and a number never holds a file-name
        // character, so only the file-name test below can still tell it apart.
        if (!numbersAsText && AllNumber(a + 1, b)) {
            *out++ = '#';
            return out;
        }
    } else if (cls & kClassRef) {
        if (AllNumber(a + 1, b)) {
            *out++ = first;
            *out++ = '#';
            return out;
        }
    }
    if (detectFileNames && AnyFileChar(a, b)) {
        *out++ = 'F';
        *out++ = '$';
        return out;
    }
    *out++ = '$';
    return out;
}

// ---- Separator levels ----------------------------------------------------------------

// For every byte, the first position at which it occurs in the separator list, or -1.
struct SeparatorLevels
{
    std::int32_t level[256];

    void Build(std::string_view separators)
    {
        for (std::int32_t& l : level)
            l = -1;
        for (std::size_t i = separators.size(); i > 0; --i)
            level[static_cast<unsigned char>(separators[i - 1])] = static_cast<std::int32_t>(i - 1);
    }
};

// The readers use a handful of constant separator lists, so the table of the last list is
// kept per thread and rebuilt only when the list changes.
struct SeparatorCache
{
    static constexpr std::size_t kMaxKey = 15;
    char key[kMaxKey];
    std::uint8_t keySize;
    bool valid;
    SeparatorLevels levels;
};

thread_local SeparatorCache t_separatorCache;

const SeparatorLevels& LevelsFor(std::string_view separators, SeparatorLevels& scratch)
{
    if (separators.size() > SeparatorCache::kMaxKey) {
        scratch.Build(separators);
        return scratch;
    }
    SeparatorCache& cache = t_separatorCache;
    if (!cache.valid || cache.keySize != separators.size() ||
        std::memcmp(cache.key, separators.data(), separators.size()) != 0) {
        cache.levels.Build(separators);
        std::memcpy(cache.key, separators.data(), separators.size());
        cache.keySize = static_cast<std::uint8_t>(separators.size());
        cache.valid = true;
    }
    return cache.levels;
}

// ---- Signature building ----------------------------------------------------------------

// The most a signature can take: every token gives at most two symbol characters and one
// separator, and a value of n characters has at most n + 1 tokens.
constexpr std::size_t SignatureCapacity(std::size_t valueSize)
{
    return 3 * (valueSize + 1);
}

// Builds the signature of value into out (SignatureCapacity(value.size()) characters) and
// returns the stripped signature as a view into out.
std::string_view BuildInto(std::string_view value, std::string_view separators,
                           int detectFileNames, int numbersAsText, char* out)
{
    SeparatorLevels scratch;
    const SeparatorLevels& levels = separators.empty() ? (scratch.Build(separators), scratch)
                                                       : LevelsFor(separators, scratch);
    const std::int32_t* lvl = levels.level;
    const char* const begin = value.data();
    const char* const end = begin + value.size();
    char* o = out;

    std::int32_t left = -1; // level of the separator before the current token
    const char* tokenStart = begin;
    for (;;) {
        const char* p = tokenStart;
        while (p != end && lvl[static_cast<unsigned char>(*p)] < 0)
            ++p;
        if (p == end && left < 0) {
            // No separator in the whole value.
            o = WriteKind(o, begin, end, detectFileNames, numbersAsText);
            break;
        }
        const std::int32_t right = p != end ? lvl[static_cast<unsigned char>(*p)] : -1;
        const std::int32_t level = left > right ? left : right;
        o = WriteKind(o, tokenStart, p, detectFileNames, numbersAsText);
        *o++ = right == level ? separators[level] : separators[level > 0 ? level - 1 : 0];
        if (p == end)
            break;
        left = right;
        tokenStart = p + 1;
    }

    // Strip the separators from both ends, one separator character after the other.
    const char* sb = out;
    const char* se = o;
    for (char c : separators) {
        while (sb != se && *sb == c)
            ++sb;
        while (se != sb && se[-1] == c)
            --se;
    }
    return std::string_view(sb, static_cast<std::size_t>(se - sb));
}

// ---- Comparison ------------------------------------------------------------------------

// Compares a signature with a pattern. "[" opens an optional group whose characters are
// skipped one by one while they do not match; "[~" opens a group that repeats until the
// signature ends and must match exactly on every repetition; the comparison succeeds as soon
// as either side is used up. Two forms that well-formed patterns never contain are made
// harmless: a "]" outside a group is passed over, and a repeating group with an empty body
// is left like an optional group (going back to its start would never end).
int CompareSignature(std::string_view signature, std::string_view pattern)
{
    enum Mode { kPlain, kGroup, kRepeat };
    Mode mode = kPlain;
    std::size_t p = 0;
    std::size_t s = 0;
    std::size_t loopStart = 0;
    const std::size_t pn = pattern.size();
    const std::size_t sn = signature.size();
    while (p < pn && s < sn) {
        const char c = pattern[p];
        switch (c) {
        case '[':
            mode = kGroup;
            ++p;
            break;
        case '~':
            mode = kRepeat;
            ++p;
            loopStart = p;
            break;
        case ']':
            if (mode == kRepeat && p != loopStart) {
                p = loopStart;
            } else {
                mode = kPlain;
                ++p;
            }
            break;
        default:
            if (mode == kGroup) {
                if (c == signature[s])
                    ++s;
                ++p;
            } else {
                // A mismatch in a repetition cannot be made good later, so it ends the
                // check just as a mismatch outside a group does.
                if (c != signature[s])
                    return 0;
                ++p;
                ++s;
            }
            break;
        }
    }
    return 1;
}

// Values up to this size build their signature on the stack.
constexpr std::size_t kStackValue = 400;

} // namespace

int CStringPattern::Check(std::string_view value, std::string_view pattern,
                          std::string_view separators, int numbersAsText)
{
    if (value.empty() || pattern.empty() || separators.empty()) {
        m_signature.clear();
        return 0;
    }
    std::string_view signature;
    if (value.size() <= kStackValue) {
        char buffer[SignatureCapacity(kStackValue)];
        signature = BuildInto(value, separators, m_detectFileNames, numbersAsText, buffer);
        m_signature.assign(signature);
    } else {
        std::string buffer(SignatureCapacity(value.size()), '\0');
        signature = BuildInto(value, separators, m_detectFileNames, numbersAsText, buffer.data());
        m_signature.assign(signature);
    }
    return CompareSignature(m_signature, pattern);
}

int MatchPattern(std::string_view value, std::string_view pattern, std::string_view separators,
                 StringSyntaxName /*name*/, int detectFileNames, int numbersAsText)
{
    // The same as a check on a fresh CStringPattern, without keeping the signature.
    if (value.empty() || pattern.empty() || separators.empty())
        return 0;
    if (value.size() <= kStackValue) {
        char buffer[SignatureCapacity(kStackValue)];
        return CompareSignature(
            BuildInto(value, separators, detectFileNames, numbersAsText, buffer), pattern);
    }
    std::string buffer(SignatureCapacity(value.size()), '\0');
    return CompareSignature(
        BuildInto(value, separators, detectFileNames, numbersAsText, buffer.data()), pattern);
}

std::string BuildSignature(std::string_view value, std::string_view separators,
                           int detectFileNames, int numbersAsText)
{
    std::string buffer(SignatureCapacity(value.size()), '\0');
    const std::string_view signature =
        BuildInto(value, separators, detectFileNames, numbersAsText, buffer.data());
    return std::string(signature);
}

int GetField(std::string_view text, char separator, int n, std::string_view& field)
{
    if (n < 1)
        return -1;
    std::size_t pos = 0;
    for (int i = 1; i < n; ++i) {
        const std::size_t found = text.find(separator, pos);
        if (found == std::string_view::npos)
            return -1;
        pos = found + 1;
    }
    const std::size_t next = text.find(separator, pos);
    if (next == std::string_view::npos) {
        field = text.substr(pos);
        return 0;
    }
    field = text.substr(pos, next - pos);
    return field.empty() ? 2 : 1;
}

int GetField(std::string_view text, char separator, int n, std::string& field)
{
    std::string_view view;
    const int result = GetField(text, separator, n, view);
    if (result >= 0)
        field.assign(view);
    return result;
}

// ---- Reference implementation -----------------------------------------------------------

namespace reference_pattern {
namespace {

int Field(const std::string& text, char separator, int n, std::string& field)
{
    const std::string sep(1, separator);
    std::size_t pos = 0;
    for (int i = 1; i < n; ++i) {
        const std::size_t found = text.find(sep, pos);
        if (found == std::string::npos)
            return -1;
        pos = found + 1;
    }
    const std::size_t next = text.find(sep, pos);
    if (next == std::string::npos) {
        field = text.substr(pos);
        return 0;
    }
    field = text.substr(pos, next - pos);
    return field.empty() ? 2 : 1;
}

bool IsNumber(const std::string& text)
{
    return text.find_first_not_of("-0123456789") == std::string::npos;
}

std::string KindOf(const std::string& field, int detectFileNames, int numbersAsText)
{
    const std::string blanks = " \t";
    std::string t;
    const std::size_t first = field.find_first_not_of(blanks);
    if (first != std::string::npos)
        t = field.substr(first, field.find_last_not_of(blanks) - first + 1);
    if (IsNumber(t))
        return numbersAsText ? "$" : "#";
    if (!t.empty() && std::string("EGLSM").find(t[0]) != std::string::npos &&
        IsNumber(t.substr(1)))
        return std::string(1, t[0]) + "#";
    if (detectFileNames && t.find_first_of(std::string("\\.:")) != std::string::npos)
        return "F$";
    return "$";
}

void Walk(const std::string& t, std::size_t level, const std::string& separators,
          int detectFileNames, int numbersAsText, std::string& signature)
{
    if (level >= separators.size())
        return;
    const char c = separators[level];
    for (int n = 1;; ++n) {
        std::string f;
        const int r = Field(t, c, n, f);
        if (r == -1)
            break;
        if (f != t && f.find_first_of(separators) == std::string::npos) {
            signature += KindOf(f, detectFileNames, numbersAsText);
            signature += (r != 0 || level == 0) ? separators[level] : separators[level - 1];
        }
        Walk(f, level + 1, separators, detectFileNames, numbersAsText, signature);
    }
}

} // namespace

std::string BuildSignature(const std::string& value, const std::string& separators,
                           int detectFileNames, int numbersAsText)
{
    std::string signature;
    Walk(value, 0, separators, detectFileNames, numbersAsText, signature);
    if (signature.empty())
        signature = KindOf(value, detectFileNames, numbersAsText);
    for (char c : separators) {
        while (!signature.empty() && signature.front() == c)
            signature.erase(0, 1);
        while (!signature.empty() && signature.back() == c)
            signature.pop_back();
    }
    return signature;
}

int Check(const std::string& value, const std::string& pattern, const std::string& separators,
          int detectFileNames, int numbersAsText, std::string* signature)
{
    if (value.empty() || pattern.empty() || separators.empty()) {
        if (signature)
            signature->clear();
        return 0;
    }
    const std::string sig = BuildSignature(value, separators, detectFileNames, numbersAsText);
    if (signature)
        *signature = sig;

    enum Mode { kPlain, kGroup, kRepeat };
    Mode mode = kPlain;
    bool ok = true;
    std::size_t p = 0;
    std::size_t s = 0;
    std::size_t loopStart = 0;
    while (p < pattern.size() && s < sig.size()) {
        const char c = pattern[p];
        if (c == '[') {
            mode = kGroup;
            ++p;
        } else if (c == '~') {
            mode = kRepeat;
            ++p;
            loopStart = p;
        } else if (c == ']') {
            // An empty repeating body, or a "]" outside a group, is passed over.
            if (mode == kRepeat && p != loopStart) {
                p = loopStart;
            } else {
                mode = kPlain;
                ++p;
            }
        } else if (mode == kPlain) {
            if (c != sig[s])
                return 0;
            ++p;
            ++s;
        } else if (mode == kGroup) {
            if (c == sig[s]) {
                ++p;
                ++s;
            } else {
                ++p;
            }
        } else {
            if (c != sig[s])
                ok = false;
            ++p;
            ++s;
        }
    }
    return ok ? 1 : 0;
}

} // namespace reference_pattern
