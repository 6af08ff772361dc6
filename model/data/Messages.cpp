#include "Messages.h"

#include "ModelContext.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

struct MessageEntry
{
    int id;
    const char* text;
};

// The string table of the model browser as far as texts are known to the data layer.
const MessageEntry kMessages[] = {
    {1000, "IS PART OF"},
    {1001, "USES"},
    {1002, "IMPLEMENTS"},
    {1003, "IS LOCATED IN"},
    {1007, " = Relation Type"},
    {1008, " = File Not Found"},
    {1009, " = No Relations"},
    {1010, " = %ld Relations"},
    {5001, "Not enough memory to continue."},
    {5002, "Unable to read '%s' information from the section '%s'. Unable to continue."},
    {5003, "Invalid element reference 'E%d' found in group 'G%d' / model '%s'."},
    {5005, "Invalid element type. Element type must be normal (0) or jump (1)."},
    {5006, "Unable to create the file needed to save the model dump."},
    {5008, "Invalid link between two elements, belonging to different models found while "
           "doing late binding. Check that all elements and links between them correct ."},
    {5009, "String not found in the instance list."},
    {5012, "Unable to open inatance file '%s' for element '%s'."},
    {5015, "Do you want to view list pane also?"},
    {5016, "Unable to find any valid elements from model '%s'. Model is not loaded."},
    {5017, "Unable to load model. Model file contains syntax errors. To run model syntax check "
           "test press SHIFT+CTRL+ALT+D simultaneously."},
    {5018, "There are no instances for this relation"},
    {5019, "Unable to load relations. Source or target element is invalid."},
    {5020, "Invalid or no search word was given."},
    {5021, "End of the list is reached. Continue search from start?"},
    {5023, "Settings"},
    {5026, "No Attributes Loaded!"},
    {5027, "No Properties Loaded!"},
    {5028, "Properties"},
    {5029, "No valid strings found in current element!"},
    {5030, "<Attribute not found or defined>"},
    {5032, "There is not enough memory to add more relations."},
    {5033, "Unable to run program that is used to view the documentation. Do you want to "
           "browse the program?"},
    {5034, "Unable to parse DDE query string '%s'."},
    {5035, "Collection that is associated with current model has not been installed to this "
           "computer. Unable to view documentation!"},
    {5036, "Unable to create the file needed to save the syntax test result."},
    {5037, "Unable to write model syntax test output file."},
    {5038, "Model is unable to set up the dynamic data exchange (DDE) connection to the "
           "documentation viewer program."},
    {5039, "Are you sure you want to change the current font to the default font?"},
    {5040, "The relation file between '%s' and '%s'  is quite large and it may take several "
           "minutes to complete the load. Do you want to SKIP the loading process?"},
    {5041, "It may take several minutes to complete the load of all relations. Are you sure "
           "you want to continue?"},
    {5044, "%s(s) loaded"},
    {5045, "All relations enumerated"},
    {5046, "%s's relations enumerated"},
    {5047, "%ld related %s(s) loaded"},
    {5048, "Searched '%s', %d hits found"},
    {5049, "Searched '%s', no hits found"},
    {5050, "Viewing %s in documentation"},
    {5051, "Loading Instances of %s"},
    {5052, "Enumerating All Relations of %s"},
    {5053, "Enumerating Relations of %s (%s)"},
    {5054, "Loading Related %s(s)"},
    {5055, "Searching Word '%s'"},
    {5056, "Viewing %s In Documentation"},
    {5057, "Do you really want to abort restore operation?"},
    {5058, "Current event is same as previously added event or its parent event and therefore "
           "it is not added to the history list. "},
    {5059, "Event"},
    {5060, "Action"},
    {5061, "Actions, that proceed after restoring an event or clearing the history, are not "
           "added to the history list."},
    {5062, "Restored"},
    {5063, "Skipped"},
    {5064, "Do you really want to clear history list?"},
    {5065, "Unable to construct documentation viewer environment. Make sure that model "
           "executable (model.exe), dynamic link library (zelio.dll) and initialization file "
           "(corvelle.ini) are located in the same directory."},
    {5066, "Searching from Documentation..."},
};

} // namespace

const char* MessageFormat(int id)
{
    for (const MessageEntry& entry : kMessages) {
        if (entry.id == id)
            return entry.text;
    }
    return "";
}

std::string StringPrintf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    char small[512];
    const int needed = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    std::string result;
    if (needed < 0) {
        va_end(copy);
        return result;
    }
    if (static_cast<std::size_t>(needed) < sizeof small) {
        result.assign(small, static_cast<std::size_t>(needed));
    } else {
        result.resize(static_cast<std::size_t>(needed) + 1);
        std::vsnprintf(result.data(), result.size(), format, copy);
        result.resize(static_cast<std::size_t>(needed));
    }
    va_end(copy);
    return result;
}

platform::Answer ShowModelMessage(CModelContext& context, int id, const std::string& text,
                                  platform::Icon icon, platform::Buttons buttons)
{
    if (!context.prompter)
        return buttons == platform::Buttons::YesNo || buttons == platform::Buttons::YesNoCancel
                   ? platform::Answer::No
                   : platform::Answer::Ok;
    return platform::Report(*context.prompter, id, text, icon, buttons);
}
