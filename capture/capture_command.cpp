#include "capture/capture_command.h"

#include "capture/capture_plan.h"
#include "capture/capture_settings.h"
#include "capture/capture_state.h"
#include "capture/frame_recording.h"
#include "capture/output_file.h"
#include "capture/parameter_dialog.h"
#include "capture/progress.h"
#include "capture/scene_rig.h"
#include "geometry/geometry.h"
#include "host/host_call.h"
#include "host/host_ref.h"
#include "objectmovie/write_object_movie.h"
#include "platform/platform.h"

namespace {

constexpr Vec3 turn_axis{0.0f, 1.0f, 0.0f};
constexpr Vec3 tilt_axis{1.0f, 0.0f, 0.0f};

// Turns or tilts "Container" about the target by degrees.
void rotate_container(const Vec3& axis, float degrees) {
    const Mat4 rotation =
        pivot_rotation(capture_settings.target, axis, static_cast<float>(degrees * degrees_to_radians));
    // Borrowed from the scene; should the part be missing, there is nothing to move.
    host_part* container = host_call([] { return current_scene->find_object(container_name, 0); });
    if (container) host_call([&] { container->transform(rotation, 0); });
}

// Renders the grid row by row, turning after every frame and tilting after
// every row. Returns the rows completed: all of them, or fewer after an abort.
std::int32_t capture_grid(host_progress& progress) {
    CaptureSettings& settings = capture_settings;
    for (std::int32_t row = 0; row < settings.rows; ++row) {
        for (std::int32_t column = 0; column < settings.columns; ++column) {
            render_frame();
            ++settings.frames_done;
            rotate_container(turn_axis, settings.column_step);
            settings.column_angle += settings.column_step;
            // A row whose last frame is in the movie is complete even if the user stops here.
            if (!update_progress(progress)) return column + 1 == settings.columns ? row + 1 : row;
        }
        rotate_container(tilt_axis, settings.row_step);
        settings.row_angle += settings.row_step;
        settings.column_angle = 0.0f;
    }
    return settings.rows;
}

void delete_temporary_movie(const char* path) { platform::current_platform().delete_file(path); }

// From the prepared rig to the deleted frame movie. On a failure the scene is
// put back and the frame movie removed before the failure goes on to the host.
void capture(const char* temporary_path, const char* user_path) {
    CaptureSettings& settings = capture_settings;
    host_ref<host_progress> progress;  // outlives the clean-up below, released before the dialog
    try {
        prepare_rig();
        progress = host_ref<host_progress>(
            host_call([] { return current_scene->create_progress(progress_title, 0, 0); }));
        host_call([&] { progress->set_range(0, settings.total_frames, 0); });
        host_call([&] { progress->set_position(0, 0); });
        begin_recording(temporary_path);
        settings.start_time = platform::current_platform().calendar_time();

        const std::int32_t complete_rows = capture_grid(*progress.get());
        restore_rig();

        // The object movie holds whole rows only, and says so in its record;
        // with none, an older file at the output path is left as it was.
        if (complete_rows > 0)
            write_object_movie(temporary_path, user_path, static_cast<std::int16_t>(complete_rows),
                               static_cast<std::int16_t>(settings.columns));
        else
            platform::current_platform().message_beep(default_beep);
        rig_changes.recording_begun = false;
        delete_temporary_movie(temporary_path);
    } catch (...) {
        restore_rig_after_failure();
        if (rig_changes.recording_begun) {
            rig_changes.recording_begun = false;
            try {
                delete_temporary_movie(temporary_path);
            } catch (...) {
            }
        }
        throw;
    }
}

}  // namespace

void run_capture_command(host_scene* scene) {
    current_scene = scene;
    // Progress counts and the window handle belong to one command.
    capture_settings.frames_done = 0;
    progress_window = nullptr;

    host_ref<host_dialog> dialog(host_call([&] { return scene->create_dialog(0, 0, 0); }));
    if (!dialog) return;
    const DialogItems items = build_parameter_dialog(*dialog.get());
    if (!host_call([&] { return dialog->show_modal(0); })) return;

    // A grid that cannot be captured is refused before anything is asked or built.
    const DialogValues values = read_parameter_dialog(*dialog.get(), items);
    if (!grid_is_acceptable(values)) {
        platform::current_platform().message_beep(default_beep);
        return;
    }

    char user_path[platform::max_path];
    char temporary_path[platform::max_path];
    switch (choose_output_file(user_path, temporary_path)) {
    case OutputChoice::cancelled:
        return;
    case OutputChoice::refused:
        platform::current_platform().message_beep(default_beep);
        return;
    case OutputChoice::chosen:
        break;
    }

    apply_dialog_values(values, capture_settings);
    capture(temporary_path, user_path);
}
