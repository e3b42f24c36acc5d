// The plug-in driver the engine is handed (engine_abi.h), in Microsoft's C++ ABI.
#pragma once

#include "simhost/msvc_host/engine_abi.h"

namespace msvc_host {

void* create_component(void* module, const char* path, engine_plugin_description* description, char* message,
                       int32_t message_size);
void invoke_component(void* component, void* engine_scene, engine_invoke_report* report);
int32_t release_component(void* component);

}  // namespace msvc_host
