#include "StringPattern.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
// (one or two characters). slowFirst holds the classes of a first character that need the
// full classification (see SlowFirstClasses); any other first character makes the field
// text or a file name.
inline char* WriteKind(char* out, const char* a, const char* b, int detectFileNames,
                       int numbersAsText, std::uint8_t slowFirst)
{
    if (a != b && !(ClassOf(*a) & slowFirst)) {
        if (detectFileNames && AnyFileChar(a, b)) {
            out[0] = 'F';
            out[1] = '$';
            return out + 2;
        }
        *out = '$';
        return out + 1;
    }
    while (a != b && (ClassOf(*a) & kClassBlank))
        ++a;
    while (b != a && (ClassOf(b[-1]) & kClassBlank))
        --b;
    if (a == b) {
        *out = numbersAsText ? '$' : '#';
        return out + 1;
    }
    const char first = *a;
    const std::uint8_t cls = ClassOf(first);
    if (cls & kClassNumber) {
        // In numbers-as-text mode a number is text, and a number never holds a file-name
        // character, so only the file-name test below can still tell it apart.
        if (!numbersAsText && AllNumber(a + 1, b)) {
            *out = '#';
            return out + 1;
        }
    } else if (cls & kClassRef) {
        if (AllNumber(a + 1, b)) {
            out[0] = first;
            out[1] = '#';
            return out + 2;
        }
    }
    if (detectFileNames && AnyFileChar(a, b)) {
        out[0] = 'F';
        out[1] = '$';
        return out + 2;
    }
    *out = '$';
    return out + 1;
}

// ---- Separator levels ----------------------------------------------------------------

// For every byte, the first position at which it occurs in the separator list, or -1; and
// the distinct separator characters, which the vector scan looks for.
struct SeparatorLevels
{
    static constexpr std::size_t kMaxVector = 4;
    std::int32_t level[256];
    char distinct[kMaxVector];
    std::size_t distinctCount; // more than kMaxVector: scan byte by byte

    void Build(std::string_view separators)
    {
        for (std::int32_t& l : level)
            l = -1;
        distinctCount = 0;
        for (std::size_t i = 0; i < separators.size(); ++i) {
            std::int32_t& l = level[static_cast<unsigned char>(separators[i])];
            if (l >= 0)
                continue;
            l = static_cast<std::int32_t>(i);
            if (distinctCount < kMaxVector)
                distinct[distinctCount] = separators[i];
            ++distinctCount;
        }
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
    bool same = cache.valid && cache.keySize == separators.size();
    for (std::size_t i = 0; same && i < separators.size(); ++i)
        same = cache.key[i] == separators[i];
    if (!same) {
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

// The first-character classes for which a field may be something else than text or a file
// name: blanks (the field is trimmed first), reference letters, and digits and minus unless
// numbers count as text (a number is then text too, and cannot hold a file-name character).
inline std::uint8_t SlowFirstClasses(int numbersAsText)
{
    return numbersAsText ? kClassRef | kClassBlank : kClassNumber | kClassRef | kClassBlank;
}

// Writes the signature token by token, as the scan reports the separators.
struct SignatureWriter
{
    const std::int32_t* level;
    const char* separators;
    int detectFileNames;
    int numbersAsText;
    std::uint8_t slowFirst;
    char* out;
    const char* tokenStart;
    std::int32_t left = -1; // level of the separator before the current token; -1 at start

    // The token ends at the separator at sep.
    inline void Separator(const char* sep)
    {
        const std::int32_t right = level[static_cast<unsigned char>(*sep)];
        const std::int32_t lvl = left > right ? left : right;
        out = WriteKind(out, tokenStart, sep, detectFileNames, numbersAsText, slowFirst);
        *out++ = right == lvl ? separators[lvl] : separators[lvl > 0 ? lvl - 1 : 0];
        left = right;
        tokenStart = sep + 1;
    }

    // The last token ends at the end of the value.
    inline void Finish(const char* begin, const char* end)
    {
        if (left < 0) {
            // No separator in the whole value.
            out = WriteKind(out, begin, end, detectFileNames, numbersAsText, slowFirst);
            return;
        }
        out = WriteKind(out, tokenStart, end, detectFileNames, numbersAsText, slowFirst);
        *out++ = separators[left > 0 ? left - 1 : 0];
    }
};

void ScanBytes(const char* begin, const char* end, SignatureWriter& w)
{
    for (const char* p = begin; p != end; ++p) {
        if (w.level[static_cast<unsigned char>(*p)] >= 0)
            w.Separator(p);
    }
}

#if defined(__SSE2__)
// Finds the separators sixteen bytes at a time and hands them to the writer in order.
template <std::size_t K>
void ScanVector(const char* begin, const char* end, const char* distinct, SignatureWriter& w)
{
    __m128i needle[K];
    for (std::size_t i = 0; i < K; ++i)
        needle[i] = _mm_set1_epi8(distinct[i]);
    auto maskOf = [&](__m128i block) {
        __m128i eq = _mm_cmpeq_epi8(block, needle[0]);
        for (std::size_t i = 1; i < K; ++i)
            eq = _mm_or_si128(eq, _mm_cmpeq_epi8(block, needle[i]));
        return static_cast<unsigned>(_mm_movemask_epi8(eq));
    };
    const char* p = begin;
    for (; end - p >= 16; p += 16) {
        unsigned mask = maskOf(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
        while (mask) {
            w.Separator(p + __builtin_ctz(mask));
            mask &= mask - 1;
        }
    }
    const std::size_t rest = static_cast<std::size_t>(end - p);
    if (rest && end - begin >= 16) {
        // The last block ends at the end of the value and overlaps bytes already scanned;
        // their bits are dropped.
        const char* last = end - 16;
        unsigned mask = maskOf(_mm_loadu_si128(reinterpret_cast<const __m128i*>(last)));
        mask >>= 16 - rest;
        while (mask) {
            w.Separator(p + __builtin_ctz(mask));
            mask &= mask - 1;
        }
    } else if (rest) {
        alignas(16) char tail[16] = {};
        std::memcpy(tail, p, rest);
        unsigned mask = maskOf(_mm_load_si128(reinterpret_cast<const __m128i*>(tail)));
        mask &= (1u << rest) - 1;
        while (mask) {
            w.Separator(p + __builtin_ctz(mask));
            mask &= mask - 1;
        }
    }
}
#endif

// Builds the signature of value into out (SignatureCapacity(value.size()) characters) and
// returns the stripped signature as a view into out.
std::string_view BuildInto(std::string_view value, std::string_view separators,
                           int detectFileNames, int numbersAsText, char* out)
{
    SeparatorLevels scratch;
    const SeparatorLevels& levels = LevelsFor(separators, scratch);
    const char* const begin = value.data();
    const char* const end = begin + value.size();
    SignatureWriter w{levels.level,
                      separators.data(),
                      detectFileNames,
                      numbersAsText,
                      SlowFirstClasses(numbersAsText),
                      out,
                      begin};

#if defined(__SSE2__)
    switch (levels.distinctCount) {
    case 0: break;
    case 1: ScanVector<1>(begin, end, levels.distinct, w); break;
    case 2: ScanVector<2>(begin, end, levels.distinct, w); break;
    case 3: ScanVector<3>(begin, end, levels.distinct, w); break;
    case 4: ScanVector<4>(begin, end, levels.distinct, w); break;
    default: ScanBytes(begin, end, w); break;
    }
#else
    ScanBytes(begin, end, w);
#endif
    w.Finish(begin, end);

    // Strip the separators from both ends, one separator character after the other.
    const char* sb = out;
    const char* se = w.out;
    for (char c : separators) {
        while (sb != se && *sb == c)
            ++sb;
        while (se != sb && se[-1] == c)
            --se;
    }
    return std::string_view(sb, static_cast<std::size_t>(se - sb));
}

// ---- Comparison ------------------------------------------------------------------------

bool IsControl(char c)
{
    return c == '[' || c == '~' || c == ']';
}

// Compares a signature with a pattern. "[" opens an optional group whose characters are
// skipped one by one while they do not match; "[~" opens a group that repeats until the
// signature ends and must match exactly on every repetition; the comparison succeeds as soon
// as either side is used up. Two forms that well-formed patterns never contain are made
// harmless: a "]" outside a group is passed over, and a repeating group with an empty body
// is left like an optional group (going back to its start would never end).
int CompareSignature(std::string_view signature, std::string_view pattern)
{
    const std::size_t pn = pattern.size();
    const std::size_t sn = signature.size();

    // The plain part before the first group is a straight comparison.
    std::size_t prefix = 0;
    while (prefix < pn && !IsControl(pattern[prefix]))
        ++prefix;
    const std::size_t common = prefix < sn ? prefix : sn;
    for (std::size_t i = 0; i < common; ++i) {
        if (signature[i] != pattern[i])
            return 0;
    }
    if (sn <= prefix || pn == prefix)
        return 1;

    // A pattern that ends in a repeated group, "...[~body]": the rest of the signature is
    // the body over and over.
    if (pn - prefix >= 4 && pattern[prefix] == '[' && pattern[prefix + 1] == '~' &&
        pattern[pn - 1] == ']') {
        const char* body = pattern.data() + prefix + 2;
        const std::size_t bodySize = pn - prefix - 3;
        bool plainBody = true;
        for (std::size_t i = 0; i < bodySize; ++i)
            plainBody = plainBody && !IsControl(body[i]);
        if (plainBody) {
            std::size_t j = 0;
            for (std::size_t s = prefix; s < sn; ++s) {
                if (signature[s] != body[j])
                    return 0;
                if (++j == bodySize)
                    j = 0;
            }
            return 1;
        }
    }

    enum Mode { kPlain, kGroup, kRepeat };
    Mode mode = kPlain;
    std::size_t p = prefix;
    std::size_t s = prefix;
    std::size_t loopStart = 0;
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
