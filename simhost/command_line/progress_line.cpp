#include <cstdio>

#include "simhost/command_line/cli_support.h"

namespace simhost {

ProgressLine::ProgressLine() : terminal_(stderr_is_terminal()) {}

void ProgressLine::show(const std::string& text) {
    if (!terminal_) return;
    write_over(text);
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressLine::finish() {
    if (!drawn_) return;
    std::fputc('\n', stderr);
    drawn_ = false;
}

}  // namespace simhost
