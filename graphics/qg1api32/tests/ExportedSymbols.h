#pragma once

// The dynamic symbols a shared library defines, read with nm (binutils), for the tests that
// check that a library exports its C interface only.

#include <cstdio>
#include <string>
#include <vector>

// The defined dynamic symbols of library; empty when nm is missing or fails.
inline std::vector<std::string> ExportedSymbols(const std::string& library)
{
    std::vector<std::string> symbols;
    std::FILE* pipe = popen(("nm -D --defined-only '" + library + "' 2>/dev/null").c_str(), "r");
    if (!pipe)
        return symbols;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string symbol(line);
        symbol = symbol.substr(symbol.find_last_of(' ') + 1);
        if (!symbol.empty() && symbol.back() == '\n')
            symbol.pop_back();
        symbols.push_back(symbol);
    }
    pclose(pipe);
    return symbols;
}

// The symbols without the prefix.
inline std::vector<std::string> SymbolsWithout(const std::vector<std::string>& symbols,
                                               const std::string& prefix)
{
    std::vector<std::string> others;
    for (const std::string& symbol : symbols)
        if (symbol.rfind(prefix, 0) != 0)
            others.push_back(symbol);
    return others;
}
