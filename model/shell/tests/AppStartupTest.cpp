#include "ShellTestSupport.h"

#include "HelpWindow.h"
#include "ListPropertyView.h"
#include "MainStatusBar.h"

#include <QAction>
#include <QSplitter>
#include <QTextBrowser>

namespace {

using StartupTest = ShellFixture;

TEST_F(StartupTest, EmptyStoreGivesEveryDefaultAndAnEmptyLayout)
{
    ASSERT_TRUE(Start());
    const CSwitches& s = app->Context().switches;
    EXPECT_EQ(s.useWindowInfo, 1);
    EXPECT_EQ(s.showTracks, 1);
    EXPECT_EQ(s.showTooltips, 1);
    EXPECT_EQ(s.showTooltipDetails, 0);
    EXPECT_EQ(s.loadRelationsOnStartup, 0);
    EXPECT_EQ(s.helpEngine, 0);
    EXPECT_EQ(s.doNotShowRestoreTypeDialog, 1);
    EXPECT_TRUE(prompter.MessageNumbers().empty());
    EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Untitled - Model"));
    EXPECT_EQ(ModelSide().TabCount(), 0);
    EXPECT_EQ(Frame().CurrentPaneMode(), 0);
    // No model: the pane modes and Save Settings Now are off, nothing is checked.
    for (int id : {ID_VIEW_BOTH_PANES, ID_VIEW_MODEL_ONLY, ID_VIEW_INFORMATION_ONLY}) {
        EXPECT_FALSE(Enabled(id)) << id;
        EXPECT_FALSE(Checked(id)) << id;
        EXPECT_FALSE(Frame().Action(id)->isEnabled()) << id;
    }
    EXPECT_FALSE(Enabled(ID_SAVE_SETTINGS_NOW));
    EXPECT_TRUE(Enabled(ID_FILE_OPEN));
    EXPECT_TRUE(Enabled(ID_DIAGNOSTICS));
    // The information side is held collapsed.
    EXPECT_EQ(Frame().Splitter()->sizes().value(1), 0);
}

TEST_F(StartupTest, SampleOpensWithATabPerPageAndTheModelLayout)
{
    ASSERT_TRUE(Start(kSampleModel));
    EXPECT_TRUE(prompter.MessageNumbers().empty());
    EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Pumping Station Documentation - Model"));
    ASSERT_EQ(ModelSide().TabCount(), 4);
    const QStringList names = {"Station", "Pumps", "Drives", "Controls"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(ModelSide().TabControl()->tabText(i), names[i]);
        ASSERT_NE(PageView(i), nullptr);
        EXPECT_EQ(PageView(i)->PageIndex(), i);
    }
    EXPECT_EQ(ModelSide().CurrentTab(), 0);
    EXPECT_EQ(ModelSide().Caption(), QStringLiteral("Model"));
    EXPECT_EQ(Frame().InformationSide()->Caption(), QStringLiteral("Information"));
    EXPECT_EQ(Frame().CurrentPaneMode(), PaneModeBoth);
    EXPECT_TRUE(Checked(ID_VIEW_BOTH_PANES));
    EXPECT_TRUE(Enabled(ID_VIEW_MODEL_ONLY));
    EXPECT_TRUE(Enabled(ID_SAVE_SETTINGS_NOW));
    EXPECT_GT(Frame().Splitter()->sizes().value(1), 0);
    EXPECT_EQ(app->RecentFiles().value(0).toStdString(), kSampleModel);
}

TEST_F(StartupTest, BrokenModelOnTheCommandLineEndsStartUpWithItsMessagesInOrder)
{
    const std::string model =
        WriteModel("broken.mdl", "[MODEL]\nPAGES=Main\n[Main]\nSIZE=10,10\nELEMENT SIZE=2,2\n"
                                 "E2=1,1,A,0,a.ins,q,s,Id\n");
    EXPECT_FALSE(Start(model));
    EXPECT_EQ(prompter.MessageNumbers(), (std::vector<int>{5016, 5017}));
    EXPECT_EQ(app->Document().PageCount(), 0);
    EXPECT_EQ(ModelSide().TabCount(), 0);
    EXPECT_EQ(Frame().CurrentPaneMode(), 0);
}

TEST_F(StartupTest, FailedOpenAfterAModelLeavesTheEmptyLayout)
{
    ASSERT_TRUE(Start(kSampleModel));
    const std::string model = WriteModel(
        "nosize.mdl", "[MODEL]\nPAGES=Main\n[Main]\nELEMENT SIZE=2,2\nE1=1,1,A,0,a.ins,q,s,Id\n");
    EXPECT_FALSE(app->OpenDocumentFile(model));
    EXPECT_EQ(prompter.MessageNumbers(), (std::vector<int>{5002, 5017}));
    EXPECT_EQ(ModelSide().TabCount(), 0);
    EXPECT_EQ(Frame().CurrentPaneMode(), 0);
    EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Untitled - Model"));
    EXPECT_FALSE(Enabled(ID_VIEW_MODEL_ONLY));

    // A file that cannot be read at all keeps the open model, tabs and all.
    ASSERT_TRUE(app->OpenDocumentFile(kSampleModel));
    prompter.Clear();
    EXPECT_FALSE(app->OpenDocumentFile((dir / "missing.mdl")));
    EXPECT_EQ(prompter.MessageNumbers(), std::vector<int>{0});
    EXPECT_EQ(ModelSide().TabCount(), 4);
    EXPECT_EQ(Frame().CurrentPaneMode(), PaneModeBoth);
}

TEST_F(StartupTest, CollectionCommandLineOpensItsModelWithoutLoadingRelations)
{
    WriteSettings("[SETTINGS]\nLOAD RELATIONS ON STARTUP=1\n[COLLECTION]\nPumping=" + kSampleModel +
                  "\n");
    ASSERT_TRUE(Start("collection = Pumping"));
    EXPECT_EQ(app->Document().PathName(), kSampleModel);
    EXPECT_EQ(app->Context().switches.loadRelationsOnStartup, 0);
    for (const auto& page : app->Document().Pages()) {
        for (const auto& link : page->links)
            EXPECT_EQ(link->maps[0].KeyCount(), 0) << "relations were read at start-up";
    }
    Stop();
    EXPECT_EQ(Saved()->ReadInt("SETTINGS", "LOAD RELATIONS ON STARTUP", -1), 0);
}

TEST_F(StartupTest, UnknownCollectionIsTakenAsAFileNameAndFails)
{
    EXPECT_FALSE(Start("COLLECTION=Nowhere"));
    EXPECT_EQ(prompter.MessageNumbers(), std::vector<int>{0});
    EXPECT_NE(prompter.MessageTexts().at(0).find("COLLECTION=Nowhere"), std::string::npos);
}

TEST_F(StartupTest, SwitchesRecentFilesAndFontAreWrittenAtExitAndReadBack)
{
    WriteSettings("[SETTINGS]\nSHOW TOOLTIP DETAILS=1\nAUTO SORT=1\n");
    ASSERT_TRUE(Start(kSampleModel));
    CFontRecord font = app->Document().Font();
    font.height = 12;
    font.weight = 400;
    app->Document().SetFont(font);
    Stop();

    auto saved = Saved();
    EXPECT_EQ(saved->ReadInt("SETTINGS", "SHOW TOOLTIP DETAILS", -1), 1);
    EXPECT_EQ(saved->ReadInt("SETTINGS", "AUTO SORT", -1), 1);
    EXPECT_EQ(saved->ReadInt("SETTINGS", "SHOW DEBUG TAB", -1), 0);
    EXPECT_EQ(saved->ReadString("Recent File List", "File1", ""), kSampleModel);
    EXPECT_EQ(saved->ReadString("DOCUMENTATION", "DDE TOPIC", ""), "OBU");
    EXPECT_EQ(saved->ReadString("FONTS", "PUMPING STATION DOCUMENTATION", ""),
              "12,0,0,0,400,0,0,0,0,0,0,0,0,Ms Sans Serif");

    ASSERT_TRUE(Start(kSampleModel));
    EXPECT_EQ(app->Document().Font().height, 12);
    EXPECT_EQ(app->Document().Font().weight, 400);
    EXPECT_EQ(app->Context().switches.showTooltipDetails, 1);
}

TEST_F(StartupTest, UnreadableSettingsFileIsReportedAndNeverOverwritten)
{
    // A folder where the file should be cannot be read as a file.
    std::filesystem::create_directory(SettingsPath());
    ASSERT_TRUE(Start());
    ASSERT_EQ(prompter.MessageNumbers(), std::vector<int>{0});
    EXPECT_NE(prompter.MessageTexts()[0].find("cannot be read"), std::string::npos);
    EXPECT_EQ(app->Context().switches.useWindowInfo, 1);
    Stop();
    EXPECT_TRUE(std::filesystem::is_directory(SettingsPath()));
}

TEST_F(StartupTest, HelpGoesToTheManualOrToTheViewerWithTheDialogsTopic)
{
    ASSERT_TRUE(Start());
    app->WinHelp(215);
    EXPECT_EQ(app->LastHelpRequest(), QStringLiteral("viewer:Model"));
    app->WinHelp(0x20000 | 229);
    EXPECT_EQ(app->LastHelpRequest(), QStringLiteral("viewer:Connection"));
    app->WinHelp(12345);
    EXPECT_EQ(app->LastHelpRequest(), QStringLiteral("viewer:"));
    // Whatever the topic, the viewer is asked for the model browser's help.
    EXPECT_EQ(viewerSystem.commands,
              std::vector<std::string>(3, "ZELIO|OBU|help=Model"));
    app->Context().switches.helpEngine = 1;
    app->WinHelp(215);
    EXPECT_TRUE(app->LastHelpRequest().endsWith(QStringLiteral("index.html")))
        << app->LastHelpRequest().toStdString();
}

TEST_F(StartupTest, WithoutADesktopHandlerTheManualShowsInTheProgramsOwnWindow)
{
    ASSERT_TRUE(Start(kSampleModel));
    app->Context().switches.helpEngine = 1;
    Frame().RouteCommand(ID_HELP_CONTENTS);
    ASSERT_EQ(desktopUrls.size(), 1);
    EXPECT_TRUE(desktopUrls[0].toLocalFile().endsWith(QStringLiteral("index.html")));
    CHelpWindow* help = app->HelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->Source(), desktopUrls[0]);
    EXPECT_TRUE(prompter.MessageNumbers().empty());
    QTextBrowser* browser = help->Browser();
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Keyboard shortcuts")));
    // Its pictures load and its links lead somewhere.
    const QVariant picture =
        browser->loadResource(QTextDocument::ImageResource, QUrl("pictures/information.png"));
    EXPECT_TRUE(picture.toByteArray().startsWith("\x89PNG"));
    browser->setSource(QUrl(QStringLiteral("#keys")));
    EXPECT_TRUE(browser->isBackwardAvailable());
    Stop();
}

TEST_F(StartupTest, HelpThatTheDesktopOpensOrThatIsMissingNeverFailsSilently)
{
    desktopOpens = true;
    ASSERT_TRUE(Start());
    app->Context().switches.helpEngine = 1;
    Frame().RouteCommand(ID_HELP_CONTENTS);
    EXPECT_EQ(desktopUrls.size(), 1);
    EXPECT_EQ(app->HelpWindow(), nullptr);
    Stop();

    manualPath = QString::fromStdString(dir / "missing/index.html");
    prompter.Clear();
    ASSERT_TRUE(Start());
    app->Context().switches.helpEngine = 1;
    Frame().RouteCommand(ID_HELP_CONTENTS);
    EXPECT_EQ(desktopUrls.size(), 1); // the desktop was not asked
    ASSERT_EQ(prompter.MessageTexts().size(), 1u);
    EXPECT_NE(prompter.MessageTexts()[0].find("not installed"), std::string::npos);
    EXPECT_EQ(prompter.Events().back().icon, platform::Icon::Exclamation);
}

TEST_F(StartupTest, SaveSettingsNowWritesEverythingAtOnce)
{
    ASSERT_TRUE(Start(kSampleModel));
    app->Colors().Set("TEXT JUMP", 16711680);
    ASSERT_TRUE(Enabled(ID_SAVE_SETTINGS_NOW));
    Frame().RouteCommand(ID_SAVE_SETTINGS_NOW);
    auto saved = Saved();
    EXPECT_EQ(saved->ReadString("COLOR", "TEXT JUMP", ""), "16711680");
    EXPECT_EQ(saved->ReadInt("PLACE", "MODE", -1), 0);
    EXPECT_FALSE(saved->ReadString("PLACE", "SPLITTERS", "").empty());

    app->Context().switches.useWindowInfo = 0;
    Frame().UpdateAllActions();
    EXPECT_FALSE(Enabled(ID_SAVE_SETTINGS_NOW));
}

TEST_F(StartupTest, ColoursAreStoredOnlyWhileTheyDifferFromTheirDefault)
{
    ASSERT_TRUE(Start());
    Stop();
    EXPECT_EQ(Saved()->ReadString("COLOR", "TEXT JUMP", "absent"), "absent");

    ASSERT_TRUE(Start());
    EXPECT_EQ(app->Colors().Color("TEXT JUMP"), 255u);
    app->Colors().Set(app->Colors().KeyOfDisplayName("jump text"), 16711680);
    Stop();
    EXPECT_EQ(Saved()->ReadString("COLOR", "TEXT JUMP", ""), "16711680");

    ASSERT_TRUE(Start());
    EXPECT_EQ(app->Colors().Color("TEXT JUMP"), 16711680u);
    app->Colors().Set("TEXT JUMP", 255);
    Stop();
    EXPECT_EQ(Saved()->ReadString("COLOR", "TEXT JUMP", "absent"), "absent");
}

} // namespace
