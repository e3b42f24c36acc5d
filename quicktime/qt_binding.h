// The QuickTime binding: module-level state shared by the loader and the call stubs.
//
// It starts unbound: every stub runs qt_bind_hook (the lazy loader) and then calls
// qt_dispatcher, which is qt_not_bound until theQuickTimeDispatcher has been resolved.
// Once all three entries resolve the hook is emptied for good. Nothing here is ever
// released when the plug-in unloads.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// The form of QuickTime's variadic entries: a routine selector, then the routine's arguments.
using qt_entry = std::intptr_t (*)(std::uint32_t selector, ...);
using qt_hook = void (*)();

// Stands in for every QuickTime entry until it is bound: does nothing and answers
// qtNotBoundErr (-2095), which reads as 0xF7D1 in a 16-bit result.
std::intptr_t qt_not_bound(std::uint32_t selector, ...);

extern qt_hook qt_bind_hook;                      // qt_lazy_bind until bound, then empty
extern qt_entry qt_dispatcher;                    // theQuickTimeDispatcher
extern qt_entry qt_call_component;                // _CallComponent: bound, never called
extern qt_entry qt_call_component_with_storage;   // _CallComponentFunctionWithStorage: bound, never called
extern platform::module_handle qt_module;         // QuickTime.qts while the loader holds a reference
extern bool qt_version_checked;                   // the version decision has been made
extern bool qt_version_passed;                    // ... and it was positive

// Tests only: puts every binding variable back to its load-time value. It releases nothing;
// a library the loader still holds simply stays loaded.
void qt_reset_binding_for_tests();
