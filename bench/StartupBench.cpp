// Start-up of the model browser: from starting the process to the first painted page of the
// sample model. The program runs headless with MODEL_STARTUP_PROBE set: it prints a line when
// the first page view has painted and quits. The benchmark times process start to that line.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Runs the program once; answers the seconds until its first-paint line (or -1 on failure)
// and the program's own figure from main to first paint in *inProgramMs.
double RunOnce(double* inProgramMs)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    const std::string model = MB_EXAMPLES_DIR "/sample.mdl";
    char* argv[] = {const_cast<char*>(MODEL_PROGRAM), const_cast<char*>(model.c_str()), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, MODEL_PROGRAM, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        return -1;
    }
    std::string line;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        line += c;
    const auto painted = std::chrono::steady_clock::now();
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    const char* prefix = "first-page-painted-ms ";
    if (line.rfind(prefix, 0) != 0)
        return -1;
    *inProgramMs = std::atof(line.c_str() + std::strlen(prefix));
    return std::chrono::duration<double>(painted - start).count();
}

void BM_StartToFirstPaintedPage(benchmark::State& state)
{
    // A settings folder of its own, so the user's settings are neither read nor written.
    const std::filesystem::path config =
        std::filesystem::temp_directory_path() / "modelbench-startup-config";
    std::filesystem::create_directories(config);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("MODEL_STARTUP_PROBE", "1", 1);
    double programMs = 0;
    for (auto _ : state) {
        const double seconds = RunOnce(&programMs);
        if (seconds < 0) {
            state.SkipWithError("the model program did not report its first paint");
            break;
        }
        state.SetIterationTime(seconds);
    }
    state.counters["main_to_paint_ms"] = programMs;
    std::filesystem::remove_all(config);
}
BENCHMARK(BM_StartToFirstPaintedPage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
