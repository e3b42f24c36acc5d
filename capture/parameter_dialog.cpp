#include "capture/parameter_dialog.h"

#include "capture/dialog_texts.h"
#include "host/host_call.h"

namespace {

// Item ids the host reports back; they are not the order of appearance.
enum item_id : std::int32_t {
    id_columns = 0,
    id_rows = 1,
    id_upper_hemisphere_only = 2,
    id_stereo_method = 3,
    id_parallax = 4,
    id_stereo = 5,
    id_stereo_group = 6,
    id_stereo_group_end = 7,
    id_light_follows = 8,
};

constexpr std::int32_t default_columns = 24;
constexpr std::int32_t default_rows = 13;
constexpr float default_parallax = 4.0f;

std::int32_t append(host_dialog& dialog, std::int32_t kind, const char* label, std::int32_t id, const char* unit) {
    return host_call([&] { return dialog.append_item(kind, label, id, unit, 0); });
}

}  // namespace

DialogItems build_parameter_dialog(host_dialog& dialog) {
    using namespace dialog_text;
    host_call([&] { dialog.set_title(title, 0); });

    DialogItems items{};
    items.columns = append(dialog, dialog_integer, horizontal_divisions, id_columns, frames_unit);
    items.rows = append(dialog, dialog_integer, vertical_divisions, id_rows, frames_unit);
    items.upper_hemisphere_only =
        append(dialog, dialog_check_box, upper_hemisphere_only, id_upper_hemisphere_only, nullptr);
    items.light_follows = append(dialog, dialog_check_box, move_light, id_light_follows, nullptr);
    append(dialog, dialog_group_begin, stereo_view, id_stereo_group, nullptr);
    items.stereo = append(dialog, dialog_check_box, stereo_view, id_stereo, nullptr);
    items.stereo_method = append(dialog, dialog_selection, dialog_text::stereo_method, id_stereo_method, nullptr);
    items.parallax = append(dialog, dialog_real, dialog_text::parallax, id_parallax, degrees_unit);
    append(dialog, dialog_group_end, stereo_view, id_stereo_group_end, nullptr);

    // Check boxes and the selection start as the host starts them.
    host_call([&] { dialog.set_integer(items.columns, default_columns, 0); });
    host_call([&] { dialog.set_integer(items.rows, default_rows, 0); });
    host_call([&] { dialog.set_real(items.parallax, default_parallax, 0); });
    return items;
}

DialogValues read_parameter_dialog(host_dialog& dialog, const DialogItems& items) {
    DialogValues values{};
    values.columns = host_call([&] { return dialog.read_integer(items.columns, 0); });
    values.rows = host_call([&] { return dialog.read_integer(items.rows, 0); });
    values.upper_hemisphere_only = host_call([&] { return dialog.read_check_box(items.upper_hemisphere_only, 0); });
    values.stereo_method = host_call([&] { return dialog.read_selection(items.stereo_method, 0); });
    values.parallax = host_call([&] { return dialog.read_real(items.parallax, 0); });
    values.stereo = host_call([&] { return dialog.read_check_box(items.stereo, 0); });
    values.light_follows = host_call([&] { return dialog.read_check_box(items.light_follows, 0); });
    return values;
}
