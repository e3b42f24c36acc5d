// The engine's side of the C boundary: each operation runs on the simulated
// host's own object, and how it ended is reported instead of thrown.
#include <cstring>
#include <exception>

#include "host/host_interface.h"
#include "simhost/command_line/cli_support.h"
#include "simhost/host_objects/host_errors.h"
#include "simhost/msvc_host/engine_abi.h"
#include "simhost/msvc_host/engine_driver.h"

#define ENGINE_EXPORT extern "C" __declspec(dllexport)

namespace {

Vec3 vec3(const float (&v)[3]) { return Vec3{v[0], v[1], v[2]}; }

void put(float (&out)[3], const Vec3& v) {
    out[0] = v.x;
    out[1] = v.y;
    out[2] = v.z;
}

template <typename Interface>
Interface* as(void* object) {
    return static_cast<Interface*>(object);
}

void run(void* object, std::int32_t operation, const engine_arguments& a, engine_result& r) {
    const std::int32_t* w = a.words;
    const host_reserved reserved = a.reserved;
    switch (operation) {
    case engine_add_ref: r.word = static_cast<std::int32_t>(as<IUnknown>(object)->AddRef()); return;
    case engine_release: r.word = static_cast<std::int32_t>(as<IUnknown>(object)->Release()); return;

    case engine_scene_create_dialog: r.object = as<host_scene>(object)->create_dialog(w[0], w[1], reserved); return;
    case engine_scene_create_progress:
        r.object = as<host_scene>(object)->create_progress(a.texts[0], w[0], reserved);
        return;
    case engine_scene_orientation_matrix:
        as<host_scene>(object)->orientation_matrix(vec3(a.vectors[0]), vec3(a.vectors[1]),
                                                   reinterpret_cast<Mat4*>(a.matrix_out), reserved);
        return;
    case engine_scene_get_renderer: r.object = as<host_scene>(object)->get_renderer(reserved); return;
    case engine_scene_get_camera: r.object = as<host_scene>(object)->get_camera(reserved); return;
    case engine_scene_get_light: r.object = as<host_scene>(object)->get_light(reserved); return;
    case engine_scene_restore_active_object: as<host_scene>(object)->restore_active_object(reserved); return;
    case engine_scene_update: as<host_scene>(object)->update(reserved); return;
    case engine_scene_prepare_active_object:
        as<host_scene>(object)->prepare_active_object(w[0], w[1], reserved);
        return;
    case engine_scene_select_object: as<host_scene>(object)->select_object(a.texts[0], reserved); return;
    case engine_scene_begin_preparation: as<host_scene>(object)->begin_preparation(reserved); return;
    case engine_scene_end_restoration: as<host_scene>(object)->end_restoration(reserved); return;
    case engine_scene_end_preparation: as<host_scene>(object)->end_preparation(reserved); return;
    case engine_scene_find_object: r.object = as<host_scene>(object)->find_object(a.texts[0], reserved); return;
    case engine_scene_make_part: as<host_scene>(object)->make_part(a.texts[0], reserved); return;
    case engine_scene_create_camera_object:
        r.object =
            as<host_scene>(object)->create_camera_object(vec3(a.vectors[0]), vec3(a.vectors[1]), a.texts[0], reserved);
        return;
    case engine_scene_camera_object_count:
        r.word = as<host_scene>(object)->camera_object_count(w[0], w[1], w[2], reserved);
        return;

    case engine_dialog_read_check_box: r.word = as<host_dialog>(object)->read_check_box(w[0], reserved); return;
    case engine_dialog_read_integer: r.word = as<host_dialog>(object)->read_integer(w[0], reserved); return;
    case engine_dialog_set_integer: as<host_dialog>(object)->set_integer(w[0], w[1], reserved); return;
    case engine_dialog_read_real: r.real = as<host_dialog>(object)->read_real(w[0], reserved); return;
    case engine_dialog_set_real: as<host_dialog>(object)->set_real(w[0], a.real, reserved); return;
    case engine_dialog_read_selection: r.word = as<host_dialog>(object)->read_selection(w[0], reserved); return;
    case engine_dialog_show_modal: r.word = as<host_dialog>(object)->show_modal(reserved); return;
    case engine_dialog_append_item:
        r.word = as<host_dialog>(object)->append_item(w[0], a.texts[0], w[1], a.texts[1], reserved);
        return;
    case engine_dialog_set_title: as<host_dialog>(object)->set_title(a.texts[0], reserved); return;

    case engine_progress_set_range: as<host_progress>(object)->set_range(w[0], w[1], reserved); return;
    case engine_progress_set_position: as<host_progress>(object)->set_position(w[0], reserved); return;
    case engine_progress_advance: as<host_progress>(object)->advance(w[0], reserved); return;

    case engine_camera_eye_point: put(r.vector, as<host_camera>(object)->eye_point(w[0], reserved)); return;
    case engine_camera_target_point: put(r.vector, as<host_camera>(object)->target_point(w[0], reserved)); return;
    case engine_camera_set_float_setting: as<host_camera>(object)->set_float_setting(w[0], a.real, reserved); return;
    case engine_camera_get_float_setting: r.real = as<host_camera>(object)->get_float_setting(w[0], reserved); return;
    case engine_camera_set_current_index: as<host_camera>(object)->set_current_index(w[0], reserved); return;
    case engine_camera_current_index: r.word = as<host_camera>(object)->current_index(reserved); return;
    case engine_camera_set_mode_value: as<host_camera>(object)->set_mode_value(w[0], reserved); return;
    case engine_camera_other_entry_count: r.word = as<host_camera>(object)->other_entry_count(reserved); return;

    case engine_light_set_vector: as<host_light>(object)->set_vector(w[0], vec3(a.vectors[0]), reserved); return;
    case engine_light_get_vector: put(r.vector, as<host_light>(object)->get_vector(w[0], reserved)); return;

    case engine_part_transform:
        as<host_part>(object)->transform(*reinterpret_cast<const Mat4*>(a.matrix), reserved);
        return;

    case engine_renderer_render: as<host_renderer>(object)->render(reserved); return;
    case engine_renderer_start_recording: as<host_renderer>(object)->start_recording(a.path, reserved); return;
    case engine_renderer_append_frame: as<host_renderer>(object)->append_frame(reserved); return;
    case engine_renderer_end_recording: as<host_renderer>(object)->end_recording(reserved); return;
    case engine_renderer_set_image_size:
        as<host_renderer>(object)->set_image_size(ImageSize{a.size[0], a.size[1]}, reserved);
        return;
    case engine_renderer_get_image_size: {
        const ImageSize size = as<host_renderer>(object)->get_image_size(reserved);
        r.size[0] = size.width;
        r.size[1] = size.height;
        return;
    }
    case engine_renderer_current_image: r.object = as<host_renderer>(object)->current_image(reserved); return;
    case engine_renderer_region:
        as<host_renderer>(object)->region(ImageRect{a.rect[0], a.rect[1], a.rect[2], a.rect[3]}, reserved);
        return;

    case engine_image_drawing_surface: r.object = as<host_image>(object)->drawing_surface(reserved); return;
    case engine_image_copy:
        r.object = as<host_image>(object)->copy(ImageSize{a.size[0], a.size[1]}, w[0], w[1], reserved);
        return;

    case engine_canvas_copy_image_into:
        as<host_canvas>(object)->copy_image_into(as<host_image>(a.object),
                                                 ImageRect{a.rect[0], a.rect[1], a.rect[2], a.rect[3]}, reserved);
        return;
    }
    throw simhost::host_error("operation " + std::to_string(operation) + " is not one of the host's");
}

void write_message(char* message, std::int32_t size, const char* text) {
    if (!message || size <= 0) return;
    std::strncpy(message, text, static_cast<std::size_t>(size) - 1);
    message[size - 1] = '\0';
}

}  // namespace

ENGINE_EXPORT std::int32_t engine_call(void* object, std::int32_t operation, const engine_arguments* arguments,
                                       engine_result* result, char* message, std::int32_t message_size) {
    try {
        run(object, operation, *arguments, *result);
        return engine_returned;
    } catch (const simhost::host_abort&) {
        return engine_stopped;
    } catch (const std::exception& e) {
        write_message(message, message_size, e.what());
    } catch (...) {
        write_message(message, message_size, "an exception of a type the engine does not know");
    }
    return engine_failed;
}

ENGINE_EXPORT std::int32_t engine_main(std::int32_t argc, char** argv, const engine_plugin_driver* driver) {
    simhost::use_plugin_driver(driver);
    return orbivane_host_main(argc, argv);
}
