#include "Handles.h"

#include <mutex>
#include <unordered_map>

namespace zelio {

namespace {

std::mutex& RegistryMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::unordered_map<const void*, HandleKind>& Registry()
{
    static std::unordered_map<const void*, HandleKind> registry;
    return registry;
}

void* Find(std::uintptr_t handle, HandleKind kind)
{
    if (handle == 0)
        return nullptr;
    const auto* object = reinterpret_cast<const void*>(handle);
    std::lock_guard lock(RegistryMutex());
    const auto it = Registry().find(object);
    return it != Registry().end() && it->second == kind ? const_cast<void*>(object) : nullptr;
}

} // namespace

void RegisterHandle(const void* object, HandleKind kind)
{
    std::lock_guard lock(RegistryMutex());
    Registry()[object] = kind;
}

void UnregisterHandle(const void* object)
{
    std::lock_guard lock(RegistryMutex());
    Registry().erase(object);
}

CContext* ContextFromHandle(std::uintptr_t handle)
{
    return static_cast<CContext*>(Find(handle, HandleKind::Context));
}

COpenBook* BookFromHandle(std::uintptr_t handle)
{
    return static_cast<COpenBook*>(Find(handle, HandleKind::Book));
}

CQueryResult* ResultFromHandle(std::uintptr_t handle)
{
    return static_cast<CQueryResult*>(Find(handle, HandleKind::Result));
}

} // namespace zelio
