#include "simhost/host_objects/cp932_text.h"
#include "simhost/host_objects/host_objects.h"

namespace simhost {

namespace {
// Item handles are opaque to the plug-in and differ from item ids, so a
// plug-in that passes an id where a handle belongs reads the wrong item.
constexpr std::int32_t first_handle = 0x101;
}  // namespace

const DialogItem* DialogRecord::item_with_id(std::int32_t id) const {
    for (const DialogItem& item : items)
        if (item.id == id) return &item;
    return nullptr;
}

DialogItem& DialogObject::item(std::int32_t handle) {
    const std::int64_t index = static_cast<std::int64_t>(handle) - first_handle;
    if (index < 0 || index >= static_cast<std::int64_t>(record_.items.size()))
        throw host_error(name() + " has no item with handle " + std::to_string(handle));
    return record_.items[static_cast<std::size_t>(index)];
}

double DialogObject::read(const char* operation, std::int32_t handle, host_reserved reserved) {
    CallArguments args;
    args.add("item", handle).reserved(reserved);
    const std::int64_t index = static_cast<std::int64_t>(handle) - first_handle;
    if (index >= 0 && index < static_cast<std::int64_t>(record_.items.size()))
        args.add("value", record_.items[static_cast<std::size_t>(index)].value);
    call(operation, std::move(args));
    return item(handle).value;
}

void DialogObject::write(const char* operation, std::int32_t handle, double value, host_reserved reserved) {
    call(operation, CallArguments().add("item", handle).add("value", value).reserved(reserved));
    item(handle).value = value;
}

bool DialogObject::read_check_box(std::int32_t handle, host_reserved reserved) { return read("read_check_box", handle, reserved) != 0; }

std::int32_t DialogObject::read_integer(std::int32_t handle, host_reserved reserved) {
    return static_cast<std::int32_t>(read("read_integer", handle, reserved));
}

void DialogObject::set_integer(std::int32_t handle, std::int32_t value, host_reserved reserved) {
    write("set_integer", handle, value, reserved);
}

float DialogObject::read_real(std::int32_t handle, host_reserved reserved) {
    return static_cast<float>(read("read_real", handle, reserved));
}

void DialogObject::set_real(std::int32_t handle, float value, host_reserved reserved) { write("set_real", handle, value, reserved); }

std::int32_t DialogObject::read_selection(std::int32_t handle, host_reserved reserved) {
    return static_cast<std::int32_t>(read("read_selection", handle, reserved));
}

bool DialogObject::show_modal(host_reserved reserved) {
    const DialogAnswers& answers = host_.options.dialog;
    call("show_modal", CallArguments().reserved(reserved).add_text("answer", answers.confirm ? "OK" : "cancel"));
    record_.shown = true;
    if (!answers.confirm) return false;
    for (DialogItem& it : record_.items)
        if (const std::optional<double> answer = answers.value_for(it.id)) it.value = *answer;
    record_.confirmed = true;
    return true;
}

std::int32_t DialogObject::append_item(std::int32_t kind, const char* label, std::int32_t id, const char* unit,
                                       host_reserved reserved) {
    DialogItem added;
    added.handle = first_handle + static_cast<std::int32_t>(record_.items.size());
    added.kind = kind;
    added.label = label ? label : "";
    added.label_utf8 = utf8_from_cp932(added.label);
    added.id = id;
    if (unit) added.unit = unit;
    CallArguments args;
    args.add("kind", kind).add_text("label", added.label_utf8).add("id", id);
    if (unit) args.add_text("unit", utf8_from_cp932(unit));
    else args.add_text("unit", nullptr);
    call("append_item", std::move(args.add("handle", added.handle).reserved(reserved)));
    record_.items.push_back(std::move(added));
    return record_.items.back().handle;
}

void DialogObject::set_title(const char* title, host_reserved reserved) {
    record_.title = title ? title : "";
    call("set_title", CallArguments().reserved(reserved).add_text("title", utf8_from_cp932(record_.title)));
}

}  // namespace simhost
