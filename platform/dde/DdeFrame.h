#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Frames of the local channel: an 8-byte header (magic "MB", type, flags 0, payload length as
// 32-bit little-endian) and the payload. One format for DDE conversations and for the window
// control sockets.
enum class FrameType : std::uint8_t
{
    Connect = 1,       // service, 0, topic, 0
    ConnectReply = 2,  // status byte (FrameStatus), then a text
    Execute = 3,       // command text with its terminating zero (no other zero inside)
    ExecuteReply = 4,  // status byte
    Request = 5,       // format (4 bytes little-endian), item text, 0
    RequestReply = 6,  // status byte, then the data
    Raise = 16,        // empty
    Repaint = 17,      // empty
    ControlReply = 18, // status byte
};

enum class FrameStatus : std::uint8_t
{
    Ok = 0,            // accepted / processed / served
    Refused = 1,       // not processed, not served, connection refused by the server
    TopicNotServed = 2 // connect only: the topic is not served
};

inline constexpr std::size_t kFrameHeaderSize = 8;
// Largest payload: 64 KiB of command text and its terminating zero, plus a little room.
inline constexpr std::size_t kMaxFramePayload = 64 * 1024 + 16;

struct Frame
{
    FrameType type = FrameType::Connect;
    std::string payload;
};

// The header and payload as bytes; empty when the payload is larger than kMaxFramePayload.
std::string EncodeFrame(FrameType type, std::string_view payload);

// Empty when the payload is well formed for its type, else the reason it is not.
std::string ValidateFramePayload(FrameType type, std::string_view payload);

// Incremental decoder of a byte stream into frames. Holds at most one frame's bytes beyond
// what has been taken: Space() tells how many bytes may be appended.
class CFrameDecoder
{
public:
    enum class Status
    {
        NeedMore,  // no complete frame yet
        Ready,     // frame filled
        Malformed, // bad magic, type, flags or length, or a payload not valid for its type;
                   // the stream cannot go on (Error() says why)
    };

    // Appends up to Space() bytes; answers how many were taken.
    std::size_t Append(const char* data, std::size_t size);
    // Bytes that may still be appended before a frame must be taken out.
    std::size_t Space() const;
    // Takes the next complete frame out. Once Malformed, stays Malformed.
    Status Next(Frame& frame);
    // Bytes held that do not yet make a frame (a truncated frame when the stream ends here).
    std::size_t Pending() const { return m_buffer.size() - m_start; }
    const std::string& Error() const { return m_error; }

private:
    std::string m_buffer;
    std::size_t m_start = 0;
    std::string m_error;
};

// Payload helpers; they answer false for a payload that does not fit its type.
std::string ConnectPayload(std::string_view service, std::string_view topic);
bool ParseConnectPayload(std::string_view payload, std::string& service, std::string& topic);
std::string StatusPayload(FrameStatus status, std::string_view text = {});
bool ParseStatusPayload(std::string_view payload, FrameStatus& status, std::string& text);
std::string RequestPayload(std::uint32_t format, std::string_view item);
bool ParseRequestPayload(std::string_view payload, std::uint32_t& format, std::string& item);

} // namespace platform
