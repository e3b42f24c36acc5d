#include "simhost/rendering/demo_scene.h"

#include <cmath>

#include "simhost/rendering/mesh_shapes.h"
#include "simhost/rendering/rasterizer.h"

namespace simhost {

Scene demo_scene() {
    Scene scene;
    Mesh plate;
    const Rgb side{120, 120, 124};
    // Quarters: tops and undersides all differ, so even views from straight
    // above or below show which way the plate is turned.
    add_box(plate, {-3, -0.3, -3}, {0, 0, 0}, {side, side, Rgb{90, 200, 235}, Rgb{40, 170, 160}, side, side});
    add_box(plate, {0, -0.3, -3}, {3, 0, 0}, {side, side, Rgb{250, 175, 60}, Rgb{235, 120, 95}, side, side});
    add_box(plate, {0, -0.3, 0}, {3, 0, 3}, {side, side, Rgb{150, 230, 140}, Rgb{170, 150, 225}, side, side});
    add_box(plate, {-3, -0.3, 0}, {0, 0, 3}, {side, side, Rgb{240, 120, 175}, Rgb{150, 160, 60}, side, side});
    scene.add_part("Plate", std::move(plate));

    Mesh box;
    add_box(box, {-2.4, 0, -2.2}, {-0.8, 1.0, -1.2}, Rgb{215, 40, 40});
    scene.add_part("RedBox", std::move(box));

    Mesh tower;
    add_prism(tower, {1.7, 0, -1.5}, 0.45, 2.6, 6, Rgb{40, 185, 70}, Rgb{190, 240, 120});
    scene.add_part("GreenTower", std::move(tower));

    Mesh pyramid;
    add_pyramid(pyramid, {1.3, 0, 1.4}, 0.8, 1.7, Rgb{45, 90, 225}, Rgb{20, 40, 110});
    scene.add_part("BluePyramid", std::move(pyramid));

    Mesh ball;
    add_sphere(ball, {-1.5, 0.75, 1.5}, 0.75, 3, Rgb{250, 200, 40}, Rgb{240, 130, 20});
    scene.add_part("YellowBall", std::move(ball));

    Mesh bar;
    add_box(bar, {-0.6, 0, 2.2}, {0.9, 0.35, 2.65}, Rgb{235, 235, 235});
    scene.add_part("WhiteBar", std::move(bar));

    // Underneath, so that views from below differ as much as views from above.
    Mesh keel;
    add_box(keel, {-2.2, -1.6, -1.9}, {-1.4, -0.3, -1.1}, Rgb{120, 60, 30});
    add_pyramid(keel, {1.4, -0.3, 1.2}, 0.6, -2.0, Rgb{220, 60, 200}, Rgb{120, 30, 110});
    scene.add_part("Keel", std::move(keel));

    scene.light = {-0.35, -1.0, -0.55};
    add_user_cameras(scene, {0, 0.6, 0}, 4.4);
    return scene;
}

void add_user_cameras(Scene& scene, Vec3d centre, double radius) {
    // Far enough that the whole sphere fits the shorter (vertical, 4:3) side of the picture.
    const double half_height = std::atan(18.0 / default_focal_length * 0.75);
    const double distance = radius / std::sin(half_height);
    CameraEntry view;
    view.name = "Perspective";
    view.pose = CameraPose::looking_at(centre + normalized(Vec3d{0.55, 0.45, 0.70}) * distance, centre);
    view.float_setting = default_focal_length;
    scene.add_host_camera(view);
    CameraEntry front;
    front.name = "Front";
    front.pose = CameraPose::looking_at(centre + Vec3d{0, 0, distance}, centre);
    front.float_setting = default_focal_length;
    scene.add_host_camera(front);
    scene.set_current_camera_index(0);
}

}  // namespace simhost
