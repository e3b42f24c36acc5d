// What the library does when the loader notifies it (DllMain's reasons).
#pragma once

#include <cstdint>

enum library_notification_reason : std::uint32_t {
    library_process_detach = 0,
    library_process_attach = 1,
    library_thread_attach = 2,
    library_thread_detach = 3,
};

// Records instance as module_instance on process attach and ignores every other
// reason; always answers 1 so the loader never refuses the library.
int handle_library_notification(void* instance, std::uint32_t reason, void* reserved);
