#pragma once

// The messages of the user-documents plug-in: errors ("OBU ERROR", error beep and icon),
// notices ("OBU NOTICE", information beep and icon), and the shell's results as texts.
// Qt-free; the messages go through the prompter seam.

#include "prompter/Prompter.h"

#include <string>

namespace obuudoc {

inline constexpr const char* kErrorCaption = "OBU ERROR";
inline constexpr const char* kNoticeCaption = "OBU NOTICE";

// Error beep, then the message with the caption "OBU ERROR" and the error icon.
void ShowObuError(platform::IPrompter& prompter, const std::string& text);
// Information beep, then the message with the caption "OBU NOTICE" and the information icon.
void ShowObuNotice(platform::IPrompter& prompter, const std::string& text);

// The text for a failed shell result (32 or below): the shell's own message for the
// numbers it has one for, "A unknown error occurred." for any other.
const char* ShellResultMessage(int result);

} // namespace obuudoc
