#include "graveyard.h"

#include <cstddef>
#include <mutex>

namespace tapdeck::sim {
namespace {

// Enough for every object of a touch, a toast or a run several times over.
constexpr size_t kGraves = 256;

std::mutex& Lock()
{
    static std::mutex* lock = new std::mutex();  // outlives every static that could release
    return *lock;
}

Buried* g_graves[kGraves];  // guarded by Lock()
size_t g_next = 0;          // guarded by Lock()

}  // namespace

void Bury(Buried* object)
{
    object->Dispose();
    Buried* evicted = nullptr;
    {
        std::lock_guard lock(Lock());
        evicted = g_graves[g_next];
        g_graves[g_next] = object;
        g_next = (g_next + 1) % kGraves;
    }
    delete evicted;
}

}  // namespace tapdeck::sim
