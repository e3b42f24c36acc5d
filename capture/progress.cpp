#include "capture/progress.h"

#include <cstdio>
#include <ctime>
#include <limits>

#include "capture/capture_settings.h"
#include "host/host_call.h"
#include "platform/platform.h"

namespace {

// The progress window of this command, looked up by title until found.
// After the first rewrite it no longer bears the title, so the handle is kept
// and dropped only when that window is gone.
platform::window_handle find_progress_window(platform::Platform& os) {
    if (progress_window && !os.window_exists(progress_window)) progress_window = nullptr;
    if (!progress_window) progress_window = os.find_window(progress_title);
    return progress_window;
}

}  // namespace

std::int32_t remaining_seconds(double elapsed, std::int32_t frames_done, std::int32_t total_frames) {
    if (frames_done <= 0) return 0;
    const double remaining = elapsed / frames_done * (static_cast<double>(total_frames) - frames_done);
    if (!(remaining > 0.0)) return 0;
    if (remaining >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(remaining);  // truncated toward zero
}

void format_progress_text(char* text, std::int32_t frames_done, std::int32_t total_frames, std::int32_t remaining) {
    std::snprintf(text, progress_text_size, "progress  %d/%d (remain %d sec)", static_cast<int>(frames_done),
                  static_cast<int>(total_frames), static_cast<int>(remaining));
}

bool update_progress(host_progress& progress) {
    try {
        host_call([&] { progress.advance(1, 0); });
        platform::Platform& os = platform::current_platform();
        const platform::window_handle window = find_progress_window(os);
        if (!window) return true;  // not shown yet; look again next frame

        const CaptureSettings& settings = capture_settings;
        const double elapsed = std::difftime(os.calendar_time(), settings.start_time);
        char text[progress_text_size];
        format_progress_text(text, settings.frames_done, settings.total_frames,
                             remaining_seconds(elapsed, settings.frames_done, settings.total_frames));
        os.set_window_text(window, text);
        return true;
    } catch (...) {
        // The host's way of saying the user asked to stop.
        return false;
    }
}
