#pragma once

// A scripted prompter that also keeps the caption of every message box (the plug-ins' tests
// check "OBU", "OBU ERROR" and "OBU NOTICE").

#include "prompter/ScriptedPrompter.h"

#include <string>
#include <vector>

class CCaptionPrompter : public platform::ScriptedPrompter
{
public:
    std::vector<std::string> m_captions;

    platform::Answer ShowMessage(int number, const std::string& text, platform::Icon icon,
                                 platform::Buttons buttons, const std::string& caption,
                                 std::optional<platform::Answer> defaultButton) override
    {
        m_captions.push_back(caption);
        return ScriptedPrompter::ShowMessage(number, text, icon, buttons, caption, defaultButton);
    }
};
