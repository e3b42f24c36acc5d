// Where a camera stands, what it looks at, and which way is up in its picture.
//
// The host's world is left-handed as its cameras show it: a camera looking
// along +Z with +Y up has +X on the right of its picture (right = up x
// forward). Every camera carries its own up vector, turned along with it by
// transforms, so a camera that looks straight down keeps a definite picture
// orientation. A new camera gets world +Y as up, except one that looks
// (nearly) straight down or up: that one gets +Z or -Z, the orientation an
// upright camera on the -Z side of the scene ends up with when it is swung
// over the top or under the bottom. So a camera placed straight above the
// scene and swung down towards -Z stays upright all the way, and its
// picture has +X on the right.
#pragma once

#include "simhost/rendering/host_math.h"

namespace simhost {

struct CameraPose {
    Vec3d eye{0, 0, 10};
    Vec3d target{0, 0, 0};
    Vec3d up{0, 1, 0};

    static CameraPose looking_at(Vec3d eye, Vec3d target);
};

// Right, up and forward unit vectors of a camera's picture; forward points
// from the eye to the target. A camera whose eye sits on its target looks
// towards -Z; an up vector along the line of sight is replaced by the rule above.
struct CameraBasis {
    Vec3d right, up, forward;
};
CameraBasis camera_basis(const CameraPose& pose);

// The up vector a camera looking along forward starts with.
Vec3d starting_up(Vec3d forward);

}  // namespace simhost
