#include "prompter/ScriptedPrompter.h"
#include "prompter/StreamPrompter.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace platform;
using Kind = ScriptedPrompter::Event::Kind;

namespace {

TEST(Prompter, BeepForIcon)
{
    const std::pair<Icon, BeepType> cases[] = {
        {Icon::Information, BeepType::Information},
        {Icon::Exclamation, BeepType::Exclamation},
        {Icon::Question, BeepType::Question},
        {Icon::Stop, BeepType::Stop},
        {Icon::None, BeepType::Simple},
    };
    for (const auto& [icon, beep] : cases)
        EXPECT_EQ(BeepForIcon(icon), beep);
}

TEST(Prompter, ReportBeepsThenShows)
{
    ScriptedPrompter p;
    p.PushAnswer(Answer::Yes);
    EXPECT_EQ(Report(p, 5012, "Save?", Icon::Question, Buttons::YesNo), Answer::Yes);
    ASSERT_EQ(p.Events().size(), 2u);
    EXPECT_EQ(p.Events()[0].kind, Kind::Beep);
    EXPECT_EQ(p.Events()[0].beep, BeepType::Question);
    const auto& m = p.Events()[1];
    EXPECT_EQ(m.kind, Kind::Message);
    EXPECT_EQ(m.number, 5012);
    EXPECT_EQ(m.text, "Save?");
    EXPECT_EQ(m.icon, Icon::Question);
    EXPECT_EQ(m.buttons, Buttons::YesNo);
}

TEST(ScriptedPrompter, AnswersInScriptOrderThenDefaults)
{
    ScriptedPrompter p;
    p.PushAnswer(Answer::No);
    p.PushAnswer(Answer::Cancel);
    EXPECT_EQ(p.ShowMessage(1, "a", Icon::Question, Buttons::YesNo), Answer::No);
    EXPECT_EQ(p.ShowMessage(2, "b", Icon::Question, Buttons::YesNoCancel), Answer::Cancel);
    // Script used up.
    const std::pair<Buttons, Answer> noDefault[] = {{Buttons::Ok, Answer::Ok},
                                                    {Buttons::OkCancel, Answer::Cancel},
                                                    {Buttons::YesNo, Answer::No},
                                                    {Buttons::YesNoCancel, Answer::No}};
    for (const auto& [buttons, answer] : noDefault)
        EXPECT_EQ(p.ShowMessage(3, "c", Icon::None, buttons), answer);
    p.SetDefaultAnswer(Answer::Yes);
    const std::pair<Buttons, Answer> yesDefault[] = {{Buttons::Ok, Answer::Ok},
                                                     {Buttons::OkCancel, Answer::Ok},
                                                     {Buttons::YesNo, Answer::Yes},
                                                     {Buttons::YesNoCancel, Answer::Yes}};
    for (const auto& [buttons, answer] : yesDefault)
        EXPECT_EQ(p.ShowMessage(4, "d", Icon::None, buttons), answer);
    EXPECT_EQ(p.MessageNumbers(), (std::vector<int>{1, 2, 3, 3, 3, 3, 4, 4, 4, 4}));
}

TEST(ScriptedPrompter, RecordsFilesBeepsAndWaitCursor)
{
    ScriptedPrompter p;
    p.PushFile(std::string("/tmp/out.txt"));
    p.PushFile(std::nullopt);
    FileDialogSpec spec;
    spec.mode = FileDialogSpec::Mode::Save;
    spec.defaultName = "MODDUMP";
    p.SetWaitCursor(true);
    EXPECT_EQ(p.ChooseFile(spec), std::optional<std::string>("/tmp/out.txt"));
    EXPECT_EQ(p.ChooseFile(spec), std::nullopt);
    EXPECT_EQ(p.ChooseFile(spec), std::nullopt); // script used up: cancel
    p.MessageBeep(BeepType::Stop);
    p.ShowMessage(0, "plain", Icon::None, Buttons::Ok);
    p.SetWaitCursor(false);

    const std::vector<Kind> kinds = {Kind::WaitCursor, Kind::File,    Kind::File,      Kind::File,
                                     Kind::Beep,       Kind::Message, Kind::WaitCursor};
    ASSERT_EQ(p.Events().size(), kinds.size());
    for (std::size_t i = 0; i < kinds.size(); ++i)
        EXPECT_EQ(p.Events()[i].kind, kinds[i]) << i;
    EXPECT_TRUE(p.Events()[0].waitOn);
    EXPECT_EQ(p.Events()[1].file.defaultName, "MODDUMP");
    EXPECT_EQ(p.Events()[1].file.mode, FileDialogSpec::Mode::Save);
    EXPECT_EQ(p.Events()[4].beep, BeepType::Stop);
    EXPECT_FALSE(p.Events()[6].waitOn);
    EXPECT_EQ(p.MessageTexts(), std::vector<std::string>{"plain"});
    p.Clear();
    EXPECT_TRUE(p.Events().empty());
}

TEST(ScriptedPrompter, TellsTheFilterChosenOnlyWhenAskedAndNotOnCancel)
{
    ScriptedPrompter p;
    p.PushFile(std::string("/tmp/a.pdf"), 1);
    p.PushFile(std::string("/tmp/b"));
    p.PushFile(std::nullopt, 1);
    p.PushFile(std::string("/tmp/c"), 1);
    int chosen = 7;
    FileDialogSpec spec;
    spec.selectedFilter = &chosen;
    EXPECT_TRUE(p.ChooseFile(spec));
    EXPECT_EQ(chosen, 1);
    EXPECT_TRUE(p.ChooseFile(spec));
    EXPECT_EQ(chosen, -1); // the script did not say
    chosen = 7;
    EXPECT_FALSE(p.ChooseFile(spec));
    EXPECT_EQ(chosen, 7);
    EXPECT_TRUE(p.ChooseFile(FileDialogSpec())); // nobody asks: nothing written
}

std::string Captured(std::FILE* f)
{
    std::fflush(f);
    std::rewind(f);
    std::string text;
    char buf[256];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, f))
        text.append(buf, n);
    return text;
}

TEST(StreamPrompter, PrintsNumberedMessagesAndAnswers)
{
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    StreamPrompter p(f, Answer::Yes);
    EXPECT_EQ(p.ShowMessage(5001, "File not found", Icon::Exclamation, Buttons::Ok), Answer::Ok);
    EXPECT_EQ(p.ShowMessage(42, "short", Icon::None, Buttons::OkCancel), Answer::Ok);
    EXPECT_EQ(p.ShowMessage(0, "no number", Icon::None, Buttons::YesNo), Answer::Yes);
    EXPECT_EQ(p.ShowMessage(123456, "long", Icon::Question, Buttons::YesNoCancel), Answer::Yes);
    EXPECT_EQ(p.ChooseFile(FileDialogSpec()), std::nullopt);
    EXPECT_EQ(Captured(f), "5001: File not found\n0042: short\nno number\n123456: long\n");
    std::fclose(f);

    StreamPrompter cancelling(nullptr, Answer::Cancel);
    EXPECT_EQ(cancelling.ShowMessage(1, "q", Icon::Question, Buttons::YesNoCancel), Answer::Cancel);
    EXPECT_EQ(cancelling.ShowMessage(1, "q", Icon::Question, Buttons::YesNo), Answer::No);
}

} // namespace
