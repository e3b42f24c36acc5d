#include <windows.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "simhost/win32_scratch_folders.h"
#include "simhost/win32_unwind_boundary.h"

namespace simhost {

namespace {

constexpr UINT exit_lost_exception = 3;

void explain_and_exit(const std::string& what) {
    remove_live_scratch_directories();
    std::fprintf(stderr,
                 "\norbivane-host: %s, so the program ends here.\n"
                 "On Windows this program and Orbivane.dll each carry their own C++ runtime, and an exception\n"
                 "cannot pass between them: stopping a capture (Ctrl-C, --abort-at) and a failing host operation\n"
                 "end the process in this build. An existing output file is left as it was.\n",
                 what.c_str());
    std::fflush(stderr);
    ExitProcess(exit_lost_exception);
}

[[noreturn]] void on_terminate() {
    std::string what = "an exception found no handler";
    if (std::exception_ptr current = std::current_exception()) {
        try {
            std::rethrow_exception(current);
        } catch (const std::exception& e) {
            what = std::string("an exception (") + e.what() + ") found no handler";
        } catch (...) {
        }
    }
    explain_and_exit(what);
    std::abort();
}

// The plug-in's runtime ends the process with abort() when its unwinder
// gives up; both modules share msvcrt's signal table, so this sees it.
extern "C" void on_abort_signal(int) { explain_and_exit("the C++ runtime gave up on an exception"); }

}  // namespace

void prepare_exceptions_into_plugins() {
    std::set_terminate(on_terminate);
    std::signal(SIGABRT, on_abort_signal);
}

}  // namespace simhost
