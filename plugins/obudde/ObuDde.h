#pragma once

// The exports of the DDE plug-in obudde, loaded by the documentation browser.

#include <stdint.h>

#if defined(__GNUC__)
#define OBUDDE_API __attribute__((visibility("default")))
#else
#define OBUDDE_API
#endif

extern "C" {
// Starts the plug-in: adds the DDE topic "OBU" to the browser's DDE server (word 4 of the
// start record; word 1 is the browser context) and installs its hooks. startWord is not used.
// Answers the plug-in's record, or 0 when the start record is missing or memory runs out.
OBUDDE_API uintptr_t KBL_PLUGINinit(uintptr_t startWord, const uintptr_t* startRecord);
// Removes the topic and frees the record answered by KBL_PLUGINinit (0 is harmless).
// Answers 0.
OBUDDE_API intptr_t KBL_PLUGINdestroy(uintptr_t record);
}

namespace platform {
class IPrompter;
}

// C++ linkage, for tests and hosts that want to see the plug-in's messages: installs the
// prompter of messages 17001 and 17002; nullptr returns to the plug-in's own Qt prompter.
// The caller keeps ownership and keeps the prompter alive while it is installed.
OBUDDE_API void ObuDdeSetPrompter(platform::IPrompter* prompter);
