// POSIX: the host and the plug-in share one C++ runtime, so exceptions cross as they are.
#include "platform/host_exceptions.h"

namespace platform {

void call_into_host(void (*call)(void* context), void* context) { call(context); }

void answer_host(void (*body)(void* context), void* context) { body(context); }

void throw_int_zero() { throw 0; }

}  // namespace platform
