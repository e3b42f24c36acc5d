// The host's camera list: the user's entries first, then the camera objects, newest last.
#pragma once

#include <cstdint>

#include "host/host_call.h"
#include "host/host_interface.h"

// Entries in the list, so that size - 1 is the newest camera object and size - 2 the one before.
inline std::int32_t camera_list_size(host_scene& scene, host_camera& camera) {
    const std::int32_t objects = host_call([&] { return scene.camera_object_count(0, 0, 0, 0); });
    return objects + host_call([&] { return camera.other_entry_count(0); });
}
