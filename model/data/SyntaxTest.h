#pragma once

#include <string>

struct CModelContext;

#include <vector>

// One record of the report, for tools that show the findings their own way.
struct CSyntaxFinding
{
    bool error = false; // else a warning
    std::string kind;   // "error: syntax error", "warning: missing entry", ...
    std::string description;
    std::string section;
    std::string entry; // the key as the report names it
    std::string key;   // the key as read (the report names COLLECTION "COLLETION")
    std::string whatToDo;
    std::string rightSyntax; // "<N/A>" when there is none
    std::string wrongSyntax; // the entry's signature, or "<N/A>"
};

// The result of checking a model file entry by entry.
struct CSyntaxReport
{
    std::string text; // the report records, CR LF line ends; empty when clean
    int errors = 0;
    int warnings = 0;
    std::vector<CSyntaxFinding> findings; // the records of text, in the same order
};

// Checks the model file's keys against the entry patterns without building a model. A file
// that cannot be read checks as if every key were empty. The records name the model by its
// full path (made absolute against the current folder) in small letters.
CSyntaxReport RunSyntaxTest(const std::string& modelPath);

// The summary shown at the end: the short form when clean, else the long form naming the
// report file. Both names are shown without folder and extension.
std::string SyntaxSummary(const std::string& modelPath, const std::string& reportPath,
                          const CSyntaxReport& report);

// The whole test with its dialogs: open dialog for the model, save dialog for the report,
// 5036 / 5037 on failures, then the summary. owner: parent window or nullptr.
void SyntaxTest(CModelContext& context, void* owner);
