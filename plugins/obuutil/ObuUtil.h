#pragma once

// What the model launcher plug-in offers besides the frame's exports, for tests and hosts that
// want to see its messages or name where the model browser lies.

#if defined(__GNUC__)
#define OBUUTIL_API __attribute__((visibility("default")))
#else
#define OBUUTIL_API
#endif

namespace platform {
class IPrompter;
}

// Installs the prompter of the plug-in's messages; nullptr returns to the plug-in's own Qt
// prompter. The caller keeps ownership and keeps the prompter alive while it is installed.
OBUUTIL_API void ObuUtilSetPrompter(platform::IPrompter* prompter);
// The folder whose "model" is started when no program is associated with model files;
// nullptr or an empty text returns to the folder of the running program.
OBUUTIL_API void ObuUtilSetProgramFolder(const char* folder);
