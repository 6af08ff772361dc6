#pragma once

// The model launcher's logic, Qt-free: the plug-in's texts, the model files of a collection,
// which model belongs to a collection, which running model browser already shows it, and the
// launch itself with everything it needs from outside passed in. Messages are answered as
// data; the plug-in shows them.

#include "prompter/Prompter.h"
#include "windows/WindowRegistry.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace obuutil {

// The plug-in's string resources.
enum StringId : int
{
    kStrModelPattern = 500,     // "%s/model/*.mdl"
    kStrModelPath = 501,        // "%s/model/%s"
    kStrDisclaimerPath = 502,   // "%s/disclaim.txt"
    kStrModelMenu = 1000,       // "Model..."
    kMsgNoModel = 1001,         // the collection has no model files
    kMsgNoMatchingModel = 1002, // none of them names the collection
    kMsgCannotExecute = 1003,   // the model browser could not be started
    kMsgNoDisclaimerFile = 1004,
    kMsgNoDisclaimerDefinition = 1005,
    kMsgCannotReadDisclaimer = 1006,
    kMsgNoDisclaimerMemory = 1007
};

// The text of a string resource; an empty text for an unknown number.
const char* ResourceString(int id);
// The resource with each "%s" replaced by the next argument (missing arguments: empty).
std::string FormatResource(int id, const std::vector<std::string_view>& arguments);

// The caption of every message box of the plug-in.
inline constexpr const char* kCaption = "OBU";
// Longest collection name, model collection and window title looked at.
inline constexpr std::size_t kTextLimit = 299;

// A message to show: its number, text and icon (the beep follows the icon).
struct Notice
{
    int number = 0;
    std::string text;
    platform::Icon icon = platform::Icon::Information;
};
Notice MakeNotice(int number, platform::Icon icon);
// Beeps as the icon says, then shows the message without an owner, caption "OBU".
void ShowNotice(platform::IPrompter& prompter, const Notice& notice);

// The directory with every trailing "/" and "\" removed.
std::string TrimTrailingSeparators(std::string_view directory);

// One model file of a collection and the collection it names ("COLLECTION" of section
// "DOCUMENTATION", at most kTextLimit characters, empty when absent).
struct ModelEntry
{
    std::string path;
    std::string collection;
};

// The model files of the collection directory: the regular files of its folder "model" whose
// names end in ".mdl" (ignoring case), sorted by name ignoring case so that every run takes
// the same first match. Folders, FIFOs, devices and sockets are skipped without being opened.
// Empty when there is no such folder.
std::vector<ModelEntry> ListModels(std::string_view collectionDirectory);

// The first model whose collection equals name ignoring case (an empty collection never
// matches), or nullptr.
const ModelEntry* FindModelForCollection(const std::vector<ModelEntry>& models,
                                         std::string_view name);

// True when a window with this title shows the collection: the title, cut to kTextLimit
// characters and trimmed of white space, equals the name or the model browser's own title
// "<name> - Model", ignoring case.
bool TitleShowsCollection(std::string_view title, std::string_view name);

// The first window (in the order given) whose title shows the collection, or none.
std::optional<platform::WindowEntry>
FindModelWindow(const std::vector<platform::WindowEntry>& windows, std::string_view name);

// The model browser started when no program is associated with model files: "model" in the
// given folder (the folder of the program that loaded the plug-in).
std::string FallbackModelProgram(std::string_view programFolder);
// The folder of the running program (from /proc/self/exe); empty when it cannot be read.
std::string RunningProgramFolder();

// What a launch needs from outside; each is replaced in tests.
struct LaunchServices
{
    // The browser's name for the collection; none when the browser does not know it.
    std::function<std::optional<std::string>()> collectionName;
    // The top-level windows to look through.
    std::function<std::vector<platform::WindowEntry>()> windows;
    // Brings a window to the front (restoring it when minimised); false when it cannot.
    std::function<bool(const platform::WindowEntry&)> raise;
    // Opens the model file with its program; the shell's result (> 32 is success).
    std::function<int(const std::string&)> open;
};

enum class LaunchAction
{
    NoModel,   // the collection has no model files (message 1001)
    NoMatch,   // no model file names the collection (message 1002)
    Raised,    // a model browser showing the collection came forward
    Opened,    // the model file was opened
    OpenFailed // the shell could not open it (message 1003)
};

struct LaunchResult
{
    LaunchAction action = LaunchAction::NoModel;
    std::string modelPath;        // the matching model, when there was one
    std::optional<Notice> notice; // the message to show, if any
    int shellResult = 0;          // what open answered
};

// Finds the collection's model and shows it: brings forward a model browser window that
// already shows the collection, else opens the model file. A window that cannot be raised
// (it went away meanwhile) does not stop the launch: the model is opened instead.
LaunchResult LaunchModel(std::string_view collectionDirectory, const LaunchServices& services);

} // namespace obuutil
