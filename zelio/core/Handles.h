#pragma once

// Handles of the browser's C calls: the addresses of live contexts, open books and query
// results. Every object registers itself while it lives, so a handle that is stale, of
// another kind or made up finds nothing (nullptr) instead of being used. The host calls of
// the library use these to reach a book's files, texts and hit ranges from a handle.

#include <cstdint>

namespace zelio {

class CContext;
class COpenBook;
class CQueryResult;

enum class HandleKind
{
    Context,
    Book,
    Result
};

// Registers and forgets objects (thread-safe).
void RegisterHandle(const void* object, HandleKind kind);
void UnregisterHandle(const void* object);

inline std::uintptr_t ToHandle(const void* object)
{
    return reinterpret_cast<std::uintptr_t>(object);
}

// The live object of a handle, or nullptr when the handle is 0, stale or of another kind.
CContext* ContextFromHandle(std::uintptr_t handle);
COpenBook* BookFromHandle(std::uintptr_t handle);
CQueryResult* ResultFromHandle(std::uintptr_t handle);

} // namespace zelio
