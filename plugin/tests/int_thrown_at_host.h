// The int an operation throws at its host, caught the way the host catches it.
//
// On 32-bit Windows the component raises int 0 as Microsoft's compiler throws
// it, which our own catch (int) never sees; the platform layer's host call
// catches it there, and the value is read from the exception it captured.
#pragma once

#include <optional>

#include "host/host_call.h"
#if defined(_WIN32)
#include <cstring>

#include "platform/win32_host_exception.h"
#endif

template <typename Call>
std::optional<int> int_thrown_at_host(Call call) {
    try {
        host_call(call);
    } catch (int value) {
        return value;
#if defined(_WIN32)
    } catch (const platform::host_exception& e) {
        const platform::captured_host_exception& raised = *e.captured();
        if (std::strcmp(raised.type_name(), ".H") == 0 && raised.object) return *static_cast<const int*>(raised.object);
#endif
    }
    return std::nullopt;
}
