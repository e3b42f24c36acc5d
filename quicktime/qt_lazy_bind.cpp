#include <cstring>

#include "quicktime/qt_binding.h"
#include "quicktime/qt_calls.h"
#include "quicktime/qt_loader.h"
#include "quicktime/qt_locator.h"
#include "quicktime/qt_names.h"

namespace {

// The oldest QuickTime this binding is known to work with, packed as below.
constexpr std::uint32_t oldest_supported_version = 0x07000200;  // 7.0.2.0

// a.b.c.d into one byte each, a highest; parts above 255 keep only their low 8 bits.
std::uint32_t pack_version(std::uint32_t most, std::uint32_t least) {
    return ((most >> 16) & 0xFF) << 24 | (most & 0xFF) << 16 | ((least >> 16) & 0xFF) << 8 | (least & 0xFF);
}

bool resolve(const char* name, qt_entry& slot) {
    platform::entry_point entry = platform::current_platform().find_entry(qt_module, name);
    if (!entry) return false;
    slot = reinterpret_cast<qt_entry>(entry);
    return true;
}

}  // namespace

void qt_lazy_bind() {
    bool loaded_here = false;
    if (!qt_module) {
        qt_module = load_quicktime_library(qt_name::library);
        if (!qt_module) return;
        loaded_here = true;
    }
    qt_bind_entry_points();
    // A library loaded by an earlier call already had its version decided.
    if (!loaded_here) return;
    if (!qt_check_version()) return;
    // This call's stub runs the hook again while still unbound; that inner run finds
    // qt_module set and loads nothing. Unbound, the query answers -2095 (low byte 0xD1),
    // so a library whose names did not bind is released here and loaded afresh next call.
    if ((qtml_reference_query() & 0xFF) != 0) {
        platform::current_platform().free_library(qt_module);
        qt_module = nullptr;
    }
}

bool qt_bind_entry_points() {
    if (!resolve(qt_name::call_component_with_storage_entry, qt_call_component_with_storage)) return false;
    if (!resolve(qt_name::call_component_entry, qt_call_component)) return false;
    if (!resolve(qt_name::dispatcher_entry, qt_dispatcher)) return false;
    qt_bind_hook = nullptr;
    return true;
}

bool qt_check_version() {
    if (qt_version_checked) return qt_version_passed;
    constexpr std::uint32_t name_size = 261;
    char file_name[name_size + 1] = {};  // the spare zero terminates a name cut at name_size
    platform::current_platform().module_file_name(qt_module, file_name, name_size);
    if (file_name[0] != '\0') {
        std::uint32_t most = 0;
        std::uint32_t least = 0;
        read_file_version(file_name, &most, &least);
        if (pack_version(most, least) >= oldest_supported_version) qt_version_passed = true;
    }
    qt_version_checked = true;
    return qt_version_passed;
}
