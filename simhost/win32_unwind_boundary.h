// C++ exceptions thrown by the host into a plug-in DLL.
//
// The host stops a command by throwing from the progress advance; the
// plug-in catches that in its own code. This program and Orbivane.dll each
// link the GCC runtime statically, so each has its own unwinder, which knows
// only its own module's frames: an exception thrown here finds no handler in
// the DLL and ends the process. (Registering the DLL's unwind tables with
// this program's unwinder is not enough: the DLL's personality routine then
// runs on the DLL's own unwinder state, which was never set up, and aborts.)
// Until both sides share one runtime, that end is made loud and explained.
#pragma once

namespace simhost {

// Call once, before any plug-in runs.
void prepare_exceptions_into_plugins();

}  // namespace simhost
