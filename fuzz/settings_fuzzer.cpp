// The browser's settings as a hand-edited settings file can hold them: the window placement
// record, the colours, the documentation link's settings and a start-up command line. Each
// line of the input is one stored value; every reader must take any text without crashing,
// and what it writes back must read again as the same record.

#include "ColorTable.h"
#include "CommandLine.h"
#include "DocumentationLink.h"
#include "PlacementInfo.h"
#include "settings/MemorySettingsStore.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using MemoryStore = platform::MemorySettingsStore;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size() && lines.size() < 16) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    lines.resize(16);

    MemoryStore store;
    const char* placeKeys[] = {"SHOW", "MINPOS", "MAXPOS", "NORMALPOS", "MODE", "SPLITTERS"};
    for (int i = 0; i < 6; ++i)
        store.WriteString("PLACE", placeKeys[i], lines[i]);
    store.WriteString("COLOR", "TEXT JUMP", lines[6]);
    store.WriteString("COLOR", "BACKGROUND MODEL VIEW", lines[7]);
    store.WriteString("DOCUMENTATION", "PROGRAM", lines[8]);
    store.WriteString("DOCUMENTATION", "DDE TIMEOUT", lines[9]);
    store.WriteString("DOCUMENTATION", "DDE SLEEP", lines[10]);
    store.WriteString("COLLECTION", lines[11], lines[12]);

    CScreenMetrics metrics{1920, 1080, 4, 18, 19};
    CPlacementInfo placement;
    placement.Load(store, 1, metrics);
    // What is saved reads back as the same record.
    MemoryStore saved;
    placement.Save(saved, 1);
    CPlacementInfo again;
    again.Load(saved, 1, metrics);
    if (!(again.Placement() == placement.Placement()) || again.Mode() != placement.Mode())
        std::abort();
    for (int i = 0; i < CPlacementInfo::SplitterCount; ++i) {
        if (!(again.Splitter(i) == placement.Splitter(i)))
            std::abort();
    }
    (void)PaneModeAfterDrag(placement.Splitter(0).first, 0, placement.Splitter(0).second, 0);

    CColorTable colors;
    colors.Load(store);
    colors.Save(saved);

    CDocumentationLink link;
    link.SetProgramDirectory(lines[13]);
    link.LoadSettings(store);
    (void)link.Timeout();
    (void)link.Sleep();
    (void)link.ShowCommand();
    link.SaveSettings(1, saved);

    (void)CCommandLine::Resolve(lines[14] + "=" + lines[11], store);
    (void)CCommandLine::Resolve(lines[15], store);
    return 0;
}
