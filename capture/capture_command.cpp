#include "capture/capture_command.h"

#include "capture/capture_state.h"

void run_capture_command(host_scene* scene) { current_scene = scene; }
