// Module-level state of the capture command, kept from one command to the next.
#pragma once

#include "capture/capture_settings.h"
#include "host/host_interface.h"

// The scene the running command was handed; the plug-in holds no reference on it.
extern host_scene* current_scene;
