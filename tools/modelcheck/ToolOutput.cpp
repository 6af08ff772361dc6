#include "ToolOutput.h"

#include "text/TextDecode.h"

#include <unistd.h>

bool IsTerminal(std::FILE* stream)
{
    if (!stream)
        return false;
    const int fd = ::fileno(stream);
    return fd >= 0 && ::isatty(fd) == 1;
}

void CToolOutput::Write(std::string_view bytes)
{
    if (!m_stream)
        return;
    if (!m_decode) {
        std::fwrite(bytes.data(), 1, bytes.size(), m_stream);
        return;
    }
    // Each line on its own, as the browser decodes each text it shows.
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::size_t length = end == std::string_view::npos ? bytes.size() : end + 1;
        const std::string shown = platform::DecodeToUtf8(bytes.substr(0, length));
        std::fwrite(shown.data(), 1, shown.size(), m_stream);
        bytes.remove_prefix(length);
    }
}

platform::Answer CToolPrompter::ShowMessage(int number, const std::string& text,
                                            platform::Icon icon, platform::Buttons buttons,
                                            const std::string& caption,
                                            std::optional<platform::Answer> defaultButton)
{
    return StreamPrompter::ShowMessage(number, m_decode ? platform::DecodeToUtf8(text) : text, icon,
                                       buttons, caption, defaultButton);
}
