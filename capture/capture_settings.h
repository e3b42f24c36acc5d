// The capture parameters and the frame loop's counters, shared by the
// command, the scene rig and the frame recording. Module-level: each command
// overwrites what it derives.
#pragma once

#include <cstdint>
#include <ctime>

#include "geometry/vec.h"
#include "platform/platform.h"

struct CaptureSettings {
    std::int32_t columns = 0;        // viewpoints per row (turns about Y)
    std::int32_t rows = 0;           // rows captured, after the upper-hemisphere halving
    bool light_follows = false;      // the light turns with the view
    bool stereo = false;             // each frame is a side-by-side pair
    std::int32_t stereo_method = 0;  // 0 parallel viewing, anything else cross viewing
    float half_parallax = 0.0f;      // degrees between one eye and the centre
    float column_step = 0.0f;        // degrees turned per column
    float row_step = 0.0f;           // degrees tilted per row
    std::int32_t total_frames = 0;
    std::int32_t frames_done = 0;
    std::time_t start_time = 0;      // base of the remaining-time estimate
    float row_angle = 0.0f;          // tilt about X given to "Container" so far
    float column_angle = 0.0f;       // turn about Y within the current row so far
    Vec3 target{};                   // pivot of every turn and tilt
};

extern CaptureSettings capture_settings;

// The host's progress window once found; null until then and after it is gone.
extern platform::window_handle progress_window;

// The one beep the command sounds (MessageBeep's system default).
constexpr std::uint32_t default_beep = 0;
