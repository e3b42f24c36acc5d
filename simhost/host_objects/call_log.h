// Every host operation the plug-in calls, in order, with its arguments.
//
// Each record names the object ("renderer#7": interface and audit number),
// the operation and its arguments as text; numbers exactly as received
// (shortest round-trip form) and again as values in argument order, a Vec3 as
// three values and a Mat4 as sixteen, so tests can compare them exactly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/vec.h"
#include "host/host_types.h"

namespace simhost {

struct CallRecord {
    std::uint64_t sequence = 0;
    std::string interface_name;  // "scene", "renderer", "window", ...
    int object_id = 0;           // audit number; 0 for the windowing functions
    std::string operation;
    std::string arguments;
    std::vector<double> numbers;
    // The reserved words the operation received, leading ones first, then the trailing one.
    std::vector<std::int32_t> reserved;

    std::string object() const;  // "renderer#7"
    std::string text() const;    // "renderer#7.set_image_size(320 x 240)"
};

// Builds the argument text and value list of one call.
class CallArguments {
public:
    CallArguments& add(std::string_view name, double value);
    CallArguments& add(std::string_view name, std::int32_t value);
    CallArguments& add(std::string_view name, float value);
    CallArguments& add(std::string_view name, bool value);
    CallArguments& add(std::string_view name, const Vec3& value);
    CallArguments& add(std::string_view name, const Mat4& value);
    CallArguments& add(std::string_view name, ImageSize value);
    CallArguments& add(std::string_view name, const ImageRect& value);
    // Text arguments are shown quoted; a null text as null.
    CallArguments& add_text(std::string_view name, const char* value);
    CallArguments& add_text(std::string_view name, const std::string& value);
    // A leading reserved word (shown and counted like any argument) and the
    // trailing one every operation takes (not shown); both are kept in order.
    CallArguments& leading_zero(std::int32_t value);
    CallArguments& reserved(std::int32_t trailing);

    std::string text;
    std::vector<double> numbers;
    std::vector<std::int32_t> leading;
    std::optional<std::int32_t> trailing;

private:
    CallArguments& field(std::string_view name, const std::string& shown);
};

// Shortest text that reads back as the same float.
std::string format_number(float value);
std::string format_number(double value);

class CallLog {
public:
    void add(std::string interface_name, int object_id, std::string operation, CallArguments arguments = {});
    const std::vector<CallRecord>& records() const { return records_; }
    void clear() { records_.clear(); }
    // Records of one operation, e.g. ("renderer", "append_frame").
    std::vector<CallRecord> of(std::string_view interface_name, std::string_view operation) const;
    std::size_t count(std::string_view interface_name, std::string_view operation) const;
    // Called with each record as it is added (the --trace output).
    std::function<void(const CallRecord&)> observer;

private:
    std::uint64_t next_sequence_ = 1;
    std::vector<CallRecord> records_;
};

}  // namespace simhost
