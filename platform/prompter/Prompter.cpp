#include "prompter/Prompter.h"

namespace platform {

BeepType BeepForIcon(Icon icon)
{
    switch (icon) {
    case Icon::Information:
        return BeepType::Information;
    case Icon::Exclamation:
        return BeepType::Exclamation;
    case Icon::Question:
        return BeepType::Question;
    case Icon::Stop:
        return BeepType::Stop;
    case Icon::None:
        break;
    }
    return BeepType::Simple;
}

Answer Report(IPrompter& prompter, int number, const std::string& text, Icon icon, Buttons buttons,
              std::optional<Answer> defaultButton)
{
    prompter.MessageBeep(BeepForIcon(icon));
    return prompter.ShowMessage(number, text, icon, buttons, std::string(), defaultButton);
}

} // namespace platform
