#include "prompter/StreamPrompter.h"

namespace platform {

Answer StreamPrompter::ShowMessage(int number, const std::string& text, Icon /*icon*/,
                                   Buttons buttons, const std::string& /*caption*/,
                                   std::optional<Answer> /*defaultButton*/)
{
    if (m_out) {
        if (number != 0)
            std::fprintf(m_out, "%04d: ", number);
        std::fwrite(text.data(), 1, text.size(), m_out);
        std::fputc('\n', m_out);
        std::fflush(m_out);
    }
    switch (buttons) {
    case Buttons::Ok:
    case Buttons::OkCancel:
        return Answer::Ok;
    case Buttons::YesNo:
        // A box without Cancel can only be answered Yes or No.
        if (m_questionAnswer == Answer::Ok)
            return Answer::Yes;
        return m_questionAnswer == Answer::Cancel ? Answer::No : m_questionAnswer;
    case Buttons::YesNoCancel:
        return m_questionAnswer == Answer::Ok ? Answer::Yes : m_questionAnswer;
    }
    return Answer::Ok;
}

} // namespace platform
