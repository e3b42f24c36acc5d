// The command's working folders, removable from the Windows host's last-resort
// exit (an exception that cannot reach the plug-in ends the process without
// running destructors).
#pragma once

namespace simhost {

// Removes every ScratchDirectory still alive, with its files.
void remove_live_scratch_directories();

}  // namespace simhost
