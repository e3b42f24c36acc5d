// What a host session is told before the plug-in runs: the scene, the
// renderer's settings, and how the simulated user answers the dialogs.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/host_types.h"
#include "simhost/host_objects/call_log.h"
#include "simhost/recording/frame_codec.h"
#include "simhost/rendering/demo_scene.h"
#include "simhost/rendering/rasterizer.h"
#include "simhost/rendering/scene_model.h"

namespace simhost {

// The parameter dialog's answers, by item id. Items left unanswered keep the
// value the plug-in preset (or the host's starting value: unchecked, first
// choice, 0).
struct DialogAnswers {
    static constexpr std::int32_t columns_id = 0;
    static constexpr std::int32_t rows_id = 1;
    static constexpr std::int32_t upper_hemisphere_id = 2;
    static constexpr std::int32_t method_id = 3;  // 0 parallel, 1 cross
    static constexpr std::int32_t parallax_id = 4;
    static constexpr std::int32_t stereo_id = 5;
    static constexpr std::int32_t light_follows_id = 8;

    bool confirm = true;  // false: the user cancels the dialog
    std::optional<std::int32_t> columns, rows, method;
    std::optional<bool> upper_hemisphere, light_follows, stereo;
    std::optional<float> parallax;

    std::optional<double> value_for(std::int32_t id) const;
};

// Makes one call of one host operation fail, counting calls within a command.
struct InjectedFault {
    enum class Action {
        throw_error,  // the operation raises host_error
        return_null,  // operations that may return no object return none
    };
    std::string operation;  // "interface.operation", e.g. "renderer.render", "image.copy"
    int occurrence = 1;     // 1 = the first call in the command
    Action action = Action::throw_error;
};

struct SessionOptions {
    Scene scene = demo_scene();
    ImageSize image_size{320, 240};
    // Anti-aliasing: each pixel averages an N x N grid of samples (rendering/rasterizer.h).
    int antialias = default_samples_per_side;
    Rgb background = RenderStyle{}.background;  // behind the scene, and the fill of new pictures
    FrameCodec codec = FrameCodec::jpeg;
    DialogAnswers dialog;
    // The path the user types into the save dialog; nullopt cancels it.
    std::optional<std::string> save_path;
    // The progress advance that follows frame N raises the host's abort, and
    // so does every later one, as after a user's stop request. 0: never.
    int abort_at_frame = 0;
    // When set and true, every progress advance raises the abort (Ctrl-C).
    const std::atomic<bool>* stop_requested = nullptr;
    std::vector<InjectedFault> faults;
    // The closing operation of restoration puts the part tree and camera
    // objects back as the opening operation of preparation found them.
    bool undo_rig_on_restoration = true;
    // Keep a copy of every recorded frame's pixels (tests of small captures).
    bool keep_frame_images = false;
    // Sees every call as it is logged (--trace).
    std::function<void(const CallRecord&)> on_call;
    // Sees every window text as it is set (the progress line).
    std::function<void(const std::string&)> on_window_text;
};

}  // namespace simhost
