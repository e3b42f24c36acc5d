#include "simhost/msvc_host/raised_exceptions.h"

extern "C" __declspec(dllimport) void __stdcall RaiseException(unsigned long code, unsigned long flags,
                                                               unsigned long count, const unsigned long* arguments);

namespace msvc_host {

int census::alive = 0;
int census::double_releases = 0;

namespace {

struct resource_entry {
    char text[160];
    bool open;
};
resource_entry resources[64];
int resources_used = 0;

int open_resource(const char* text) {
    const int handle = resources_used < 63 ? ++resources_used : 63;
    copy_text(resources[handle].text, sizeof resources[handle].text, text);
    resources[handle].open = true;
    ++census::alive;
    return handle;
}

void release_resource(int handle) {
    if (!resources[handle].open) ++census::double_releases;
    resources[handle].open = false;
    --census::alive;
}

}  // namespace

raised_kind injected_kind() {
    static const char* const names[] = {"failure",       "resource",        "move_only", "virtual_base", "aligned",
                                        "throwing_copy", "caught_rethrown", "rethrow",   "reentrant",    "structured"};
    const char* setting = getenv("ORBIVANE_HOST_RAISE");
    for (int i = 0; setting && i < static_cast<int>(sizeof names / sizeof names[0]); ++i)
        if (strcmp(setting, names[i]) == 0) return static_cast<raised_kind>(i);
    return raised_kind::failure;
}

const char* resource_text(int handle) {
    return handle > 0 && handle < 64 && resources[handle].open ? resources[handle].text : "released";
}

owned_resource::owned_resource(const char* text) : handle(open_resource(text)) {}
owned_resource::~owned_resource() { release_resource(handle); }

move_only_resource::move_only_resource(const char* text) : handle(open_resource(text)) {}
move_only_resource::move_only_resource(move_only_resource&& other) : handle(other.handle) {
    other.handle = 0;
    ++census::alive;
}
move_only_resource::~move_only_resource() {
    if (handle)
        release_resource(handle);
    else
        --census::alive;
}

failure_base::failure_base(int s) : serial(s) { ++census::alive; }
failure_base::failure_base(const failure_base& other) : serial(other.serial) { ++census::alive; }
failure_base::~failure_base() { --census::alive; }

virtual_failure::virtual_failure(int s) : failure_base(s) { copy_text(reason, sizeof reason, "virtual base"); }
virtual_failure::virtual_failure(const virtual_failure& other) : failure_base(other) {
    copy_text(reason, sizeof reason, other.reason);
}
virtual_failure::~virtual_failure() { reason[0] = '\0'; }

aligned_failure::aligned_failure(int s) : serial(s) {
    const float f = static_cast<float>(s);
    lanes = four_floats{f, 2 * f, 3 * f, 4 * f};
    ++census::alive;
}
aligned_failure::aligned_failure(const aligned_failure& other) : lanes(other.lanes), serial(other.serial) {
    ++census::alive;
}
aligned_failure::~aligned_failure() { --census::alive; }

throwing_copy_failure::throwing_copy_failure(int s) : serial(s) { ++census::alive; }
throwing_copy_failure::throwing_copy_failure(const throwing_copy_failure& other) : serial(other.serial) {
    ++census::alive;
    throw 1;
}
throwing_copy_failure::~throwing_copy_failure() { --census::alive; }

void raise_kind(raised_kind kind, int serial, const char* reason) {
    switch (kind) {
    case raised_kind::resource: throw owned_resource(reason);
    case raised_kind::move_only: throw move_only_resource(reason);
    case raised_kind::virtual_base: throw virtual_failure(serial);
    case raised_kind::aligned: throw aligned_failure(serial);
    case raised_kind::throwing_copy: throw throwing_copy_failure(serial);
    case raised_kind::structured: {
        const unsigned long argument = static_cast<unsigned long>(serial);
        RaiseException(structured_code, 0, 1, &argument);
        break;
    }
    default: break;
    }
    exit(71);  // not a kind raised here
}

}  // namespace msvc_host
