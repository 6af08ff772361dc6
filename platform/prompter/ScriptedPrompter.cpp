#include "prompter/ScriptedPrompter.h"

namespace platform {

namespace {

// A default answer the box cannot give is turned into the one of its buttons that means
// the same: Yes/Ok accept, No/Cancel decline.
Answer FitDefault(Answer answer, Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::OkCancel:
        return (answer == Answer::Ok || answer == Answer::Yes) ? Answer::Ok : Answer::Cancel;
    case Buttons::YesNo:
        return (answer == Answer::Ok || answer == Answer::Yes) ? Answer::Yes : Answer::No;
    case Buttons::YesNoCancel:
        return answer == Answer::Ok ? Answer::Yes : answer;
    }
    return answer;
}

} // namespace

std::vector<int> ScriptedPrompter::MessageNumbers() const
{
    std::vector<int> numbers;
    for (const Event& e : m_events) {
        if (e.kind == Event::Kind::Message)
            numbers.push_back(e.number);
    }
    return numbers;
}

std::vector<std::string> ScriptedPrompter::MessageTexts() const
{
    std::vector<std::string> texts;
    for (const Event& e : m_events) {
        if (e.kind == Event::Kind::Message)
            texts.push_back(e.text);
    }
    return texts;
}

void ScriptedPrompter::MessageBeep(BeepType type)
{
    Event e;
    e.kind = Event::Kind::Beep;
    e.beep = type;
    m_events.push_back(std::move(e));
}

Answer ScriptedPrompter::ShowMessage(int number, const std::string& text, Icon icon,
                                     Buttons buttons, const std::string& /*caption*/,
                                     std::optional<Answer> defaultButton)
{
    Event e;
    e.kind = Event::Kind::Message;
    e.number = number;
    e.text = text;
    e.icon = icon;
    e.buttons = buttons;
    e.defaultButton = defaultButton;
    m_events.push_back(std::move(e));

    if (!m_answers.empty()) {
        const Answer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    return FitDefault(m_defaultAnswer, buttons);
}

std::optional<FontDialogSpec> ScriptedPrompter::ChooseFont(const FontDialogSpec& initial)
{
    Event e;
    e.kind = Event::Kind::Font;
    e.font = initial;
    m_events.push_back(std::move(e));

    if (m_fonts.empty())
        return std::nullopt;
    std::optional<FontDialogSpec> font = std::move(m_fonts.front());
    m_fonts.pop_front();
    return font;
}

std::optional<std::string> ScriptedPrompter::ChooseFile(const FileDialogSpec& spec)
{
    Event e;
    e.kind = Event::Kind::File;
    e.file = spec;
    m_events.push_back(std::move(e));

    if (m_files.empty())
        return std::nullopt;
    FileAnswer answer = std::move(m_files.front());
    m_files.pop_front();
    if (answer.path && spec.selectedFilter)
        *spec.selectedFilter = answer.filter;
    return std::move(answer.path);
}

void ScriptedPrompter::SetWaitCursor(bool on)
{
    Event e;
    e.kind = Event::Kind::WaitCursor;
    e.waitOn = on;
    m_events.push_back(std::move(e));
}

} // namespace platform
