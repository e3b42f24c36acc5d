#include "simhost/host_objects/call_log.h"

#include <charconv>
#include <initializer_list>
#include <utility>

namespace simhost {

namespace {
template <typename T>
std::string shortest(T value) {
    char buffer[48];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// "(a, b, c)", built by appending: GCC 12 at -O3 takes "(" + std::string for
// an overlapping copy and warns (bug 105651).
std::string listed(std::initializer_list<std::string> parts) {
    std::string text = "(";
    for (const std::string& part : parts) {
        if (text.size() > 1) text += ", ";
        text += part;
    }
    text += ')';
    return text;
}
}  // namespace

std::string format_number(float value) { return shortest(value); }
std::string format_number(double value) { return shortest(value); }

std::string CallRecord::object() const {
    return object_id ? interface_name + "#" + std::to_string(object_id) : interface_name;
}

std::string CallRecord::text() const { return object() + "." + operation + "(" + arguments + ")"; }

CallArguments& CallArguments::field(std::string_view name, const std::string& shown) {
    if (!text.empty()) text += ", ";
    if (!name.empty()) {
        text += name;
        text += '=';
    }
    text += shown;
    return *this;
}

CallArguments& CallArguments::add(std::string_view name, double value) {
    numbers.push_back(value);
    return field(name, format_number(value));
}

CallArguments& CallArguments::add(std::string_view name, std::int32_t value) {
    numbers.push_back(value);
    return field(name, std::to_string(value));
}

CallArguments& CallArguments::add(std::string_view name, float value) {
    numbers.push_back(value);
    return field(name, format_number(value));
}

CallArguments& CallArguments::add(std::string_view name, bool value) {
    numbers.push_back(value ? 1 : 0);
    return field(name, value ? "true" : "false");
}

CallArguments& CallArguments::add(std::string_view name, const Vec3& v) {
    numbers.insert(numbers.end(), {v.x, v.y, v.z});
    return field(name, listed({format_number(v.x), format_number(v.y), format_number(v.z)}));
}

CallArguments& CallArguments::add(std::string_view name, const Mat4& m) {
    std::string shown = "[";
    for (int r = 0; r < 4; ++r) {
        if (r) shown += "; ";
        for (int c = 0; c < 4; ++c) {
            if (c) shown += ' ';
            shown += format_number(m.m[r][c]);
            numbers.push_back(m.m[r][c]);
        }
    }
    return field(name, shown + "]");
}

CallArguments& CallArguments::add(std::string_view name, ImageSize size) {
    numbers.insert(numbers.end(), {static_cast<double>(size.width), static_cast<double>(size.height)});
    return field(name, std::to_string(size.width) + " x " + std::to_string(size.height));
}

CallArguments& CallArguments::add(std::string_view name, const ImageRect& r) {
    numbers.insert(numbers.end(), {static_cast<double>(r.left), static_cast<double>(r.top),
                                   static_cast<double>(r.right), static_cast<double>(r.bottom)});
    return field(name, listed({std::to_string(r.left), std::to_string(r.top), std::to_string(r.right),
                               std::to_string(r.bottom)}));
}

CallArguments& CallArguments::leading_zero(std::int32_t value) {
    leading.push_back(value);
    return add("", value);
}

CallArguments& CallArguments::reserved(std::int32_t value) {
    trailing = value;
    return *this;
}

CallArguments& CallArguments::add_text(std::string_view name, const char* value) {
    return value ? add_text(name, std::string(value)) : field(name, "null");
}

CallArguments& CallArguments::add_text(std::string_view name, const std::string& value) {
    return field(name, "\"" + value + "\"");
}

void CallLog::add(std::string interface_name, int object_id, std::string operation, CallArguments arguments) {
    CallRecord record;
    record.sequence = next_sequence_++;
    record.interface_name = std::move(interface_name);
    record.object_id = object_id;
    record.operation = std::move(operation);
    record.arguments = std::move(arguments.text);
    record.numbers = std::move(arguments.numbers);
    record.reserved = std::move(arguments.leading);
    if (arguments.trailing) record.reserved.push_back(*arguments.trailing);
    records_.push_back(std::move(record));
    if (observer) observer(records_.back());
}

std::vector<CallRecord> CallLog::of(std::string_view interface_name, std::string_view operation) const {
    std::vector<CallRecord> found;
    for (const CallRecord& r : records_)
        if (r.interface_name == interface_name && r.operation == operation) found.push_back(r);
    return found;
}

std::size_t CallLog::count(std::string_view interface_name, std::string_view operation) const {
    std::size_t n = 0;
    for (const CallRecord& r : records_) n += r.interface_name == interface_name && r.operation == operation;
    return n;
}

}  // namespace simhost
