#include "simhost/host_objects/session_options.h"

namespace simhost {

std::optional<double> DialogAnswers::value_for(std::int32_t id) const {
    auto as_double = [](auto v) -> std::optional<double> {
        if (!v) return std::nullopt;
        return static_cast<double>(*v);
    };
    switch (id) {
        case columns_id: return as_double(columns);
        case rows_id: return as_double(rows);
        case upper_hemisphere_id: return as_double(upper_hemisphere);
        case method_id: return as_double(method);
        case parallax_id: return as_double(parallax);
        case stereo_id: return as_double(stereo);
        case light_follows_id: return as_double(light_follows);
        default: return std::nullopt;
    }
}

}  // namespace simhost
