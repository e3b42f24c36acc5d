// The host objects the plug-in is handed, built in Microsoft's C++ ABI. Each
// runs its operation on the engine's object of the same kind (engine_abi.h)
// and raises the host's own exceptions from how that ended: host_stop when
// the user asked to stop, host_failure when the operation failed.
#pragma once

#include "simhost/msvc_host/host_tables.h"

namespace msvc_host {

// What the host raises from progress advance when the user asks to stop.
struct host_stop {
    int advance;  // which advance of the command raised it
};

// What the host raises from an operation that fails. It has a copy
// constructor and a destructor of its own and counts the objects alive, so a
// test sees that whoever takes one over copies and destroys it as the host's
// runtime would.
class host_failure {
public:
    host_failure(const char* operation, const char* reason);
    host_failure(const host_failure& other);
    host_failure& operator=(const host_failure&) = delete;
    ~host_failure();

    int serial;  // numbered from 1 in each command
    char operation[48];
    char reason[200];

    static int raised;  // this command, of every kind (raised_exceptions.h)
    static int alive;
};

// Starts a command's bookkeeping: references, failures, injected faults.
void begin_command();
// Makes the next command's injected failure happen again at the same call;
// with as_rethrow, as throw; (for a command run inside the host's catch).
void rearm_injected_failure(bool as_rethrow);
// The scene object for the engine's scene.
host_scene* scene_for(void* engine_scene);
// References the plug-in took and has not given back in this command.
int references_held();

}  // namespace msvc_host
