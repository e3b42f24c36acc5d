#include <csignal>

#include "simhost/cli_support.h"

namespace simhost {

namespace {

std::atomic<bool> stop_requested{false};

extern "C" void on_interrupt(int) {
    if (stop_requested.exchange(true)) {
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
    }
}

}  // namespace

const std::atomic<bool>& install_interrupt_handler() {
    std::signal(SIGINT, on_interrupt);
    return stop_requested;
}

}  // namespace simhost
