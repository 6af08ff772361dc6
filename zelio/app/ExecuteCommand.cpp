#include "ExecuteCommand.h"

#include "dde/DdeClient.h"

int SendExecute(const CExecuteRequest& request, std::string& error)
{
    platform::CDdeClient client;
    if (!client.Connect(request.service, request.topic, request.timeoutMs)) {
        error = client.ErrorText();
        return kExecuteNoServer;
    }
    const platform::DdeResult result = client.Execute(request.command.c_str(), request.timeoutMs);
    client.Disconnect();
    switch (result.outcome) {
    case platform::DdeOutcome::Processed:
        return kExecuteProcessed;
    case platform::DdeOutcome::NotProcessed:
        error = "the command was not processed";
        return kExecuteNotProcessed;
    case platform::DdeOutcome::TimedOut:
        error = "no answer within " + std::to_string(request.timeoutMs) + " ms";
        return kExecuteNoServer;
    case platform::DdeOutcome::Failed:
        break;
    }
    error = result.error.empty() ? std::string("the conversation broke") : result.error;
    return kExecuteNoServer;
}
