#pragma once

#include "prompter/Prompter.h"

#include <string>

struct CModelContext;

// Numbers of the system's messages (string resources 5001..5066) used by the data layer.
enum MessageId {
    MSG_NOT_ENOUGH_MEMORY = 5001,
    MSG_UNABLE_TO_READ_KEY = 5002,
    MSG_INVALID_GROUP_REFERENCE = 5003,
    MSG_DUMP_CREATE_FAILED = 5006,
    MSG_LATE_BIND_FAILED = 5008,
    MSG_OPEN_INSTANCE_FILE = 5012,
    MSG_NO_VALID_ELEMENTS = 5016,
    MSG_MODEL_NOT_LOADED = 5017,
    MSG_NO_RELATIONS_SOURCE = 5019,
    MSG_NO_VALID_STRINGS = 5029,
    MSG_RELATIONS_MEMORY = 5032,
    MSG_SYNTAX_CREATE_FAILED = 5036,
    MSG_SYNTAX_WRITE_FAILED = 5037,
    MSG_LARGE_RELATION_FILE = 5040,
};

// The printf-style text of a message or string resource, or an empty text when unknown.
// Besides the messages above it holds the strings the data layer shows (1000..1010).
const char* MessageFormat(int id);

// printf-style formatting into a std::string.
std::string StringPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Beeps as the icon says and shows the message text (already formatted) through the
// context's prompter. Returns the answer (Ok when there is no prompter).
platform::Answer ShowModelMessage(CModelContext& context, int id, const std::string& text,
                                  platform::Icon icon,
                                  platform::Buttons buttons = platform::Buttons::Ok);
