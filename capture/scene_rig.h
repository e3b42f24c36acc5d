// The scene rig: the cameras the grid is filmed with, the light turned to
// match, the part "Container" that the frame loop turns and tilts, and
// putting back what the capture changed.
#pragma once

#include <cstdint>

#include "geometry/vec.h"
#include "host/host_types.h"

struct RigState {
    std::int32_t saved_camera_index = 0;  // current before the rig switched cameras
    Vec3 saved_light{};                   // the light as found (light following only)
    Vec3 follow_light{};                  // the light re-expressed for the rig's cameras
    ImageSize frame_size{};               // image size when recording started
    ImageSize stereo_frame_size{};        // twice as wide, for a side-by-side pair
};

extern RigState rig_state;

// What the running command has changed and not yet put back. Each flag is set
// once the change is made and cleared once it is undone, so that a failing
// command can undo exactly what it did.
struct RigChanges {
    bool preparation_open = false;   // the scene's preparation was opened and not yet closed
    bool camera_switched = false;    // saved_camera_index holds the user's camera
    bool light_changed = false;      // saved_light holds the user's light
    bool container_made = false;     // "Container" needs its restoration
    bool image_size_saved = false;   // frame_size holds the user's image size
    bool recording_begun = false;    // the frame movie may exist on disk
    bool recording_open = false;     // the renderer is recording
};

extern RigChanges rig_changes;

inline constexpr char container_name[] = "Container";
inline constexpr char left_camera_name[] = "CameraL";
inline constexpr char right_camera_name[] = "CameraR";

// Builds the rig from the user's camera; sets the settings' target and zeroes the running angles.
void prepare_rig();

// Ends the frame movie and puts back the image size, the user's camera and the light.
void restore_rig();

// After a failure anywhere in the command: undoes whatever is still changed,
// each step on its own so that one failing step does not stop the rest. Never throws.
void restore_rig_after_failure() noexcept;
