#include "simhost/host_objects/host_context.h"

namespace simhost {

HostContext::HostContext(SessionOptions& opts)
    : options(opts), scene(opts.scene), rasterizer(RenderStyle{.background = opts.background, .samples_per_side = opts.antialias}) {
    renderer.size = opts.image_size;
    *renderer.current = Image(opts.image_size.width, opts.image_size.height, rasterizer.style().background);
}

bool HostContext::injected_fault(const std::string& operation) {
    const int nth = ++call_counts[operation];
    for (const InjectedFault& fault : options.faults) {
        if (fault.operation != operation || fault.occurrence != nth) continue;
        if (fault.action == InjectedFault::Action::return_null) return true;
        throw host_error("injected fault: call " + std::to_string(nth) + " of " + operation + " fails");
    }
    return false;
}

void HostContext::begin_command() {
    audit.mark();
    call_counts.clear();
    advances = 0;
    abort_raised = false;
}

}  // namespace simhost
