#include "simhost/host_objects/cp932_text.h"
#include "simhost/host_objects/host_objects.h"
#include "simhost/rendering/orientation_matrix.h"

namespace simhost {

namespace {
std::string text_or_empty(const char* text) { return text ? text : ""; }
}  // namespace

host_dialog* SceneObject::create_dialog(std::int32_t zero1, std::int32_t zero2, host_reserved reserved) {
    if (call("create_dialog", CallArguments().reserved(reserved).leading_zero(zero1).leading_zero(zero2))) return nullptr;
    DialogRecord& record = host_.dialogs.emplace_back();
    DialogObject* dialog = host_.make<DialogObject>(record);
    record.object_id = dialog->audit_id();
    return dialog;
}

host_progress* SceneObject::create_progress(const char* title, std::int32_t zero, host_reserved reserved) {
    CallArguments args;
    if (title) args.add_text("title", utf8_from_cp932(title));
    else args.add_text("title", nullptr);
    if (call("create_progress", std::move(args.leading_zero(zero).reserved(reserved)))) return nullptr;
    ProgressRecord& record = host_.progress.emplace_back();
    record.title = text_or_empty(title);
    return host_.make<ProgressObject>(record);
}

void SceneObject::orientation_matrix(const Vec3& direction, const Vec3& up, Mat4* out, host_reserved reserved) {
    call("orientation_matrix", CallArguments().reserved(reserved).add("direction", direction).add("up", up));
    if (!out) throw host_error(name() + ".orientation_matrix was given no matrix to fill");
    *out = simhost::orientation_matrix(direction, up);
}

host_renderer* SceneObject::get_renderer(host_reserved reserved) {
    if (call("get_renderer", CallArguments().reserved(reserved))) return nullptr;
    return host_.make<RendererObject>();
}

host_camera* SceneObject::get_camera(host_reserved reserved) {
    if (call("get_camera", CallArguments().reserved(reserved))) return nullptr;
    return host_.make<CameraObject>();
}

host_light* SceneObject::get_light(host_reserved reserved) {
    if (call("get_light", CallArguments().reserved(reserved))) return nullptr;
    return host_.make<LightObject>();
}

void SceneObject::restore_active_object(host_reserved reserved) {
    call("restore_active_object", CallArguments().reserved(reserved).add_text("active", host_.active_object));
}

void SceneObject::update(host_reserved reserved) { call("update", CallArguments().reserved(reserved)); }

void SceneObject::prepare_active_object(std::int32_t zero1, std::int32_t zero2, host_reserved reserved) {
    call("prepare_active_object", CallArguments().reserved(reserved).leading_zero(zero1).leading_zero(zero2).add_text("active", host_.active_object));
}

void SceneObject::select_object(const char* name, host_reserved reserved) {
    const bool found = name && host_.scene.find(name).has_value();
    call("select_object", CallArguments().reserved(reserved).add_text("name", name).add("found", found));
    // Like a click on empty space, an unknown name selects nothing.
    host_.active_object = found ? name : "";
}

void SceneObject::begin_preparation(host_reserved reserved) {
    call("begin_preparation", CallArguments().reserved(reserved));
    if (host_.options.undo_rig_on_restoration) host_.rig_undo = host_.scene.contents();
}

void SceneObject::end_restoration(host_reserved reserved) {
    call("end_restoration", CallArguments().reserved(reserved));
    if (host_.rig_undo) {
        host_.scene.restore_contents(std::move(*host_.rig_undo));
        host_.rig_undo.reset();
    }
}

void SceneObject::end_preparation(host_reserved reserved) { call("end_preparation", CallArguments().reserved(reserved)); }

host_part* SceneObject::find_object(const char* name, host_reserved reserved) {
    const std::optional<ObjectRef> ref = name ? host_.scene.find(name) : std::nullopt;
    if (call("find_object", CallArguments().reserved(reserved).add_text("name", name).add("found", ref.has_value())) || !ref)
        return nullptr;
    return lend(*ref, name, "scene.find_object");
}

void SceneObject::make_part(const char* name, host_reserved reserved) {
    call("make_part", CallArguments().reserved(reserved).add_text("name", name));
    host_.scene.make_part(text_or_empty(name));
}

host_part* SceneObject::create_camera_object(const Vec3& eye, const Vec3& target, const char* name, host_reserved reserved) {
    if (call("create_camera_object", CallArguments().reserved(reserved).add("eye", eye).add("target", target).add_text("name", name)))
        return nullptr;
    const std::uint64_t serial = host_.scene.create_camera_object(text_or_empty(name), to_d(eye), to_d(target));
    return lend({ObjectKind::camera_object, serial}, text_or_empty(name), "scene.create_camera_object");
}

std::int32_t SceneObject::camera_object_count(std::int32_t zero1, std::int32_t zero2, std::int32_t zero3,
                                              host_reserved reserved) {
    const std::int32_t count = host_.scene.camera_object_count();
    call("camera_object_count", CallArguments().reserved(reserved).leading_zero(zero1).leading_zero(zero2).leading_zero(zero3).add("count", count));
    return count;
}

host_part* SceneObject::lend(const ObjectRef& ref, const std::string& object_name, const std::string& origin) {
    host_part*& lent = host_.lent_parts[ref.serial];
    if (!lent) lent = host_.make<PartObject>(ref, object_name, origin);
    return lent;
}

}  // namespace simhost
