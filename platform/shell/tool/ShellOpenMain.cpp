// shellopen: opens a document as a double-click would, for scripts and for trying out the
// desktop's associations. Prints the shell result (and with --resolve what would be started,
// without starting it; with --time how long the lookup and the start took).
#include "shell/ShellAssociation.h"
#include "shell/ShellOpen.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: shellopen [--resolve] [--time] [--fallback PROGRAM] FILE\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    bool resolveOnly = false;
    bool timed = false;
    std::string fallback;
    std::string file;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--resolve") == 0)
            resolveOnly = true;
        else if (std::strcmp(argv[i], "--time") == 0)
            timed = true;
        else if (std::strcmp(argv[i], "--fallback") == 0 && i + 1 < argc)
            fallback = argv[++i];
        else if (argv[i][0] == '-' || !file.empty())
            return Usage();
        else
            file = argv[i];
    }
    if (file.empty())
        return Usage();

    using Clock = std::chrono::steady_clock;
    const auto t0 = Clock::now();
    platform::shell::ShellLaunch launch;
    int result = platform::shell::ResolveShellOpen(
        file, fallback, platform::shell::XdgDirs::FromEnvironment(), launch);
    const auto t1 = Clock::now();
    if (result == 0 && resolveOnly) {
        std::printf("type: %s\nentry: %s\nprogram: %s\n", launch.mimeType.c_str(),
                    launch.desktopId.c_str(), launch.program.c_str());
        for (const std::string& arg : launch.argv)
            std::printf("arg: %s\n", arg.c_str());
        return 0;
    }
    if (result == 0)
        result = platform::shell::StartDetached(launch);
    const auto t2 = Clock::now();
    std::printf("%d\n", result);
    if (timed) {
        const auto us = [](Clock::duration d) {
            return static_cast<long long>(
                std::chrono::duration_cast<std::chrono::microseconds>(d).count());
        };
        std::printf("lookup %lld us, start %lld us\n", us(t1 - t0), us(t2 - t1));
    }
    return result == platform::kShellStarted ? 0 : 1;
}
