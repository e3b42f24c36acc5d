#include <windows.h>

#include "simhost/command_line/cli_support.h"

namespace simhost {

namespace {

std::atomic<bool> stop_requested{false};

// Runs on a thread of its own: the first Ctrl-C only sets the flag the progress advance
// reads. A second one, or the console closing, removes the working folders and goes on to
// the default handler, which ends the process.
BOOL WINAPI on_console_event(DWORD event) {
    const bool interrupt = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
    if (interrupt && !stop_requested.exchange(true)) return TRUE;
    if (interrupt || event == CTRL_CLOSE_EVENT) remove_live_scratch_directories();
    return FALSE;
}

}  // namespace

const std::atomic<bool>& install_interrupt_handler() {
    SetConsoleCtrlHandler(on_console_event, TRUE);
    return stop_requested;
}

void interrupt_as_ctrl_c() { on_console_event(CTRL_C_EVENT); }

}  // namespace simhost
