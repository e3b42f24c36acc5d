// ELF library entry: the loader runs these when the library is loaded and
// unloaded. The module's own handle is its load address, the same value a
// Windows instance handle has.
#include <dlfcn.h>

#include "plugin/library_notification.h"

namespace {

void* own_load_address() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&own_load_address), &info) == 0) return nullptr;
    return info.dli_fbase;
}

__attribute__((constructor)) void on_library_load() {
    handle_library_notification(own_load_address(), library_process_attach, nullptr);
}

__attribute__((destructor)) void on_library_unload() {
    handle_library_notification(own_load_address(), library_process_detach, nullptr);
}

}  // namespace
