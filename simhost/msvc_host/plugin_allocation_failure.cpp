#include "simhost/msvc_host/plugin_allocation_failure.h"

#include "simhost/msvc_host/runtime.h"

extern "C" __declspec(dllimport) int __stdcall VirtualProtect(void* address, msvc_host::size_t size,
                                                              unsigned long protection, unsigned long* old);

namespace msvc_host {

namespace {

using malloc_function = void*(__cdecl*)(size_t);
int failing_call = 0;
int calls = 0;

void* __cdecl counted_malloc(size_t size) { return ++calls == failing_call ? nullptr : malloc(size); }

template <typename T>
T at(void* module, unsigned offset) {
    return reinterpret_cast<T>(static_cast<char*>(module) + offset);
}

bool same_name(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if ((*a | 0x20) != (*b | 0x20)) return false;
    return *a == *b;
}

// The module's import address table entry for dll's function, or null.
void** import_entry(void* module, const char* dll, const char* function) {
    const unsigned headers = *at<unsigned*>(module, 0x3C);
    const unsigned imports = *at<unsigned*>(module, headers + 24 + 104);  // the optional header's import directory
    for (const unsigned* d = at<unsigned*>(module, imports); d[3]; d += 5) {
        if (!same_name(at<const char*>(module, d[3]), dll)) continue;
        const unsigned* names = at<unsigned*>(module, d[0]);
        for (int i = 0; names[i]; ++i)
            if (!(names[i] & 0x80000000u) && strcmp(at<const char*>(module, names[i] + 2), function) == 0)
                return at<void**>(module, d[4]) + i;
    }
    return nullptr;
}

}  // namespace

void watch_plugin_allocations(void* module) {
    const char* setting = getenv("ORBIVANE_HOST_FAIL_PLUGIN_ALLOCATION");
    if (!setting || failing_call) return;
    failing_call = static_cast<int>(strtol(setting, nullptr, 10));
    void** entry = import_entry(module, "msvcrt.dll", "malloc");
    if (!entry) exit(72);
    unsigned long old = 0;
    VirtualProtect(entry, sizeof *entry, 0x04 /* PAGE_READWRITE */, &old);
    *entry = reinterpret_cast<void*>(&counted_malloc);
    VirtualProtect(entry, sizeof *entry, old, &old);
}

void begin_counting_plugin_allocations() { calls = 0; }

}  // namespace msvc_host
