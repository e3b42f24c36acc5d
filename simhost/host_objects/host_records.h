// What the host remembers of a command for tests and the summary: the
// dialogs and progress objects the plug-in made, and the frames it recorded.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/host_types.h"
#include "simhost/rendering/camera_pose.h"
#include "simhost/rendering/image.h"

namespace simhost {

struct DialogItem {
    std::int32_t handle = 0;
    std::int32_t kind = 0;
    std::string label;        // as the plug-in gave it (code page 932)
    std::string label_utf8;
    std::int32_t id = 0;
    std::optional<std::string> unit;  // code page 932; nullopt when the plug-in passed none
    double value = 0;
};

struct DialogRecord {
    int object_id = 0;
    std::string title;
    std::vector<DialogItem> items;
    bool shown = false;
    bool confirmed = false;

    const DialogItem* item_with_id(std::int32_t id) const;
};

struct ProgressRecord {
    int object_id = 0;
    std::string title;
    std::int32_t low = 0, high = 0, position = 0;
    int advances = 0;
    bool aborted = false;  // the host raised its abort from this object
};

struct RecordedFrame {
    int index = 0;  // 0-based within its movie
    std::string movie_path;
    ImageSize size{};
    Vec3 light{};                 // the light's vector when the frame's image was rendered
    std::int32_t camera_index = 0;  // the camera-list entry that rendered it last
    CameraPose camera;
    std::optional<Image> image;   // with SessionOptions::keep_frame_images
};

}  // namespace simhost
