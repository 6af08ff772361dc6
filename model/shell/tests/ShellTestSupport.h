#pragma once

// Shared fixture of the browser's widget tests: a settings file in a temporary folder, a
// scripted prompter and the application started on it, headless.

#include "MainFrame.h"
#include "ModelApp.h"
#include "ModelDoc.h"
#include "ModelPropertyView.h"
#include "ModelView.h"
#include "TempDir.h"
#include "prompter/ScriptedPrompter.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include <QTimer>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

inline const std::string kSampleModel = std::string(MB_EXAMPLES_DIR) + "/sample.mdl";

// Records every hint the document passes on.
class RecordingView : public IModelView
{
public:
    struct Seen
    {
        int kind, code;
        const void* data; // whichever payload the hint carries, or nullptr
    };
    void OnUpdate(IModelView* /*sender*/, CUpdateHint& hint) override
    {
        const void* data = hint.Element();
        if (!data)
            data = hint.Counter();
        if (!data)
            data = hint.Source();
        if (!data)
            data = hint.Action();
        seen.push_back({hint.kind, hint.code, data});
    }
    std::vector<Seen> seen;
};

// Once a modal dialog of class T is up (a QTimer polls for it), hands it to work; the caller
// then starts what opens it. work must close the dialog.
template <class T> void WhenModal(std::function<void(T&)> work)
{
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [poll, work] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            work(*dialog);
            *poll = nullptr; // breaks the cycle
            return;
        }
        QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(0, *poll);
}

// The documentation link's system for tests that do not test the documentation chain: a
// viewer window is always found and every command is carried out, so that no test starts a
// documentation browser by accident. The commands are recorded.
class RecordingViewerSystem : public IViewerSystem
{
public:
    std::uint64_t ActivateWindowOfClass(const std::string&) override
    {
        ++activations;
        return 1;
    }
    bool StartProgram(const std::string&, int) override { return false; }
    void WaitForViewer(int, const std::string&) override {}
    Outcome Execute(const std::string& service, const std::string& topic,
                    const std::string& command, int) override
    {
        commands.push_back(service + "|" + topic + "|" + command);
        return Outcome::Processed;
    }
    std::vector<std::string> commands;
    int activations = 0; // viewer windows found and brought forward
};

class ShellFixture : public ::testing::Test
{
protected:
    std::string SettingsPath() const { return dir / "Model.ini"; }

    // Starts the program on the command line; false when start-up failed.
    bool Start(const std::string& commandLine = std::string())
    {
        CModelApp::Options options;
        options.settingsPath = SettingsPath();
        options.prompter = &prompter;
        options.splash = false;
        // The desktop is asked nothing: the tests say what it answers.
        options.openOnDesktop = [this](const QUrl& url) {
            desktopUrls << url;
            return desktopOpens;
        };
        options.manualPath = manualPath;
        if (!realViewer)
            options.viewerSystem = &viewerSystem;
        app = std::make_unique<CModelApp>(options);
        const bool started = app->InitInstance(commandLine);
        if (started) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(app->Frame()));
        }
        return started;
    }
    // Closes the frame and ends the program as a user would, saving everything.
    void Stop()
    {
        if (!app)
            return;
        app->Frame()->close();
        app->ExitInstance();
        app.reset();
    }
    // A fresh read of the settings file.
    std::unique_ptr<platform::IniSettingsStore> Saved() const
    {
        auto store = std::make_unique<platform::IniSettingsStore>(SettingsPath());
        store->Load();
        return store;
    }
    void WriteSettings(const std::string& text) const { std::ofstream(SettingsPath()) << text; }
    std::string WriteModel(const std::string& name, const std::string& text) const
    {
        const std::string path = dir / name;
        std::ofstream(path) << text;
        return path;
    }

    CMainFrame& Frame() { return *app->Frame(); }
    CModelPropertyView& ModelSide() { return *Frame().ModelSide(); }
    CModelView* PageView(int index) { return qobject_cast<CModelView*>(ModelSide().ViewAt(index)); }
    // The centre of an element in its view's viewport (the view scrolled to the top-left).
    QPoint CentreOf(CModelView* view, const CElement* element)
    {
        const CRectPx r = ElementRect(*view->Page(), *element, view->Cells());
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2) -
               QPoint(view->horizontalScrollBar()->value(), view->verticalScrollBar()->value());
    }
    // The centre of a relation counter in its view's viewport; its rectangle is set when the
    // page is painted with the counter counted.
    QPoint CentreOf(CModelView* view, const CRelationCounter* counter)
    {
        const CRectPx& r = counter->rect;
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2) -
               QPoint(view->horizontalScrollBar()->value(), view->verticalScrollBar()->value());
    }
    CElement* Element(int page, const std::string& name)
    {
        for (const auto& e : app->Document().PageAt(page)->elements) {
            if (e->name == name)
                return e.get();
        }
        return nullptr;
    }
    bool Enabled(int id) { return Frame().CommandState(id).enabled; }
    bool Checked(int id) { return Frame().CommandState(id).checked; }

    void TearDown() override { Stop(); }

    TempDir dir;
    platform::ScriptedPrompter prompter;
    RecordingViewerSystem viewerSystem;
    bool realViewer = false; // the platform's windows, DDE and programs instead
    std::unique_ptr<CModelApp> app;
    bool desktopOpens = false; // whether the desktop can open what the program hands it
    QList<QUrl> desktopUrls;   // what the program asked the desktop to open
    QString manualPath;        // the manual the program is started with (empty: installed)
};
