// The scene orbivane-host renders when no model is given: a plate split into
// four coloured quarters carrying a box, a tower, a pyramid, a ball and a
// bar, with a block and a spike hanging below, placed so that no turn or
// tilt of it looks like another, with a light from above one corner so
// shading shows which way it faces.
#pragma once

#include "simhost/rendering/scene_model.h"

namespace simhost {

Scene demo_scene();

// The host's own camera entries for a scene whose geometry fits in the
// sphere (centre, radius): the user's view from the front right and above,
// then a straight front view.
void add_user_cameras(Scene& scene, Vec3d centre, double radius);

}  // namespace simhost
