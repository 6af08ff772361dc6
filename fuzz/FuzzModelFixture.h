#pragma once

// Shared by the fuzz targets that read their input as a file of a small model: a folder of
// the process's own, a fixed model opened from it with one of its files taking the input,
// and an instance sink that checks what it is given.

#include "InstanceLoader.h"
#include "ModelContext.h"
#include "ModelDoc.h"
#include "ModelTypes.h"
#include "profile/ProfileReader.h"
#include "prompter/ScriptedPrompter.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include <unistd.h>

namespace fuzz {

namespace fs = std::filesystem;

inline void Check(bool condition)
{
    if (!condition)
        std::abort();
}

inline void WriteFile(const fs::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string_view InputBytes(const std::uint8_t* data, std::size_t size)
{
    return std::string_view(reinterpret_cast<const char*>(data), size);
}

// <temporary folder>/<name>-<process id>: created with the object, and removed with all it
// holds when the object goes.
class FuzzFolder
{
public:
    explicit FuzzFolder(std::string_view name)
        : m_path(fs::temp_directory_path() /
                 (std::string(name) + "-" + std::to_string(::getpid())))
    {
        fs::create_directories(m_path);
    }
    ~FuzzFolder()
    {
        std::error_code error;
        fs::remove_all(m_path, error);
    }
    FuzzFolder(const FuzzFolder&) = delete;
    FuzzFolder& operator=(const FuzzFolder&) = delete;

    const fs::path& Path() const { return m_path; }

    // Writes a file of the folder; returns its full path.
    std::string Write(std::string_view file, std::string_view bytes) const
    {
        const fs::path path = m_path / file;
        WriteFile(path, bytes);
        return path.string();
    }

private:
    fs::path m_path;
};

// One file next to the model: its name and first contents.
struct FuzzFile
{
    std::string_view name;
    std::string_view bytes;
};

// A fixed model (model.mdl) opened from a FuzzFolder with its data files. One of those files,
// the input file, is rewritten with every input; the rest stay as written.
class FuzzModelFixture
{
public:
    FuzzModelFixture(std::string_view name, std::string_view model,
                     std::initializer_list<FuzzFile> files, std::string_view inputFile)
        : folder(name)
    {
        for (const FuzzFile& file : files)
            folder.Write(file.name, file.bytes);
        input = (folder.Path() / inputFile).string();
        const std::string modelPath = folder.Write("model.mdl", model);
        context.prompter = &prompter;
        platform::ClearProfileCache();
        Check(doc.OnOpenDocument(modelPath));
    }

    void WriteInput(std::string_view bytes) const { WriteFile(input, bytes); }

    // Element or link number index of the first page; aborts when there is none, or when the
    // link cannot have relations.
    CElement* Element(int index)
    {
        CElement* element = doc.PageAt(0)->ElementAt(index);
        Check(element != nullptr);
        return element;
    }
    CLink* RelationLink(int index)
    {
        CLink* link = doc.PageAt(0)->LinkAt(index);
        Check(link != nullptr && link->IsRelationCapable());
        return link;
    }

    // Declared in this order so that the document goes before its context, and the folder last.
    FuzzFolder folder;
    std::string input;
    platform::ScriptedPrompter prompter;
    CModelContext context;
    CModelDoc doc{context};
};

// Whether a FuzzSink only counts the records or also keeps them.
enum class Records
{
    Count,
    Keep
};

// Counts the records it is given, each of which must name its element, keeps them when asked
// to, and stops the read once it has been given `limit` of them.
class FuzzSink : public IInstanceSink
{
public:
    explicit FuzzSink(Records records = Records::Count,
                      int limit = std::numeric_limits<int>::max())
        : m_keep(records == Records::Keep), m_limit(limit)
    {
    }
    bool AddInstance(CInstanceRecord&& record, CGroup*) override
    {
        Check(record.element != nullptr);
        ++count;
        if (m_keep)
            records.push_back(std::move(record));
        return count < m_limit;
    }

    int count = 0;
    std::vector<CInstanceRecord> records;

private:
    bool m_keep;
    int m_limit;
};

} // namespace fuzz
