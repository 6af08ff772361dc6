// The "Add User Document" dialog with real widgets: the order of the checks, a missing box
// keeping the dialog open, "&Browse" through the prompter, the limits, OK and Cancel.

#include "AddUserDocDialog.h"

#include "CaptionPrompter.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace obuudoc;

namespace {

struct CDialogFixture
{
    CCaptionPrompter prompter;
    std::vector<UserDocumentInput> added;
    CAddUserDocDialog dialog{nullptr, prompter,
                             [this](const UserDocumentInput& input) { added.push_back(input); }};
    CDialogFixture() { dialog.show(); }
};

} // namespace

TEST(AddUserDocDialog, ChecksTitleDescriptionLocationInOrderAndStaysOpen)
{
    CDialogFixture f;
    f.dialog.OkButton()->click();
    f.dialog.TitleEdit()->setText("Data sheet");
    f.dialog.OkButton()->click();
    f.dialog.DescriptionEdit()->setPlainText("Pump data");
    f.dialog.OkButton()->click();
    EXPECT_EQ(f.prompter.MessageTexts(),
              (std::vector<std::string>{"'Title' must be given.", "'Description' must be given.",
                                        "'Location' must be given."}));
    EXPECT_EQ(f.prompter.m_captions, std::vector<std::string>(3, "OBU NOTICE"));
    ASSERT_EQ(f.prompter.Events().size(), 6u);
    EXPECT_EQ(f.prompter.Events()[0].beep, platform::BeepType::Information);
    EXPECT_EQ(f.prompter.Events()[1].icon, platform::Icon::Information);
    EXPECT_TRUE(f.dialog.isVisible());
    EXPECT_TRUE(f.added.empty());

    // An empty description with the title given names the description.
    f.prompter.Clear();
    f.dialog.DescriptionEdit()->clear();
    f.dialog.LocationEdit()->setText("/srv/p101.pdf");
    f.dialog.OkButton()->click();
    EXPECT_EQ(f.prompter.MessageTexts(), std::vector<std::string>{"'Description' must be given."});
    EXPECT_TRUE(f.dialog.isVisible());
}

TEST(AddUserDocDialog, BrowseFillsTheLocationAndOkAdds)
{
    CDialogFixture f;
    f.prompter.PushFile(std::nullopt);
    f.prompter.PushFile("/srv/docs/p101 sheet.pdf");
    f.dialog.LocationEdit()->setText("typed");
    f.dialog.BrowseButton()->click(); // cancelled: the box keeps its text
    EXPECT_EQ(f.dialog.LocationEdit()->text(), "typed");
    f.dialog.BrowseButton()->click();
    EXPECT_EQ(f.dialog.LocationEdit()->text(), "/srv/docs/p101 sheet.pdf");
    const auto& chooser = f.prompter.Events().back();
    ASSERT_EQ(chooser.kind, platform::ScriptedPrompter::Event::Kind::File);
    EXPECT_EQ(chooser.file.title, "Add Document");
    EXPECT_EQ(chooser.file.filter, "All Files (*)|*||");
    EXPECT_TRUE(chooser.file.fileMustExist);
    EXPECT_EQ(chooser.file.mode, platform::FileDialogSpec::Mode::Open);

    f.dialog.TitleEdit()->setText("Data sheet");
    f.dialog.DescriptionEdit()->setPlainText("Pump data\nline 2");
    f.dialog.OkButton()->click();
    ASSERT_EQ(f.added.size(), 1u);
    EXPECT_EQ(f.added[0].title, "Data sheet");
    EXPECT_EQ(f.added[0].description, "Pump data\nline 2");
    EXPECT_EQ(f.added[0].location, "/srv/docs/p101 sheet.pdf");
    EXPECT_FALSE(f.dialog.isVisible());
    EXPECT_EQ(f.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(DialogBuffers().title, "Data sheet");

    // The buffers keep the texts; a new dialog's boxes start empty.
    CDialogFixture next;
    EXPECT_TRUE(next.dialog.TitleEdit()->text().isEmpty());
    EXPECT_TRUE(next.dialog.DescriptionEdit()->toPlainText().isEmpty());
    EXPECT_TRUE(next.dialog.LocationEdit()->text().isEmpty());
    EXPECT_EQ(DialogBuffers().location, "/srv/docs/p101 sheet.pdf");
}

TEST(AddUserDocDialog, LimitsAndCancel)
{
    CDialogFixture f;
    EXPECT_EQ(f.dialog.TitleEdit()->maxLength(), 260);
    EXPECT_EQ(f.dialog.LocationEdit()->maxLength(), 260);
    f.dialog.DescriptionEdit()->setPlainText(QString(10005, QChar('d')));
    EXPECT_EQ(f.dialog.DescriptionEdit()->toPlainText().size(), 10000);
    f.dialog.TitleEdit()->setText("T");
    f.dialog.LocationEdit()->setText("L");
    f.dialog.CancelButton()->click();
    EXPECT_FALSE(f.dialog.isVisible());
    EXPECT_EQ(f.dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(f.added.empty());
    EXPECT_TRUE(f.prompter.Events().empty());
}
