// The windowing functions a POSIX host process exports for the plug-in,
// which finds them with dlsym(RTLD_DEFAULT) (platform/posix_windowing.h).
// Every program that hosts the plug-in must export its dynamic symbols
// (simhost_core asks for that in its link interface).
#include <cstdio>
#include <type_traits>

#include "platform/posix_windowing.h"
#include "simhost/host_objects/windowing.h"

#define SIMHOST_EXPORT __attribute__((visibility("default"), used))

extern "C" {

SIMHOST_EXPORT int orbivane_host_save_dialog(const char* filter, const char* default_extension, unsigned flags,
                                             char* file, unsigned file_size, char* title, unsigned title_size) {
    simhost::Windowing* w = simhost::active_windowing();
    return w ? w->save_dialog(filter, default_extension, flags, file, file_size, title, title_size) : 0;
}

SIMHOST_EXPORT void* orbivane_host_find_window(const char* title) {
    simhost::Windowing* w = simhost::active_windowing();
    return w ? w->find_window(title) : nullptr;
}

SIMHOST_EXPORT int orbivane_host_window_exists(void* window) {
    simhost::Windowing* w = simhost::active_windowing();
    return w ? w->window_exists(window) : 0;
}

SIMHOST_EXPORT int orbivane_host_set_window_text(void* window, const char* text) {
    simhost::Windowing* w = simhost::active_windowing();
    return w ? w->set_window_text(window, text) : 0;
}

SIMHOST_EXPORT void orbivane_host_message_beep(unsigned type) {
    if (simhost::Windowing* w = simhost::active_windowing()) {
        w->message_beep(type);
        return;
    }
    std::fputc('\a', stderr);
}
}

// Signature checks against the contract the plug-in codes to.
static_assert(std::is_same_v<decltype(&orbivane_host_save_dialog), orbivane_host_save_dialog_fn>);
static_assert(std::is_same_v<decltype(&orbivane_host_find_window), orbivane_host_find_window_fn>);
static_assert(std::is_same_v<decltype(&orbivane_host_window_exists), orbivane_host_window_exists_fn>);
static_assert(std::is_same_v<decltype(&orbivane_host_set_window_text), orbivane_host_set_window_text_fn>);
static_assert(std::is_same_v<decltype(&orbivane_host_message_beep), orbivane_host_message_beep_fn>);

namespace simhost {
// Referenced by the session so that linking simhost_core always pulls these exports in.
void link_windowing_exports() {}
}  // namespace simhost
