// One execute transaction on the local DDE channel: the client sends a command, the server
// (on its own thread, driven by poll as a host's event loop would drive it) hands it to the
// host's handler and answers. Budget: 1 ms per round trip.
#include "BenchFolder.h"
#include "dde/DdeClient.h"
#include "dde/DdeServer.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <thread>

namespace {

void BM_DdeExecuteRoundTrip(benchmark::State& state)
{
    CBenchFolder folder("ddebench");
    ::setenv("XDG_RUNTIME_DIR", folder.Path().c_str(), 1);
    std::filesystem::permissions(folder.Path(), std::filesystem::perms::owner_all);

    platform::CDdeServer server;
    std::string error;
    if (!server.Listen("ZELIO", error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    server.AddTopic("OBU");
    server.SetExecuteHandler([](platform::CDdeServer::Conversation, std::string_view, const char*) {
        return platform::DdeExecuteAnswer::Processed;
    });
    std::atomic<bool> stop{false};
    std::thread loop([&] {
        while (!stop)
            platform::PollOnce(server, 10);
    });

    platform::CDdeClient client;
    if (!client.Connect("zelio", "obu", 1000)) {
        stop = true;
        loop.join();
        state.SkipWithError(client.ErrorText().c_str());
        return;
    }
    const std::string command = "bookquery=book,collection,some query words";
    for (auto _ : state) {
        const platform::DdeResult result = client.Execute(command.c_str(), 1000);
        if (result.outcome != platform::DdeOutcome::Processed) {
            state.SkipWithError("execute failed");
            break;
        }
    }
    client.Disconnect();
    stop = true;
    loop.join();
}
BENCHMARK(BM_DdeExecuteRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
