#include "capture/capture_state.h"

host_scene* current_scene = nullptr;
