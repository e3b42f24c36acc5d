// Controls for tests, exported beside the entry points but never reached
// through the dispatcher; built in only with ORBIVANE_QTS_TEST_CONTROLS=ON.
#include "medialayer/test_control.h"

#include "medialayer/dispatcher/dispatcher_state.h"
#include "medialayer/dispatcher/fault_plan.h"
#include "medialayer/dispatcher/library_export.h"
#include "medialayer/dispatcher/test_hooks.h"

using namespace medialayer::dispatch;

namespace {

FaultPlan faults;
bool deletes_first = false;

}  // namespace

namespace medialayer::dispatch {

OSErr planned_fault(std::uint32_t selector) { return faults.take(selector); }
bool flatten_deletes_first() { return deletes_first; }

}  // namespace medialayer::dispatch

extern "C" {

QTS_EXPORT void medialayer_fault_reset() {
    faults.reset();
    deletes_first = false;
    medialayer::set_write_fault_hook(nullptr);
}

QTS_EXPORT void medialayer_fault_on_call(std::uint32_t nth, std::int16_t code) { faults.fail_call(nth, code); }

QTS_EXPORT void medialayer_fault_on_selector(std::uint32_t selector, std::int16_t code, std::uint32_t occurrence) {
    faults.fail_selector(selector, code, occurrence);
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

QTS_EXPORT std::uint32_t medialayer_call_count() { return faults.calls(); }

QTS_EXPORT void medialayer_flatten_deletes_first(std::int32_t on) { deletes_first = on != 0; }

}  // extern "C"
