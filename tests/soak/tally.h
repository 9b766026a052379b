#pragma once
// What the soak did and what went wrong, counted by name from every actor
// thread and printed in the order the names first came.
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace tapdeck::soak {

class Tally {
public:
    void Add(const std::string& name, long count = 1)
    {
        std::lock_guard<std::mutex> lock(lock_);
        for (auto& entry : entries_) {
            if (entry.first == name) {
                entry.second += count;
                return;
            }
        }
        entries_.emplace_back(name, count);
    }
    long Get(const std::string& name) const
    {
        std::lock_guard<std::mutex> lock(lock_);
        for (const auto& entry : entries_)
            if (entry.first == name) return entry.second;
        return 0;
    }
    std::vector<std::pair<std::string, long>> Entries() const
    {
        std::lock_guard<std::mutex> lock(lock_);
        return entries_;
    }

private:
    mutable std::mutex lock_;  // guards entries_
    std::vector<std::pair<std::string, long>> entries_;
};

}  // namespace tapdeck::soak
