#include "DocumentationServices.h"

#include "obuzelio.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

#include <vector>

namespace {

CQuery* AsQuery(std::uintptr_t handle)
{
    return reinterpret_cast<CQuery*>(handle);
}

CCollectionResult* AsCollection(std::uintptr_t handle)
{
    return reinterpret_cast<CCollectionResult*>(handle);
}

CBookResult* AsBook(std::uintptr_t handle)
{
    return reinterpret_cast<CBookResult*>(handle);
}

// Copies a text of at most length characters out of a getter; false leaves text empty.
template <typename Getter> bool ReadString(Getter getter, std::string& text, int length)
{
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    if (getter(buffer.data(), length) == 0) {
        text.clear();
        return false;
    }
    text = buffer.data();
    return true;
}

} // namespace

bool StartDetachedViewer(const std::string& path, int showCommand)
{
    QProcess process;
    process.setProgram(QString::fromStdString(path));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MODELBROWSER_SHOW_COMMAND"), QString::number(showCommand));
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    return process.startDetached();
}

CObuzelioLibrary::CObuzelioLibrary(platform::IPrompter* prompter)
{
    ObuzelioSetPrompter(prompter);
}

bool CObuzelioLibrary::CreateContextServer(const std::string& file, const std::string& section)
{
    return ::CreateContextServer(file.c_str(), section.c_str()) != 0;
}

void CObuzelioLibrary::DestroyContextServer()
{
    ::DestroyContextServer();
}

std::uintptr_t CObuzelioLibrary::CreateQuery()
{
    return reinterpret_cast<std::uintptr_t>(::CreateQuery());
}

void CObuzelioLibrary::DestroyQuery(std::uintptr_t query)
{
    ::DestroyQuery(AsQuery(query));
}

int CObuzelioLibrary::QuerySingleCol(std::uintptr_t query, const std::string& collection,
                                     const std::string& text)
{
    return ::QuerySingleCol(AsQuery(query), collection.c_str(), text.c_str(), 0);
}

int CObuzelioLibrary::RealizeQuery2DLg(std::uintptr_t query, int showAll)
{
    return ::RealizeQuery2DLg(AsQuery(query), showAll);
}

std::uintptr_t CObuzelioLibrary::GetCol(std::uintptr_t query, int index)
{
    return reinterpret_cast<std::uintptr_t>(::GetCol(AsQuery(query), index));
}

std::uintptr_t CObuzelioLibrary::GetBook(std::uintptr_t collection, int index)
{
    return reinterpret_cast<std::uintptr_t>(::GetBook(AsCollection(collection), index));
}

bool CObuzelioLibrary::GetColString(std::uintptr_t collection, int kind, std::string& text,
                                    int length)
{
    return ReadString([&](char* buffer, int size) {
        return ::GetColString(AsCollection(collection), kind, buffer, size);
    }, text, length);
}

bool CObuzelioLibrary::GetBookString(std::uintptr_t book, int kind, std::string& text, int length)
{
    return ReadString([&](char* buffer, int size) {
        return ::GetBookString(AsBook(book), kind, buffer, size);
    }, text, length);
}
