// The browser's data calls: configuration, contexts, books and queries. Every handle is
// checked against the live objects first, so a stale or foreign handle answers 0 or -1.

#include "BrowserInterface.h"

#include "Context.h"
#include "Handles.h"
#include "ZelioConfig.h"
#include "ZelioErrors.h"
#include "files/PathLookup.h"
#include "profile/ProfileReader.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>

using namespace zelio;

namespace {

std::string Text(const char* text)
{
    return text ? std::string(text) : std::string();
}

} // namespace

extern "C" {

const char* ZelConfigPathGet(const char* name)
{
    try {
        const std::string path = LocateConfigFile(Text(name));
        return path.empty() ? nullptr : ::strdup(path.c_str());
    } catch (...) {
        return nullptr;
    }
}

void ZelConfigPathRelease(const char* path)
{
    std::free(const_cast<char*>(path));
}

int ZelProfileRead(uintptr_t /*reserved*/, const char* section, const char* file, const char* key,
                   char* buffer, int size)
{
    if (!buffer || size <= 0)
        return -1;
    buffer[0] = '\0';
    if (!section || !file || !key)
        return -1;
    try {
        const std::string path = LocateConfigFile(file);
        const auto profile = path.empty() ? nullptr : platform::LoadProfile(path);
        const std::string* found = profile ? profile->Find(section, key) : nullptr;
        if (!found)
            return -1;
        std::string value = *found;
        // Folder values are relative to the configuration file's folder.
        if (IsFolderKey(section, key))
            value = ResolveConfigPath(value, std::filesystem::path(path).parent_path().string());
        const std::size_t length = std::min(value.size(), static_cast<std::size_t>(size - 1));
        std::memcpy(buffer, value.data(), length);
        buffer[length] = '\0';
        return static_cast<int>(length);
    } catch (...) {
        buffer[0] = '\0';
        return -1;
    }
}

uintptr_t ZelContextCreate(const char* dataDir, const char* privateDir, const char* publicDir,
                           const char* authorisation, uintptr_t /*reserved*/)
{
    try {
        auto context =
            CContext::Create(Text(dataDir), Text(privateDir), Text(publicDir), Text(authorisation));
        return context ? ToHandle(context.release()) : 0;
    } catch (...) {
        return 0;
    }
}

void ZelContextDestroy(uintptr_t context)
{
    delete ContextFromHandle(context);
}

int ZelLastError(uintptr_t context)
{
    const CContext* found = ContextFromHandle(context);
    return found ? found->LastError() : -1;
}

uintptr_t ZelBookOpen(uintptr_t context, const char* collectionDir, const char* bookDir)
{
    CContext* found = ContextFromHandle(context);
    if (!found)
        return 0;
    if (!collectionDir || !bookDir) {
        found->SetLastError(kErrorInvalidArgument);
        return 0;
    }
    try {
        return ToHandle(found->OpenBook(collectionDir, bookDir));
    } catch (...) {
        found->SetLastError(kErrorIndex);
        return 0;
    }
}

void ZelBookClose(uintptr_t book)
{
    if (COpenBook* found = BookFromHandle(book))
        found->Context().CloseBook(found);
}

const char* ZelBookTitle(uintptr_t book)
{
    const COpenBook* found = BookFromHandle(book);
    return found ? found->Book().Title().c_str() : nullptr;
}

uintptr_t ZelQueryRun(uintptr_t book, const char* query, uintptr_t /*reserved*/)
{
    COpenBook* found = BookFromHandle(book);
    if (!found)
        return 0;
    if (!query) {
        found->Context().SetLastError(kErrorEmptyQuery);
        return 0;
    }
    try {
        return ToHandle(found->RunQuery(query));
    } catch (...) {
        found->Context().SetLastError(kErrorIndex);
        return 0;
    }
}

long ZelResultHits(uintptr_t result, int /*kind*/)
{
    const CQueryResult* found = ResultFromHandle(result);
    return found ? found->Hits() : -1;
}

void ZelResultRelease(uintptr_t result)
{
    if (CQueryResult* found = ResultFromHandle(result))
        found->Book().ReleaseResult(found);
}

} // extern "C"
