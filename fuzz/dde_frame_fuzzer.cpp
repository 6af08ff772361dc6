// Feeds arbitrary bytes to the frame decoder in chunks of sizes taken from the input, as a
// socket would deliver them: every frame it hands out must be valid for its type and encode
// back to the very bytes it came from, and a refused stream stays refused.
#include "dde/DdeFrame.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t chunk = 1 + data[0] % 64;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    platform::CFrameDecoder decoder;
    std::string decoded;
    std::size_t at = 0;
    bool malformed = false;
    while (!malformed) {
        if (at < bytes.size()) {
            const std::size_t take = std::min(chunk, bytes.size() - at);
            at += decoder.Append(bytes.data() + at, take);
        }
        platform::Frame frame;
        platform::CFrameDecoder::Status status;
        while ((status = decoder.Next(frame)) == platform::CFrameDecoder::Status::Ready) {
            if (!platform::ValidateFramePayload(frame.type, frame.payload).empty())
                std::abort();
            decoded += platform::EncodeFrame(frame.type, frame.payload);
        }
        if (status == platform::CFrameDecoder::Status::Malformed) {
            malformed = true;
            if (decoder.Error().empty() ||
                decoder.Next(frame) != platform::CFrameDecoder::Status::Malformed)
                std::abort();
        } else if (at >= bytes.size()) {
            break;
        }
    }
    // What was handed out is exactly the start of the stream.
    if (bytes.substr(0, decoded.size()) != decoded)
        std::abort();
    // The payload parsers take any bytes.
    std::string a, b;
    std::uint32_t format = 0;
    platform::FrameStatus status;
    platform::ParseConnectPayload(bytes, a, b);
    platform::ParseStatusPayload(bytes, status, a);
    platform::ParseRequestPayload(bytes, format, a);
    return 0;
}
