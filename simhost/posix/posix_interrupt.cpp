#include <csignal>

#include "simhost/command_line/cli_support.h"

namespace simhost {

namespace {

std::atomic<bool> stop_requested{false};

extern "C" void on_stop_signal(int signal) {
    if (stop_requested.exchange(true)) {
        // Asked twice: no waiting for the next frame, but nothing left behind either.
        remove_live_scratch_directories();
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
}

}  // namespace

const std::atomic<bool>& install_interrupt_handler() {
    // Ctrl-C, a polite kill and a closed terminal stop the capture the same way, so the
    // working folders are cleaned up; a closed output pipe must not kill the run midway.
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, on_stop_signal);
    std::signal(SIGPIPE, SIG_IGN);
    return stop_requested;
}

void interrupt_as_ctrl_c() { std::raise(SIGINT); }

}  // namespace simhost
