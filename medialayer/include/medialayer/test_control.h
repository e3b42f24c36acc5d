// Test-only controls of the media layer's dispatcher library.
//
// Exported from the library under these names for tests to resolve with
// dlsym/GetProcAddress; the dispatcher's normal callers never see them.
#pragma once

#include <cstdint>

extern "C" {

struct medialayer_live_counts {
    std::int32_t movies;     // Movie handles not yet disposed
    std::int32_t open_files; // movie file references not yet closed
    std::int32_t pointers;   // NewPtr blocks not yet disposed
};

// Forgets any planned fault and resets the call counter.
void medialayer_fault_reset();
// The nth dispatcher call from now (1-based) fails with code.
void medialayer_fault_on_call(std::uint32_t nth, std::int16_t code);
// The occurrence-th call (1-based) of selector from now fails with code.
void medialayer_fault_on_selector(std::uint32_t selector, std::int16_t code, std::uint32_t occurrence);
// Writing a movie file fails with code once that file would grow past
// after_bytes: a disk filling up part way. Code 0 disarms; a reset disarms too.
void medialayer_fault_on_write(std::uint64_t after_bytes, std::int16_t code);
void medialayer_get_live_counts(medialayer_live_counts* counts);
// Dispatcher calls since the last reset.
std::uint32_t medialayer_call_count();
// Non-zero: FlattenMovieData with create flag bit 31 deletes an existing target
// before it writes, as QuickTime itself does, so a failing flatten loses it.
// Zero (and a reset): the target is replaced only by a complete movie.
void medialayer_flatten_deletes_first(std::int32_t on);
}
