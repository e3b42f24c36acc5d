#include "plugin/library_notification.h"

#include "plugin/module_instance.h"

int handle_library_notification(void* instance, std::uint32_t reason, void* /*reserved*/) {
    if (reason == library_process_attach) module_instance = instance;
    return 1;
}
