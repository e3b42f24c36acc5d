// Orbivane.dll's component driven by a host built in Microsoft's C++ ABI: the
// table as that compiler lays it out (one slot for the deleting destructor),
// and every operation that throws int 0 caught by the host's catch (int),
// then by its catch (...), with the host's own frames unwound each time.
// Usage: component_slots_test.exe Orbivane.dll
#include "simhost/msvc_host/host_tables.h"

namespace msvc_host {

namespace {

int failures = 0;
int unwound = 0;

void check(bool ok, const char* what, int value) {
    if (ok) return;
    ++failures;
    fprintf(standard_error(), "FAIL: %s (%d)\n", what, value);
}

// A host frame's object that the throw must destroy on its way to the catch.
struct frame_object {
    ~frame_object() { ++unwound; }
};

// 1 when the operation threw an int of value 0 into catch (int).
int caught_as_int_zero(plugin_component& component, throwing_operation operation) {
    try {
        frame_object in_the_way;
        (component.*operation)();
    } catch (int value) {
        return value == 0 ? 1 : 0;
    } catch (...) {
    }
    return 0;
}

int caught_by_catch_all(plugin_component& component, throwing_operation operation) {
    try {
        frame_object in_the_way;
        (component.*operation)();
    } catch (...) {
        return 1;
    }
    return 0;
}

// CTest hands over the build tree's Linux path; Wine shows / as drive Z:.
void windows_path(const char* path, char* out, int size) {
    int n = 0;
    if (path[0] == '/' && size > 2) {
        out[n++] = 'Z';
        out[n++] = ':';
    }
    for (; *path && n + 1 < size; ++path) out[n++] = *path == '/' ? '\\' : *path;
    out[n] = '\0';
}

}  // namespace

int program_main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(standard_error(), "usage: component_slots_test.exe Orbivane.dll\n");
        return 2;
    }
    char path[520];
    windows_path(argv[1], path, sizeof path);
    void* module = LoadLibraryA(path);
    check(module != nullptr, "the plug-in loads", 0);
    if (!module) return 1;
    const auto create_interface = reinterpret_cast<create_interface_fn>(GetProcAddress(module, "create_interface"));
    plugin_component* component = nullptr;
    if (create_interface) create_interface(&plugin_interface_id, 0, &component, 0, 0);
    check(component != nullptr, "create_interface makes the component", 0);
    if (!component) return 1;

    check(component->AddRef() == 2, "AddRef after create_interface answers 2", 0);
    check(component->Release() == 1, "Release answers 1", 0);
    check(component->probe(), "probe, the entry after the destructor's one slot, answers true", 0);
    const int id = component->component_id(0);
    check(id == 0x40A00130, "component_id answers 0x40A00130", id);
    const int revision = component->revision();
    check(revision == 36088, "revision (own operation 32) answers 36088", revision);

    const int count = last_throwing_operation - first_throwing_operation + 1;
    int as_int = 0;
    int as_anything = 0;
    for (int i = 0; i < count; ++i) {
        const int by_int = caught_as_int_zero(*component, throwing_operations[i]);
        const int by_all = caught_by_catch_all(*component, throwing_operations[i]);
        check(by_int == 1, "own operation throws int 0 into catch (int)", first_throwing_operation + i);
        check(by_all == 1, "own operation's exception reaches catch (...)", first_throwing_operation + i);
        as_int += by_int;
        as_anything += by_all;
    }
    check(unwound == 2 * count, "every throw destroyed the host frame's object", unwound);
    fprintf(standard_error(),
            "own operations %d to %d: %d of %d caught as int 0, %d by catch (...), %d frames unwound\n",
            first_throwing_operation, last_throwing_operation, as_int, count, as_anything, unwound);

    // Still in order after 222 exceptions: the last reference frees the component.
    check(component->Release() == 0, "the last Release answers 0", 0);
    FreeLibrary(module);
    if (failures == 0) fprintf(standard_error(), "PASS\n");
    return failures == 0 ? 0 : 1;
}

}  // namespace msvc_host
