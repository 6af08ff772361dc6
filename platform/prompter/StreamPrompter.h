#pragma once

#include "prompter/Prompter.h"

#include <cstdio>

namespace platform {

// A prompter for command-line tools: messages go to a stream as "NNNN: text" (just the text
// when the number is 0), beeps are silent, questions get a fixed answer, file dialogs are
// cancelled.
class StreamPrompter : public IPrompter
{
public:
    explicit StreamPrompter(std::FILE* out = stderr, Answer questionAnswer = Answer::No)
        : m_out(out), m_questionAnswer(questionAnswer)
    {
    }

    void MessageBeep(BeepType) override {}
    Answer ShowMessage(int number, const std::string& text, Icon icon, Buttons buttons,
                       const std::string& caption = std::string(),
                       std::optional<Answer> defaultButton = std::nullopt) override;
    std::optional<std::string> ChooseFile(const FileDialogSpec&) override { return std::nullopt; }

private:
    std::FILE* m_out;
    Answer m_questionAnswer;
};

} // namespace platform
