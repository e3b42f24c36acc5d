// The view each frame should show, worked out and rendered by the host on its
// own: "Container" turned about its own vertical axis and then tilted about X
// through the target, seen by a rig camera standing above the target at the
// user's eye distance.
#pragma once

#include "simhost/host_objects/session.h"
#include "simhost/rendering/image.h"

struct ViewPlacement {
    double tilt_degrees = 0;       // about X, applied last
    double turn_degrees = 0;       // about Y, applied first
    double eye_offset_degrees = 0; // the camera turned about Z through the target
};

// Renders the session's starting scene (as the user had it) from the placement.
simhost::Image expected_view(const simhost::Session& session, const simhost::Scene& user_scene, const ViewPlacement& view,
                             int width, int height);

// Mean absolute difference per channel, 0 to 255.
double mean_difference(const simhost::Image& a, const simhost::Image& b);
// The left or right half of a side-by-side pair.
simhost::Image half_of(const simhost::Image& pair, bool right);
