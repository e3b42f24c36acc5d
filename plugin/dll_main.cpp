// Windows library entry: the C runtime's DLL start-up calls DllMain.
#include <cstdint>

#include "plugin/library_notification.h"

extern "C" __attribute__((stdcall)) int DllMain(void* instance, std::uint32_t reason, void* reserved) {
    return handle_library_notification(instance, reason, reserved);
}
