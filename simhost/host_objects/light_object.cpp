#include "simhost/host_objects/host_objects.h"

namespace simhost {

void LightObject::set_vector(std::int32_t zero, const Vec3& vector, host_reserved reserved) {
    call("set_vector", CallArguments().reserved(reserved).leading_zero(zero).add("vector", vector));
    host_.scene.light = to_d(vector);
}

Vec3 LightObject::get_vector(std::int32_t zero, host_reserved reserved) {
    const Vec3 vector = to_f(host_.scene.light);
    call("get_vector", CallArguments().reserved(reserved).leading_zero(zero).add("vector", vector));
    return vector;
}

}  // namespace simhost
