#include "medialayer/dispatcher/fault_plan.h"

namespace medialayer::dispatch {

void FaultPlan::reset() { *this = FaultPlan{}; }

void FaultPlan::fail_call(std::uint32_t nth, OSErr code) {
    call_target_ = nth == 0 ? 0 : std::uint64_t(calls_) + nth;
    call_code_ = code;
}

void FaultPlan::fail_selector(std::uint32_t selector, OSErr code, std::uint32_t occurrence) {
    selector_ = selector;
    selector_remaining_ = occurrence;
    selector_code_ = code;
}

OSErr FaultPlan::take(std::uint32_t selector) {
    ++calls_;
    OSErr code = noErr;
    if (call_target_ != 0 && calls_ == call_target_) {
        call_target_ = 0;
        code = call_code_;
    }
    if (selector_remaining_ != 0 && selector == selector_ && --selector_remaining_ == 0 && code == noErr)
        code = selector_code_;
    return code;
}

}  // namespace medialayer::dispatch
