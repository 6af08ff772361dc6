#pragma once

#include <string>

// The scripting door: sends one DDE execute command to the running browser and tells how it
// went. Never opens a window.
struct CExecuteRequest
{
    std::string command;
    std::string service = "ZELIO";
    std::string topic = "OBU";
    int timeoutMs = 30000;
};

// Exit codes of "zelio --execute".
enum ExecuteExit
{
    kExecuteProcessed = 0,
    kExecuteNotProcessed = 1,
    kExecuteNoServer = 2 // no server, topic not served, time-out or a broken conversation
};

// Sends the command; the exit code, with the reason in error when it is not processed.
int SendExecute(const CExecuteRequest& request, std::string& error);
