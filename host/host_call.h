// Every call the plug-in makes on a host object goes through host_call:
//
//     const Vec3 eye = host_call([&] { return camera->eye_point(0, 0); });
//
// The lambda makes exactly one call into the host and returns its result; it
// holds nothing that needs destroying. Whatever the host raises from the call
// leaves host_call as a C++ exception of ours on every platform, so holders
// release and catch clauses see it (platform/host_exceptions.h).
#pragma once

#include <type_traits>

#include "platform/host_exceptions.h"

template <typename Call>
auto host_call(Call call) -> decltype(call()) {
    using Result = decltype(call());
    if constexpr (std::is_void_v<Result>) {
        platform::call_into_host([](void* context) { (*static_cast<Call*>(context))(); }, &call);
    } else {
        Result result{};
        auto keep_result = [&] { result = call(); };
        platform::call_into_host([](void* context) { (*static_cast<decltype(keep_result)*>(context))(); },
                                 &keep_result);
        return result;
    }
}
