// A loadable module built from the plug-in's code that reports the system directory it sees:
// the folder holding the module itself, wherever the program that loads it lives.
#include "platform/platform.h"

extern "C" __attribute__((visibility("default"))) unsigned orbivane_probe_system_directory(char* buffer,
                                                                                          unsigned size) {
    return platform::native_platform().system_directory(buffer, size);
}
