// Fuzz target of the pattern checker: the fast checker must give the same result and
// signature as the plain reference implementation for every value.
//
// Input layout: the first byte selects the check (pattern, separators and switches); the
// rest is the value. A selector past the table takes a pattern from the bytes after a NUL
// in the value instead, so patterns outside the table are exercised too.

#include "StringPattern.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

struct Check
{
    std::string_view pattern;
    std::string_view separators;
    int files;
    int numbersAsText;
};

const Check kChecks[] = {
    {pattern::kSize, pattern::kModelSeparators, 1, 0},
    {pattern::kImage, pattern::kModelSeparators, 1, 0},
    {pattern::kElementNormal, pattern::kModelSeparators, 1, 0},
    {pattern::kElementJump, pattern::kModelSeparators, 1, 0},
    {pattern::kGroup, pattern::kModelSeparators, 1, 0},
    {pattern::kLink, pattern::kModelSeparators, 1, 0},
    {pattern::kSymbol, pattern::kModelSeparators, 1, 0},
    {pattern::kRelations, pattern::kModelSeparators, 0, 1},
    {pattern::kInstances, pattern::kInstanceSeparators, 0, 1},
    {pattern::kQualifiedElement, ";", 1, 0},
    {pattern::kPair, ";", 0, 0},
    {pattern::kCounter, ";", 0, 0},
    {pattern::kPageList, pattern::kModelSeparators, 1, 0},
};
constexpr std::size_t kCheckCount = sizeof(kChecks) / sizeof(kChecks[0]);

// The reference walks the value once per field and level; keep its inputs short.
constexpr std::size_t kReferenceLimit = 300;

void Compare(std::string_view value, std::string_view patternText, std::string_view separators,
             int files, int numbersAsText)
{
    CStringPattern checker;
    checker.SetDetectFileNames(files);
    const int fast = checker.Check(value, patternText, separators, numbersAsText);
    const int match =
        MatchPattern(value, patternText, separators, STRSNTX_NONE, files, numbersAsText);
    if (fast != match) {
        std::fprintf(stderr, "Check %d but MatchPattern %d\n", fast, match);
        std::abort();
    }
    if (value.size() > kReferenceLimit)
        return;
    std::string signature;
    const int expected = reference_pattern::Check(std::string(value), std::string(patternText),
                                                  std::string(separators), files,
                                                  numbersAsText, &signature);
    if (fast != expected || checker.Signature() != signature) {
        std::fprintf(stderr, "mismatch: fast %d '%s', reference %d '%s'\n", fast,
                     checker.Signature().c_str(), expected, signature.c_str());
        std::abort();
    }
    if (BuildSignature(value, separators, files, numbersAsText) !=
        reference_pattern::BuildSignature(std::string(value), std::string(separators), files,
                                          numbersAsText)) {
        std::fprintf(stderr, "BuildSignature differs from the reference\n");
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const unsigned selector = data[0];
    std::string_view value(reinterpret_cast<const char*>(data + 1), size - 1);
    if (selector < kCheckCount) {
        const Check& c = kChecks[selector];
        Compare(value, c.pattern, c.separators, c.files, c.numbersAsText);
        return 0;
    }
    // Free form: value NUL pattern, separators and switches from the selector.
    std::string_view patternText;
    const std::size_t cut = value.find('\0');
    if (cut != std::string_view::npos) {
        patternText = value.substr(cut + 1);
        value = value.substr(0, cut);
    }
    if (patternText.size() > 64)
        patternText = patternText.substr(0, 64);
    static const std::string_view kSeparatorLists[] = {",;", "|^", ";", ",", ";,", ",;:"};
    const std::string_view separators = kSeparatorLists[(selector >> 2) % 6];
    Compare(value, patternText, separators, selector & 1, (selector >> 1) & 1);
    return 0;
}
