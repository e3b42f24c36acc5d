#include "objecttool/object_info_record.h"

#include <type_traits>

#include "medialayer/big_endian.h"

namespace objecttool {

namespace {

// The record's fields in file order, shared by parse and write.
template <typename Record, typename Visit>
void each_field(Record& r, Visit&& visit) {
    visit(r.major_version), visit(r.minor_version), visit(r.movie_type), visit(r.view_state_count);
    visit(r.default_view_state), visit(r.mouse_down_view_state), visit(r.view_duration);
    visit(r.columns), visit(r.rows), visit(r.mouse_motion_scale);
    visit(r.min_pan), visit(r.max_pan), visit(r.default_pan);
    visit(r.min_tilt), visit(r.max_tilt), visit(r.default_tilt);
    visit(r.min_field_of_view), visit(r.field_of_view), visit(r.default_field_of_view);
    visit(r.default_view_centre_h), visit(r.default_view_centre_v);
    visit(r.view_rate), visit(r.frame_rate), visit(r.animation_settings), visit(r.control_settings);
}

}  // namespace

std::optional<ObjectInfoRecord> ObjectInfoRecord::parse(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < size) return std::nullopt;
    medialayer::ByteReader r(bytes);
    ObjectInfoRecord record;
    each_field(record, [&](auto& field) {
        using T = std::remove_reference_t<decltype(field)>;
        if constexpr (std::is_same_v<T, float>) field = r.f32();
        else if constexpr (sizeof(T) == 2) field = r.u16();
        else field = r.u32();
    });
    return record;
}

void ObjectInfoRecord::write(std::vector<std::uint8_t>& out) const {
    medialayer::ByteWriter w(out);
    each_field(*this, [&](const auto& field) {
        using T = std::remove_cvref_t<decltype(field)>;
        if constexpr (std::is_same_v<T, float>) w.f32(field);
        else if constexpr (sizeof(T) == 2) w.u16(std::uint16_t(field));
        else w.u32(std::uint32_t(field));
    });
}

}  // namespace objecttool
