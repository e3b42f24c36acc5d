// Controls for tests, exported beside the entry points but never reached through the dispatcher.
#include "medialayer/test_control.h"

#include "medialayer/dispatcher/dispatcher_state.h"
#include "medialayer/dispatcher/library_export.h"

using namespace medialayer::dispatch;

extern "C" {

QTS_EXPORT void medialayer_fault_reset() {
    state().faults.reset();
    state().flatten_deletes_first = false;
    medialayer::set_write_fault_hook(nullptr);
}

QTS_EXPORT void medialayer_fault_on_call(std::uint32_t nth, std::int16_t code) { state().faults.fail_call(nth, code); }

QTS_EXPORT void medialayer_fault_on_selector(std::uint32_t selector, std::int16_t code, std::uint32_t occurrence) {
    state().faults.fail_selector(selector, code, occurrence);
}

QTS_EXPORT void medialayer_fault_on_write(std::uint64_t after_bytes, std::int16_t code) {
    if (code == noErr) {
        medialayer::set_write_fault_hook(nullptr);
        return;
    }
    medialayer::set_write_fault_hook([after_bytes, code](std::uint64_t written_before, std::uint64_t size) {
        return written_before + size > after_bytes ? code : OSErr(noErr);
    });
}

QTS_EXPORT void medialayer_get_live_counts(medialayer_live_counts* counts) {
    if (counts == nullptr) return;
    const DispatcherState& s = state();
    counts->movies = static_cast<std::int32_t>(s.handles.movie_count());
    counts->open_files = static_cast<std::int32_t>(s.files.count());
    counts->pointers = static_cast<std::int32_t>(s.pointers.count());
}

QTS_EXPORT std::uint32_t medialayer_call_count() { return state().faults.calls(); }

QTS_EXPORT void medialayer_flatten_deletes_first(std::int32_t on) { state().flatten_deletes_first = on != 0; }

}  // extern "C"
