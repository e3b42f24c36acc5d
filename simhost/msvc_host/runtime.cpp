// What a program needs from a C++ runtime when it is linked without the
// runtime's start-up code and import libraries: the allocation operators, the
// floating-point marker, the type_info table and the program's arguments.
#include "simhost/msvc_host/runtime.h"

void* operator new(msvc_host::size_t size) {
    void* block = malloc(size ? size : 1);
    if (!block) exit(70);  // nothing sensible is left to do in a test host
    return block;
}
void operator delete(void* block) noexcept { free(block); }
void operator delete(void* block, msvc_host::size_t) noexcept { free(block); }

extern "C" {
// Tells the linker that floating point is used; the runtime would define it.
int _fltused = 0;

// Every type descriptor of a thrown or caught type points at the runtime's
// type_info table. Exceptions are matched by the descriptors' names, so a
// table of our own serves; the linker takes it for the runtime's symbol.
const void* msvc_host_type_info_table[1] = {nullptr};
}
#pragma comment(linker, "/alternatename:??_7type_info@@6B@=_msvc_host_type_info_table")

namespace msvc_host {

int program_main(int argc, char** argv);

}  // namespace msvc_host

// The program's entry: msvcrt parses the command line, program_main runs.
extern "C" void __cdecl msvc_host_entry() {
    int argc = 0;
    char** argv = nullptr;
    char** environment = nullptr;
    int startup_info = 0;
    __getmainargs(&argc, &argv, &environment, 0, &startup_info);
    exit(msvc_host::program_main(argc, argv));
}
