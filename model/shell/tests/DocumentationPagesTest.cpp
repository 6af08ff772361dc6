// The Connection and Documentation pages of the settings sheet, driven through their widgets.
#include "ShellTestSupport.h"

#include "DocumentationLink.h"
#include "PropPageConnection.h"
#include "PropPageDocumentation.h"
#include "PropSheetSet.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <cstring>
#include <fstream>
#include <iterator>

namespace {

class DocumentationPagesTest : public ShellFixture
{
protected:
    CDocumentationLink& Link() { return app->DocumentationLink(); }

    QStringList Captions(const CPropSheetSet& sheet)
    {
        QStringList captions;
        for (int i = 0; i < sheet.Tabs()->count(); ++i)
            captions << sheet.Tabs()->tabText(i);
        return captions;
    }
};

TEST_F(DocumentationPagesTest, DocumentationPageShowsTheModelsTextsOrUndefined)
{
    ASSERT_TRUE(Start(kSampleModel));
    {
        CPropSheetSet full(app->Shell(), CPropSheetSet::PageDocumentation, false, &Frame());
        ASSERT_EQ(Captions(full).size(), 5);
        EXPECT_EQ(Captions(full).last(), QStringLiteral("Documentation"));
        auto* page = qobject_cast<CPropPageDocumentation*>(full.CurrentPage());
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->CollectionText()->text(),
                  QStringLiteral("Pumping Station Documentation"));
        EXPECT_EQ(page->PublishingEdit()->text(), QStringLiteral("PSD-2024-R3"));
    }

    // The sample model without its documentation texts.
    std::ifstream sample(kSampleModel);
    std::string text((std::istreambuf_iterator<char>(sample)), std::istreambuf_iterator<char>());
    for (const char* line : {"COLLECTION=Pumping Station Documentation\n",
                             "PUBLISHING ID=PSD-2024-R3\n"})
        text.erase(text.find(line), std::strlen(line));
    const std::string bare = WriteModel("bare.mdl", text);
    Stop();
    ASSERT_TRUE(Start(bare));
    CPropSheetSet single(app->Shell(), CPropSheetSet::PageDocumentation, true, &Frame());
    auto* undefined = qobject_cast<CPropPageDocumentation*>(single.PageAt(0));
    ASSERT_NE(undefined, nullptr);
    EXPECT_EQ(undefined->CollectionText()->text(), QStringLiteral("<Undefined>"));
    EXPECT_EQ(undefined->PublishingEdit()->text(), QStringLiteral("<Undefined>"));
}

TEST_F(DocumentationPagesTest, ViewDocumentationNowAndTheFramesCommandBringTheViewerForward)
{
    ASSERT_TRUE(Start(kSampleModel));
    {
        CPropSheetSet sheet(app->Shell(), CPropSheetSet::PageDocumentation, true, &Frame());
        sheet.show();
        auto* page = qobject_cast<CPropPageDocumentation*>(sheet.PageAt(0));
        ASSERT_NE(page, nullptr);
        QTest::mouseClick(page->ViewNowButton(), Qt::LeftButton);
        EXPECT_EQ(viewerSystem.activations, 1);
        sheet.reject();
    }
    // With the model side active, Documentation only finds or starts the viewer.
    ModelSide().setFocus();
    Frame().RouteCommand(ID_DOCUMENTATION);
    EXPECT_EQ(viewerSystem.activations, 2);
    EXPECT_TRUE(viewerSystem.commands.empty());
}

TEST_F(DocumentationPagesTest, ConnectionPageEditsTheLinkOnlyOnOk)
{
    ASSERT_TRUE(Start());
    Link().SetClassName("OTHERWIN");
    Link().SetTimeoutIndex(15);
    Link().SetSleepIndex(0);
    {
        CPropSheetSet sheet(app->Shell(), CPropSheetSet::PageConnection, true, &Frame());
        sheet.show();
        auto* page = qobject_cast<CPropPageConnection*>(sheet.PageAt(0));
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->ClassNameEdit()->text(), QStringLiteral("OTHERWIN"));
        EXPECT_EQ(page->TimeoutList()->currentText(), QStringLiteral("1 minute"));
        EXPECT_EQ(page->SleepList()->currentText(), QStringLiteral("0 seconds"));
        EXPECT_EQ(page->TimeoutList()->count(), 16);
        EXPECT_EQ(page->SleepList()->count(), 17);
        EXPECT_EQ(page->ShowList()->itemText(2), QStringLiteral("Maximized"));

        // Defaults fill the controls, but Cancel keeps the link as it was.
        QTest::mouseClick(page->DefaultsButton(), Qt::LeftButton);
        EXPECT_EQ(page->ClassNameEdit()->text(), QStringLiteral("ZELWIN"));
        EXPECT_EQ(page->TimeoutList()->currentText(), QStringLiteral("5 seconds"));
        EXPECT_EQ(page->SleepList()->currentText(), QStringLiteral("5 seconds"));
        EXPECT_EQ(page->ProgramEdit()->text(), QStringLiteral("ZELIO"));
        EXPECT_EQ(page->TopicEdit()->text(), QStringLiteral("OBU"));
        EXPECT_TRUE(page->ExecutableEdit()->text().endsWith(QStringLiteral("/ZELIO.EXE")));
        sheet.reject();
    }
    EXPECT_EQ(Link().ClassName(), "OTHERWIN");
    EXPECT_EQ(Link().TimeoutIndex(), 15);

    CPropSheetSet sheet(app->Shell(), CPropSheetSet::PageConnection, true, &Frame());
    sheet.show();
    auto* page = qobject_cast<CPropPageConnection*>(sheet.PageAt(0));
    ASSERT_NE(page, nullptr);
    page->TopicEdit()->setText(QStringLiteral("DOCS"));
    page->ShowList()->setCurrentIndex(1);
    page->SleepList()->setCurrentIndex(3);
    sheet.accept();
    EXPECT_EQ(Link().DdeTopic(), "DOCS");
    EXPECT_EQ(Link().ShowMode(), 1);
    EXPECT_EQ(Link().SleepIndex(), 3);
    EXPECT_EQ(Link().ClassName(), "OTHERWIN");
}

TEST_F(DocumentationPagesTest, BrowseSetsTheViewerProgramAtOnce)
{
    ASSERT_TRUE(Start());
    prompter.PushFile("/opt/docs/zelio");
    CPropSheetSet sheet(app->Shell(), CPropSheetSet::PageConnection, true, &Frame());
    sheet.show();
    auto* page = qobject_cast<CPropPageConnection*>(sheet.PageAt(0));
    ASSERT_NE(page, nullptr);
    QTest::mouseClick(page->BrowseButton(), Qt::LeftButton);
    EXPECT_EQ(page->ExecutableEdit()->text(), QStringLiteral("/opt/docs/zelio"));
    EXPECT_EQ(prompter.Events().back().file.title, "Browse Program");
    sheet.reject();
    // The chosen program stays even though the sheet was cancelled.
    EXPECT_EQ(Link().ViewerProgram(), "/opt/docs/zelio");
}

} // namespace
