// The kinds of exception real hosts throw, which the host raises at an
// injected failure when ORBIVANE_HOST_RAISE names one (host_objects.h). Each
// counts its objects, so a test sees that whoever takes one over copies and
// ends it as Microsoft's runtime would: every object built is destroyed once.
#pragma once

#include "simhost/msvc_host/runtime.h"

namespace msvc_host {

enum class raised_kind {
    failure,          // host_failure: a copy constructor and a destructor
    resource,         // owned_resource: trivial copy constructor, a destructor that releases
    move_only,        // move_only_resource
    virtual_base,     // virtual_failure: a class with a virtual base
    aligned,          // aligned_failure: alignas(64), copied with aligned SSE moves
    throwing_copy,    // throwing_copy_failure: its copy constructor throws
    caught_rethrown,  // a host_failure caught by catch (...) and rethrown with throw; in the operation
    rethrow,          // throw; of the exception the host's catch holds, from an operation it calls in that catch
    reentrant,        // a host_failure whose catch calls the plug-in again, which fails again
    structured        // a structured exception, RaiseException(structured_code, 0, 1, {serial})
};

constexpr unsigned long structured_code = 0xE0000042;

// ORBIVANE_HOST_RAISE's kind (failure when unset or unknown).
raised_kind injected_kind();

// Objects of every kind alive (built, not yet destroyed), and how many times
// an owned resource was released that was released already.
struct census {
    static int alive;
    static int double_releases;
};

// Texts that a resource handle stands for; released handles read "released".
const char* resource_text(int handle);

struct owned_resource {
    explicit owned_resource(const char* text);
    ~owned_resource();
    int handle;
};

struct move_only_resource {
    explicit move_only_resource(const char* text);
    move_only_resource(move_only_resource&& other);
    move_only_resource(const move_only_resource&) = delete;
    ~move_only_resource();
    int handle;
};

struct failure_base {
    explicit failure_base(int serial);
    failure_base(const failure_base& other);
    ~failure_base();
    int serial;
};

struct virtual_failure : virtual failure_base {
    explicit virtual_failure(int serial);
    virtual_failure(const virtual_failure& other);
    ~virtual_failure();
    char reason[64];
};

using four_floats = float __attribute__((vector_size(16)));

// Aligned beyond the 16 bytes that the C runtime's malloc happens to give
// under Wine, so that a copy in storage aligned for less shows.
struct alignas(64) aligned_failure {
    explicit aligned_failure(int serial);
    aligned_failure(const aligned_failure& other);
    ~aligned_failure();
    four_floats lanes;  // serial, 2 serial, 3 serial, 4 serial
    int serial;
};

struct throwing_copy_failure {
    explicit throwing_copy_failure(int serial);
    throwing_copy_failure(const throwing_copy_failure& other);
    ~throwing_copy_failure();
    int serial;
};

// Raises kind (not rethrow, reentrant or failure) for the injected failure numbered serial.
[[noreturn]] void raise_kind(raised_kind kind, int serial, const char* reason);

}  // namespace msvc_host
