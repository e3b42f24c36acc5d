#include "simhost/host_objects/host_objects.h"

namespace simhost {

CameraEntry& CameraObject::current() {
    CameraEntry* entry = host_.scene.current_camera();
    if (!entry)
        throw host_error("the current camera index " + std::to_string(host_.scene.current_camera_index()) +
                         " names no camera");
    return *entry;
}

Vec3 CameraObject::eye_point(std::int32_t zero, host_reserved reserved) {
    call("eye_point", CallArguments().reserved(reserved).leading_zero(zero));
    return to_f(current().pose.eye);
}

Vec3 CameraObject::target_point(std::int32_t zero, host_reserved reserved) {
    call("target_point", CallArguments().reserved(reserved).leading_zero(zero));
    return to_f(current().pose.target);
}

void CameraObject::set_float_setting(std::int32_t zero, float value, host_reserved reserved) {
    call("set_float_setting", CallArguments().reserved(reserved).leading_zero(zero).add("value", value));
    current().float_setting = value;
}

float CameraObject::get_float_setting(std::int32_t zero, host_reserved reserved) {
    call("get_float_setting", CallArguments().reserved(reserved).leading_zero(zero));
    return current().float_setting;
}

void CameraObject::set_current_index(std::int32_t index, host_reserved reserved) {
    call("set_current_index", CallArguments().reserved(reserved).add("index", index));
    if (!host_.scene.camera(index))
        throw host_error("camera index " + std::to_string(index) + " is outside the camera list of " +
                         std::to_string(host_.scene.camera_count()) + " entries");
    host_.scene.set_current_camera_index(index);
}

std::int32_t CameraObject::current_index(host_reserved reserved) {
    const std::int32_t index = host_.scene.current_camera_index();
    call("current_index", CallArguments().reserved(reserved).add("index", index));
    return index;
}

void CameraObject::set_mode_value(std::int32_t mode, host_reserved reserved) {
    call("set_mode_value", CallArguments().reserved(reserved).add("mode", mode));
    current().mode = mode;
}

std::int32_t CameraObject::other_entry_count(host_reserved reserved) {
    const std::int32_t count = host_.scene.host_camera_count();
    call("other_entry_count", CallArguments().reserved(reserved).add("count", count));
    return count;
}

}  // namespace simhost
