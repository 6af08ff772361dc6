#include "RasterFigures.h"

#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

namespace obuudoc {

std::string_view ScriptKind(std::string_view text)
{
    return text.substr(0, text.find('='));
}

bool IsRasterScript(std::string_view text)
{
    return ScriptKind(text) == kRasterKind;
}

std::optional<std::string> RasterFigureName(std::string_view text)
{
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    const std::string_view name = text.substr(equals + 1);
    // Without a separator only "." and ".." name something other than a file of the folder.
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos)
        return std::nullopt;
    return std::string(name);
}

std::string UserTempFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    struct stat info = {};
    const bool usable =
        tmp != nullptr && *tmp != '\0' && ::stat(tmp, &info) == 0 && S_ISDIR(info.st_mode);
    std::string folder = usable ? tmp : "/tmp";
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

FigureRecord& CRasterFigureList::Add(FigureRecord record)
{
    m_records.push_back(std::move(record));
    return m_records.back();
}

FigureRecord* CRasterFigureList::FindScript(uintptr_t view, uintptr_t script)
{
    for (FigureRecord& record : m_records)
        if (record.view == view && record.script == script)
            return &record;
    return nullptr;
}

FigureRecord* CRasterFigureList::FindGraph(uintptr_t graph)
{
    if (graph == 0)
        return nullptr;
    for (FigureRecord& record : m_records)
        if (record.graph == graph)
            return &record;
    return nullptr;
}

bool CRasterFigureList::RemoveScript(uintptr_t view, uintptr_t script)
{
    for (auto it = m_records.begin(); it != m_records.end(); ++it)
        if (it->view == view && it->script == script) {
            Delete(it);
            return true;
        }
    return false;
}

bool CRasterFigureList::RemoveGraph(uintptr_t graph)
{
    if (graph == 0)
        return false;
    for (auto it = m_records.begin(); it != m_records.end(); ++it)
        if (it->graph == graph) {
            Delete(it);
            return true;
        }
    return false;
}

void CRasterFigureList::Clear()
{
    while (!m_records.empty())
        Delete(m_records.begin());
}

std::vector<uintptr_t> CRasterFigureList::Graphs() const
{
    std::vector<uintptr_t> graphs;
    for (const FigureRecord& record : m_records)
        if (record.graph != 0)
            graphs.push_back(record.graph);
    return graphs;
}

void CRasterFigureList::Delete(std::list<FigureRecord>::iterator record)
{
    const FigureRecord gone = std::move(*record);
    m_records.erase(record);
    if (!gone.path.empty())
        ::unlink(gone.path.c_str());
    if (m_release)
        m_release(gone.view, gone.script);
}

} // namespace obuudoc
