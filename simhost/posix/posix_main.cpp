#include "simhost/command_line/cli_support.h"

int main(int argc, char** argv) { return orbivane_host_main(argc, argv); }
