#pragma once

#include "prompter/StreamPrompter.h"

#include <cstdio>
#include <string>
#include <string_view>

// True when the stream is a terminal (a memory stream or a closed one is not).
bool IsTerminal(std::FILE* stream);

// Writes the tool's text to a stream. Model, instance and relation files are kept as bytes;
// on a terminal each line is shown as the browser shows text: valid UTF-8 as it is, anything
// else decoded as Windows-1252. Into a pipe or a file the bytes go unchanged. The stream is
// not owned.
class CToolOutput
{
public:
    explicit CToolOutput(std::FILE* stream) : CToolOutput(stream, IsTerminal(stream)) {}
    CToolOutput(std::FILE* stream, bool decode) : m_stream(stream), m_decode(decode) {}

    // Writes the bytes, line by line decoded when the stream is a terminal.
    void Write(std::string_view bytes);
    void Flush() { std::fflush(m_stream); }

    std::FILE* Stream() const { return m_stream; }
    bool Decodes() const { return m_decode; }

private:
    std::FILE* m_stream;
    bool m_decode;
};

// The tool's prompter: the browser's messages as "NNNN: text" on a stream, decoded like
// CToolOutput on a terminal; questions get a fixed answer.
class CToolPrompter : public platform::StreamPrompter
{
public:
    CToolPrompter(std::FILE* out, platform::Answer questionAnswer)
        : StreamPrompter(out, questionAnswer), m_decode(IsTerminal(out))
    {
    }

    platform::Answer
    ShowMessage(int number, const std::string& text, platform::Icon icon, platform::Buttons buttons,
                const std::string& caption = std::string(),
                std::optional<platform::Answer> defaultButton = std::nullopt) override;

private:
    bool m_decode;
};
