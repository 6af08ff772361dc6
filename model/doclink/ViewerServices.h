#pragma once

#include <cstdint>
#include <string>

// What the documentation link needs of the system around it: the window registry, starting
// a program, and DDE conversations. The program implements it on the platform services;
// tests give their own.
class IViewerSystem
{
public:
    // How one execute transaction ended.
    enum class Outcome
    {
        NoConversation, // no server for the service, or the topic is not served
        Processed,
        NotProcessed,
        TimedOut,
    };

    virtual ~IViewerSystem() = default;

    // Looks for a top-level window of that class. When there is one: brings it to the top,
    // shows it normally and answers an id for it (never 0). 0 when there is none.
    virtual std::uint64_t ActivateWindowOfClass(const std::string& className) = 0;
    // Starts the program as a new process, no arguments, with the platform show command
    // (1 normal, 6 minimised, 3 maximised). False when it cannot be started.
    virtual bool StartProgram(const std::string& path, int showCommand) = 0;
    // Waits after starting the viewer: at most milliseconds, less when a window of the class
    // has appeared by then. Blocks the caller.
    virtual void WaitForViewer(int milliseconds, const std::string& className) = 0;
    // One conversation with (service, topic) and one execute transaction of the command,
    // waiting at most timeoutMs for its answer; the conversation is closed again.
    virtual Outcome Execute(const std::string& service, const std::string& topic,
                            const std::string& command, int timeoutMs) = 0;
};

// The query library's calls that the link makes, one to one. Query, collection and book
// objects are the library's opaque handles; 0 is none.
class IQueryLibrary
{
public:
    virtual ~IQueryLibrary() = default;
    virtual bool CreateContextServer(const std::string& file, const std::string& section) = 0;
    virtual void DestroyContextServer() = 0;
    virtual std::uintptr_t CreateQuery() = 0;
    virtual void DestroyQuery(std::uintptr_t query) = 0;
    // The number of books the query ran in, or -1.
    virtual int QuerySingleCol(std::uintptr_t query, const std::string& collection,
                               const std::string& text) = 0;
    // Shows the book choice (show-all flag); the chosen book's index, or a negative number.
    virtual int RealizeQuery2DLg(std::uintptr_t query, int showAll) = 0;
    virtual std::uintptr_t GetCol(std::uintptr_t query, int index) = 0;
    virtual std::uintptr_t GetBook(std::uintptr_t collection, int index) = 0;
    // Kind 1: the collection directory; kind 3: the book directory name. At most length
    // characters; false when the text is longer (text left empty) or the object is 0.
    virtual bool GetColString(std::uintptr_t collection, int kind, std::string& text,
                              int length) = 0;
    virtual bool GetBookString(std::uintptr_t book, int kind, std::string& text, int length) = 0;
};
