#include "ModelLauncher.h"

#include "profile/ProfileReader.h"
#include "shell/ShellOpen.h"
#include "text/AsciiCase.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace obuutil {

namespace {

struct ResourceEntry
{
    int id;
    const char* text;
};
// Paths on this platform use "/".
constexpr ResourceEntry kResources[] = {
    {kStrModelPattern, "%s/model/*.mdl"},
    {kStrModelPath, "%s/model/%s"},
    {kStrDisclaimerPath, "%s/disclaim.txt"},
    {kStrModelMenu, "Model..."},
    {kMsgNoModel, "This collection does not have model associated with it."},
    {kMsgNoMatchingModel, "No matching model found for this collection."},
    {kMsgCannotExecute, "Unable to execute model browser."},
    {kMsgNoDisclaimerFile, "Unable to find disclaimer file."},
    {kMsgNoDisclaimerDefinition,
     "No disclaimer file definitions found from configuration files (corvelle.ini)"},
    {kMsgCannotReadDisclaimer, "Unable to read disclaimer file."},
    {kMsgNoDisclaimerMemory, "Unable to allocate memory for disclaimer file."},
};

constexpr std::string_view kModelSuffix = ".mdl";
constexpr std::string_view kModelTitleSuffix = " - Model";

bool IsWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view TrimWhiteSpace(std::string_view text)
{
    while (!text.empty() && IsWhiteSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsWhiteSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

bool HasModelSuffix(std::string_view name)
{
    return name.size() > kModelSuffix.size() &&
           platform::EqualsIgnoreAsciiCase(name.substr(name.size() - kModelSuffix.size()),
                                           kModelSuffix);
}

} // namespace

const char* ResourceString(int id)
{
    for (const ResourceEntry& entry : kResources)
        if (entry.id == id)
            return entry.text;
    return "";
}

std::string FormatResource(int id, const std::vector<std::string_view>& arguments)
{
    const std::string_view format = ResourceString(id);
    std::string text;
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's') {
            if (next < arguments.size())
                text += arguments[next];
            ++next;
            ++i;
        } else {
            text += format[i];
        }
    }
    return text;
}

Notice MakeNotice(int number, platform::Icon icon)
{
    return Notice{number, ResourceString(number), icon};
}

void ShowNotice(platform::IPrompter& prompter, const Notice& notice)
{
    prompter.MessageBeep(platform::BeepForIcon(notice.icon));
    prompter.ShowMessage(notice.number, notice.text, notice.icon, platform::Buttons::Ok, kCaption);
}

std::string TrimTrailingSeparators(std::string_view directory)
{
    while (!directory.empty() && (directory.back() == '/' || directory.back() == '\\'))
        directory.remove_suffix(1);
    return std::string(directory);
}

std::vector<ModelEntry> ListModels(std::string_view collectionDirectory)
{
    const std::string directory = TrimTrailingSeparators(collectionDirectory);
    // The folder of the pattern "<directory>/model/*.mdl".
    const fs::path folder = fs::path(FormatResource(kStrModelPattern, {directory})).parent_path();
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::error_code statusError;
        // Follows links: a link to a model file is one; anything but a regular file is never
        // opened, so a FIFO named like a model cannot block the search.
        if (HasModelSuffix(name) && it->is_regular_file(statusError))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string upperA = platform::ToUpperAscii(a);
        const std::string upperB = platform::ToUpperAscii(b);
        return upperA != upperB ? upperA < upperB : a < b;
    });
    std::vector<ModelEntry> models;
    for (const std::string& name : names) {
        ModelEntry entry;
        entry.path = FormatResource(kStrModelPath, {directory, name});
        entry.collection = platform::GetProfileString(entry.path, "DOCUMENTATION", "COLLECTION", "",
                                                      kTextLimit + 1);
        models.push_back(std::move(entry));
    }
    return models;
}

const ModelEntry* FindModelForCollection(const std::vector<ModelEntry>& models,
                                         std::string_view name)
{
    for (const ModelEntry& model : models)
        if (!model.collection.empty() && platform::EqualsIgnoreAsciiCase(model.collection, name))
            return &model;
    return nullptr;
}

bool TitleShowsCollection(std::string_view title, std::string_view name)
{
    const std::string_view shown = TrimWhiteSpace(title.substr(0, kTextLimit));
    if (platform::EqualsIgnoreAsciiCase(shown, name))
        return true;
    // The model browser titles its window "<collection> - Model".
    return shown.size() == name.size() + kModelTitleSuffix.size() &&
           platform::EqualsIgnoreAsciiCase(shown.substr(0, name.size()), name) &&
           platform::EqualsIgnoreAsciiCase(shown.substr(name.size()), kModelTitleSuffix);
}

std::optional<platform::WindowEntry>
FindModelWindow(const std::vector<platform::WindowEntry>& windows, std::string_view name)
{
    for (const platform::WindowEntry& window : windows)
        if (TitleShowsCollection(window.title, name))
            return window;
    return std::nullopt;
}

std::string FallbackModelProgram(std::string_view programFolder)
{
    return programFolder.empty() ? std::string() : std::string(programFolder) + "/model";
}

std::string RunningProgramFolder()
{
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : program.parent_path().string();
}

LaunchResult LaunchModel(std::string_view collectionDirectory, const LaunchServices& services)
{
    LaunchResult result;
    const std::vector<ModelEntry> models = ListModels(collectionDirectory);
    if (models.empty()) {
        result.action = LaunchAction::NoModel;
        result.notice = MakeNotice(kMsgNoModel, platform::Icon::Information);
        return result;
    }
    const std::optional<std::string> name =
        services.collectionName ? services.collectionName() : std::nullopt;
    const ModelEntry* model = name ? FindModelForCollection(models, *name) : nullptr;
    if (model == nullptr) {
        result.action = LaunchAction::NoMatch;
        result.notice = MakeNotice(kMsgNoMatchingModel, platform::Icon::Information);
        return result;
    }
    result.modelPath = model->path;
    if (services.windows) {
        const std::optional<platform::WindowEntry> window =
            FindModelWindow(services.windows(), *name);
        if (window && services.raise && services.raise(*window)) {
            result.action = LaunchAction::Raised;
            return result;
        }
    }
    result.shellResult = services.open ? services.open(model->path) : platform::kShellNoAssociation;
    if (result.shellResult <= platform::kShellLastError) {
        result.action = LaunchAction::OpenFailed;
        result.notice = MakeNotice(kMsgCannotExecute, platform::Icon::Exclamation);
        return result;
    }
    result.action = LaunchAction::Opened;
    return result;
}

} // namespace obuutil
