#pragma once

#include "ViewerServices.h"

#include <string>

namespace platform {
class IPrompter;
}

// Starts the documentation viewer as a detached process: no arguments, the default
// environment and working folder. The platform show command (1 normal, 6 minimised,
// 3 maximised) reaches the viewer in MODELBROWSER_SHOW_COMMAND, as a start-up record would.
// False when the program cannot be started.
bool StartDetachedViewer(const std::string& path, int showCommand);

// The query library's exports, as the documentation link calls them. The library's messages
// and wait cursor go through the prompter given (not owned).
class CObuzelioLibrary : public IQueryLibrary
{
public:
    explicit CObuzelioLibrary(platform::IPrompter* prompter);

    bool CreateContextServer(const std::string& file, const std::string& section) override;
    void DestroyContextServer() override;
    std::uintptr_t CreateQuery() override;
    void DestroyQuery(std::uintptr_t query) override;
    int QuerySingleCol(std::uintptr_t query, const std::string& collection,
                       const std::string& text) override;
    int RealizeQuery2DLg(std::uintptr_t query, int showAll) override;
    std::uintptr_t GetCol(std::uintptr_t query, int index) override;
    std::uintptr_t GetBook(std::uintptr_t collection, int index) override;
    bool GetColString(std::uintptr_t collection, int kind, std::string& text, int length) override;
    bool GetBookString(std::uintptr_t book, int kind, std::string& text, int length) override;
};
