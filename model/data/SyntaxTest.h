#pragma once

#include <string>

struct CModelContext;

// The result of checking a model file entry by entry.
struct CSyntaxReport
{
    std::string text; // the report records, CR LF line ends; empty when clean
    int errors = 0;
    int warnings = 0;
};

// Checks the model file's keys against the entry patterns without building a model. A file
// that cannot be read checks as if every key were empty.
CSyntaxReport RunSyntaxTest(const std::string& modelPath);

// The summary shown at the end: the short form when clean, else the long form naming the
// report file. Both names are shown without folder and extension.
std::string SyntaxSummary(const std::string& modelPath, const std::string& reportPath,
                          const CSyntaxReport& report);

// The whole test with its dialogs: open dialog for the model, save dialog for the report,
// 5036 / 5037 on failures, then the summary. owner: parent window or nullptr.
void SyntaxTest(CModelContext& context, void* owner);
