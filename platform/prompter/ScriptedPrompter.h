#pragma once

#include "prompter/Prompter.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// A prompter for tests: records every call and answers from a script.
class ScriptedPrompter : public IPrompter
{
public:
    struct Event
    {
        enum class Kind
        {
            Beep,
            Message,
            File,
            WaitCursor,
            Font
        };
        Kind kind = Kind::Message;
        BeepType beep = BeepType::Simple;    // Beep
        int number = 0;                      // Message
        std::string text;                    // Message
        Icon icon = Icon::None;              // Message
        Buttons buttons = Buttons::Ok;       // Message
        std::optional<Answer> defaultButton; // Message: the button Enter presses
        FileDialogSpec file;                 // File
        bool waitOn = false;                 // WaitCursor
        FontDialogSpec font;                 // Font: the font the dialog started from
    };

    // Answers for message boxes, used in order. When the script is used up, Ok is answered
    // to Ok boxes, and the default answer (No unless set) to the others; an OK/Cancel box
    // takes a Yes default as Ok and a No default as Cancel, a Yes/No box an Ok default as
    // Yes and a Cancel default as No.
    void PushAnswer(Answer answer) { m_answers.push_back(answer); }
    void SetDefaultAnswer(Answer answer) { m_defaultAnswer = answer; }
    // File dialog results, used in order; std::nullopt is a cancel. Used up: cancel. filter
    // is the filter the user chose (-1: the dialog cannot tell), written to the dialog description's
    // selectedFilter when it asks for it.
    void PushFile(std::optional<std::string> path, int filter = -1)
    {
        m_files.push_back({std::move(path), filter});
    }

    // Font dialog results, used in order; std::nullopt is a cancel. Used up: cancel.
    void PushFont(std::optional<FontDialogSpec> font) { m_fonts.push_back(std::move(font)); }

    const std::vector<Event>& Events() const { return m_events; }
    // The numbers of the messages shown, in order.
    std::vector<int> MessageNumbers() const;
    // The texts of the messages shown, in order.
    std::vector<std::string> MessageTexts() const;
    void Clear() { m_events.clear(); }

    void MessageBeep(BeepType type) override;
    Answer ShowMessage(int number, const std::string& text, Icon icon, Buttons buttons,
                       const std::string& caption = std::string(),
                       std::optional<Answer> defaultButton = std::nullopt) override;
    std::optional<std::string> ChooseFile(const FileDialogSpec& spec) override;
    std::optional<FontDialogSpec> ChooseFont(const FontDialogSpec& initial) override;
    void SetWaitCursor(bool on) override;

private:
    std::vector<Event> m_events;
    std::deque<Answer> m_answers;
    struct FileAnswer
    {
        std::optional<std::string> path;
        int filter = -1;
    };
    std::deque<FileAnswer> m_files;
    std::deque<std::optional<FontDialogSpec>> m_fonts;
    Answer m_defaultAnswer = Answer::No;
};

} // namespace platform
