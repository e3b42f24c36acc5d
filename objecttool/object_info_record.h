// The QuickTime VR 2 object node's 'obji' record: the grid, the view states,
// the pan/tilt/zoom limits and how views animate and controls behave.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace objecttool {

// Bits of ObjectInfoRecord::animation_settings.
enum AnimationSetting : std::uint32_t {
    animate_view_frames = 1u << 0,
    palindrome_view_frames = 1u << 1,
    start_at_first_frame = 1u << 2,
    animate_views = 1u << 3,
    palindrome_views = 1u << 4,
    sync_view_to_frame_rate = 1u << 5,
    dont_loop_view_frames = 1u << 6,
    play_every_frame = 1u << 7,
    streaming_views = 1u << 8,
};

// Bits of ObjectInfoRecord::control_settings.
enum ControlSetting : std::uint32_t {
    wrap_pan = 1u << 0,
    wrap_tilt = 1u << 1,
    can_zoom = 1u << 2,
    reverse_horizontal = 1u << 3,
    reverse_vertical = 1u << 4,
    swap_horizontal_vertical = 1u << 5,
    translation = 1u << 6,
};

// 88 bytes, big-endian; angles are IEEE single precision degrees.
struct ObjectInfoRecord {
    std::uint16_t major_version = 2;
    std::uint16_t minor_version = 0;
    std::uint16_t movie_type = 4;        // 1 grabber with scroller, 2 old joystick, 3 joystick, 4 grabber, 5 absolute
    std::uint16_t view_state_count = 1;
    std::uint16_t default_view_state = 1;     // 1-based
    std::uint16_t mouse_down_view_state = 1;  // 1-based
    std::uint32_t view_duration = 0;     // movie time units per view
    std::uint32_t columns = 0;
    std::uint32_t rows = 0;
    float mouse_motion_scale = 0;
    float min_pan = 0, max_pan = 0, default_pan = 0;
    float min_tilt = 0, max_tilt = 0, default_tilt = 0;
    float min_field_of_view = 0, field_of_view = 0, default_field_of_view = 0;
    float default_view_centre_h = 0, default_view_centre_v = 0;
    float view_rate = 0, frame_rate = 0;
    std::uint32_t animation_settings = 0;
    std::uint32_t control_settings = 0;

    static constexpr std::size_t size = 88;
    // nullopt when the bytes are shorter than the record.
    static std::optional<ObjectInfoRecord> parse(const std::vector<std::uint8_t>& bytes);
    void write(std::vector<std::uint8_t>& out) const;
};

}  // namespace objecttool
