#include "quicktime/tests/fake_quicktime.h"

#include <cstdarg>

#include "quicktime/qt_selectors.h"

namespace fake_quicktime {

std::string argument_kinds;
std::intptr_t answer = 0;
std::intptr_t reference_answer = 1;
std::vector<call> calls;

std::intptr_t dispatcher(std::uint32_t selector, ...) {
    call made{selector, {}};
    va_list arguments;
    va_start(arguments, selector);
    for (char kind : argument_kinds) {
        if (kind == 'p')
            made.arguments.push_back(reinterpret_cast<std::intptr_t>(va_arg(arguments, void*)));
        else
            made.arguments.push_back(va_arg(arguments, int));
    }
    va_end(arguments);
    calls.push_back(made);
    return selector == qt_selector::qtml_reference_query ? reference_answer : answer;
}

std::intptr_t call_component(std::uint32_t, ...) { return -1; }
std::intptr_t call_component_with_storage(std::uint32_t, ...) { return -1; }

void reset() {
    argument_kinds.clear();
    answer = 0;
    reference_answer = 1;
    calls.clear();
}

void export_entries(ScriptedMachine::Library& library, const std::string& missing) {
    const std::pair<const char*, std::intptr_t (*)(std::uint32_t, ...)> entries[] = {
        {"theQuickTimeDispatcher", dispatcher},
        {"_CallComponent", call_component},
        {"_CallComponentFunctionWithStorage", call_component_with_storage},
    };
    for (const auto& [name, entry] : entries)
        if (missing != name) library.entries[name] = reinterpret_cast<platform::entry_point>(entry);
}

}  // namespace fake_quicktime
