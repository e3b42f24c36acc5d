#include <unistd.h>

#include <cstdio>

#include "simhost/command_line/cli_support.h"

namespace simhost {

bool ProgressLine::stderr_is_terminal() { return isatty(STDERR_FILENO) == 1; }

void ProgressLine::write_over(const std::string& text) { std::fprintf(stderr, "\r%s\x1b[K", text.c_str()); }

}  // namespace simhost
