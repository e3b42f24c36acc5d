#include "medialayer/dispatcher/pointer_table.h"

#include <cstdlib>

namespace medialayer::dispatch {

PointerTable::~PointerTable() {
    for (char* block : blocks_) std::free(block);
}

char* PointerTable::allocate(std::int32_t size) {
    if (size < 0) return nullptr;
    // A zero-byte request still yields a distinct block, as callers expect a non-null answer.
    auto* block = static_cast<char*>(std::calloc(size == 0 ? 1 : std::size_t(size), 1));
    if (block == nullptr) return nullptr;
    try {
        blocks_.insert(block);
    } catch (...) {
        std::free(block);
        throw;
    }
    return block;
}

bool PointerTable::release(char* block) {
    if (blocks_.erase(block) == 0) return false;
    std::free(block);
    return true;
}

}  // namespace medialayer::dispatch
