// The ten exports as the host sees them: names, ordinals and call types.
#pragma once

#include <cstdint>

#include "host/com_base.h"
#include "host/host_interface.h"
#include "plugin/plugin_info.h"

struct export_entry {
    const char* windows_name;  // decorated where the host expects it
    const char* elf_name;      // ELF names cannot carry the stdcall decoration
    unsigned ordinal;
};

inline constexpr export_entry plugin_exports[] = {
    {"has_interface", "has_interface", 2},
    {"get_name", "get_name", 3},
    {"get_interface_version", "get_interface_version", 4},
    {"create_interface", "create_interface", 5},
    {"get_id", "get_id", 6},
    {"_get_exception@8", "get_exception", 7},
    {"_get_info@12", "get_info", 8},
    {"_get_text_encoding@8", "get_text_encoding", 9},
    {"_has_separate_interfaces@4", "has_separate_interfaces", 10},
    {"_is_resident@12", "is_resident", 11},
};

inline const char* native_name(const export_entry& entry) {
#if defined(_WIN32)
    return entry.windows_name;
#else
    return entry.elf_name;
#endif
}

// {50E47D69-8922-11D1-9A00-00C04FCC9C26} as the host passes it: 16 bytes in memory order.
inline constexpr unsigned char plugin_iid_bytes[16] = {0x69, 0x7D, 0xE4, 0x50, 0x22, 0x89, 0xD1, 0x11,
                                                       0x9A, 0x00, 0x00, 0xC0, 0x4F, 0xCC, 0x9C, 0x26};

using has_interface_fn = std::int32_t (*)(const void* iid, std::int32_t);
using get_name_fn = const char* (*)(const void* iid, std::int32_t index, host_app* app, std::int32_t);
using get_interface_version_fn = std::int32_t (*)(std::int32_t);
using create_interface_fn = void (*)(const void* iid, std::int32_t index, void** out, std::int32_t, std::int32_t);
using get_id_fn = std::int32_t (*)(const void* iid, std::int32_t index, std::int32_t);
using get_exception_fn = std::int32_t(ORB_STDCALL*)(std::int32_t, std::int32_t);
using get_info_fn = plugin_info(ORB_STDCALL*)(std::int32_t, std::int32_t);
using get_text_encoding_fn = std::int32_t(ORB_STDCALL*)(std::int32_t, std::int32_t);
using has_separate_interfaces_fn = bool(ORB_STDCALL*)(std::int32_t);
using is_resident_fn = bool(ORB_STDCALL*)(std::int32_t, std::int32_t, std::int32_t);

// The component as a foreign host sees it: a pointer to a table of entries,
// IUnknown's three COM stdcall and the rest member calls (thiscall on 32-bit
// Windows, the object as first argument elsewhere).
#if defined(_WIN32) && defined(__i386__)
#define ORB_TEST_THISCALL __attribute__((thiscall))
#else
#define ORB_TEST_THISCALL
#endif

class component_view {
public:
    explicit component_view(void* object) : object_(object) {}

    ULONG add_ref() const { return entry<ULONG(ORB_STDCALL*)(void*)>(1)(object_); }
    ULONG release() const { return entry<ULONG(ORB_STDCALL*)(void*)>(2)(object_); }
    std::int32_t component_id() const {
        return entry<std::int32_t(ORB_TEST_THISCALL*)(void*, std::int32_t)>(5)(object_, 0);
    }

private:
    template <typename Function>
    Function entry(int slot) const {
        return reinterpret_cast<Function>((*static_cast<void* const* const*>(object_))[slot]);
    }

    void* object_;
};
