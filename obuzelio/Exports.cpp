// The C exports of libobuzelio: thin wrappers over the query library's core and the result
// dialog. No exception leaves an export: failures become the export's failure answer.

#include "obuzelio.h"

#include "QueryLibrary.h"
#include "QueryResultDialog.h"
#include "widgets/WidgetPrompter.h"

#include <QApplication>

#include <memory>

namespace {

platform::IPrompter* g_installed = nullptr;

platform::IPrompter& Prompter()
{
    if (g_installed)
        return *g_installed;
    static platform::CWidgetPrompter widgets;
    return widgets;
}

template <typename Call, typename Result> Result Guarded(Call call, Result failure)
{
    try {
        return call();
    } catch (...) {
        return failure;
    }
}

CQueryLibrary& Library()
{
    return CQueryLibrary::Instance();
}

constexpr int32_t ClassNotAvailable = static_cast<int32_t>(0x80040111u);

} // namespace

void ObuzelioSetPrompter(platform::IPrompter* prompter)
{
    g_installed = prompter;
}

extern "C" {

int CreateContextServer(const char* configFile, const char* section)
{
    return Guarded([&] { return Library().CreateContextServer(configFile, section) ? 1 : 0; }, 0);
}

void DestroyContextServer(void)
{
    Guarded(
        [] {
            Library().DestroyContextServer();
            return 0;
        },
        0);
}

int IsContextDefined(void)
{
    return Library().IsContextDefined() ? 1 : 0;
}

int SetContext(CQuery* /*query*/, uintptr_t context)
{
    Library().SetContext(context);
    return 1;
}

CQuery* CreateQuery(void)
{
    return Guarded([] { return Library().CreateQuery(); }, static_cast<CQuery*>(nullptr));
}

void DestroyQuery(CQuery* query)
{
    delete query;
}

int QuerySingleCol(CQuery* query, const char* collection, const char* text, uintptr_t /*reserved*/)
{
    if (!query)
        return -1;
    return Guarded(
        [&] {
            return Library().QuerySingleCol(*query, collection ? collection : "", text ? text : "",
                                            &Prompter());
        },
        -1);
}

int RealizeQuery2DLg(CQuery* query, int showAll)
{
    return Guarded(
        [&] {
            QWidget* parent = qobject_cast<QApplication*>(QCoreApplication::instance())
                                  ? QApplication::activeWindow()
                                  : nullptr;
            return RunQueryResultDialog(query, showAll, Prompter(), parent);
        },
        -1);
}

int GetColCount(CQuery* query)
{
    return query ? static_cast<int>(query->m_collections.size()) : 0;
}

CCollectionResult* FindCol(CQuery* query, const char* name)
{
    if (!query || !name)
        return nullptr;
    return const_cast<CCollectionResult*>(query->FindCollection(name));
}

CCollectionResult* GetCol(CQuery* query, int index)
{
    return query ? const_cast<CCollectionResult*>(query->Collection(index)) : nullptr;
}

long GetColHits(CCollectionResult* collection)
{
    return collection ? collection->Hits() : 0;
}

int GetBookCount(CCollectionResult* collection)
{
    return collection ? static_cast<int>(collection->m_books.size()) : 0;
}

int GetColString(CCollectionResult* collection, int kind, char* buffer, int length)
{
    return collection && CopyToBuffer(collection->Text(kind), buffer, length) ? 1 : 0;
}

CBookResult* GetBook(CCollectionResult* collection, int index)
{
    return collection ? const_cast<CBookResult*>(collection->Book(index)) : nullptr;
}

int GetBookString(CBookResult* book, int kind, char* buffer, int length)
{
    return book && CopyToBuffer(book->Text(kind), buffer, length) ? 1 : 0;
}

long GetBookHits(CBookResult* book)
{
    return book ? book->m_hits : -1;
}

int FindColNameAndAlias(const char* name, char* directory, int directoryLength, char* alias,
                        int aliasLength)
{
    if (!name)
        return 0;
    return Guarded(
        [&] {
            const std::optional<CCollectionEntry> entry = Library().FindCollection(name);
            return entry && CopyDirectoryAndAlias(*entry, directory, directoryLength, alias,
                                                  aliasLength)
                       ? 1
                       : 0;
        },
        0);
}

int32_t DllGetClassObject(const void* /*classId*/, const void* /*interfaceId*/, void** object)
{
    if (object)
        *object = nullptr;
    return ClassNotAvailable;
}

int32_t DllCanUnloadNow(void)
{
    return 1;
}

int32_t DllRegisterServer(void)
{
    return 0;
}

} // extern "C"
