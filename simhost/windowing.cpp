#include "simhost/windowing.h"

#include <cstring>

namespace simhost {

namespace {

Windowing* active = nullptr;

// Window handles are opaque numbers that are never reused, so a stale handle
// can never name a newer window.
constexpr std::uintptr_t handle_base = 0x5100;

void* handle_of(std::uint32_t id) { return reinterpret_cast<void*>(handle_base + id); }

std::string filter_text(const char* filter) {
    if (!filter) return "null";
    std::string shown;
    for (const char* p = filter; *p; p += std::strlen(p) + 1) {
        if (!shown.empty()) shown += " | ";
        shown += p;
    }
    return shown;
}

}  // namespace

Windowing* active_windowing() { return active; }
void set_active_windowing(Windowing* windowing) { active = windowing; }

SavePath complete_save_path(const std::string& answer, const char* default_extension) {
    SavePath result{answer, {}};
    const std::size_t slash = answer.find_last_of("/\\");
    std::string title = slash == std::string::npos ? answer : answer.substr(slash + 1);
    if (title.find('.') == std::string::npos && default_extension && *default_extension) {
        result.path += std::string(".") + default_extension;
        title += std::string(".") + default_extension;
    }
    result.title = title;
    return result;
}

int Windowing::save_dialog(const char* filter, const char* default_extension, unsigned flags, char* file,
                           unsigned file_size, char* title, unsigned title_size) {
    CallArguments args;
    args.add_text("filter", filter_text(filter)).add_text("default_extension", default_extension);
    args.add("flags", static_cast<std::int32_t>(flags));
    if (!save_answer || save_answer->empty()) {
        args.add_text("answer", "cancel");
        log_.add("window", 0, "save_dialog", std::move(args));
        return 0;
    }
    const SavePath chosen = complete_save_path(*save_answer, default_extension);
    // Like GetSaveFileNameA, a buffer that cannot take the name fails the dialog.
    if (!file || !title || chosen.path.size() + 1 > file_size || chosen.title.size() + 1 > title_size) {
        args.add_text("answer", "buffer too small");
        log_.add("window", 0, "save_dialog", std::move(args));
        return 0;
    }
    std::memcpy(file, chosen.path.c_str(), chosen.path.size() + 1);
    std::memcpy(title, chosen.title.c_str(), chosen.title.size() + 1);
    saved_paths_.push_back(chosen.path);
    args.add_text("answer", chosen.path).add_text("title", chosen.title);
    log_.add("window", 0, "save_dialog", std::move(args));
    return 1;
}

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

int Windowing::set_window_text(void* window, const char* text) {
    WindowRecord* record = lookup(window);
    CallArguments args;
    args.add_text("text", text).add("done", record != nullptr && text != nullptr);
    log_.add("window", 0, "set_window_text", std::move(args));
    if (!record || !text) return 0;
    record->title = text;
    record->texts.push_back(text);
    if (on_text) on_text(record->title);
    return 1;
}

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
