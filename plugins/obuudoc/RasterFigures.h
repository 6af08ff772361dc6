#pragma once

// Raster figures of "orn-raster" scripts: the figure's name and file from the script's text,
// and the records of the figures shown, each of which deletes its figure file and gives the
// script back to the browser when it is deleted. Qt-free.

#include <cstdint>
#include <functional>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace obuudoc {

inline constexpr std::string_view kRasterKind = "orn-raster";

// The kind of a script: its text up to the first "=", or all of it.
std::string_view ScriptKind(std::string_view text);
// True for a script of the kind "orn-raster" ("orn-raster" or "orn-raster=<name>").
bool IsRasterScript(std::string_view text);
// The figure name of a raster script's text (what follows the first "="), or nullopt when it
// is empty, "." or "..", or holds a "/": the figure file must lie in the temporary folder
// itself, since deleting its record deletes it.
std::optional<std::string> RasterFigureName(std::string_view text);
// The user's temporary folder: $TMPDIR when it names a folder, else /tmp (no trailing "/"),
// where the browser puts the figures.
std::string UserTempFolder();

// One figure shown for a script.
struct FigureRecord
{
    uintptr_t view = 0; // the script's words as the browser handed them over
    uintptr_t script = 0;
    std::string path;    // the figure file
    uintptr_t graph = 0; // the graphics window showing it; 0 when none (any more)
};

// The figures shown, in the order they were added. A record removed from the list is
// deleted: its figure file is deleted and its script given back through the release
// function. The list is left consistent before either happens, so the release may call
// back into the list.
class CRasterFigureList
{
public:
    using ReleaseScript = std::function<void(uintptr_t view, uintptr_t script)>;

    explicit CRasterFigureList(ReleaseScript release) : m_release(std::move(release)) {}
    // Deletes the records left.
    ~CRasterFigureList() { Clear(); }
    CRasterFigureList(const CRasterFigureList&) = delete;
    CRasterFigureList& operator=(const CRasterFigureList&) = delete;

    // Appends a record; the reference stays valid until the record is removed.
    FigureRecord& Add(FigureRecord record);
    // The record of a script or of a graphics window (never of graph 0); nullptr when none.
    FigureRecord* FindScript(uintptr_t view, uintptr_t script);
    FigureRecord* FindGraph(uintptr_t graph);
    // Removes and deletes the record of a script or a graphics window; false when none.
    bool RemoveScript(uintptr_t view, uintptr_t script);
    bool RemoveGraph(uintptr_t graph);
    // Removes and deletes every record.
    void Clear();

    std::size_t Size() const { return m_records.size(); }
    // The graphics windows of the records that have one.
    std::vector<uintptr_t> Graphs() const;

private:
    void Delete(std::list<FigureRecord>::iterator record);

    std::list<FigureRecord> m_records;
    ReleaseScript m_release;
};

} // namespace obuudoc
