#include "objectmovie/tests/media_layer_controls.h"

#include "platform/platform.h"
#include "quicktime/qt_calls.h"

namespace {

template <typename Fn>
bool resolve(platform::module_handle library, const char* name, Fn& slot) {
    slot = reinterpret_cast<Fn>(platform::native_platform().find_entry(library, name));
    return slot != nullptr;
}

}  // namespace

bool MediaLayerControls::bind() {
    platform::Platform& os = platform::native_platform();
    platform::module_handle library = os.loaded_module("QuickTime.qts");
    if (!library) library = os.load_library(ORBIVANE_TEST_QTS_PATH);
    if (!library) return false;
    // Any call binds; this one also starts the test with no sticky error.
    ClearMoviesStickyError();
    return resolve(library, "medialayer_fault_reset", fault_reset) &&
           resolve(library, "medialayer_fault_on_selector", fault_on_selector) &&
           resolve(library, "medialayer_fault_on_write", fault_on_write) &&
           resolve(library, "medialayer_get_live_counts", get_live_counts) &&
           resolve(library, "medialayer_flatten_deletes_first", flatten_deletes_first);
}
