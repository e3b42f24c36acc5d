#include "simhost/host_objects/windowing.h"

#include <cstdint>
#include <string>

namespace simhost {

namespace {

// Window handles are opaque numbers that are never reused, so a stale handle
// can never name a newer window.
constexpr std::uintptr_t handle_base = 0x5100;

void* handle_of(std::uint32_t id) { return reinterpret_cast<void*>(handle_base + id); }

}  // namespace

// The simulated dialog has no record to check, answers with the path as
// given and needs a buffer for the title.
const char* Windowing::check_dialog_record(CallArguments&, unsigned, unsigned) { return nullptr; }
std::string Windowing::platform_path(const std::string& answer) { return answer; }
const bool Windowing::title_buffer_optional = false;

WindowRecord* Windowing::lookup(void* window) {
    const auto value = reinterpret_cast<std::uintptr_t>(window);
    if (value <= handle_base || value > handle_base + windows_.size()) return nullptr;
    WindowRecord& record = windows_[value - handle_base - 1];
    return record.open ? &record : nullptr;
}

void* Windowing::find_window(const char* title) {
    void* found = nullptr;
    if (title)
        for (const WindowRecord& w : windows_)
            if (w.open && w.title == title) found = handle_of(w.id);
    CallArguments args;
    args.add_text("title", title).add_text("found", found ? "window" : "none");
    log_.add("window", 0, "find_window", std::move(args));
    return found;
}

int Windowing::window_exists(void* window) {
    const bool exists = lookup(window) != nullptr;
    CallArguments args;
    args.add("exists", exists);
    log_.add("window", 0, "window_exists", std::move(args));
    return exists ? 1 : 0;
}

int Windowing::set_window_text(void* window, const char* text) { return note_text(lookup(window), text); }

void Windowing::message_beep(unsigned type) {
    beeps_.push_back(type);
    CallArguments args;
    args.add("type", static_cast<std::int32_t>(type));
    log_.add("window", 0, "message_beep", std::move(args));
}

void* Windowing::open_window(const std::string& title) {
    WindowRecord record;
    record.id = static_cast<std::uint32_t>(windows_.size() + 1);
    record.title = title;
    windows_.push_back(record);
    return handle_of(record.id);
}

void Windowing::close_window(void* window) {
    if (WindowRecord* record = lookup(window)) record->open = false;
}

}  // namespace simhost
