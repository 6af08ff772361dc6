// The model search, the window match and the launch's decisions, on model folders made in a
// temporary folder and with the browser, the window list and the shell stood in for.

#include "ModelLauncher.h"

#include "NonRegularFiles.h"
#include "TempDir.h"
#include "shell/ShellOpen.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace obuutil;

namespace {

std::string ModelText(const std::string& collection)
{
    return "[MODEL]\nNAME=x\n\n[DOCUMENTATION]\nCOLLECTION=" + collection + "\n";
}

std::vector<std::string> FileNames(const std::vector<ModelEntry>& models)
{
    std::vector<std::string> names;
    for (const ModelEntry& model : models)
        names.push_back(std::filesystem::path(model.path).filename().string() + "=" +
                        model.collection);
    return names;
}

platform::WindowEntry Window(const std::string& title)
{
    platform::WindowEntry window;
    window.className = "ModelFrame";
    window.title = title;
    return window;
}

// A launch with recorded raises and opens.
struct LaunchRecorder
{
    std::optional<std::string> name = "Manuals A";
    std::vector<platform::WindowEntry> windows;
    bool raiseWorks = true;
    int openAnswer = platform::kShellStarted;
    std::vector<std::string> raised;
    std::vector<std::string> opened;

    LaunchResult Run(const std::string& directory)
    {
        LaunchServices services;
        services.collectionName = [this] { return name; };
        services.windows = [this] { return windows; };
        services.raise = [this](const platform::WindowEntry& window) {
            raised.push_back(window.title);
            return raiseWorks;
        };
        services.open = [this](const std::string& path) {
            opened.push_back(path);
            return openAnswer;
        };
        return LaunchModel(directory, services);
    }
};

} // namespace

TEST(ModelSearch, ListsRegularModelFilesInNameOrderAndReadsTheirCollection)
{
    TempDir dir;
    dir.Write("coll/model/b.mdl", ModelText("Manuals A"));
    dir.Write("coll/model/a.mdl", ModelText("Other Collection"));
    dir.Write("coll/model/C.MDL", "[MODEL]\nNAME=no documentation section\n");
    dir.Write("coll/model/notes.txt", ModelText("Manuals A"));
    std::filesystem::create_directories(dir / "coll/model/folder.mdl");
    ASSERT_TRUE(MakeSpecialFile(dir / "coll/model/pipe.mdl", SpecialFile::Fifo));
    ASSERT_TRUE(MakeSpecialFile(dir / "coll/model/socket.mdl", SpecialFile::Socket));

    const std::vector<ModelEntry> models = ListModels(dir / "coll");
    EXPECT_EQ(FileNames(models),
              (std::vector<std::string>{"a.mdl=Other Collection", "b.mdl=Manuals A", "C.MDL="}));
    EXPECT_EQ(models[1].path, dir / "coll/model/b.mdl");

    // Trailing separators of either kind give the same search.
    for (const char* tail : {"/", "//", "\\", "\\\\", "/\\"})
        EXPECT_EQ(FileNames(ListModels(dir / "coll" + tail)), FileNames(models)) << tail;

    // a.mdl names another collection and c.mdl none: b.mdl is the model, whatever the case.
    const ModelEntry* match = FindModelForCollection(models, "MANUALS a");
    ASSERT_NE(match, nullptr);
    EXPECT_EQ(match->path, dir / "coll/model/b.mdl");
    EXPECT_EQ(FindModelForCollection(models, ""), nullptr); // no COLLECTION never matches
    EXPECT_EQ(FindModelForCollection(models, "Manuals"), nullptr);

    EXPECT_TRUE(ListModels(dir / "missing").empty());
}

TEST(ModelSearch, TitleShowsTheCollectionBareOrAsTheModelBrowsersTitle)
{
    struct Case
    {
        const char* title;
        bool shows;
    };
    const Case cases[] = {
        {"  Manuals A ", true},
        {"Manuals A", true},
        {"\tMANUALS A\n", true},
        {"Manuals A - Model", true},
        {"manuals a - MODEL ", true},
        {"Manuals AB", false},
        {"Manuals AB - Model", false},
        {"Manuals A - Model - Model", false},
        {"Manuals A -Model", false},
        {"Zelio - Manuals A", false},
        {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TitleShowsCollection(c.title, "manuals a"), c.shows) << "[" << c.title << "]";
    // A title is looked at for its first 299 characters only.
    EXPECT_TRUE(TitleShowsCollection(std::string(299, 'x') + " - Model", std::string(299, 'x')));

    const std::vector<platform::WindowEntry> windows = {
        Window("Manuals AB"), Window("Manuals A - Model"), Window(" manuals a ")};
    const auto found = FindModelWindow(windows, "MANUALS A");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->title, "Manuals A - Model");
    EXPECT_FALSE(FindModelWindow(windows, "Manuals"));
}

TEST(ModelLaunch, DecidesBetweenMessagesRaisingAndOpening)
{
    TempDir dir;
    dir.Write("coll/model/a.mdl", ModelText("Other Collection"));
    dir.Write("coll/model/b.mdl", ModelText("Manuals A"));
    // Nothing but a FIFO and a folder named like models: no model, and nothing blocks.
    std::filesystem::create_directories(dir / "empty/model/folder.mdl");
    ASSERT_TRUE(MakeSpecialFile(dir / "empty/model/x.mdl", SpecialFile::Fifo));
    const std::string model = dir / "coll/model/b.mdl";

    { // No model folder, or an empty one: 1001, and the browser is not even asked.
        for (const char* collection : {"none", "empty"}) {
            LaunchRecorder launch;
            launch.name.reset();
            const LaunchResult result = launch.Run(dir / collection);
            EXPECT_EQ(result.action, LaunchAction::NoModel);
            ASSERT_TRUE(result.notice);
            EXPECT_EQ(result.notice->number, kMsgNoModel);
            EXPECT_EQ(result.notice->text,
                      "This collection does not have model associated with it.");
            EXPECT_EQ(result.notice->icon, platform::Icon::Information);
        }
    }
    { // The browser does not know the collection, or no model names it: 1002.
        for (std::optional<std::string> name :
             {std::optional<std::string>(), std::optional<std::string>("Manuals B")}) {
            LaunchRecorder launch;
            launch.name = name;
            const LaunchResult result = launch.Run(dir / "coll");
            EXPECT_EQ(result.action, LaunchAction::NoMatch);
            ASSERT_TRUE(result.notice);
            EXPECT_EQ(result.notice->number, kMsgNoMatchingModel);
            EXPECT_EQ(result.notice->icon, platform::Icon::Information);
            EXPECT_TRUE(launch.opened.empty());
        }
    }
    { // A model browser titled "<name> - Model" comes forward; nothing is started.
        LaunchRecorder launch;
        launch.windows = {Window("Manuals AB - Model"), Window("Manuals A - Model")};
        const LaunchResult result = launch.Run(dir / "coll/");
        EXPECT_EQ(result.action, LaunchAction::Raised);
        EXPECT_FALSE(result.notice);
        EXPECT_EQ(launch.raised, (std::vector<std::string>{"Manuals A - Model"}));
        EXPECT_TRUE(launch.opened.empty());
    }
    { // So does a window titled with the bare name and blanks around it.
        LaunchRecorder launch;
        launch.name = "manuals a";
        launch.windows = {Window("  Manuals A ")};
        EXPECT_EQ(launch.Run(dir / "coll").action, LaunchAction::Raised);
        EXPECT_TRUE(launch.opened.empty());
    }
    { // No such window: the model file is opened.
        LaunchRecorder launch;
        launch.windows = {Window("Manuals AB")};
        const LaunchResult result = launch.Run(dir / "coll\\");
        EXPECT_EQ(result.action, LaunchAction::Opened);
        EXPECT_EQ(launch.opened, (std::vector<std::string>{model}));
        EXPECT_EQ(result.modelPath, model);
    }
    { // A window that went away before it could come forward: the model is opened.
        LaunchRecorder launch;
        launch.windows = {Window("Manuals A - Model")};
        launch.raiseWorks = false;
        EXPECT_EQ(launch.Run(dir / "coll").action, LaunchAction::Opened);
        EXPECT_EQ(launch.opened.size(), 1u);
    }
    { // The shell fails (32 or less): 1003 with the warning icon.
        for (int answer : {platform::kShellNoAssociation, platform::kShellLastError,
                           platform::kShellOutOfResources}) {
            LaunchRecorder launch;
            launch.openAnswer = answer;
            const LaunchResult result = launch.Run(dir / "coll");
            EXPECT_EQ(result.action, LaunchAction::OpenFailed) << answer;
            ASSERT_TRUE(result.notice);
            EXPECT_EQ(result.notice->number, kMsgCannotExecute);
            EXPECT_EQ(result.notice->text, "Unable to execute model browser.");
            EXPECT_EQ(result.notice->icon, platform::Icon::Exclamation);
            EXPECT_EQ(result.shellResult, answer);
        }
    }
}
