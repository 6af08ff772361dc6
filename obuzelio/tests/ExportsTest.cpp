// libobuzelio through its exports, as the model browser calls it, against the real browser
// library and crafted collections. The library's state is process-wide, so the sequence runs
// in one test.

#include "obuzelio.h"

#include "CraftedDocs.h"
#include "prompter/ScriptedPrompter.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>

namespace {

std::string ColString(CCollectionResult* collection, int kind)
{
    char buffer[300] = "";
    EXPECT_TRUE(GetColString(collection, kind, buffer, 299));
    return buffer;
}

std::string BookString(CBookResult* book, int kind)
{
    char buffer[300] = "";
    EXPECT_TRUE(GetBookString(book, kind, buffer, 299));
    return buffer;
}

} // namespace

TEST(ObuzelioExports, TheModelBrowsersSequence)
{
    CCraftedDocs docs;
    platform::ScriptedPrompter prompter;
    ObuzelioSetPrompter(&prompter);

    EXPECT_FALSE(IsContextDefined());
    ASSERT_TRUE(CreateContextServer("CORVELLE.INI", "ZELIO"));
    EXPECT_TRUE(IsContextDefined());
    // A second call reads nothing: the first file and section stay in use.
    EXPECT_TRUE(CreateContextServer("nowhere.ini", "other"));

    CQuery* query = CreateQuery();
    ASSERT_NE(query, nullptr);
    EXPECT_EQ(QuerySingleCol(query, "PLANT MANUALS", "impeller", 0), 3);
    EXPECT_EQ(GetColCount(query), 1);
    CCollectionResult* collection = GetCol(query, 0);
    ASSERT_NE(collection, nullptr);
    EXPECT_EQ(FindCol(query, "manuals"), collection);
    EXPECT_EQ(GetCol(query, 1), nullptr);
    EXPECT_EQ(ColString(collection, 1), "manuals");
    EXPECT_EQ(ColString(collection, 2), "Plant Manuals");
    EXPECT_EQ(ColString(collection, 9), "");
    EXPECT_EQ(GetColHits(collection), 4);
    ASSERT_EQ(GetBookCount(collection), 3);
    EXPECT_EQ(BookString(GetBook(collection, 1), 3), "p101");
    EXPECT_EQ(BookString(GetBook(collection, 1), 4), "Pump P-101");
    EXPECT_EQ(GetBookHits(GetBook(collection, 0)), 0);
    EXPECT_EQ(GetBook(collection, 3), nullptr);
    // The wait cursor went on and off through the installed prompter.
    ASSERT_EQ(prompter.Events().size(), 2u);
    EXPECT_EQ(prompter.Events()[0].kind, platform::ScriptedPrompter::Event::Kind::WaitCursor);

    // The user picks the first book listed (p101, book result 1).
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        for (QPushButton* button : dialog->findChildren<QPushButton*>())
            if (button->text() == "OK")
                button->click();
    });
    EXPECT_EQ(RealizeQuery2DLg(query, 0), 1);

    // No hits anywhere: QuerySingleCol counts the books all the same, the dialog shows
    // message 1500 instead.
    prompter.Clear();
    EXPECT_EQ(QuerySingleCol(query, "manuals", "turbine", 0), 3);
    EXPECT_EQ(RealizeQuery2DLg(query, 0), -1);
    EXPECT_EQ(prompter.MessageNumbers(), std::vector<int>{1500});
    EXPECT_EQ(QuerySingleCol(query, "nowhere", "impeller", 0), -1);
    EXPECT_EQ(GetColCount(query), 0);
    EXPECT_EQ(RealizeQuery2DLg(query, 1), -1);
    DestroyQuery(query);
    DestroyQuery(nullptr);

    // The collection table: the directory is copied before the alias is found too long.
    char directory[16];
    char alias[16];
    std::memset(alias, 'x', sizeof alias);
    EXPECT_FALSE(FindColNameAndAlias("plant manuals", directory, 7, alias, 5));
    EXPECT_STREQ(directory, "manuals");
    EXPECT_EQ(alias[0], 'x');
    EXPECT_TRUE(FindColNameAndAlias("EMPTY", directory, 15, alias, 11));
    EXPECT_STREQ(directory, "empty");
    EXPECT_STREQ(alias, "Empty Shelf");
    // The section of the first CreateContextServer is the one read.
    EXPECT_FALSE(FindColNameAndAlias("Other Name", directory, 15, alias, 15));

    DestroyContextServer();
    EXPECT_TRUE(IsContextDefined());
    ObuzelioSetPrompter(nullptr);
}

TEST(ObuzelioExports, OnlyTheExportsAreVisible)
{
    void* self = dlopen(OBUZELIO_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(self, nullptr);
    for (const char* name : {"CreateContextServer", "RealizeQuery2DLg", "FindColNameAndAlias",
                             "DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer"})
        EXPECT_NE(dlsym(self, name), nullptr) << name;
    EXPECT_EQ(dlsym(self, "_ZN13CQueryLibrary8InstanceEv"), nullptr);
    EXPECT_EQ(dlsym(self, "_Z20ParseCollectionTableSt17basic_string_viewIcSt11char_traitsIcEE"),
              nullptr);
    dlclose(self);

    void* object = &object;
    EXPECT_EQ(DllGetClassObject(nullptr, nullptr, &object), static_cast<int32_t>(0x80040111u));
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(DllCanUnloadNow(), 1);
    EXPECT_EQ(DllRegisterServer(), 0);
}
