#include <windows.h>

#include "simhost/cli_support.h"

namespace simhost {

namespace {

std::atomic<bool> stop_requested{false};

// Runs on a thread of its own: it only sets the flag the progress advance reads.
BOOL WINAPI on_console_event(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    // A second Ctrl-C goes on to the default handler, which ends the process.
    return stop_requested.exchange(true) ? FALSE : TRUE;
}

}  // namespace

const std::atomic<bool>& install_interrupt_handler() {
    SetConsoleCtrlHandler(on_console_event, TRUE);
    return stop_requested;
}

}  // namespace simhost
