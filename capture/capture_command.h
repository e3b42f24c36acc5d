// The plug-in's one command: capture the scene from a grid of viewpoints
// and write the object movie.
#pragma once

#include "host/host_interface.h"

// Runs the whole command on the host's thread; returns when it is over.
// Exceptions from host operations other than the user's abort pass through.
void run_capture_command(host_scene* scene);
