#include "windows/qt/WindowRegistration.h"
#include "DdeTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <atomic>
#include <thread>

using namespace platform;

namespace {

// Runs a blocking registry call on a thread while the Qt event loop serves the window.
bool RunWhileServing(const std::function<bool()>& call)
{
    std::atomic<bool> done{false};
    bool answer = false;
    std::thread worker([&] {
        answer = call();
        done = true;
    });
    for (int i = 0; i < 300 && !done; ++i)
        QTest::qWait(10);
    worker.join();
    return answer;
}

class PaintCounter : public QWidget
{
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

} // namespace

TEST(WindowRegistrationTest, FollowsTheWindowAndBringsItToTheFront)
{
    HangGuard guard;
    ScopedRuntimeDir runtime;
    auto* window = new PaintCounter;
    window->setWindowTitle("Zelio");
    auto registration = std::make_unique<CWindowRegistration>(window, "ZELWIN");
    ASSERT_TRUE(registration->Registered()) << registration->ErrorText().toStdString();
    EXPECT_FALSE(FindWindowByClass("zelwin")->visible);

    window->show();
    window->setWindowTitle("Zelio - Manual");
    auto entry = FindWindowByClass("ZELWIN");
    ASSERT_TRUE(entry);
    EXPECT_TRUE(entry->visible);
    EXPECT_EQ(entry->title, "Zelio - Manual");

    window->showMinimized();
    QTest::qWait(20);
    ASSERT_TRUE(window->isMinimized());
    EXPECT_TRUE(FindWindowByClass("ZELWIN")->minimised);

    std::string error;
    EXPECT_TRUE(RunWhileServing([&] { return BringWindowToFront(*entry, 2000, &error); })) << error;
    EXPECT_FALSE(window->isMinimized());
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(FindWindowByClass("ZELWIN")->minimised);

    QTest::qWait(50);
    const int before = window->paints;
    EXPECT_TRUE(RunWhileServing([&] { return RepaintWindow(*entry, 2000, &error); })) << error;
    QTest::qWait(50);
    EXPECT_GT(window->paints, before);

    registration.reset();
    EXPECT_FALSE(FindWindowByClass("ZELWIN"));
    delete window;
}

TEST(WindowRegistrationTest, WindowDestroyedFirstUnregisters)
{
    ScopedRuntimeDir runtime;
    auto* window = new QWidget;
    CWindowRegistration registration(window, "ModelFrame");
    ASSERT_TRUE(registration.Registered());
    EXPECT_TRUE(FindWindowByClass("modelframe"));
    delete window;
    EXPECT_FALSE(FindWindowByClass("modelframe"));
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
