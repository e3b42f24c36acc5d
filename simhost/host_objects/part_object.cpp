#include "simhost/host_objects/host_objects.h"

namespace simhost {

void PartObject::transform(const Mat4& matrix, host_reserved reserved) {
    call("transform", CallArguments().reserved(reserved).add_text("object", object_name_).add("matrix", matrix));
    const Mat4d m = to_d(matrix);
    const bool done = ref_.kind == ObjectKind::part ? host_.scene.transform_part(ref_.serial, m)
                                                    : host_.scene.transform_camera_object(ref_.serial, m);
    if (!done) throw host_error(name() + " is no longer in the scene");
}

}  // namespace simhost
