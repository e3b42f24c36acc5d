// How a call stub reaches QuickTime: run the bind hook while unbound, then hand the
// dispatcher the selector and the caller's arguments exactly as they came (the variadic
// call applies the usual promotions, as the dispatcher expects).
#pragma once

#include <cstdint>
#include <type_traits>

#include "quicktime/qt_binding.h"
#include "quicktime/qt_routine_list.h"

namespace qt_call {

template <typename Result, typename... Args>
Result dispatch_as(std::uint32_t selector, Args... args) {
    if (qt_bind_hook) qt_bind_hook();
    const qt_entry dispatcher = qt_dispatcher;
    const std::intptr_t answer = dispatcher(selector, args...);
    // Unbound, -2095 would read as a non-null garbage handle, so the answer is none instead.
    if constexpr (std::is_pointer_v<Result>)
        if (dispatcher == qt_not_bound) return nullptr;
    return answer_as<Result>(answer);
}

}  // namespace qt_call
