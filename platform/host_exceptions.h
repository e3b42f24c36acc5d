// Exceptions crossing between the plug-in and its host.
//
// Host operations raise exceptions (a user's stop, failures), and the
// component's unimplemented operations throw int 0 at the host. Where the host
// and the plug-in share one C++ runtime (Linux) these are ordinary calls and an
// ordinary throw. On 32-bit Windows the host is built by Microsoft's compiler,
// whose exceptions our runtime cannot catch and whose catch clauses cannot see
// ours; win32_host_exceptions.cpp bridges the two (see docs/architecture.md).
#pragma once

namespace platform {

// Makes one call into the host. Whatever the host raises from it leaves this
// function as a C++ exception of the plug-in's own runtime, so destructors
// and catch (...) see it. call must hold nothing that needs destroying: on
// Windows its frame is left without unwinding when the host raises.
void call_into_host(void (*call)(void* context), void* context);

// Runs the plug-in's side of a call the host made; every entry that can throw
// runs inside it. A host exception that leaves body (one that call_into_host
// caught) reaches the host as the very exception it raised, with its type and
// value; on Windows any other exception of ours reaches it as the host's own
// std::bad_alloc or std::exception, which its runtime can catch.
void answer_host(void (*body)(void* context), void* context);

// Throws int 0 so that the host's catch (int) receives 0, and its catch (...) catches it.
[[noreturn]] void throw_int_zero();

}  // namespace platform
