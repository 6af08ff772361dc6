// Throughput of the pattern check on the lines that the instance and relation readers check.

#include "StringPattern.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

std::string RandomWord(std::mt19937& rng, int minLength, int maxLength)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const int length = minLength + static_cast<int>(rng() % (maxLength - minLength + 1));
    std::string word;
    for (int i = 0; i < length; ++i)
        word += kLetters[rng() % (sizeof(kLetters) - 1)];
    return word;
}

// Instance lines as instance files hold them: a key, "|", and attribute values joined by
// "^"; some values hold blanks, some are numbers, some are empty; 40 to 80 bytes.
std::vector<std::string> InstanceLines(std::size_t count)
{
    std::mt19937 rng(1);
    std::vector<std::string> lines;
    while (lines.size() < count) {
        std::string line = "K";
        line += std::to_string(rng() % 100000);
        line += '|';
        line += RandomWord(rng, 4, 12);
        const int values = 3 + static_cast<int>(rng() % 6);
        for (int v = 0; v < values; ++v) {
            line += '^';
            switch (rng() % 5) {
            case 0: line += std::to_string(rng() % 10000); break;
            case 1:
                line += RandomWord(rng, 3, 8);
                line += ' ';
                line += RandomWord(rng, 3, 8);
                break;
            case 2: break;
            default: line += RandomWord(rng, 2, 10); break;
            }
        }
        if (line.size() >= 40 && line.size() <= 80)
            lines.push_back(line);
    }
    return lines;
}

// Relation lines: two instance keys joined by ",".
std::vector<std::string> RelationLines(std::size_t count)
{
    std::mt19937 rng(2);
    std::vector<std::string> lines;
    while (lines.size() < count) {
        std::string line = RandomWord(rng, 4, 16);
        line += ',';
        line += RandomWord(rng, 4, 16);
        lines.push_back(line);
    }
    return lines;
}

void RunLines(benchmark::State& state, const std::vector<std::string>& lines,
              std::string_view pattern, std::string_view separators, StringSyntaxName name,
              int files, int numbersAsText)
{
    std::int64_t bytes = 0;
    for (const std::string& line : lines)
        bytes += static_cast<std::int64_t>(line.size());
    std::int64_t passed = 0;
    for (auto _ : state) {
        for (const std::string& line : lines)
            passed += MatchPattern(line, pattern, separators, name, files, numbersAsText);
        benchmark::DoNotOptimize(passed);
    }
    state.SetBytesProcessed(bytes * state.iterations());
    state.SetItemsProcessed(static_cast<std::int64_t>(lines.size()) * state.iterations());
}

void BM_MatchPatternInstanceLines(benchmark::State& state)
{
    static const std::vector<std::string> lines = InstanceLines(4096);
    RunLines(state, lines, pattern::kInstances, pattern::kInstanceSeparators, STRSNTX_INSTANCES,
             0, 1);
}
BENCHMARK(BM_MatchPatternInstanceLines);

void BM_MatchPatternRelationLines(benchmark::State& state)
{
    static const std::vector<std::string> lines = RelationLines(4096);
    RunLines(state, lines, pattern::kRelations, pattern::kModelSeparators, STRSNTX_RELATIONS, 0,
             1);
}
BENCHMARK(BM_MatchPatternRelationLines);

void BM_CheckInstanceLinesKeepingSignature(benchmark::State& state)
{
    static const std::vector<std::string> lines = InstanceLines(4096);
    std::int64_t bytes = 0;
    for (const std::string& line : lines)
        bytes += static_cast<std::int64_t>(line.size());
    CStringPattern checker;
    std::int64_t passed = 0;
    for (auto _ : state) {
        for (const std::string& line : lines)
            passed += checker.Check(line, pattern::kInstances, pattern::kInstanceSeparators, 1);
        benchmark::DoNotOptimize(passed);
    }
    state.SetBytesProcessed(bytes * state.iterations());
}
BENCHMARK(BM_CheckInstanceLinesKeepingSignature);

} // namespace
