#include "capture/frame_recording.h"

#include "capture/camera_list.h"
#include "capture/capture_settings.h"
#include "capture/capture_state.h"
#include "capture/scene_rig.h"
#include "geometry/geometry.h"
#include "host/host_call.h"
#include "host/host_ref.h"

namespace {

constexpr Vec3 origin{0.0f, 0.0f, 0.0f};
constexpr Vec3 x_axis{1.0f, 0.0f, 0.0f};
constexpr Vec3 y_axis{0.0f, 1.0f, 0.0f};
constexpr std::int32_t copy_mode = 1;
constexpr std::int32_t copy_bits = 32;
// The region operation on this rectangle gives the current image the current size without a render.
constexpr ImageRect one_pixel{0, 0, 1, 1};


// The host moves "Container" in the part's own frame, so the turns after a row's
// tilt happen about the tilted part's axis: the part's points are turned first,
// then tilted. The light takes the same path and so stays fixed to the object.
void turn_light_with_view() {
    const CaptureSettings& settings = capture_settings;
    host_ref<host_light> light(host_call([] { return current_scene->get_light(0); }));
    const Mat4 turn = pivot_rotation(origin, y_axis, static_cast<float>(settings.column_angle * degrees_to_radians));
    const Mat4 tilt = pivot_rotation(origin, x_axis, static_cast<float>(settings.row_angle * degrees_to_radians));
    const Vec3 vector = transform_point(transform_point(rig_state.follow_light, turn), tilt);
    host_call([&] { light->set_vector(0, vector, 0); });
}

// An independent copy of the renderer's current image, which later renders leave alone.
host_ref<host_image> copy_of(host_image* image) {
    if (!image) return host_ref<host_image>();
    return host_ref<host_image>(host_call([&] { return image->copy(rig_state.frame_size, copy_mode, copy_bits, 0); }));
}

void render_stereo_pair() {
    host_scene& scene = *current_scene;
    const ImageSize size = rig_state.frame_size;

    host_ref<host_renderer> renderer(host_call([&] { return scene.get_renderer(0); }));
    host_call([&] { renderer->set_image_size(size, 0); });
    host_ref<host_camera> camera(host_call([&] { return scene.get_camera(0); }));
    const std::int32_t n = camera_list_size(scene, *camera.get());

    host_call([&] { camera->set_current_index(n - 1, 0); });  // "CameraR"
    host_call([&] { renderer->render(0); });
    host_ref<host_image> right(host_call([&] { return renderer->current_image(0); }));
    host_ref<host_image> right_copy = copy_of(right.get());

    host_call([&] { camera->set_current_index(n - 2, 0); });  // "CameraL"
    host_call([&] { renderer->render(0); });
    host_ref<host_image> left(host_call([&] { return renderer->current_image(0); }));
    host_ref<host_image> left_copy = copy_of(left.get());

    host_call([&] { renderer->set_image_size(rig_state.stereo_frame_size, 0); });
    host_call([&] { renderer->region(one_pixel, 0); });
    host_ref<host_image> frame(host_call([&] { return renderer->current_image(0); }));
    host_ref<host_canvas> surface;
    if (frame) surface = host_ref<host_canvas>(host_call([&] { return frame->drawing_surface(0); }));
    // A half whose copy the host could not make stays empty.
    if (surface && left_copy) host_call([&] {
        surface->copy_image_into(left_copy.get(), ImageRect{0, 0, size.width, size.height}, 0);
    });
    if (surface && right_copy) host_call([&] {
        surface->copy_image_into(right_copy.get(), ImageRect{size.width, 0, 2 * size.width, size.height}, 0);
    });
    host_call([&] { renderer->append_frame(0); });
    // Released in reverse: surface, frame, left copy, left, right copy, right, camera, renderer.
}

void render_single() {
    host_scene& scene = *current_scene;
    host_ref<host_renderer> renderer(host_call([&] { return scene.get_renderer(0); }));
    host_ref<host_camera> camera(host_call([&] { return scene.get_camera(0); }));
    const std::int32_t n = camera_list_size(scene, *camera.get());
    host_call([&] { camera->set_current_index(n - 1, 0); });  // "CameraL"
    host_call([&] { renderer->render(0); });
    host_call([&] { renderer->append_frame(0); });
}

}  // namespace

void begin_recording(const char* path) {
    host_scene& scene = *current_scene;
    host_ref<host_renderer> renderer(host_call([&] { return scene.get_renderer(0); }));
    rig_state.frame_size = host_call([&] { return renderer->get_image_size(0); });
    rig_state.stereo_frame_size = ImageSize{2 * rig_state.frame_size.width, rig_state.frame_size.height};
    rig_changes.image_size_saved = true;
    host_call([&] { scene.update(0); });
    rig_changes.recording_begun = true;
    host_call([&] { renderer->start_recording(&path, 0); });
    rig_changes.recording_open = true;
}

void render_frame() {
    if (capture_settings.light_follows) turn_light_with_view();
    if (capture_settings.stereo)
        render_stereo_pair();
    else
        render_single();
}
