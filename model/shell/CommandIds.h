#pragma once

// Command ids (shared with the string table, whose strings hold their prompts and tool tips)
// and the interface through which commands are routed to the object that serves them.
#include "StringTable.h"

// Alt+Backspace and Ctrl+Z send the framework's undo, which nothing in the program serves.
constexpr int ID_EDIT_UNDO = 57643;

// The enabling and check state a command target computes for a command on demand.
struct CCommandState
{
    bool enabled = false;
    bool checked = false;
};

// Anything that serves commands: a view, a container, the frame, the application. A target
// answers false for commands it does not serve, so routing goes on to the next one.
class ICommandTarget
{
public:
    virtual ~ICommandTarget() = default;
    // Fills the state of a command it serves and answers true.
    virtual bool UpdateCommand(int id, CCommandState& state) = 0;
    // Carries out a command it serves: answers false when it does not serve it, true when
    // it does (the command runs only while it is enabled).
    bool ExecuteCommand(int id)
    {
        CCommandState state;
        if (!UpdateCommand(id, state))
            return false;
        if (state.enabled)
            OnCommand(id);
        return true;
    }

protected:
    // Runs a command that UpdateCommand served and enabled.
    virtual void OnCommand(int id) = 0;
};
