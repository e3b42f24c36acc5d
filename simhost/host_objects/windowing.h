// The windows a plug-in sees on a POSIX host: the save dialog, top-level
// windows found by title, their texts, and the beep.
//
// The host opens a window for each progress object, titled as the object,
// and closes it when the object's last reference goes, so a handle kept past
// that is seen as gone. The save dialog is answered from the session's
// options, like a user who types the path and presses Save.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "simhost/host_objects/call_log.h"

namespace simhost {

struct WindowRecord {
    std::uint32_t id = 0;
    std::string title;               // current text
    bool open = true;
    std::vector<std::string> texts;  // every text set, in order
};

class Windowing {
public:
    explicit Windowing(CallLog& log) : log_(log) {}

    // What the user answers in the save dialog; nullopt cancels it.
    std::optional<std::string> save_answer;

    // The orbivane_host_* functions (platform/posix_windowing.h).
    int save_dialog(const char* filter, const char* default_extension, unsigned flags, char* file,
                    unsigned file_size, char* title, unsigned title_size);
    void* find_window(const char* title);
    int window_exists(void* window);
    int set_window_text(void* window, const char* text);
    void message_beep(unsigned type);

    void* open_window(const std::string& title);
    void close_window(void* window);

    const std::vector<WindowRecord>& windows() const { return windows_; }
    const std::vector<unsigned>& beeps() const { return beeps_; }
    // Paths the save dialog answered with.
    const std::vector<std::string>& saved_paths() const { return saved_paths_; }
    // Called with each window text as it is set (the terminal's progress line).
    std::function<void(const std::string&)> on_text;

private:
    WindowRecord* lookup(void* window);
    // Logs a text set on `record` and keeps it; 0 when there is no such
    // window or no text.
    int note_text(WindowRecord* record, const char* text);

    // The platform's parts of the save dialog. The first logs what the
    // platform knows of the dialog's record and answers why it refuses the
    // record, or null; the second puts the answer into the platform's form of
    // a path; the last says whether the caller may leave out the buffer for
    // the file title.
    const char* check_dialog_record(CallArguments& args, unsigned file_size, unsigned title_size);
    static std::string platform_path(const std::string& answer);
    static const bool title_buffer_optional;

    CallLog& log_;
    std::vector<WindowRecord> windows_;
    std::vector<unsigned> beeps_;
    std::vector<std::string> saved_paths_;
};

// Applies the dialog's default extension and splits off the file title:
// "out/vase" with "mov" gives ("out/vase.mov", "vase.mov").
struct SavePath {
    std::string path;
    std::string title;
};
SavePath complete_save_path(const std::string& answer, const char* default_extension);

// The windowing the exported orbivane_host_* functions serve; null when no
// session is running a command.
Windowing* active_windowing();
void set_active_windowing(Windowing* windowing);

}  // namespace simhost
