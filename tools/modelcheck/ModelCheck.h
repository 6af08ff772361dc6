#pragma once

#include "ModelContext.h"
#include "ModelDoc.h"
#include "ToolOutput.h"

#include <cstdio>
#include <string>
#include <vector>

// A command that lives outside this Qt-free library (render needs Qt). run gets the
// positional arguments and answers an exit status, or -1 for a usage error.
struct CModelCheckExtension
{
    std::string name;
    std::string usage; // lines for the usage text
    int (*run)(const std::vector<std::string>& positional, std::FILE* out, std::FILE* err) =
        nullptr;
};

// The modelcheck commands, callable from tests. Messages of the model browser go to err as
// "NNNN: text"; questions about large relation files are answered No. Text written to a
// terminal is decoded as the browser decodes it (UTF-8, else Windows-1252); into a pipe or a
// file it keeps its bytes.
//
// Exit statuses: syntax and check 0 clean, 1 warnings only, 2 errors, 66 when the model
// file cannot be read; the other commands 0 on success, 1 when the model does not load or a
// name is unknown. Usage errors give 64, files that cannot be written 74.
// extensions add commands (the program adds render when it is built with Qt).
int RunModelCheck(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
                  const std::vector<CModelCheckExtension>& extensions = {});

// The usage text, with the extensions' commands.
std::string ModelCheckUsage(const std::vector<CModelCheckExtension>& extensions = {});

// A model opened the way the commands open it: the browser's messages go to err as
// "NNNN: text" and questions are answered No.
struct CToolModel
{
    explicit CToolModel(std::FILE* err) : prompter(err, platform::Answer::No), doc(context)
    {
        context.prompter = &prompter;
    }
    CToolPrompter prompter;
    CModelContext context;
    CModelDoc doc;
};

// The index of a page given by its name (exact, then ignoring ASCII case) or, when no page
// has that name, by its number from 1; -1 when there is no such page.
int FindModelPage(const CModelDoc& doc, const std::string& nameOrNumber);

// An element of the page by its name (exact, then ignoring ASCII case) or its entry key
// ("E3"); nullptr when there is none.
CElement* FindModelElement(const CPage& page, const std::string& name);
