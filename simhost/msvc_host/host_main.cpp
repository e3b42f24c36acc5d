// orbivane-host.exe: the simulated host with its host objects in Microsoft's
// C++ ABI. The engine (orbivane-host-engine.dll) runs the command line, loads
// the library, and keeps the scene, the renderer and the recording; this side
// calls the plug-in's exports and runs its command.
#include "simhost/msvc_host/plugin_driver.h"

namespace msvc_host {

namespace {
constexpr engine_plugin_driver driver{create_component, invoke_component, release_component};
}

int program_main(int argc, char** argv) { return engine_main(argc, argv, &driver); }

}  // namespace msvc_host
