// ORBIVANE_HOST_FAIL_PLUGIN_ALLOCATION=N: the plug-in's call N of the C
// runtime's malloc, counted from the creation of its component and again from
// the start of each command, answers null, as when memory runs out. The host
// rewrites the plug-in's import of malloc.
#pragma once

namespace msvc_host {

// Takes over the import of module, once; does nothing when the setting is absent.
void watch_plugin_allocations(void* module);
// Starts the count of a command.
void begin_counting_plugin_allocations();

}  // namespace msvc_host
