// Entries of a pretend QuickTime.qts for the fake platform's libraries: they record each
// dispatcher call, with its arguments read back the way the real dispatcher reads them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "quicktime/tests/scripted_machine.h"

namespace fake_quicktime {

struct call {
    std::uint32_t selector;
    std::vector<std::intptr_t> arguments;
};

// How the dispatcher reads the next call's arguments: 'i' an int (what 8-, 16- and 32-bit
// integers and bool arrive as), 'p' a pointer. Empty reads none.
extern std::string argument_kinds;
extern std::intptr_t answer;            // what every routine answers but the reference query
extern std::intptr_t reference_answer;  // what qtml_reference_query answers
extern std::vector<call> calls;

std::intptr_t dispatcher(std::uint32_t selector, ...);
std::intptr_t call_component(std::uint32_t selector, ...);
std::intptr_t call_component_with_storage(std::uint32_t selector, ...);

void reset();
// Gives the library the three QuickTime entries, leaving out `missing` when named.
void export_entries(ScriptedMachine::Library& library, const std::string& missing = {});

}  // namespace fake_quicktime
