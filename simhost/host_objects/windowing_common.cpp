// The parts of the windowing both hosts share: the active windowing, the
// save dialog's answer and the texts noted for the host's windows.
#include <cstring>

#include "simhost/host_objects/windowing.h"

namespace simhost {

namespace {

Windowing* active = nullptr;

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
    if (const char* refusal = check_dialog_record(args, file_size, title_size)) {
        args.add_text("answer", refusal);
        log_.add("window", 0, "save_dialog", std::move(args));
        return 0;
    }
    if (!save_answer || save_answer->empty()) {
        args.add_text("answer", "cancel");
        log_.add("window", 0, "save_dialog", std::move(args));
        return 0;
    }
    const SavePath chosen = complete_save_path(platform_path(*save_answer), default_extension);
    // Like GetSaveFileNameA, a buffer that cannot take the name fails the dialog.
    const bool title_fits = title ? chosen.title.size() + 1 <= title_size : title_buffer_optional;
    if (!file || chosen.path.size() + 1 > file_size || !title_fits) {
        args.add_text("answer", "buffer too small");
        log_.add("window", 0, "save_dialog", std::move(args));
        return 0;
    }
    std::memcpy(file, chosen.path.c_str(), chosen.path.size() + 1);
    if (title) std::memcpy(title, chosen.title.c_str(), chosen.title.size() + 1);
    saved_paths_.push_back(chosen.path);
    args.add_text("answer", chosen.path).add_text("title", chosen.title);
    log_.add("window", 0, "save_dialog", std::move(args));
    return 1;
}

int Windowing::note_text(WindowRecord* record, const char* text) {
    CallArguments args;
    args.add_text("text", text).add("done", record != nullptr && text != nullptr);
    log_.add("window", 0, "set_window_text", std::move(args));
    if (!record || !text) return 0;
    record->title = text;
    record->texts.push_back(text);
    if (on_text) on_text(record->title);
    return 1;
}

}  // namespace simhost
