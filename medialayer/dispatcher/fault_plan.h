// Planned failures for tests: a chosen dispatcher call fails with a chosen code.
#pragma once

#include <cstdint>

#include "quicktime/qt_types.h"

namespace medialayer::dispatch {

class FaultPlan {
public:
    // Forgets both plans and restarts the call count.
    void reset();
    // The nth call from now (1-based) fails; 0 disarms.
    void fail_call(std::uint32_t nth, OSErr code);
    // The occurrence-th call of `selector` from now (1-based) fails; 0 disarms.
    void fail_selector(std::uint32_t selector, OSErr code, std::uint32_t occurrence);
    // Counts one call of `selector`; answers the code it must fail with, or noErr.
    // Each plan fires once.
    OSErr take(std::uint32_t selector);
    std::uint32_t calls() const { return calls_; }

private:
    std::uint32_t calls_ = 0;
    std::uint64_t call_target_ = 0;  // absolute call number, 0 = disarmed
    OSErr call_code_ = noErr;
    std::uint32_t selector_ = 0;
    std::uint32_t selector_remaining_ = 0;  // 0 = disarmed
    OSErr selector_code_ = noErr;
};

}  // namespace medialayer::dispatch
