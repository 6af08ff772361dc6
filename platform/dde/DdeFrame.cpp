#include "dde/DdeFrame.h"

#include <cstring>

namespace platform {

namespace {

constexpr char kMagic0 = 'M';
constexpr char kMagic1 = 'B';
constexpr std::size_t kMaxName = 255;

bool KnownType(std::uint8_t type)
{
    switch (static_cast<FrameType>(type)) {
    case FrameType::Connect:
    case FrameType::ConnectReply:
    case FrameType::Execute:
    case FrameType::ExecuteReply:
    case FrameType::Request:
    case FrameType::RequestReply:
    case FrameType::Raise:
    case FrameType::Repaint:
    case FrameType::ControlReply:
        return true;
    }
    return false;
}

std::uint32_t ReadLe32(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return std::uint32_t(u[0]) | std::uint32_t(u[1]) << 8 | std::uint32_t(u[2]) << 16 |
           std::uint32_t(u[3]) << 24;
}

void AppendLe32(std::string& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A text ended by its only zero byte: true with the text.
bool OneZeroTerminated(std::string_view bytes, std::string* text)
{
    if (bytes.empty() || bytes.back() != '\0' || bytes.find('\0') != bytes.size() - 1)
        return false;
    if (text)
        text->assign(bytes.data(), bytes.size() - 1);
    return true;
}

} // namespace

std::string EncodeFrame(FrameType type, std::string_view payload)
{
    if (payload.size() > kMaxFramePayload)
        return {};
    std::string out;
    out.reserve(kFrameHeaderSize + payload.size());
    out += kMagic0;
    out += kMagic1;
    out += static_cast<char>(type);
    out += '\0';
    AppendLe32(out, static_cast<std::uint32_t>(payload.size()));
    out.append(payload);
    return out;
}

std::string ValidateFramePayload(FrameType type, std::string_view payload)
{
    switch (type) {
    case FrameType::Connect: {
        std::string service, topic;
        if (!ParseConnectPayload(payload, service, topic))
            return "connect frame without a service and a topic";
        return {};
    }
    case FrameType::ConnectReply:
    case FrameType::ExecuteReply:
    case FrameType::RequestReply:
    case FrameType::ControlReply: {
        FrameStatus status;
        std::string text;
        if (!ParseStatusPayload(payload, status, text))
            return "reply without a known status";
        return {};
    }
    case FrameType::Execute:
        if (!OneZeroTerminated(payload, nullptr))
            return "command text not ended by its only zero byte";
        return {};
    case FrameType::Request: {
        std::uint32_t format;
        std::string item;
        if (!ParseRequestPayload(payload, format, item))
            return "request without a format and an item";
        return {};
    }
    case FrameType::Raise:
    case FrameType::Repaint:
        if (!payload.empty())
            return "control frame with a payload";
        return {};
    }
    return "unknown frame type";
}

std::size_t CFrameDecoder::Append(const char* data, std::size_t size)
{
    if (m_start > 0 && (m_start == m_buffer.size() || m_start >= 4096)) {
        m_buffer.erase(0, m_start);
        m_start = 0;
    }
    const std::size_t take = size < Space() ? size : Space();
    m_buffer.append(data, take);
    return take;
}

std::size_t CFrameDecoder::Space() const
{
    const std::size_t cap = kFrameHeaderSize + kMaxFramePayload;
    return Pending() >= cap ? 0 : cap - Pending();
}

CFrameDecoder::Status CFrameDecoder::Next(Frame& frame)
{
    if (!m_error.empty())
        return Status::Malformed;
    const std::size_t pending = Pending();
    if (pending < kFrameHeaderSize)
        return Status::NeedMore;
    const char* header = m_buffer.data() + m_start;
    const std::uint8_t type = static_cast<std::uint8_t>(header[2]);
    const std::uint32_t length = ReadLe32(header + 4);
    if (header[0] != kMagic0 || header[1] != kMagic1)
        m_error = "not a frame (bad magic)";
    else if (!KnownType(type))
        m_error = "unknown frame type " + std::to_string(type);
    else if (header[3] != '\0')
        m_error = "frame flags not zero";
    else if (length > kMaxFramePayload)
        m_error = "frame of " + std::to_string(length) + " bytes is over the limit of " +
                  std::to_string(kMaxFramePayload);
    if (!m_error.empty())
        return Status::Malformed;
    if (pending < kFrameHeaderSize + length)
        return Status::NeedMore;
    const std::string_view payload(header + kFrameHeaderSize, length);
    const std::string problem = ValidateFramePayload(static_cast<FrameType>(type), payload);
    if (!problem.empty()) {
        m_error = problem;
        return Status::Malformed;
    }
    frame.type = static_cast<FrameType>(type);
    frame.payload.assign(payload);
    m_start += kFrameHeaderSize + length;
    return Status::Ready;
}

std::string ConnectPayload(std::string_view service, std::string_view topic)
{
    std::string out(service);
    out += '\0';
    out.append(topic);
    out += '\0';
    return out;
}

bool ParseConnectPayload(std::string_view payload, std::string& service, std::string& topic)
{
    const std::size_t first = payload.find('\0');
    if (first == std::string_view::npos || first == 0 || first > kMaxName)
        return false;
    const std::string_view rest = payload.substr(first + 1);
    if (rest.size() < 2 || rest.size() - 1 > kMaxName || !OneZeroTerminated(rest, &topic))
        return false;
    service.assign(payload.substr(0, first));
    return true;
}

std::string StatusPayload(FrameStatus status, std::string_view text)
{
    std::string out(1, static_cast<char>(status));
    out.append(text);
    return out;
}

bool ParseStatusPayload(std::string_view payload, FrameStatus& status, std::string& text)
{
    if (payload.empty() || static_cast<std::uint8_t>(payload[0]) > 2)
        return false;
    status = static_cast<FrameStatus>(payload[0]);
    text.assign(payload.substr(1));
    return true;
}

std::string RequestPayload(std::uint32_t format, std::string_view item)
{
    std::string out;
    AppendLe32(out, format);
    out.append(item);
    out += '\0';
    return out;
}

bool ParseRequestPayload(std::string_view payload, std::uint32_t& format, std::string& item)
{
    if (payload.size() < 5 || !OneZeroTerminated(payload.substr(4), &item))
        return false;
    format = ReadLe32(payload.data());
    return true;
}

} // namespace platform
