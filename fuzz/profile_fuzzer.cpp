// Feeds arbitrary bytes to the INI parser and looks up names taken from the input itself, so
// that both hits and misses are exercised.
#include "profile/ProfileReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const platform::ParsedProfile profile = platform::ParsedProfile::Parse(bytes);

    // Every listed section and key must be found again, in any case.
    for (const std::string& section : profile.SectionNames()) {
        for (const std::string& key : profile.KeyNames(section)) {
            if (!profile.Find(section, key))
                std::abort();
            std::string upper = key;
            for (char& c : upper) {
                if (c >= 'a' && c <= 'z')
                    c = static_cast<char>(c - 'a' + 'A');
            }
            if (profile.Find(section, upper) != profile.Find(section, key))
                std::abort();
        }
    }

    // Names cut from the raw input: the first and second halves, and the first line.
    const std::string_view firstHalf = bytes.substr(0, size / 2);
    const std::string_view secondHalf = bytes.substr(size / 2);
    const std::string_view firstLine = bytes.substr(0, bytes.find_first_of("\r\n"));
    profile.Find(firstHalf, secondHalf);
    profile.Find(firstLine, firstLine);
    profile.Find("", "");
    profile.KeyNames(firstHalf);
    return 0;
}
