// The documentation browser's content text: any bytes, as HTML or plain text, give text that is
// valid UTF-8 (what the index and the views take) and no larger than the input needs.

#include "HtmlText.h"
#include "text/TextDecode.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (bool html : {true, false}) {
        const std::string text = zelio::ContentText(bytes, html);
        // Decoding at most triples a byte; an entity of 3 bytes or more gives at most 4.
        if (!platform::IsValidUtf8(text) || text.size() > 3 * size + 1)
            std::abort();
    }
    const std::string direct = zelio::HtmlToText(bytes);
    if (direct.size() > 3 * size + 1)
        std::abort();
    return 0;
}
