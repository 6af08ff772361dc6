#pragma once

#include "prompter/Prompter.h"

#include <string>
#include <string_view>

// Helpers shared by the two diagnostic reports (model dump, syntax test).

// printf-style formatting appended to out; arguments of any length are written in full.
void AppendFormat(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Appends text with every line feed written as carriage return and line feed, as a file
// written in text mode stores it.
void AppendTextMode(std::string& out, std::string_view text);

// A report file written so that a failure never leaves a half-written report nor destroys
// the file it replaces: the bytes go to a temporary file beside the target, which is renamed
// over the target only when everything was written.
class CReportFile
{
public:
    CReportFile() = default;
    ~CReportFile(); // removes the temporary file unless committed
    CReportFile(const CReportFile&) = delete;
    CReportFile& operator=(const CReportFile&) = delete;

    // Prepares the file. False when it cannot be created: the folder is missing or not
    // writable, or the target exists and is not a writable regular file.
    bool Create(const std::string& path);
    // Writes all bytes, flushes them to disk and renames the temporary file over the target.
    // False on any failure; the target is then left as it was.
    bool Commit(std::string_view bytes);

    // The path that was written (symbolic links resolved).
    const std::string& TargetPath() const { return m_target; }

private:
    void Discard();

    std::string m_target;
    std::string m_temp;
    int m_fd = -1;
};

// The save dialog of a text report: "TXT" default extension, the text-file filter, an
// overwrite question and the read-only box hidden.
platform::FileDialogSpec ReportSaveDialog(const std::string& title, const std::string& defaultName,
                                          void* owner);
