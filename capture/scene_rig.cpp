#include "capture/scene_rig.h"

#include "capture/camera_list.h"
#include "capture/capture_settings.h"
#include "capture/capture_state.h"
#include "geometry/geometry.h"
#include "host/host_call.h"
#include "host/host_ref.h"

RigState rig_state;
RigChanges rig_changes;

namespace {

constexpr Vec3 z_axis{0.0f, 0.0f, 1.0f};
constexpr Vec3 up{0.0f, 1.0f, 0.0f};
constexpr std::int32_t rig_camera_mode = 2;


void place_eye_camera(host_scene& scene, const char* name, const Vec3& eye, const Vec3& target, float degrees) {
    // Borrowed: the scene owns it.
    host_part* part = host_call([&] { return scene.create_camera_object(eye, target, name, 0); });
    const Mat4 offset = pivot_rotation(capture_settings.target, z_axis,
                                       static_cast<float>(degrees * degrees_to_radians));
    if (part) host_call([&] { part->transform(offset, 0); });
}

void adopt_camera_settings(host_camera& camera, std::int32_t index, float setting) {
    host_call([&] { camera.set_current_index(index, 0); });
    host_call([&] { camera.set_float_setting(0, setting, 0); });
    host_call([&] { camera.set_mode_value(rig_camera_mode, 0); });
}

// Runs one clean-up step, keeping any failure of its own from hiding the
// failure being cleaned up after.
template <typename Step>
void attempt(Step step) noexcept {
    try {
        step();
    } catch (...) {
    }
}

}  // namespace

void prepare_rig() {
    host_scene& scene = *current_scene;
    CaptureSettings& settings = capture_settings;
    rig_changes = RigChanges{};

    host_call([&] { scene.begin_preparation(0); });
    rig_changes.preparation_open = true;

    host_ref<host_camera> camera(host_call([&] { return scene.get_camera(0); }));
    const Vec3 eye = host_call([&] { return camera->eye_point(0, 0); });
    const Vec3 target = host_call([&] { return camera->target_point(0, 0); });
    settings.target = target;
    const float camera_setting = host_call([&] { return camera->get_float_setting(0, 0); });
    const float reach = static_cast<float>(distance(eye.x, eye.y, eye.z, target.x, target.y, target.z));

    if (settings.light_follows) {
        host_ref<host_light> light(host_call([&] { return scene.get_light(0); }));
        rig_state.saved_light = rig_state.follow_light = host_call([&] { return light->get_vector(0, 0); });
        rig_changes.light_changed = true;
        // The rig films from +Y; turn the light so that it keeps its place relative to the view.
        const Vec3 view{eye.x - target.x, eye.y - target.y, eye.z - target.z};
        Mat4 orientation{};
        const Vec3 direction = normalize(view);
        host_call([&] { scene.orientation_matrix(direction, up, &orientation, 0); });
        rig_state.follow_light = transform_point(rig_state.follow_light, orientation);
        host_call([&] { light->set_vector(0, rig_state.follow_light, 0); });
    }

    float eye_offset = 0.0f;
    if (settings.stereo) eye_offset = settings.stereo_method == 0 ? settings.half_parallax : settings.half_parallax * -1.0f;

    const Vec3 rig_eye{target.x, target.y + reach, target.z};
    host_call([&] { scene.update(0); });
    place_eye_camera(scene, left_camera_name, rig_eye, target, eye_offset);
    if (settings.stereo) {
        host_call([&] { scene.update(0); });
        place_eye_camera(scene, right_camera_name, rig_eye, target, eye_offset * -1.0f);
    }

    const std::int32_t n = camera_list_size(scene, *camera.get());
    rig_state.saved_camera_index = host_call([&] { return camera->current_index(0); });
    rig_changes.camera_switched = true;
    adopt_camera_settings(*camera.get(), n - 1, camera_setting);
    if (settings.stereo) adopt_camera_settings(*camera.get(), n - 2, camera_setting);
    host_call([&] { camera->set_current_index(rig_state.saved_camera_index, 0); });

    host_call([&] { scene.update(0); });
    host_call([&] { scene.make_part(container_name, 0); });
    rig_changes.container_made = true;
    if (settings.stereo) {
        host_call([&] { scene.select_object(right_camera_name, 0); });
        host_call([&] { scene.prepare_active_object(0, 0, 0); });
    }
    host_call([&] { scene.select_object(left_camera_name, 0); });
    host_call([&] { scene.prepare_active_object(0, 0, 0); });
    host_call([&] { scene.select_object(container_name, 0); });
    host_call([&] { scene.end_preparation(0); });
    rig_changes.preparation_open = false;

    settings.row_angle = 0.0f;
    settings.column_angle = 0.0f;
}

void restore_rig() {
    host_scene& scene = *current_scene;
    RigChanges& changes = rig_changes;
    // Each flag drops before its step, so a step that fails is not retried by the clean-up.

    host_ref<host_renderer> renderer(host_call([&] { return scene.get_renderer(0); }));
    changes.recording_open = false;
    host_call([&] { renderer->end_recording(0); });
    changes.image_size_saved = false;
    host_call([&] { renderer->set_image_size(rig_state.frame_size, 0); });

    host_ref<host_camera> camera(host_call([&] { return scene.get_camera(0); }));
    changes.camera_switched = false;
    host_call([&] { camera->set_current_index(rig_state.saved_camera_index, 0); });

    changes.light_changed = false;
    if (capture_settings.light_follows) {
        host_ref<host_light> light(host_call([&] { return scene.get_light(0); }));
        host_call([&] { light->set_vector(0, rig_state.saved_light, 0); });
    }

    changes.container_made = false;
    host_call([&] { scene.select_object(container_name, 0); });
    host_call([&] { scene.restore_active_object(0); });
    host_call([&] { scene.end_restoration(0); });
}

void restore_rig_after_failure() noexcept {
    host_scene* scene = current_scene;
    if (!scene) return;
    RigChanges& changes = rig_changes;

    if (changes.preparation_open) attempt([&] {
        changes.preparation_open = false;
        host_call([&] { scene->end_preparation(0); });
    });
    if (changes.recording_open) attempt([&] {
        changes.recording_open = false;
        host_ref<host_renderer> renderer(host_call([&] { return scene->get_renderer(0); }));
        host_call([&] { renderer->end_recording(0); });
    });
    if (changes.image_size_saved) attempt([&] {
        changes.image_size_saved = false;
        host_ref<host_renderer> renderer(host_call([&] { return scene->get_renderer(0); }));
        host_call([&] { renderer->set_image_size(rig_state.frame_size, 0); });
    });
    if (changes.camera_switched) attempt([&] {
        changes.camera_switched = false;
        host_ref<host_camera> camera(host_call([&] { return scene->get_camera(0); }));
        host_call([&] { camera->set_current_index(rig_state.saved_camera_index, 0); });
    });
    if (changes.light_changed) attempt([&] {
        changes.light_changed = false;
        host_ref<host_light> light(host_call([&] { return scene->get_light(0); }));
        host_call([&] { light->set_vector(0, rig_state.saved_light, 0); });
    });
    if (changes.container_made) {
        changes.container_made = false;
        attempt([&] {
            host_call([&] { scene->select_object(container_name, 0); });
            host_call([&] { scene->restore_active_object(0); });
        });
        attempt([&] { host_call([&] { scene->end_restoration(0); }); });
    }
}
