// Calls per second of a call into the host through the platform's exception
// bridge (platform/host_exceptions.h), with no exception, against the same
// call made directly.
//
//   cmake --build build/<dir> --target platform_host_call_bench
//   build/linux/platform/platform_host_call_bench [seconds]
//   wine build/win32/bin/platform_host_call_bench.exe [seconds]
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "host/host_call.h"

namespace {

using clock_type = std::chrono::steady_clock;

// Stands for a host operation; kept out of line so the call is a real call.
__attribute__((noinline)) int host_operation(int value) {
    asm volatile("");
    return value + 1;
}

template <typename Call>
double calls_per_second(double seconds, Call call) {
    long calls = 0;
    int value = 0;
    const auto start = clock_type::now();
    double elapsed = 0;
    do {
        for (int i = 0; i < 1000; ++i) value = call(value);
        calls += 1000;
        elapsed = std::chrono::duration<double>(clock_type::now() - start).count();
    } while (elapsed < seconds);
    if (value == -1) std::puts("");  // keeps value alive
    return calls / elapsed;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    const double direct = calls_per_second(seconds, [](int v) { return host_operation(v); });
    const double bridged = calls_per_second(seconds, [](int v) { return host_call([&] { return host_operation(v); }); });
    std::printf("direct call:  %.3g calls/s\nthrough host_call: %.3g calls/s\n", direct, bridged);
    return 0;
}
