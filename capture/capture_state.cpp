#include "capture/capture_state.h"

host_scene* current_scene = nullptr;
CaptureSettings capture_settings;
platform::window_handle progress_window = nullptr;
