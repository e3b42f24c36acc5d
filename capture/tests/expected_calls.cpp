#include "capture/tests/expected_calls.h"

#include <initializer_list>

namespace {

class Script {
public:
    Script& operator()(std::initializer_list<const char*> operations) {
        for (const char* operation : operations) calls.emplace_back(operation);
        return *this;
    }
    Script& repeat(int times, const char* operation) {
        for (int i = 0; i < times; ++i) calls.emplace_back(operation);
        return *this;
    }
    std::vector<std::string> calls;
};

void parameter_dialog(Script& s) {
    s({"scene.create_dialog", "dialog.set_title"});
    s.repeat(9, "dialog.append_item");
    s({"dialog.set_integer", "dialog.set_integer", "dialog.set_real", "dialog.show_modal"});
    // columns, rows, upper hemisphere, method, parallax, stereo, light.
    s({"dialog.read_integer", "dialog.read_integer", "dialog.read_check_box", "dialog.read_selection",
       "dialog.read_real", "dialog.read_check_box", "dialog.read_check_box"});
    s({"window.save_dialog"});
}

void prepare_rig(Script& s, const CaptureShape& shape) {
    s({"scene.begin_preparation", "scene.get_camera", "camera.eye_point", "camera.target_point",
       "camera.get_float_setting"});
    if (shape.light_follows)
        s({"scene.get_light", "light.get_vector", "scene.orientation_matrix", "light.set_vector", "light.Release"});
    s({"scene.update", "scene.create_camera_object", "part.transform"});
    if (shape.stereo) s({"scene.update", "scene.create_camera_object", "part.transform"});
    s({"scene.camera_object_count", "camera.other_entry_count", "camera.current_index"});
    s({"camera.set_current_index", "camera.set_float_setting", "camera.set_mode_value"});
    if (shape.stereo) s({"camera.set_current_index", "camera.set_float_setting", "camera.set_mode_value"});
    s({"camera.set_current_index", "scene.update", "scene.make_part"});
    if (shape.stereo) s({"scene.select_object", "scene.prepare_active_object"});
    s({"scene.select_object", "scene.prepare_active_object", "scene.select_object", "scene.end_preparation",
       "camera.Release"});
}

void render_frame(Script& s, const CaptureShape& shape) {
    if (shape.light_follows) s({"scene.get_light", "light.set_vector", "light.Release"});
    if (shape.stereo) {
        s({"scene.get_renderer", "renderer.set_image_size", "scene.get_camera", "scene.camera_object_count",
           "camera.other_entry_count"});
        s({"camera.set_current_index", "renderer.render", "renderer.current_image", "image.copy"});
        s({"camera.set_current_index", "renderer.render", "renderer.current_image", "image.copy"});
        s({"renderer.set_image_size", "renderer.region", "renderer.current_image", "image.drawing_surface",
           "canvas.copy_image_into", "canvas.copy_image_into", "renderer.append_frame"});
        s({"canvas.Release"}).repeat(5, "image.Release")({"camera.Release", "renderer.Release"});
    } else {
        s({"scene.get_renderer", "scene.get_camera", "scene.camera_object_count", "camera.other_entry_count",
           "camera.set_current_index", "renderer.render", "renderer.append_frame", "camera.Release",
           "renderer.Release"});
    }
}

void restore_rig(Script& s, const CaptureShape& shape) {
    s({"scene.get_renderer", "renderer.end_recording", "renderer.set_image_size", "scene.get_camera",
       "camera.set_current_index"});
    if (shape.light_follows) s({"scene.get_light", "light.set_vector", "light.Release"});
    s({"scene.select_object", "scene.restore_active_object", "scene.end_restoration", "camera.Release",
       "renderer.Release"});
}

}  // namespace

std::vector<std::string> expected_operations(const CaptureShape& shape) {
    Script s;
    parameter_dialog(s);
    prepare_rig(s, shape);
    s({"scene.create_progress", "progress.set_range", "progress.set_position"});
    s({"scene.get_renderer", "renderer.get_image_size", "scene.update", "renderer.start_recording",
       "renderer.Release"});
    bool first_frame = true;
    for (int row = 0; row < shape.rows; ++row) {
        for (int column = 0; column < shape.columns; ++column) {
            render_frame(s, shape);
            s({"scene.find_object", "part.transform", "progress.advance"});
            // The progress window is found once, then only checked for.
            s({first_frame ? "window.find_window" : "window.window_exists", "window.set_window_text"});
            first_frame = false;
        }
        s({"scene.find_object", "part.transform"});
    }
    restore_rig(s, shape);
    s({"window.message_beep", "progress.Release", "dialog.Release"});
    return s.calls;
}
