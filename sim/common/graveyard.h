#pragma once
// Where a stand-in object goes when its last reference is released. It is
// not freed at once: the module keeps the last objects released, emptied of
// what they held, so that a Release that comes too late still finds a count
// of zero to report to the census instead of freed memory. Only the oldest
// are freed, once more than the graveyard holds have died after them.
namespace tapdeck::sim {

class Buried {
public:
    virtual ~Buried() = default;

protected:
    friend void Bury(Buried* object);
    // Lets go of every reference the object holds, at its last Release.
    virtual void Dispose() {}
};

void Bury(Buried* object);

}  // namespace tapdeck::sim
