// The plug-in driver the host program hands the engine (engine_abi.h). Internal to the engine.
#pragma once

#include "simhost/msvc_host/engine_abi.h"

namespace simhost {

void use_plugin_driver(const engine_plugin_driver* driver);
const engine_plugin_driver& plugin_driver();

}  // namespace simhost
