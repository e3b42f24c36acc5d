// NewPtr blocks: zero-filled, and remembered so DisposePtr frees only what NewPtr handed out.
#pragma once

#include <cstdint>
#include <unordered_set>

namespace medialayer::dispatch {

class PointerTable {
public:
    PointerTable() = default;
    PointerTable(const PointerTable&) = delete;
    PointerTable& operator=(const PointerTable&) = delete;
    ~PointerTable();

    // Null when the size is negative or the memory is not there.
    char* allocate(std::int32_t size);
    // False (and nothing freed) for a block this table did not allocate.
    bool release(char* block);
    std::size_t count() const { return blocks_.size(); }

private:
    std::unordered_set<char*> blocks_;
};

}  // namespace medialayer::dispatch
