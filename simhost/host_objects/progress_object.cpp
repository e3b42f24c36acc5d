#include "simhost/host_objects/host_objects.h"

namespace simhost {

ProgressObject::ProgressObject(HostContext& host, ProgressRecord& record)
    : AuditedObject(host, "progress", "scene.create_progress", 0), record_(record),
      window_(host.windowing.open_window(record.title)) {
    record_.object_id = audit_id();
}

void ProgressObject::set_range(std::int32_t low, std::int32_t high, host_reserved reserved) {
    call("set_range", CallArguments().reserved(reserved).add("low", low).add("high", high));
    record_.low = low;
    record_.high = high;
}

void ProgressObject::set_position(std::int32_t position, host_reserved reserved) {
    call("set_position", CallArguments().reserved(reserved).add("position", position));
    record_.position = position;
}

void ProgressObject::advance(std::int32_t step, host_reserved reserved) {
    ++host_.advances;
    const SessionOptions& options = host_.options;
    const bool stop = (options.stop_requested && options.stop_requested->load()) ||
                      (options.abort_at_frame > 0 && host_.advances >= options.abort_at_frame);
    call("advance", CallArguments().reserved(reserved).add("step", step).add("stop", stop));
    ++record_.advances;
    if (stop) {
        record_.aborted = true;
        host_.abort_raised = true;
        throw host_abort();
    }
    record_.position += step;
}

void ProgressObject::on_last_release() { host_.windowing.close_window(window_); }

}  // namespace simhost
