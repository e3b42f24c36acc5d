#include <unistd.h>

#include <cstdio>

#include "simhost/cli_support.h"

namespace simhost {

ProgressLine::ProgressLine() : terminal_(isatty(STDERR_FILENO) == 1) {}

void ProgressLine::show(const std::string& text) {
    if (!terminal_) return;
    std::fprintf(stderr, "\r%s\x1b[K", text.c_str());
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressLine::finish() {
    if (!drawn_) return;
    std::fputc('\n', stderr);
    drawn_ = false;
}

}  // namespace simhost
