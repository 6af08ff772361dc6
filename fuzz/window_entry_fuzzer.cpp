// Feeds arbitrary bytes to the window registry's entry parser: an entry it accepts must
// format and parse back to the same entry, and its control socket name must stay inside the
// registry folder.
#include "windows/WindowRegistry.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    platform::WindowEntry entry;
    if (!platform::ParseWindowEntry(bytes, entry))
        return 0;
    if (entry.className.empty() || entry.pid <= 0 || entry.controlSocket.empty() ||
        entry.controlSocket.find('/') != std::string_view::npos || entry.controlSocket[0] == '.')
        std::abort();
    platform::WindowEntry again;
    if (!platform::ParseWindowEntry(platform::FormatWindowEntry(entry), again) ||
        again.className != entry.className || again.title != entry.title ||
        again.visible != entry.visible || again.minimised != entry.minimised ||
        again.pid != entry.pid || again.startTime != entry.startTime ||
        again.registered != entry.registered || again.controlSocket != entry.controlSocket)
        std::abort();
    return 0;
}
