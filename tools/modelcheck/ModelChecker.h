#pragma once

#include <memory>
#include <string>
#include <vector>

class CModelDoc;
namespace platform {
class ParsedProfile;
}

// One finding of `modelcheck check`: the file and line it points at, its weight and its text.
struct CCheckFinding
{
    std::string file; // the model file as given, or an instance or relation file beside it
    int line = 1;     // from 1
    bool error = false;
    std::string text;

    // "FILE:LINE: error: text" (or "warning:"), the form editors and CI read.
    std::string Format() const;
};

// Everything `modelcheck check` finds in one model, in one run: the syntax test, a real load
// with every message the browser would show, instance and relation files that cannot be
// read, relation lines whose keys match no instance, and jump elements to pages that do not
// exist. Model findings point at the model file's line of the entry (its section's heading
// when the key is missing); relation-line findings at the line of the relation file.
class CModelChecker
{
public:
    // modelPath as the user gave it: findings name the files by it.
    explicit CModelChecker(std::string modelPath);

    // Runs every check. When the model does not load, the checks that need a loaded model
    // are skipped. The caller makes sure first that the model file can be read.
    void Run();

    const std::vector<CCheckFinding>& Findings() const { return m_findings; }
    int Errors() const { return m_errors; }
    int Warnings() const { return m_warnings; }
    // 0 clean, 1 warnings only, 2 errors.
    int ExitStatus() const;

private:
    void Add(const std::string& file, int line, bool error, std::string text);
    // The model file's line of an entry, else of its section, else of the page list for a
    // page's section, else 1.
    int EntryLine(const std::string& section, const std::string& key) const;
    // An instance or relation file named in the model, as the findings name it.
    std::string ModelFilePath(const std::string& name) const;

    void CheckSyntax();
    bool CheckLoad(CModelDoc& doc);
    void CheckElements(const CModelDoc& doc);
    void CheckLinkFiles(const CModelDoc& doc);
    void CheckRelationKeys(CModelDoc& doc);

    std::string m_modelPath;
    std::shared_ptr<const platform::ParsedProfile> m_profile;
    std::vector<CCheckFinding> m_findings;
    int m_errors = 0;
    int m_warnings = 0;
};

// Why a file cannot be read as a model, instance or relation file ("no such file", "is a
// folder", "is not a regular file", or the system's reason), looked up ignoring case as the
// readers do; empty when it can be read.
std::string FileReadProblem(const std::string& path);
